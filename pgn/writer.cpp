#include "pgn/writer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "chess/fen.h"
#include "chess/position.h"
#include "gametree/coup.h"
#include "gametree/move_text.h"
#include "gametree/tree_ops.h"
#include "pgn/partie.h"
#include "pgn/scan_games.h"
#include "platform/file.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace pawnlet {

namespace {

constexpr int LineLimit = 80; // a line holds fewer bytes than this before its CR LF
constexpr int LongestLine = LineLimit - 1;

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

// Other readers, and the game index, take a line that begins with "[" for a tag line and one
// that begins with "%" for an escape line. Inside a comment no line may begin with its closing
// "}" either: the reader reads the line break before it as nothing, so the blank that the break
// stands for would be lost.
bool MayBeginCommentLine(char c) {
    return c != '[' && c != '%' && c != '}';
}

// A blank of a comment at which its line may be broken: the next line gets something to begin
// with (an empty line reads back as no blank at all), and something that may begin a line.
bool IsCommentBreak(std::string_view bytes, std::size_t i) {
    return bytes[i] == ' ' && i + 1 < bytes.size() && MayBeginCommentLine(bytes[i + 1]);
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
        // The bracket stays on the line: it is one of the bytes before the break.
        if ((c == '(' || c == '{') && i < index) {
            return Break{i + 1, 0};
        }
    }
    return std::nullopt;
}

void PgnWriter::Put(std::string_view bytes) {
    text.append(bytes);
    std::size_t brk = bytes.find_last_of("\r\n");
    if (brk != std::string_view::npos) {
        outputColumn = static_cast<int>(bytes.size() - brk - 1);
    } else {
        outputColumn += static_cast<int>(bytes.size());
    }
}

void PgnWriter::NewLine() {
    text.append("\r\n");
    outputColumn = 0;
}

void PgnWriter::Emit(std::u16string_view piece, bool breakable) {
    EmitBytes(platform::Encode(piece, encoding), breakable);
}

void PgnWriter::EmitBytes(std::string_view bytes, bool breakable) {
    int len = static_cast<int>(bytes.size());
    if (outputColumn + len < LineLimit) {
        Put(bytes);
        return;
    }
    if (breakable || len >= LineLimit) {
        int limit = (breakable ? LongestLine : LongestLine - 1) - outputColumn;
        if (auto b = FindBreak(bytes, limit)) {
            std::size_t rest = static_cast<std::size_t>(b->index + b->skip);
            if (b->index > 0 || outputColumn > 0) {
                Put(bytes.substr(0, static_cast<std::size_t>(b->index)));
                NewLine();
            }
            // On a fresh line a leading blank is simply dropped: breaking there would leave an
            // empty line.
            EmitBytes(bytes.substr(rest), true);
            return;
        }
        if (outputColumn > 0) {
            NewLine();
            // A leading blank is left here only after an overlong word, where no break fits on
            // the line at all; the line break stands for it.
            if (!bytes.empty() && bytes.front() == ' ') {
                bytes.remove_prefix(1);
            }
            if (FindBreak(bytes, static_cast<int>(bytes.size()))) {
                EmitBytes(bytes, true);
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
                std::size_t rest = static_cast<std::size_t>(i + 1);
                Put(bytes.substr(0, static_cast<std::size_t>(head)));
                if (rest < bytes.size()) {
                    NewLine();
                    EmitBytes(bytes.substr(rest), true);
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

// One line of a comment's own text, taken whole: whether a blank may be a break depends on what
// follows it, so the text is never cut into pieces before its breaks are chosen.
void PgnWriter::EmitCommentLine(std::string_view bytes) {
    for (;;) {
        const int len = static_cast<int>(bytes.size());
        if (outputColumn + len <= LongestLine) {
            Put(bytes);
            return;
        }
        // The last break that keeps the line within 79 bytes, else the first one after it. On a
        // fresh line the first byte is no break: the line before already ends at a break that
        // stands for a blank, and an empty line would read back as no blank at all.
        const int first = outputColumn > 0 ? 0 : 1;
        const int limit = LongestLine - outputColumn;
        int at = -1;
        for (int i = std::min(limit, len - 1); i >= first && at < 0; --i) {
            if (IsCommentBreak(bytes, static_cast<std::size_t>(i))) {
                at = i;
            }
        }
        for (int i = std::max(limit + 1, first); i < len && at < 0; ++i) {
            if (IsCommentBreak(bytes, static_cast<std::size_t>(i))) {
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
    std::string bytes;
    {
        // A brace of the text is written "\}", which reads back as that brace.
        const std::string encoded = platform::Encode(comment, encoding);
        bytes.reserve(encoded.size() + 2);
        for (char c : encoded) {
            if (c == '}') {
                bytes += '\\';
            }
            bytes += c;
        }
    }
    // The text's own line breaks. A run of them reads back as one blank, as a single break does,
    // and is written as one line break ("\n" here): an empty line inside the movetext would look
    // like the end of the game. Where the next line could not begin with what follows the run,
    // it is written as the blank it reads back as.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        if (bytes[i] != '\r' && bytes[i] != '\n') {
            bytes[kept++] = bytes[i++];
            continue;
        }
        while (i < bytes.size() && (bytes[i] == '\r' || bytes[i] == '\n')) {
            ++i;
        }
        bytes[kept++] = i < bytes.size() && MayBeginCommentLine(bytes[i]) ? '\n' : ' ';
    }
    bytes.resize(kept);
    // A backslash right before the closing brace would make it a brace of the text when read
    // back: a blank keeps the comment closed.
    if (!bytes.empty() && bytes.back() == '\\') {
        bytes += ' ';
    }
    bytes += '}';
    const std::string_view text(bytes);

    // The brace goes with the text up to its first break: when that does not fit, the line is
    // broken before the brace rather than after it, where a text that begins with "[" or "%"
    // could not go on.
    const std::string_view opening = text.substr(0, text.find('\n'));
    std::size_t head = 0;
    while (head < opening.size() && !IsCommentBreak(opening, head)) {
        ++head;
    }
    if (outputColumn > 0 && outputColumn + 2 + static_cast<int>(head) > LongestLine) {
        NewLine();
        Put("{");
    } else {
        Put(" {");
    }
    for (std::size_t at = 0;;) {
        const std::size_t end = text.find('\n', at);
        EmitCommentLine(text.substr(at, end == std::string_view::npos ? end : end - at));
        if (end == std::string_view::npos) {
            return;
        }
        NewLine();
        at = end + 1;
    }
}

void PgnWriter::EmitLine(std::u16string_view line) {
    Put(platform::Encode(line, encoding));
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
    PgnWriter writer(out, partie.encoding);
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
    if (partie.result != NoResult) {
        writer.EmitLine(u"[Result \"" + std::u16string(partie.ResultText(false)) + u"\"]\r\n");
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
    if (partie.result != NoResult) {
        writer.Emit(u" " + std::u16string(partie.ResultText(false)), true);
    }
    writer.ResetColumn();
    writer.Emit(u"\r\n\r\n", true);
    return out;
}

std::optional<char32_t> FirstCharacterNotHeld(const Partie& partie,
                                              platform::TextEncoding encoding) {
    std::optional<char32_t> found;
    auto look = [&](const std::optional<std::u16string>& text) {
        if (!found && text) {
            found = platform::FirstCharacterNotHeld(*text, encoding);
        }
    };
    for (const auto* text :
         {&partie.event, &partie.site, &partie.date, &partie.round, &partie.white, &partie.black}) {
        look(*text);
    }
    for (const PGNHeader* header = partie.extraTags.get(); header != nullptr && !found;
         header = header->next.get()) {
        look(header->tag);
        look(header->value);
    }
    std::vector<const Position*> left{&partie.startPosition};
    while (!left.empty() && !found) {
        const Position* position = left.back();
        left.pop_back();
        look(position->comment);
        for (const Coup* move = position->firstMove.get(); move != nullptr;
             move = move->next.get()) {
            left.push_back(move->after.get());
        }
    }
    return found;
}

platform::TextEncoding EncodingWith(const Partie& partie, std::u16string_view text) {
    using platform::TextEncoding;
    if (partie.encoding != TextEncoding::Ascii) {
        return partie.encoding;
    }
    bool ascii = true;
    for (char16_t c : text) {
        ascii = ascii && c < 0x80;
    }
    if (ascii) {
        return TextEncoding::Ascii;
    }
    platform::File file;
    if (!partie.hasFile || !file.Open(partie.path, platform::OpenMode::Read)) {
        return TextEncoding::Utf8;
    }
    bool anyAnsi = false;
    bool anyUtf8 = false;
    std::int32_t count = 0;
    (void)ScanGameBytes(file, count, [&](const ScannedGame& game, std::uint64_t) {
        anyAnsi = anyAnsi || game.encoding == TextEncoding::Ansi;
        anyUtf8 = anyUtf8 || game.encoding == TextEncoding::Utf8;
    });
    return anyAnsi && !anyUtf8 ? TextEncoding::Ansi : TextEncoding::Utf8;
}

std::u16string CharacterNotHeldText(char32_t character, platform::TextEncoding encoding) {
    std::u16string shown;
    if (character >= 0x10000 && character <= 0x10FFFF) {
        shown += static_cast<char16_t>(0xD800 + ((character - 0x10000) >> 10));
        shown += static_cast<char16_t>(0xDC00 + ((character - 0x10000) & 0x3FF));
    } else if (character < 0xD800 || character >= 0xE000) {
        shown += static_cast<char16_t>(character);
    }
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
    std::u16string text = u"The character ";
    if (!shown.empty()) {
        text.append(u"\"").append(shown).append(u"\" ");
    }
    text.append(u"(").append(platform::FromUtf8(code)).append(u") cannot be written in ");
    text.append(platform::EncodingName(encoding));
    text.append(u", the encoding of this game's text in its file.");
    return text;
}

bool WriteGame(const Partie& partie, platform::File& file) {
    if (auto character = FirstCharacterNotHeld(partie, partie.encoding)) {
        platform::CurrentShell().MessageBox(
            nullptr, CharacterNotHeldText(*character, partie.encoding) + u" Nothing was written.",
            u"Unable to save game", platform::Icon::Stop, platform::Buttons::Ok);
        platform::SetLastError(EILSEQ);
        return false;
    }
    std::string text = WriteGameText(partie);
    return file.Write(text.data(), text.size());
}

} // namespace pawnlet
