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
#include <string_view>

#include "pgn/infos_partie.h"

namespace platform {
class File;
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
    LineRole Feed(std::string_view line, bool startsLine, bool afterEmptyLine);

    bool InSection() const { return inSection; }
    bool InComment() const { return inComment; }

private:
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
TagName NameOfTag(std::string_view line, std::size_t& valueAt);
// The result a Result tag's value stands for: "1-0", "0-1", "1/2-1/2" or "½-½" (byte 0xBD);
// every other value is Unfinished.
GameResult ResultOfTag(std::string_view value);
// The line up to its first NUL byte.
std::string_view UpToNul(std::string_view line);

// Reads `file` from its start up to `end` the way the game index does and tells whether a game
// begins strictly after `start` and before `end`: a save that replaced [start, end) would then
// destroy the beginning of another game. False when the file cannot be read (`readFailed` is
// set then).
bool RangeHoldsAnotherGame(platform::File& file, std::uint64_t start, std::uint64_t end,
                           bool& readFailed);
