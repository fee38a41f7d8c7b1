#include "pgn/line_reader.h"

#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/byte_source.h"
#include "platform/text.h"

namespace pawnlet {

namespace {

// The first CR or LF among the first `n` bytes at `p`, or null. `readable` (at least `n`) is
// how many bytes from `p` may be read: looking at bytes beyond `n` costs nothing, and they are
// not taken. `high` is set when a byte beyond ASCII was among the bytes looked at, which hold
// the line's: the readers' test for text that is not ASCII costs nothing more here.
const char* FindLineBreak(const char* p, std::size_t n, std::size_t readable, bool& high) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    __m128i any = _mm_setzero_si128();
    for (; i < n && i + 16 <= readable; i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        any = _mm_or_si128(any, v);
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
        if (n - i < 16) {
            mask &= (1u << (n - i)) - 1;
        }
        if (mask != 0) {
            high = _mm_movemask_epi8(any) != 0;
            return p + i + __builtin_ctz(mask);
        }
    }
    high = _mm_movemask_epi8(any) != 0;
#else
    high = false;
#endif
    for (; i < n; ++i) {
        high = high || static_cast<unsigned char>(p[i]) >= 0x80;
        if (p[i] == '\r' || p[i] == '\n') {
            return p + i;
        }
    }
    return nullptr;
}

} // namespace

LineReader::LineReader(platform::ByteSource& source, std::uint64_t offset, std::size_t blockSize)
    : file(source), buffer(std::max(blockSize, 2 * MaxLine)), base(offset), lineOffset(offset) {}

// Moves what is left to the front and reads until the buffer is full or the file ends.
bool LineReader::Fill() {
    std::size_t left = end - cursor;
    if (cursor > 0) {
        std::memmove(buffer.data(), buffer.data() + cursor, left);
        base += cursor;
        cursor = 0;
        end = left;
    }
    while (!atEnd && end < buffer.size()) {
        std::size_t got = 0;
        if (!file.Read(buffer.data() + end, buffer.size() - end, got)) {
            failed = true;
            atEnd = true;
            return false;
        }
        if (got == 0) {
            atEnd = true;
        }
        end += got;
    }
    SkipByteOrderMark();
    return true;
}

// A UTF-8 byte-order mark at the very start of the file is no text of the first line.
void LineReader::SkipByteOrderMark() {
    if (base + cursor == 0 && end >= 3 && std::memcmp(buffer.data(), "\xEF\xBB\xBF", 3) == 0) {
        cursor = 3;
        skippedMark = true;
    }
}

bool LineReader::SeekTo(std::uint64_t offset) {
    // Callers seek to the start of a line, where no cut line goes on.
    cut = false;
    emptyLineNext = true;
    if (offset >= base && offset <= base + end) {
        cursor = static_cast<std::size_t>(offset - base);
        SkipByteOrderMark();
        lineOffset = base + cursor;
        return true;
    }
    if (!file.Seek(offset)) {
        failed = true;
        return false;
    }
    base = offset;
    lineOffset = offset;
    cursor = 0;
    end = 0;
    atEnd = false;
    failed = false;
    return true;
}

bool LineReader::Next(std::string_view& line) {
    if (end - cursor < MaxLine && !atEnd) {
        Fill();
    }
    std::size_t window = std::min(end - cursor, MaxLine);
    if (window == 0) {
        return false;
    }
    const char* start = buffer.data() + cursor;
    lineOffset = base + cursor;
    // What the line before this one left: a cut, or an empty line.
    startsLine = !cut;
    afterEmptyLine = emptyLineNext;
    cut = false;
    emptyLineNext = false;

    // The first CR or LF among the bytes of the window.
    const char* brk = FindLineBreak(start, window, end - cursor, mayHoldHighByte);
    if (brk != nullptr) {
        std::size_t length = static_cast<std::size_t>(brk - start);
        std::size_t run = length + 1;
        while (run < window && (start[run] == '\r' || start[run] == '\n')) {
            ++run;
        }
        line = std::string_view(start, length);
        cursor += run;
        // A single line break is CR LF, LF or CR; anything more holds an empty line.
        const std::size_t breaks = run - length;
        emptyLineNext = length == 0 || breaks > 2 ||
                        (breaks == 2 && (start[length] != '\r' || start[length + 1] != '\n'));
        return true;
    }
    // No line break within a full window: cut before the last blank, which then begins the
    // next line. A blank at the very start does not count, and neither does a short window at
    // the end of the file: either would give an empty line and no progress, for ever.
    if (window == MaxLine) {
        for (std::size_t i = window; i-- > 1;) {
            if (start[i] == ' ') {
                line = std::string_view(start, i);
                cursor += i;
                cut = true;
                return true;
            }
        }
    }
    line = std::string_view(start, window);
    cursor += window;
    cut = window == MaxLine;
    return true;
}

void ReadRestOfLine(LineReader& reader, std::string& whole, std::size_t limit) {
    std::string_view piece;
    while (reader.CutForLength() && reader.Next(piece)) {
        if (whole.size() < limit) {
            whole.append(piece.substr(0, limit - whole.size()));
        }
    }
}

namespace {

// A file written without escapes holds a value that ends in a backslash as `"C:\"]`. Taken as
// an escaped quote, that backslash would make the value `C:"]`, which a save then writes as
// `"C:\"]"]`. So a `\"` that only the line's closing bracket and blanks follow is a backslash
// and the closing quote. An escaped value never looks like this: after each of its escaped
// quotes come at least the closing quote and bracket.
template <class Char> bool ClosesTheLine(std::basic_string_view<Char> rest) {
    if (rest.empty() || rest.front() != Char(']')) {
        return false;
    }
    for (Char c : rest.substr(1)) {
        if (c != Char(' ') && c != Char('\t')) {
            return false;
        }
    }
    return true;
}

template <class Char> std::basic_string<Char> Extract(std::basic_string_view<Char> source) {
    std::basic_string<Char> value;
    std::size_t i = source.find(Char('"'));
    if (i == std::basic_string_view<Char>::npos) {
        return value;
    }
    for (++i; i < source.size(); ++i) {
        Char c = source[i];
        if (c == Char('"')) {
            break;
        }
        if (c == Char('\\') && i + 1 < source.size() && source[i + 1] == Char('"') &&
            ClosesTheLine(source.substr(i + 2))) {
            value += c;
            break;
        }
        if (c == Char('\\') && i + 1 < source.size() &&
            (source[i + 1] == Char('"') || source[i + 1] == Char('\\'))) {
            c = source[++i];
        }
        value += c;
    }
    return value;
}

} // namespace

std::u16string ExtractQuoted(std::u16string_view source) {
    return Extract(source);
}

std::string ExtractQuoted(std::string_view source) {
    return Extract(source);
}

void ExtractQuotedTo(std::string_view source, std::string& value) {
    value.clear();
    std::size_t open = source.find('"');
    if (open == std::string_view::npos) {
        return;
    }
    std::string_view rest = source.substr(open + 1);
    // Most values hold no backslash: copy them in one go.
    for (;;) {
        const char* quote = static_cast<const char*>(std::memchr(rest.data(), '"', rest.size()));
        std::size_t stop =
            quote != nullptr ? static_cast<std::size_t>(quote - rest.data()) : rest.size();
        const char* slash = static_cast<const char*>(std::memchr(rest.data(), '\\', stop));
        if (slash == nullptr) {
            value.append(rest.data(), stop);
            return;
        }
        std::size_t at = static_cast<std::size_t>(slash - rest.data());
        value.append(rest.data(), at);
        if (at + 1 < rest.size() && rest[at + 1] == '"' && ClosesTheLine(rest.substr(at + 2))) {
            value += '\\';
            return;
        }
        if (at + 1 < rest.size() && (rest[at + 1] == '"' || rest[at + 1] == '\\')) {
            value += rest[at + 1];
            rest.remove_prefix(at + 2);
        } else {
            value += '\\';
            rest.remove_prefix(at + 1);
        }
    }
}

std::u16string ExtractQuotedWide(std::string_view source) {
    // Most values hold no backslash: convert them in one go. Without a backslash before it, the
    // first quote after the opening one closes the value.
    std::size_t open = source.find('"');
    if (open == std::string_view::npos) {
        return {};
    }
    std::string_view rest = source.substr(open + 1);
    std::size_t close = rest.find('"');
    std::string_view value = rest.substr(0, close);
    if (value.find('\\') == std::string_view::npos) {
        return platform::AnsiToWide(value);
    }
    return platform::AnsiToWide(ExtractQuoted(source));
}

} // namespace pawnlet
