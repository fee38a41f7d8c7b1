// Cutting the movetext of one game into tokens, and reading brace comments.
//
// A Parser lives for one load, on the loader's stack. It takes lines from a LineReader and
// keeps the current line (converted from the ANSI code page) and the index of the next
// character to look at; -1 means that the next line must be read first. The first line is
// movetext whatever it holds; a line that NextToken reads itself and that begins with "[" is
// the next game's tag section and ends this game (its offset is kept, so that the game's byte
// range stops where that line begins).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/live_count.h"

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
    // reader stands after it.
    Parser(LineReader& reader, std::string_view firstLine);
    virtual ~Parser() = default;
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    // The next token; `token` receives its text for the kinds that have one.
    TokenKind NextToken(std::u16string& token);
    // Drops the rest of the current line.
    void SkipLine() { pos = -1; }

    // The reader was stopped by the next game's first tag line; its offset.
    bool StoppedAtTagLine() const { return stoppedAtTag; }
    std::uint64_t TagLineOffset() const { return tagLineOffset; }
    // Offset of the first byte of the current line, and the current index in it.
    std::uint64_t CurrentLineOffset() const { return currentLineOffset; }
    int Pos() const { return pos; }
    const char16_t* Line() const { return line; }
    LineReader& Reader() { return reader; }

    // Reads the next line into `line`; false at the end of the file.
    bool ReadNextLine(std::string_view& bytes);
    // The current line ended at a line break of the file, not at the reader's length limit
    // or at the end of the file.
    bool LineEndsAtBreak() const { return endsAtBreak; }
    void SetLine(std::string_view bytes);
    void SetPos(int index) { pos = index; }

private:
    LineReader& reader;
    char16_t line[LineCapacity];
    int pos = 0;
    std::uint64_t currentLineOffset = 0;
    std::uint64_t tagLineOffset = 0;
    bool stoppedAtTag = false;
    bool endsAtBreak = false;
    LiveCount<Parser> counter;
};

// Collects a brace comment (the parser stands just after its "{") across lines and gives it to
// `position`: line breaks become one blank each, leading blanks and tabs are dropped. A line that
// the reader cut for its length goes on without a blank, so a comment reads back as it was
// written whatever the length of its lines. A comment still open at the end of the file is
// dropped. Returns false only when the text could not be stored.
[[nodiscard]] bool ReadComment(Parser& parser, Position& position);
