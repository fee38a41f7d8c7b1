// Diagnostic output that the user never sees: written to standard error.
#pragma once

#include <string_view>

namespace platform {

// Writes `text` as it is (the caller supplies any line end). UTF-8.
void DebugOutput(std::string_view text);
void DebugOutput(std::u16string_view text);

} // namespace platform
