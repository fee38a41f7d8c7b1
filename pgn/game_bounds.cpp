#include "pgn/game_bounds.h"

#include <cstring>

#include "pgn/line_reader.h"
#include "platform/file.h"

namespace pawnlet {

namespace {

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsNameChar(char c) {
    return IsLetter(c) || (c >= '0' && c <= '9') || c == '_';
}

} // namespace

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

LineRole GameBounds::FeedAny(std::string_view line, bool startsLine, bool afterEmptyLine) {
    if (inLineComment) {
        inLineComment = false;
        if (!startsLine) {
            // The rest of a ";" comment that the reader's length limit cut.
            inLineComment = true;
            return LineRole::Movetext;
        }
    }
    if (line.empty()) {
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

// Follows the comments of a line as the tokenizer reads them.
void GameBounds::Lex(std::string_view line) {
    for (;;) {
        if (inComment) {
            // "\}" is a brace of the comment's text, as the tokenizer reads it.
            std::size_t close = FindMark<0, '}'>(line);
            while (close != line.size() && close > 0 && line[close - 1] == '\\') {
                line.remove_prefix(close + 1);
                close = FindMark<0, '}'>(line);
            }
            if (close == line.size()) {
                return;
            }
            line.remove_prefix(close + 1);
            inComment = false;
        }
        const std::size_t at = FindMark<0x40, '{'>(line);
        if (at == line.size()) {
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
        const LineRole role = bounds.FeedFrom(reader, line);
        if (role == LineRole::SectionStart && at > start) {
            return true;
        }
        if (role == LineRole::SectionStart || role == LineRole::Tag) {
            // The rest of a tag line longer than the reader's lines is no text of its own.
            std::string none;
            if (reader.CutForLength()) {
                ReadRestOfLine(reader, none, 0);
            }
        }
    }
    readFailed = reader.Failed();
    return false;
}

} // namespace pawnlet
