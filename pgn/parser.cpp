#include "pgn/parser.h"

#include <algorithm>

#include "chess/position.h"
#include "gametree/annotations.h"
#include "pgn/line_reader.h"
#include "platform/debug.h"
#include "platform/text.h"

namespace pawnlet {

namespace {

constexpr int BadTokenLength = 20;

bool IsMoveChar(char16_t c) {
    // "abcdefgh012345678RNBQKO-x+#=": the digit 9 is not among them.
    return (c >= u'a' && c <= u'h') || (c >= u'0' && c <= u'8') || c == u'R' || c == u'N' ||
           c == u'B' || c == u'Q' || c == u'K' || c == u'O' || c == u'-' || c == u'x' ||
           c == u'+' || c == u'#' || c == u'=';
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// An assessment glyph as the line holds it: the line's bytes widened as Windows-1252, so that
// the UTF-8 forms of the Unicode glyphs are matched as their bytes, whatever the game's
// encoding turns out to be. Longer glyphs come first: "+/=" before "+=", "+=" before "=".
struct AssessmentGlyph {
    std::u16string_view text;
    int nag;
};
constexpr AssessmentGlyph AssessmentGlyphs[] = {
    {u"+/-", 16},
    {u"-/+", 17},
    {u"+/=", 14},
    {u"=/+", 15},
    {u"+-", 18},
    {u"-+", 19},
    {u"+=", 14},
    {u"=+", 15},
    {u"=", 10},
    {u"\u00B1", 16},             // "±" in Windows-1252
    {u"\u00C2\u00B1", 16},       // "±" in UTF-8
    {u"\u00E2\u02C6\u201C", 17}, // "∓" in UTF-8
    {u"\u00E2\u00A9\u00B2", 14}, // "⩲" in UTF-8
    {u"\u00E2\u00A9\u00B1", 15}, // "⩱" in UTF-8
    {u"\u00E2\u02C6\u017E", 13}, // "∞" in UTF-8
};

// What may follow a glyph: it is a token of its own, not the beginning of a longer one.
bool EndsGlyph(char16_t c) {
    return c == 0 || c == u' ' || c == u'\t' || c == u'{' || c == u'}' || c == u'(' || c == u')' ||
           c == u';' || c == u'$' || c == u'!' || c == u'?';
}

// The annotation of the glyph that stands at `text` and ends there as a token, with its
// length; 0 when there is none.
int GlyphAt(const char16_t* text, int& length) {
    for (const AssessmentGlyph& glyph : AssessmentGlyphs) {
        // The text is zero-terminated and no glyph holds a zero: the comparison stops at the
        // first character that differs, never past the end of the line.
        std::size_t n = 0;
        while (n < glyph.text.size() && text[n] == glyph.text[n]) {
            ++n;
        }
        if (n == glyph.text.size() && EndsGlyph(text[n])) {
            length = static_cast<int>(n);
            return glyph.nag;
        }
    }
    return 0;
}

// The last character of a glyph made of move chars: "+", "-" or "=".
bool EndsMoveCharGlyph(char16_t c) {
    const unsigned offset = static_cast<unsigned>(c) - u'+';
    constexpr unsigned ends = 1u << 0 | 1u << (u'-' - u'+') | 1u << (u'=' - u'+');
    return offset <= u'=' - u'+' && ((ends >> offset) & 1u) != 0;
}

// The rare part of GluedGlyphAt, out of the tokenizer's hot path.
[[gnu::noinline]] int FindGluedGlyph(const char16_t* line, int start, int end) {
    const char16_t next = line[end];
    if (next == u'/' || next >= 0x80) {
        // The first place that starts a glyph reaching the move's end wins, so a check sign
        // before "/-" belongs to "+/-".
        for (int i = start + 1; i <= end; ++i) {
            int length = 0;
            if (GlyphAt(line + i, length) != 0 && i + length >= end) {
                return i;
            }
        }
        return end;
    }
    const char16_t last = line[end - 1];
    if (!EndsGlyph(next) || !EndsMoveCharGlyph(last)) {
        return end;
    }
    const char16_t before = end - 2 > start ? line[end - 2] : u'\0';
    // "+-", "-+", "+=", "=+"; a lone "=" after anything else.
    if ((before == u'+' && last != u'+') || (before == u'-' && last == u'+') ||
        (before == u'=' && last == u'+')) {
        return end - 2;
    }
    return last == u'=' ? end - 1 : end;
}

// Where a glyph glued to the move chars [start, end) begins, or `end` when none does. Moves are
// most of the text: one that is followed by a blank or the line's end and does not end in
// "+", "-" or "=" is told apart at once.
inline int GluedGlyphAt(const char16_t* line, int start, int end) {
    const char16_t last = line[end - 1];
    // "-" and "=" are the only characters that "| 0x10" turns into "=".
    if (line[end] <= u' ' && (last | 0x10) != u'=' && last != u'+') {
        return end;
    }
    return FindGluedGlyph(line, start, end);
}

void SetNag(std::u16string& token, int nag) {
    token = u"$";
    token += static_cast<char16_t>(u'0' + nag / 10);
    token += static_cast<char16_t>(u'0' + nag % 10);
}

} // namespace

Parser::Parser(LineReader& lineReader, std::string_view firstLine)
    : Parser(lineReader, firstLine, GameBounds::AfterMovetext(firstLine)) {}

Parser::Parser(LineReader& lineReader, std::string_view firstLine, const GameBounds& gameBounds)
    : reader(lineReader), bounds(gameBounds) {
    currentLineOffset = reader.LineOffset();
    endsAtBreak = reader.Offset() > currentLineOffset + firstLine.size();
    SetLine(firstLine);
    pos = 0;
}

void Parser::SetLine(std::string_view bytes) {
    // A NUL byte ends the line, as the end of the text does.
    std::size_t n = std::min<std::size_t>(bytes.size(), LineCapacity - 1);
    if (!reader.MayHoldHighByte()) {
        // The common case: a plain widening, which the compiler does many bytes at a time.
        for (std::size_t i = 0; i < n; ++i) {
            line[i] = static_cast<unsigned char>(bytes[i]);
        }
        if (textCheck.Pending()) {
            textCheck.Feed(bytes.substr(0, n), reader.StartsLine());
        }
    } else {
        for (std::size_t i = 0; i < n; ++i) {
            line[i] = platform::AnsiToWideChar(static_cast<unsigned char>(bytes[i]));
        }
        textCheck.Feed(bytes.substr(0, n), reader.StartsLine());
    }
    line[n] = 0;
}

bool Parser::ReadNextLine(std::string_view& bytes) {
    if (stoppedAtTag || !reader.Next(bytes)) {
        return false;
    }
    role = bounds.FeedFrom(reader, bytes);
    if (role == LineRole::SectionStart) {
        stoppedAtTag = true;
        tagLineOffset = reader.LineOffset();
        return false;
    }
    currentLineOffset = reader.LineOffset();
    // The reader consumed a line break after the line exactly when it moved past its bytes.
    endsAtBreak = reader.Offset() > currentLineOffset + bytes.size();
    return true;
}

TokenKind Parser::NextToken(std::u16string& token) {
    token.clear();
    if (stoppedAtTag) {
        // Once the next game's tags have begun, every level of variation ends here too,
        // without reading further lines.
        return TokenKind::GameEnd;
    }
    if (pos == -1) {
        std::string_view bytes;
        if (!ReadNextLine(bytes)) {
            return TokenKind::GameEnd;
        }
        if (role == LineRole::Escape) {
            return TokenKind::Space;
        }
        SetLine(bytes);
        pos = 0;
    }

    char16_t c = line[pos];
    char16_t next = c != 0 ? line[pos + 1] : 0;
    switch (c) {
    case 0:
        pos = -1;
        return TokenKind::Space;
    case u' ':
    case u'\t':
        while (line[pos] == u' ' || line[pos] == u'\t') {
            ++pos;
        }
        return TokenKind::Space;
    case u'{':
        ++pos;
        return TokenKind::CommentStart;
    case u';':
        ++pos;
        return TokenKind::LineComment;
    case u'(':
        ++pos;
        return TokenKind::VariationStart;
    case u')':
        ++pos;
        return TokenKind::VariationEnd;
    case u'*':
        return TokenKind::GameEnd;
    case u'.':
        while (line[pos] == u'.') {
            ++pos;
        }
        return TokenKind::Space;
    case u'$': {
        const int start = pos++;
        while (IsDigit(line[pos])) {
            ++pos;
        }
        token.assign(line + start, line + pos);
        return TokenKind::Nag;
    }
    case u'!':
    case u'?':
        token += line[pos++];
        if (line[pos] == u'!' || line[pos] == u'?') {
            token += line[pos++];
        }
        GlyphToNag(token);
        return TokenKind::Nag;
    default:
        break;
    }

    if (c == u'1' && (next == u'-' || next == u'/')) {
        return TokenKind::GameEnd;
    }
    if (c == u'0' && !(next == u'-' && line[pos + 2] == u'0')) {
        return TokenKind::GameEnd;
    }
    const int start = pos;
    if (c >= u'1' && c <= u'9') {
        while (IsDigit(line[pos])) {
            ++pos;
        }
        while (line[pos] == u'.') {
            ++pos;
        }
        token.assign(line + start, line + pos);
        return TokenKind::MoveNumber;
    }
    if (c == u'0' || c == u'B' || c == u'K' || c == u'N' || c == u'O' || c == u'Q' || c == u'R' ||
        (c >= u'a' && c <= u'h')) {
        ++pos;
        while (IsMoveChar(line[pos])) {
            ++pos;
        }
        // A glyph glued to the move ("e4+-", "Nf3=", "e8=Q±") ends it; the move stops where
        // the glyph begins, which the next call reads as an annotation.
        pos = GluedGlyphAt(line, start, pos);
        token.assign(line + start, line + pos);
        return TokenKind::Move;
    }
    if (int length = 0; const int nag = GlyphAt(line + pos, length)) {
        pos += length;
        SetNag(token, nag);
        return TokenKind::Nag;
    }
    for (int i = pos; i < pos + BadTokenLength && line[i] != 0; ++i) {
        token += line[i];
    }
    return TokenKind::BadToken;
}

std::u16string Parser::TakeLineComment() {
    std::u16string text(line + pos);
    pos = -1;
    std::string_view bytes;
    while (reader.CutForLength() && !endsAtBreak && ReadNextLine(bytes)) {
        SetLine(bytes);
        text += line;
    }
    return text;
}

void AddComment(Position& position, std::u16string text) {
    if (position.comment && !position.comment->empty()) {
        if (text.empty()) {
            return;
        }
        text = *position.comment + u" " + text;
    }
    position.SetComment(std::move(text));
}

namespace {

std::u16string WithoutLeadingBlanks(const std::u16string& text) {
    std::size_t first = text.find_first_not_of(u" \t");
    return first == std::u16string::npos ? std::u16string() : text.substr(first);
}

} // namespace

bool ReadComment(Parser& parser, Position& position) {
    std::u16string text;
    for (;;) {
        bool freshLine = false;
        bool afterBreak = false;
        if (parser.Pos() == -1) {
            afterBreak = parser.LineEndsAtBreak();
            std::string_view bytes;
            if (!parser.ReadNextLine(bytes)) {
                // The game's text ends inside the comment: keep what it holds.
                platform::DebugOutput(std::u16string_view(u"Commentaire non terminé\n"));
                AddComment(position, WithoutLeadingBlanks(text));
                return true;
            }
            // Inside a comment a line that begins with "[" is ordinary text.
            parser.SetLine(bytes);
            parser.SetPos(0);
            freshLine = true;
        }
        const char16_t* line = parser.Line();
        int pos = parser.Pos();
        // Every line break inside the comment becomes one blank.
        if (freshLine && afterBreak && line[0] != 0 && line[0] != u'}') {
            text += u' ';
        }
        const char16_t* start = line + pos;
        const char16_t* stop = start;
        // "\}" is a brace of the text, not the comment's end; the game bounds read it alike.
        while (*stop != 0 && (*stop != u'}' || (stop > start && stop[-1] == u'\\'))) {
            if (*stop == u'}') {
                text.append(start, stop - 1);
                start = stop;
            }
            ++stop;
        }
        text.append(start, stop);
        if (*stop == u'}') {
            AddComment(position, WithoutLeadingBlanks(text));
            parser.SetPos(static_cast<int>(stop - line) + 1);
            return true;
        }
        parser.SetPos(-1);
    }
}

} // namespace pawnlet
