// Where the games of a PGN file begin and end: one rule, shared by the game index and the
// loader, so that the range a game is saved into never reaches into a game the list shows.
//
// A line begins a game's tag section only when
//   - it begins at a real line start (not a piece of a line that the reader cut for its
//     length),
//   - its "[" is followed by a tag name (a letter, then letters, digits or underscores), so
//     that "[%clk 0:02:47]" wrapped onto a line of its own never does, and
//   - no brace comment is open at that point; except that a line with the whole form of a tag
//     pair ([Name "value"]) after an empty line begins one even inside an open comment, so that
//     one stray "{" cannot swallow every game after it.
// To know whether a comment is open, GameBounds follows the braces and ";" comments of the
// text between tag sections the way the movetext tokenizer does. Within a tag section every
// line that begins with "[" is a tag; "%" escape lines are passed over wherever they stand
// outside a comment; a NUL byte ends a line, as it does for the tokenizer.
#pragma once

#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <string_view>

#include "pgn/infos_partie.h"

namespace pawnlet {

namespace platform {
class File;
}

// Index of the first byte of `text` that `Match` picks, or the text's size. Lines are mostly
// moves or tags: the bytes looked for are rare, so they are looked for 16 at a time, the last 16
// overlapping the ones before when the length is no multiple of 16. `Match` gives the bytes it
// picks among 16 (Hits, a mask of 16 bits) and says whether it picks one byte (Is).
template <class Match> std::size_t FindFirst(std::string_view text) {
    const char* p = text.data();
    const std::size_t n = text.size();
#if defined(__SSE2__)
    if (n >= 16) {
        auto hits = [p](std::size_t at) {
            return Match::Hits(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at)));
        };
        std::size_t i = 0;
        for (; i + 16 < n; i += 16) {
            if (const unsigned mask = hits(i); mask != 0) {
                return i + static_cast<std::size_t>(__builtin_ctz(mask));
            }
        }
        const unsigned mask = hits(n - 16);
        return mask != 0 ? n - 16 + static_cast<std::size_t>(__builtin_ctz(mask)) : n;
    }
#endif
    for (std::size_t i = 0; i < n; ++i) {
        if (Match::Is(p[i])) {
            return i;
        }
    }
    return n;
}

// The bytes c for which (c | Bits) == Value: with Bits 0 the Value bytes; with Bits 0x40 and
// Value "{" both "{" and ";", which differ in that bit only, for the cost of one.
template <char Bits, char Value> struct MarkMatch {
#if defined(__SSE2__)
    static unsigned Hits(__m128i v) {
        if constexpr (Bits != 0) {
            v = _mm_or_si128(v, _mm_set1_epi8(Bits));
        }
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(Value))));
    }
#endif
    static bool Is(char c) {
        return static_cast<char>(c | Bits) == Value;
    }
};
template <char Bits, char Value> std::size_t FindMark(std::string_view text) {
    return FindFirst<MarkMatch<Bits, Value>>(text);
}

// The bytes A, B and C.
template <char A, char B, char C> struct AnyMatch {
#if defined(__SSE2__)
    static unsigned Hits(__m128i v) {
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(A)), _mm_cmpeq_epi8(v, _mm_set1_epi8(B))),
            _mm_cmpeq_epi8(v, _mm_set1_epi8(C)))));
    }
#endif
    static bool Is(char c) {
        return c == A || c == B || c == C;
    }
};
template <char A, char B, char C> std::size_t FindAny(std::string_view text) {
    return FindFirst<AnyMatch<A, B, C>>(text);
}

// The line up to its first NUL byte.
inline std::string_view UpToNul(std::string_view line) {
    const void* nul = std::memchr(line.data(), 0, line.size());
    return nul == nullptr ? line : line.substr(0, static_cast<const char*>(nul) - line.data());
}

// What a line is to the game structure of the file.
enum class LineRole {
    SectionStart,  // the first tag line of a game
    Tag,           // a further line of the tag section that begins with "["
    FirstMovetext, // the line that ends a tag section: the game's first movetext line
    Movetext,      // any other text outside a tag section (movetext, or text between games)
    Escape,        // a "%" escape line, passed over
    Empty,         // an empty line (the reader gives one only where a line break was cut)
};

class GameBounds {
public:
    // Outside any tag section, no comment open: the state at the start of a file and at the
    // place where a game begins.
    GameBounds() = default;
    // The state after `line` read as movetext, outside any tag section.
    static GameBounds AfterMovetext(std::string_view line);

    // Classifies the next line of the file and follows its braces. `startsLine` is false for a
    // piece of a line that the reader cut for its length; `afterEmptyLine` says that at least
    // one empty line came before this one.
    LineRole Feed(std::string_view line, bool startsLine, bool afterEmptyLine) {
        // Most lines are the tags of a tag section.
        if (!inLineComment && !line.empty()) {
            if (inSection && line[0] == '[') {
                return LineRole::Tag;
            }
            if (!inSection && !inComment && line[0] != '[' && line[0] != '%') {
                Lex(line);
                return LineRole::Movetext;
            }
        }
        return FeedAny(line, startsLine, afterEmptyLine);
    }
    // Feeds the line that a LineReader gave last.
    template <class Reader> LineRole FeedFrom(const Reader& reader, std::string_view line) {
        return Feed(line, reader.StartsLine(), reader.AfterEmptyLine());
    }

private:
    LineRole FeedAny(std::string_view line, bool startsLine, bool afterEmptyLine);
    void Lex(std::string_view line);

    bool inSection = false;
    bool inComment = false;
    // A ";" comment whose line the reader cut: the next piece still belongs to it.
    bool inLineComment = false;
};

// "[" followed by a letter: the line names a tag.
bool BeginsTagName(std::string_view line);
// The whole form of a tag pair: "[", a tag name, blanks, a quoted value (in which a backslash
// escapes the next character), "]", and nothing after it but blanks.
bool IsTagPair(std::string_view line);

// The tags that the loader or the index read into fields of their own; Other for the rest.
enum class TagName { White, Black, Result, Event, Round, Site, Date, Eco, SetUp, Fen, Other };
// The tag a line names, by its exact, case-sensitive prefix ("[White " ...). `valueAt` receives
// the index just after that prefix, where the quoted value is looked for.
inline TagName NameOfTag(std::string_view line, std::size_t& valueAt) {
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
            if ((line.size() >= prefix.text.size() &&
                 std::memcmp(line.data(), prefix.text.data(), prefix.text.size()) == 0)) {
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

// The result a Result tag's value stands for: "1-0", "0-1", "1/2-1/2" or "½-½" (byte 0xBD);
// every other value is Unfinished.
GameResult ResultOfTag(std::string_view value);

// Reads `file` from its start up to `end` the way the game index does and tells whether a game
// begins strictly after `start` and before `end`: a save that replaced [start, end) would then
// destroy the beginning of another game. False when the file cannot be read (`readFailed` is
// set then).
bool RangeHoldsAnotherGame(platform::File& file, std::uint64_t start, std::uint64_t end,
                           bool& readFailed);

} // namespace pawnlet
