// Cutting the movetext of one game into tokens, and reading brace comments.
//
// A Parser lives for one load, on the loader's stack. It takes lines from a LineReader and
// keeps the current line (converted from the ANSI code page) and the index of the next
// character to look at; every line it converts also goes through a UTF-8 check, so that the
// loader can tell afterwards in which encoding the game's text was written; -1 means that the next
// line must be read first. The first line is movetext whatever it holds. Every further line goes
// through the game bounds (game_bounds.h): a line that begins the next game's tag section ends this
// game wherever the parser stands, in a comment or a variation too, and is not read; its offset is
// kept, so that the game's byte range stops where that line begins.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pgn/game_bounds.h"
#include "platform/live_count.h"
#include "platform/text.h"

namespace pawnlet {

class LineReader;
class Position;

enum class TokenKind {
    CommentStart = 0, // pos is just after the "{"
    LineComment = 2,
    VariationStart = 3,
    VariationEnd = 4,
    MoveNumber = 5, // the digits and the dots behind them
    Move = 6,       // the move text
    GameEnd = 7,
    BadToken = 8, // up to 20 characters from the offending one on
    Space = 9,
    Nag = 10, // "$" and the digits; glyphs arrive rewritten ("!?" as "$5")
};

class Parser {
public:
    static constexpr int LineCapacity = 256;

    // `firstLine` is the game's first movetext line (bytes, as the reader gave them); the
    // reader stands after it, and `bounds` has seen every line up to it.
    Parser(LineReader& reader, std::string_view firstLine, const GameBounds& bounds);
    // The same for movetext that starts with `firstLine`, outside any game's tags.
    Parser(LineReader& reader, std::string_view firstLine);
    virtual ~Parser() = default;
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    // The next token; `token` receives its text for the kinds that have one.
    TokenKind NextToken(std::u16string& token);
    // Drops the rest of the current line.
    void SkipLine() { pos = -1; }
    // The text of a ";" comment (the parser stands just after the ";"): the rest of the line,
    // with the rest of a line that the reader cut for its length.
    std::u16string TakeLineComment();

    // The reader was stopped by the next game's first tag line; its offset.
    bool StoppedAtTagLine() const { return stoppedAtTag; }
    std::uint64_t TagLineOffset() const { return tagLineOffset; }
    // Offset of the first byte of the current line, and the current index in it.
    std::uint64_t CurrentLineOffset() const { return currentLineOffset; }
    int Pos() const { return pos; }
    const char16_t* Line() const { return line; }

    // Reads the next line; false at the end of the file or where the next game begins.
    bool ReadNextLine(std::string_view& bytes);
    // The line read last is a "%" escape line, which is passed over outside comments.
    bool LineIsEscape() const { return role == LineRole::Escape; }
    // The current line ended at a line break of the file, not at the reader's length limit
    // or at the end of the file.
    bool LineEndsAtBreak() const { return endsAtBreak; }
    void SetLine(std::string_view bytes);
    void SetPos(int index) { pos = index; }
    // Every line converted so far, as UTF-8 or not.
    const platform::Utf8Check& TextCheck() const { return textCheck; }
    platform::Utf8Check& TextCheck() { return textCheck; }

private:
    LineReader& reader;
    GameBounds bounds;
    LineRole role = LineRole::FirstMovetext;
    char16_t line[LineCapacity];
    int pos = 0;
    std::uint64_t currentLineOffset = 0;
    std::uint64_t tagLineOffset = 0;
    bool stoppedAtTag = false;
    bool endsAtBreak = false;
    platform::Utf8Check textCheck;
    LiveCount<Parser> counter;
};

// Collects a brace comment (the parser stands just after its "{") across lines and gives it to
// `position`: line breaks become one blank each, leading blanks and tabs are dropped. A line that
// the reader cut for its length goes on without a blank, so a comment reads back as it was
// written whatever the length of its lines. A comment still open where the game's text ends
// (the end of the file, or the next game's tags) keeps what was read, so that a save writes
// that text back, closed. Returns false only when the text could not be stored.
[[nodiscard]] bool ReadComment(Parser& parser, Position& position);
// Gives `position` one more comment: a position that already has one keeps both, joined by a
// blank, so that consecutive comments all survive a save.
void AddComment(Position& position, std::u16string text);

} // namespace pawnlet
