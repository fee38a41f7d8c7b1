// Text conversions: the ANSI code page of the files (Windows-1252, where "½" is 0xBD), UTF-8
// for paths and the terminal, and the system's text for an error code.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Windows-1252 bytes 0x80..0x9F; the five undefined bytes keep their own value.
inline constexpr char16_t AnsiHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Every byte has a character: the five bytes that Windows-1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the control characters of the same value, so that any file reads
// and writes back byte for byte. Inline: the parser converts every byte it reads.
inline char16_t AnsiToWideChar(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? AnsiHighControls[byte - 0x80] : char16_t{byte};
}
std::u16string AnsiToWide(std::string_view bytes);
void AppendAnsiToWide(std::string_view bytes, std::u16string& out);

// Characters that the code page cannot hold become "?".
char WideToAnsiChar(char16_t c);
std::string WideToAnsi(std::u16string_view text);
void AppendWideToAnsi(std::u16string_view text, std::string& out);

// UTF-8 <-> UTF-16. Malformed UTF-8 bytes become U+FFFD; lone surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view text);
void AppendUtf8(std::u16string_view text, std::string& out);
std::u16string FromUtf8(std::string_view text);

// The system's message for an error code, or "Err : 0x%08X" with the code when it has none.
std::u16string SystemErrorText(int code);

} // namespace platform
