#include "platform/text.h"

#include <cstdio>
#include <cstring>
#include <iterator>

namespace pawnlet::platform {

void AppendAnsiToWide(std::string_view bytes, std::u16string& out) {
    const std::size_t base = out.size();
    out.resize(base + bytes.size());
    char16_t* to = out.data() + base;
    for (char byte : bytes) {
        *to++ = AnsiToWideChar(static_cast<unsigned char>(byte));
    }
}

std::u16string AnsiToWide(std::string_view bytes) {
    std::u16string out;
    AppendAnsiToWide(bytes, out);
    return out;
}

char WideToAnsiChar(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
        return static_cast<char>(c);
    }
    for (std::size_t i = 0; i < std::size(AnsiHighControls); ++i) {
        if (AnsiHighControls[i] == c) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

void AppendWideToAnsi(std::u16string_view text, std::string& out) {
    std::size_t base = out.size();
    out.resize(base + text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        out[base + i] = WideToAnsiChar(text[i]);
    }
}

std::string WideToAnsi(std::u16string_view text) {
    std::string out;
    AppendWideToAnsi(text, out);
    return out;
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    AppendUtf8(text, out);
    return out;
}

void AppendUtf8(std::u16string_view text, std::string& out) {
    out.reserve(out.size() + text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] < 0x80) {
            out.push_back(static_cast<char>(text[i]));
            continue;
        }
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xE000) {
            if (c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                ++i;
            } else {
                c = 0xFFFD;
            }
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

namespace {

std::u16string DecodeUtf8(std::string_view text, bool escapeBytes) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        char32_t c = extra == 0   ? b
                     : extra == 1 ? (b & 0x1F)
                     : extra == 2 ? (b & 0x0F)
                                  : (b & 0x07);
        bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
        for (int k = 1; ok && k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                ok = false;
            } else {
                c = (c << 6) | (next & 0x3F);
            }
        }
        // Overlong forms, surrogates and values beyond U+10FFFF are malformed too.
        if (ok && ((extra == 1 && c < 0x80) || (extra == 2 && c < 0x800) ||
                   (extra == 3 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c < 0xE000))) {
            ok = false;
        }
        if (!ok) {
            out += escapeBytes ? static_cast<char16_t>(0xDC00 + b) : char16_t(0xFFFD);
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

} // namespace

std::u16string FromUtf8(std::string_view text) {
    return DecodeUtf8(text, false);
}

std::u16string PathFromBytes(std::string_view bytes) {
    return DecodeUtf8(bytes, true);
}

std::string PathToBytes(std::u16string_view path) {
    std::string out;
    out.reserve(path.size());
    std::size_t from = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        // A byte kept from a name that was not UTF-8; a lone one only, as PathFromBytes makes.
        const char16_t c = path[i];
        const bool paired = i > 0 && path[i - 1] >= 0xD800 && path[i - 1] < 0xDC00;
        if (c >= 0xDC80 && c <= 0xDCFF && !paired) {
            AppendUtf8(path.substr(from, i - from), out);
            out += static_cast<char>(c - 0xDC00);
            from = i + 1;
        }
    }
    AppendUtf8(path.substr(from), out);
    return out;
}

const char16_t* EncodingName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Ascii:
        return u"ASCII";
    case TextEncoding::Ansi:
        return u"Windows-1252";
    case TextEncoding::Utf8:
        return u"UTF-8";
    }
    return u"";
}

void Utf8Check::FeedSlow(std::string_view bytes) {
    nonAscii = true;
    for (char ch : bytes) {
        const auto b = static_cast<std::uint8_t>(ch);
        if (need != 0) {
            if (b < low || b > high) {
                invalid = true;
                return;
            }
            --need;
            low = 0x80;
            high = 0xBF;
            continue;
        }
        if (b < 0x80) {
            continue;
        }
        // The ranges of the first continuation byte leave out overlong forms, surrogates and
        // values beyond U+10FFFF, which FromUtf8 would not give back as they were.
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2;
            low = b == 0xE0 ? 0xA0 : 0x80;
            high = b == 0xED ? 0x9F : 0xBF;
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3;
            low = b == 0xF0 ? 0x90 : 0x80;
            high = b == 0xF4 ? 0x8F : 0xBF;
        } else {
            invalid = true;
            return;
        }
    }
}

std::u16string Decode(std::string_view bytes, TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? FromUtf8(bytes) : AnsiToWide(bytes);
}

void AppendEncoded(std::u16string_view text, TextEncoding encoding, std::string& out) {
    if (encoding == TextEncoding::Ansi) {
        AppendWideToAnsi(text, out);
    } else {
        AppendUtf8(text, out);
    }
}

std::string Encode(std::u16string_view text, TextEncoding encoding) {
    std::string out;
    AppendEncoded(text, encoding, out);
    return out;
}

std::optional<char32_t> FirstCharacterNotHeld(std::u16string_view text, TextEncoding encoding) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            continue;
        }
        const bool high = c >= 0xD800 && c < 0xDC00;
        const bool paired =
            high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
        if (encoding == TextEncoding::Ansi) {
            if (WideToAnsiChar(c) != '?') {
                continue;
            }
            return paired ? 0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00)
                          : char32_t(c);
        }
        if (paired) {
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            return char32_t(c);
        }
    }
    return std::nullopt;
}

std::u16string SystemErrorText(int code) {
    // strerror_r in its GNU form may return a static string instead of filling the buffer.
    char buffer[512] = {};
    const char* text = nullptr;
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
    text = strerror_r(code, buffer, sizeof buffer);
#else
    if (strerror_r(code, buffer, sizeof buffer) == 0) {
        text = buffer;
    }
#endif
    if (code == 0 || text == nullptr || *text == '\0' ||
        std::strncmp(text, "Unknown error", 13) == 0) {
        char fallback[32];
        std::snprintf(fallback, sizeof fallback, "Err : 0x%08X", static_cast<unsigned>(code));
        return FromUtf8(fallback);
    }
    return FromUtf8(text);
}

} // namespace pawnlet::platform
