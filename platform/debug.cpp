#include "platform/debug.h"

#include <cstdio>
#include <string>

#include <utility>

namespace pawnlet::platform {
namespace {

thread_local DebugSink* threadSink = nullptr;

} // namespace

DebugSink* SetDebugSink(DebugSink* sink) {
    return std::exchange(threadSink, sink);
}

void DebugOutput(std::string_view text) {
    if (threadSink != nullptr) {
        threadSink->Write(text);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stderr);
}

void DebugOutput(std::u16string_view text) {
    // UTF-16 to UTF-8, enough for the diagnostics (surrogate pairs included).
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    DebugOutput(std::string_view(out));
}

} // namespace pawnlet::platform
