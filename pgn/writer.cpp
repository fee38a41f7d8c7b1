#include "pgn/writer.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "chess/fen.h"
#include "chess/position.h"
#include "gametree/coup.h"
#include "gametree/move_text.h"
#include "gametree/tree_ops.h"
#include "pgn/partie.h"
#include "platform/file.h"
#include "platform/text.h"

namespace {

constexpr int LineLimit = 80; // a line holds fewer bytes than this before its CR LF
constexpr std::size_t LongPiece = 511;

std::u16string Number(const char16_t* prefix, int value) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", value);
    std::u16string text(prefix);
    for (const char* d = digits; *d != 0; ++d) {
        text += static_cast<char16_t>(*d);
    }
    return text;
}

// An extra tag that the loader would take for one of the tags it reads itself: one made from a
// malformed line such as "[White" alone. Written out it would replace the game's own tag when
// the file is read again (or, as a FEN or SetUp tag, make the game unreadable), so it is left
// out; its line carried nothing the game uses.
bool ReadsBackAsOwnTag(const PGNHeader& header) {
    for (const char16_t* name :
         {u"White", u"Black", u"Result", u"Event", u"Round", u"Site", u"Date", u"FEN"}) {
        if (header.tag == name) {
            return true;
        }
    }
    return header.tag == u"SetUp" && header.value == u"1";
}

} // namespace

std::optional<PgnWriter::Break> PgnWriter::FindBreak(std::string_view bytes, int index) {
    if (index < 0 || bytes.empty()) {
        return std::nullopt;
    }
    for (int i = std::min(index, static_cast<int>(bytes.size()) - 1); i >= 0; --i) {
        char c = bytes[static_cast<std::size_t>(i)];
        if (c == ' ') {
            return Break{i, 1};
        }
        if (c == '(' || c == '{') {
            return Break{i + 1, 0};
        }
    }
    return std::nullopt;
}

void PgnWriter::Put(std::string_view bytes) {
    text.append(bytes);
    std::size_t brk = bytes.find_first_of("\r\n");
    if (brk != std::string_view::npos) {
        // The bytes after a two-byte line break.
        outputColumn = std::max(0, static_cast<int>(bytes.size() - brk) - 2);
    } else {
        outputColumn += static_cast<int>(bytes.size());
    }
}

void PgnWriter::NewLine() {
    text.append("\r\n");
    outputColumn = 0;
}

void PgnWriter::Emit(std::u16string_view piece, bool breakable) {
    EmitBytes(piece, platform::WideToAnsi(piece), breakable);
}

// The code page has one byte per character, so an index into the bytes is an index into the
// piece as well.
void PgnWriter::EmitBytes(std::u16string_view piece, std::string_view bytes, bool breakable) {
    if (inComment) {
        EmitCommentBytes(bytes);
        return;
    }
    int len = static_cast<int>(bytes.size());
    if (outputColumn + len < LineLimit) {
        Put(bytes);
        return;
    }
    if (breakable || len >= LineLimit) {
        int limit = (breakable ? 79 : 78) - outputColumn;
        if (auto b = FindBreak(bytes, limit)) {
            std::size_t rest = static_cast<std::size_t>(b->index + b->skip);
            if (b->index > 0 || outputColumn > 0) {
                Put(bytes.substr(0, static_cast<std::size_t>(b->index)));
                NewLine();
            }
            // On a fresh line a leading blank is simply dropped: breaking there would leave an
            // empty line.
            EmitBytes(piece.substr(rest), bytes.substr(rest), true);
            return;
        }
        if (outputColumn > 0) {
            NewLine();
            if (FindBreak(bytes, len - 1)) {
                EmitBytes(piece, bytes, true);
            } else {
                Put(bytes);
            }
            return;
        }
        // Already on a fresh line and still no break point within it: write the piece unbroken
        // up to its first break point, as an overlong line, and go on after it.
        for (int i = 0; i < len; ++i) {
            char c = bytes[static_cast<std::size_t>(i)];
            if (c == ' ' || c == '(' || c == '{') {
                int head = c == ' ' ? i : i + 1;
                std::size_t rest = static_cast<std::size_t>(c == ' ' ? i + 1 : i + 1);
                Put(bytes.substr(0, static_cast<std::size_t>(head)));
                if (rest < bytes.size()) {
                    NewLine();
                    EmitBytes(piece.substr(rest), bytes.substr(rest), true);
                }
                return;
            }
        }
        Put(bytes);
        return;
    }
    NewLine();
    // The line break stands for a leading blank, as it does wherever a line is broken at a blank:
    // a reader turns the break back into one blank, so a blank kept here would be read twice.
    if (!bytes.empty() && bytes.front() == ' ') {
        bytes.remove_prefix(1);
    }
    Put(bytes);
}

void PgnWriter::EmitCommentBytes(std::string_view bytes) {
    for (;;) {
        const int len = static_cast<int>(bytes.size());
        if (outputColumn + len < LineLimit) {
            Put(bytes);
            return;
        }
        // The last blank that keeps the line within 79 bytes, else the first one after it. On a
        // fresh line the first byte is no break: the line before already ends at a blank the
        // break stands for, and an empty line would read back as no blank at all.
        const int first = outputColumn > 0 ? 0 : 1;
        const int limit = LineLimit - 1 - outputColumn;
        int at = -1;
        for (int i = std::min(limit, len - 1); i >= first && at < 0; --i) {
            if (bytes[static_cast<std::size_t>(i)] == ' ') {
                at = i;
            }
        }
        for (int i = std::max(limit + 1, first); i < len && at < 0; ++i) {
            if (bytes[static_cast<std::size_t>(i)] == ' ') {
                at = i;
            }
        }
        if (at < 0) {
            Put(bytes);
            return;
        }
        Put(bytes.substr(0, static_cast<std::size_t>(at)));
        NewLine();
        bytes.remove_prefix(static_cast<std::size_t>(at) + 1);
    }
}

void PgnWriter::EmitComment(std::u16string_view comment) {
    Emit(u" {", true);
    std::u16string text(comment);
    std::replace(text.begin(), text.end(), u'}', u')');
    inComment = true;
    EmitLong(text, false);
    inComment = false;
    Emit(u"}", true);
}

void PgnWriter::EmitLong(std::u16string_view comment, bool breakable) {
    while (comment.size() > LongPiece) {
        std::size_t cut = LongPiece;
        while (cut >= 1 && comment[cut] != u' ') {
            --cut;
        }
        if (cut >= 1) {
            Emit(comment.substr(0, cut), breakable);
            comment.remove_prefix(cut);
        } else {
            Emit(comment.substr(0, LongPiece), breakable);
            comment.remove_prefix(LongPiece);
        }
    }
    Emit(comment, breakable);
}

void PgnWriter::EmitLine(std::u16string_view line) {
    Put(platform::WideToAnsi(line));
}

std::u16string EscapeTagValue(std::u16string_view value) {
    std::u16string out;
    out.reserve(value.size() + 2);
    for (char16_t c : value) {
        if (c == u'"' || c == u'\\') {
            out += u'\\';
            out += c;
        } else if (c == u'\r' || c == u'\n') {
            out += u' ';
        } else {
            out += c;
        }
    }
    return out;
}

void WriteMoves(PgnWriter& writer, const Coup& first, bool withNumber) {
    // A tree built move by move has no depth limit, so the lines still open (the current one
    // and the lines it branched from) are kept in a list of their own, not on the call stack.
    struct Line {
        const Coup* move;        // the next move of the line; null when the line is done
        bool number;             // write a number before it
        bool firstPiece;         // it is the first piece of the line: no leading blank
        const Coup* alternative; // the next variation to open after the move just written
    };
    std::vector<Line> lines{{&first, withNumber, true, nullptr}};
    while (!lines.empty()) {
        Line& line = lines.back();
        if (line.alternative != nullptr) {
            const Coup* alternative = line.alternative;
            line.alternative = NextAlternative(*alternative);
            writer.Emit(u" (", true);
            lines.push_back({alternative, true, true, nullptr});
            continue;
        }
        if (line.move == nullptr) {
            lines.pop_back();
            if (!lines.empty()) {
                writer.Emit(u")", true);
            }
            continue;
        }
        const Coup* move = line.move;
        std::u16string piece = line.firstPiece ? u"" : u" ";
        line.firstPiece = false;
        piece += MoveText(*move, line.number, true);
        writer.Emit(piece, true);

        const Position& after = *move->after;
        if (after.evaluation != 0) {
            writer.Emit(Number(u" $", after.evaluation), true);
        }
        if (after.comment) {
            writer.EmitComment(*after.comment);
        }
        Coup* alternative = IsAlternative(*move) ? nullptr : FirstAlternative(*move);
        if (alternative != nullptr) {
            line.alternative = alternative;
            line.number = true;
        } else {
            // A White move after a Black move carries its number; a Black move right after a
            // White move does not.
            line.number = ColourOf(move->before->PieceAt(move->from)) == Black;
        }
        if (after.comment) {
            line.number = true;
        }
        line.move = after.firstMove.get();
    }
}

std::string WriteGameText(const Partie& partie) {
    std::string out;
    PgnWriter writer(out);
    writer.ResetColumn();

    auto tag = [&](const char16_t* name, const std::optional<std::u16string>& value,
                   const char16_t* none) {
        std::u16string line = u"[";
        line += name;
        line += u" \"";
        line += value ? EscapeTagValue(*value) : std::u16string(none);
        line += u"\"]\r\n";
        writer.EmitLine(line);
    };
    tag(u"Event", partie.event, u"?");
    tag(u"Site", partie.site, u"?");
    tag(u"Date", partie.date, u"????.??.??");
    tag(u"Round", partie.round, u"?");
    tag(u"White", partie.white, u"?");
    tag(u"Black", partie.black, u"?");
    switch (partie.result) {
    case NoResult:
        break;
    case WhiteWins:
        writer.EmitLine(u"[Result \"1-0\"]\r\n");
        break;
    case Draw:
        writer.EmitLine(u"[Result \"1/2-1/2\"]\r\n");
        break;
    case BlackWins:
        writer.EmitLine(u"[Result \"0-1\"]\r\n");
        break;
    default:
        writer.EmitLine(u"[Result \"*\"]\r\n");
        break;
    }
    const Position& start = partie.startPosition;
    if (start.setUp != 0) {
        writer.EmitLine(u"[SetUp \"1\"]\r\n");
        writer.EmitLine(u"[FEN \"" + WriteFen(start) + u"\"]\r\n");
    }
    for (const PGNHeader* header = partie.extraTags.get(); header != nullptr;
         header = header->next.get()) {
        if (ReadsBackAsOwnTag(*header)) {
            continue;
        }
        writer.EmitLine(u"[" + header->tag + u" \"" + EscapeTagValue(header->value) + u"\"]\r\n");
    }
    writer.Emit(u"\r\n", true);

    if (start.comment) {
        writer.EmitComment(*start.comment);
    }
    if (start.firstMove) {
        WriteMoves(writer, *start.firstMove, true);
    }
    switch (partie.result) {
    case NoResult:
        break;
    case WhiteWins:
        writer.Emit(u" 1-0", true);
        break;
    case Draw:
        writer.Emit(u" 1/2-1/2", true);
        break;
    case BlackWins:
        writer.Emit(u" 0-1", true);
        break;
    default:
        writer.Emit(u" *", true);
        break;
    }
    writer.ResetColumn();
    writer.Emit(u"\r\n\r\n", true);
    return out;
}

bool WriteGame(const Partie& partie, platform::File& file) {
    std::string text = WriteGameText(partie);
    return file.Write(text.data(), text.size());
}
