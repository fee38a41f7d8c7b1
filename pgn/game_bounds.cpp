#include "pgn/game_bounds.h"

#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "pgn/line_reader.h"
#include "platform/file.h"

namespace {

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsNameChar(char c) {
    return IsLetter(c) || (c >= '0' && c <= '9') || c == '_';
}

// Index of the first byte of `text` that is `a`, `b` or `c`, or the text's size. Movetext lines
// are mostly moves: the bytes that matter are rare, so they are looked for 16 at a time.
std::size_t FindAny(std::string_view text, char a, char b, char c) {
    const char* p = text.data();
    const std::size_t n = text.size();
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(a);
    const __m128i vb = _mm_set1_epi8(b);
    const __m128i vc = _mm_set1_epi8(c);
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb)),
                                         _mm_cmpeq_epi8(v, vc));
        if (const int mask = _mm_movemask_epi8(hit); mask != 0) {
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
    }
#endif
    for (; i < n; ++i) {
        if (p[i] == a || p[i] == b || p[i] == c) {
            return i;
        }
    }
    return n;
}

bool StartsWith(std::string_view line, std::string_view prefix) {
    return line.size() >= prefix.size() &&
           std::memcmp(line.data(), prefix.data(), prefix.size()) == 0;
}

} // namespace

std::string_view UpToNul(std::string_view line) {
    const void* nul = std::memchr(line.data(), 0, line.size());
    return nul == nullptr ? line : line.substr(0, static_cast<const char*>(nul) - line.data());
}

bool BeginsTagName(std::string_view line) {
    return line.size() >= 2 && line[0] == '[' && IsLetter(line[1]);
}

bool IsTagPair(std::string_view line) {
    if (!BeginsTagName(line)) {
        return false;
    }
    std::size_t i = 2;
    while (i < line.size() && IsNameChar(line[i])) {
        ++i;
    }
    const std::size_t nameEnd = i;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
        ++i;
    }
    if (i == nameEnd || i >= line.size() || line[i] != '"') {
        return false;
    }
    for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            ++i;
        }
    }
    if (i + 1 >= line.size() || line[i + 1] != ']') {
        return false;
    }
    for (i += 2; i < line.size(); ++i) {
        if (line[i] != ' ' && line[i] != '\t') {
            return false;
        }
    }
    return true;
}

TagName NameOfTag(std::string_view line, std::size_t& valueAt) {
    struct Prefix {
        std::string_view text;
        TagName name;
    };
    // Tag names are ASCII, so the prefixes compare on the file's bytes; the second byte picks
    // the few candidates.
    static constexpr Prefix W[] = {{"[White ", TagName::White}};
    static constexpr Prefix B[] = {{"[Black ", TagName::Black}};
    static constexpr Prefix R[] = {{"[Result ", TagName::Result}, {"[Round ", TagName::Round}};
    static constexpr Prefix E[] = {{"[Event ", TagName::Event}, {"[ECO ", TagName::Eco}};
    static constexpr Prefix S[] = {{"[Site ", TagName::Site}, {"[SetUp ", TagName::SetUp}};
    static constexpr Prefix D[] = {{"[Date ", TagName::Date}};
    static constexpr Prefix F[] = {{"[FEN ", TagName::Fen}};
    auto match = [&](const auto& prefixes) {
        for (const Prefix& prefix : prefixes) {
            if (StartsWith(line, prefix.text)) {
                valueAt = prefix.text.size();
                return prefix.name;
            }
        }
        return TagName::Other;
    };
    valueAt = 0;
    switch (line.size() > 1 ? line[1] : 0) {
    case 'W':
        return match(W);
    case 'B':
        return match(B);
    case 'R':
        return match(R);
    case 'E':
        return match(E);
    case 'S':
        return match(S);
    case 'D':
        return match(D);
    case 'F':
        return match(F);
    default:
        return TagName::Other;
    }
}

GameResult ResultOfTag(std::string_view value) {
    if (value == "1-0") {
        return WhiteWins;
    }
    if (value == "0-1") {
        return BlackWins;
    }
    if (value == "1/2-1/2" || value == "\xBD-\xBD") {
        return Draw;
    }
    return Unfinished;
}

GameBounds GameBounds::AfterMovetext(std::string_view line) {
    GameBounds bounds;
    bounds.Lex(line);
    return bounds;
}

LineRole GameBounds::Feed(std::string_view line, bool startsLine, bool afterEmptyLine) {
    if (inLineComment) {
        inLineComment = false;
        if (!startsLine) {
            // The rest of a ";" comment that the reader's length limit cut.
            inLineComment = true;
            return LineRole::Movetext;
        }
    }
    if (line.empty() || line[0] == 0) {
        return LineRole::Empty;
    }
    if (inSection) {
        if (line[0] == '[') {
            return LineRole::Tag;
        }
        if (line[0] == '%' && startsLine) {
            return LineRole::Escape;
        }
        inSection = false;
        Lex(line);
        return LineRole::FirstMovetext;
    }
    if (startsLine && BeginsTagName(line) &&
        (!inComment || (afterEmptyLine && IsTagPair(UpToNul(line))))) {
        inSection = true;
        inComment = false;
        return LineRole::SectionStart;
    }
    if (!inComment && startsLine && line[0] == '%') {
        return LineRole::Escape;
    }
    Lex(line);
    return LineRole::Movetext;
}

// Follows the comments of a line as the tokenizer reads them; a NUL byte ends the line.
void GameBounds::Lex(std::string_view line) {
    for (;;) {
        if (inComment) {
            const std::size_t close = FindAny(line, '}', '\0', '}');
            if (close == line.size() || line[close] == 0) {
                return;
            }
            line.remove_prefix(close + 1);
            inComment = false;
        }
        const std::size_t at = FindAny(line, '{', ';', '\0');
        if (at == line.size() || line[at] == 0) {
            return;
        }
        if (line[at] == ';') {
            inLineComment = true;
            return;
        }
        inComment = true;
        line.remove_prefix(at + 1);
    }
}

bool RangeHoldsAnotherGame(platform::File& file, std::uint64_t start, std::uint64_t end,
                           bool& readFailed) {
    readFailed = false;
    if (!file.Seek(0)) {
        readFailed = true;
        return false;
    }
    LineReader reader(file, 0, std::size_t{1} << 20);
    GameBounds bounds;
    std::string_view line;
    while (reader.Next(line)) {
        const std::uint64_t at = reader.LineOffset();
        if (at >= end) {
            return false;
        }
        const LineRole role = bounds.Feed(line, reader.StartsLine(), reader.AfterEmptyLine());
        if (role == LineRole::SectionStart && at > start) {
            return true;
        }
        if (role == LineRole::SectionStart || role == LineRole::Tag) {
            // The rest of a tag line longer than the reader's lines is no text of its own.
            std::string none;
            ReadRestOfLine(reader, none, 0);
        }
    }
    readFailed = reader.Failed();
    return false;
}
