// Text conversions: the ANSI code page of the files (Windows-1252, where "½" is 0xBD), UTF-8
// for paths, the terminal and the games written in it, and the system's text for an error code.
#pragma once

#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <optional>
#include <string>
#include <string_view>

namespace pawnlet::platform {

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

// File names are bytes, not always UTF-8. A name reads as UTF-8 where it is, and each byte that
// is not becomes the lone surrogate U+DC80..U+DCFF, which no UTF-8 text decodes to; writing the
// name back turns those into their bytes again, so every name survives the round trip.
std::u16string PathFromBytes(std::string_view bytes);
std::string PathToBytes(std::u16string_view path);

// --- The encoding of a game's text in its file

// Each game of a file is written in one encoding, decided from its bytes when it is read: UTF-8
// when they are valid UTF-8 and hold at least one byte beyond ASCII, else Windows-1252, which
// every sequence of bytes is, so that any file reads and writes back as it was. A game of ASCII
// bytes reads the same in both: it has no encoding of its own until it first gets text beyond
// ASCII.
enum class TextEncoding : std::uint8_t { Ascii, Ansi, Utf8 };

// "Windows-1252" or "UTF-8" (Ascii: "ASCII").
const char16_t* EncodingName(TextEncoding encoding);

// Whether any byte of `bytes` is beyond ASCII: the test that lets ASCII text, most of every
// file, skip the rest. Inline: the readers ask it of every line.
inline bool HasHighByte(std::string_view bytes) {
    const char* p = bytes.data();
    const std::size_t n = bytes.size();
#if defined(__SSE2__)
    if (n >= 16) {
        // The last 16 bytes overlap the blocks before them when the length is no multiple of
        // 16: no byte is looked at one by one.
        __m128i any = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 16));
        for (std::size_t i = 0; i + 16 < n; i += 16) {
            any = _mm_or_si128(any, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)));
        }
        return _mm_movemask_epi8(any) != 0;
    }
#endif
    if (n >= 8) {
        std::uint64_t head;
        std::uint64_t tail;
        std::memcpy(&head, p, 8);
        std::memcpy(&tail, p + n - 8, 8);
        return ((head | tail) & 0x8080808080808080u) != 0;
    }
    unsigned char any = 0;
    for (std::size_t i = 0; i < n; ++i) {
        any |= static_cast<unsigned char>(p[i]);
    }
    return (any & 0x80) != 0;
}

// Follows whether the pieces of a game's text, given in file order, are valid UTF-8. A sequence
// may go on from a piece into the next one (a line that the reader cut for its length), never
// across a line break.
class Utf8Check {
public:
    // `startsLine`: a line break comes before these bytes. A NUL byte ends them, as it ends a
    // line for the readers.
    void Feed(std::string_view bytes, bool startsLine) {
        if (invalid || (need == 0 && !HasHighByte(bytes))) {
            return;
        }
        if (startsLine && need != 0) {
            invalid = true;
            return;
        }
        if (const void* nul = std::memchr(bytes.data(), 0, bytes.size())) {
            bytes = bytes.substr(
                0, static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data()));
        }
        FeedSlow(bytes);
    }
    // The encoding of the text fed so far: Ascii when no byte was beyond ASCII.
    TextEncoding Encoding() const {
        return !nonAscii              ? TextEncoding::Ascii
               : invalid || need != 0 ? TextEncoding::Ansi
                                      : TextEncoding::Utf8;
    }
    // Still UTF-8 with bytes beyond ASCII: only then does the rest of the text decide anything.
    bool MayBeUtf8() const { return nonAscii && !invalid; }
    // A sequence goes on into the next bytes.
    bool Pending() const { return need != 0; }

private:
    void FeedSlow(std::string_view bytes);

    std::uint8_t need = 0; // continuation bytes still to come
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF; // the range of the next continuation byte
    bool nonAscii = false;
    bool invalid = false;
};

// The bytes of a text in `encoding` (Ascii: UTF-8, which holds every text the same as ASCII
// where ASCII can).
std::u16string Decode(std::string_view bytes, TextEncoding encoding);
// The text as bytes in `encoding` (Ascii as UTF-8). Check it with FirstCharacterNotHeld first:
// a character that the encoding cannot hold is written "?" (Windows-1252) or U+FFFD (UTF-8).
std::string Encode(std::u16string_view text, TextEncoding encoding);
void AppendEncoded(std::u16string_view text, TextEncoding encoding, std::string& out);
// The first character of `text` that `encoding` cannot hold (a lone surrogate for UTF-8, a
// character outside the code page for Windows-1252); none when it holds them all.
std::optional<char32_t> FirstCharacterNotHeld(std::u16string_view text, TextEncoding encoding);

// The system's message for an error code, or "Err : 0x%08X" with the code when it has none.
std::u16string SystemErrorText(int code);

} // namespace pawnlet::platform
