// Diagnostic output that the user never sees: written to standard error, unless the thread that
// writes it has installed a sink of its own.
#pragma once

#include <string_view>

namespace pawnlet::platform {

// Takes the diagnostic lines of one thread: the command-line tool drops them, or keeps those of
// each piece of a file checked on another thread to print them in the file's order.
class DebugSink {
public:
    virtual ~DebugSink() = default;
    virtual void Write(std::string_view text) = 0;
};

// Installs `sink` (not owned; null: standard error) for the calling thread and returns the one
// it replaces. A new thread writes to standard error.
DebugSink* SetDebugSink(DebugSink* sink);

// Writes `text` as it is (the caller supplies any line end). UTF-8.
void DebugOutput(std::string_view text);
void DebugOutput(std::u16string_view text);

} // namespace pawnlet::platform
