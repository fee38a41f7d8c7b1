// Text conversions: the ANSI code page of the files (Windows-1252, where "½" is 0xBD), UTF-8
// for paths and the terminal, and the system's text for an error code.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Every byte has a character: the five bytes that Windows-1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the control characters of the same value, so that any file reads
// and writes back byte for byte.
char16_t AnsiToWideChar(unsigned char byte);
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
