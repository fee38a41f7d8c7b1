// Tokens of movetext, and brace comments across lines.
#include <gtest/gtest.h>

#include <memory>

#include "chess/position.h"
#include "pgn/parser.h"
#include "pgn_test_support.h"

using namespace pawnlet;

namespace {

using namespace pgntest;

struct Token {
    TokenKind kind;
    std::u16string text;
    bool operator==(const Token&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Token& token) {
    return out << static_cast<int>(token.kind) << ":" << platform::ToUtf8(token.text);
}

// A parser standing on the first line of a file that holds `text`.
struct ParserOnText {
    explicit ParserOnText(const std::string& text) {
        opened = file.Open(U16(dir.File("movetext.pgn", text)), platform::OpenMode::Read);
        reader = std::make_unique<LineReader>(file, 0);
        std::string_view first;
        hasFirstLine = reader->Next(first);
        parser = std::make_unique<Parser>(*reader, first);
    }

    TempDir dir;
    platform::File file;
    std::unique_ptr<LineReader> reader;
    std::unique_ptr<Parser> parser;
    bool opened = false;
    bool hasFirstLine = false;
};

// The tokens of `text` up to the first GameEnd or BadToken, without the blanks.
std::vector<Token> Tokens(const std::string& text) {
    ParserOnText on(text);
    EXPECT_TRUE(on.opened);
    EXPECT_TRUE(on.hasFirstLine);
    Parser& parser = *on.parser;
    std::vector<Token> tokens;
    std::u16string token;
    for (int guard = 0; guard < 100; ++guard) {
        TokenKind kind = parser.NextToken(token);
        if (kind == TokenKind::Space) {
            continue;
        }
        tokens.push_back({kind, token});
        if (kind == TokenKind::GameEnd || kind == TokenKind::BadToken) {
            break;
        }
    }
    return tokens;
}

constexpr auto Number = TokenKind::MoveNumber;
constexpr auto Move = TokenKind::Move;
constexpr auto Nag = TokenKind::Nag;
constexpr auto End = TokenKind::GameEnd;
constexpr auto Bad = TokenKind::BadToken;

struct TokenCase {
    const char* name;
    std::string input;
    std::vector<Token> tokens;
};

TEST(Tokenizer, CutsMovetextIntoTokens) {
    // A row per case, the tokens packed as the text reads them.
    // clang-format off
    const TokenCase cases[] = {
        {"number then move", "12.e4", {{Number, u"12."}, {Move, u"e4"}, {End, u""}}},
        {"black number", "12...Nf6", {{Number, u"12..."}, {Move, u"Nf6"}, {End, u""}}},
        {"glyph after move", "e4!?", {{Move, u"e4"}, {Nag, u"$5"}, {End, u""}}},
        {"numeric annotation", "Nf3 $14", {{Move, u"Nf3"}, {Nag, u"$14"}, {End, u""}}},
        {"castling with zeros", "0-0-0 O-O-O", {{Move, u"0-0-0"}, {Move, u"O-O-O"}, {End, u""}}},
        {"white wins", "0-1", {{End, u""}}},
        {"black wins", "1-0", {{End, u""}}},
        {"draw", "1/2-1/2", {{End, u""}}},
        {"unfinished", "*", {{End, u""}}},
        {"promotion capture check", "exd8=Q+", {{Move, u"exd8=Q+"}, {End, u""}}},
        {"two glyphs", "Qh5?? !", {{Move, u"Qh5"}, {Nag, u"$4"}, {Nag, u"$1"}, {End, u""}}},
        {"pawn letter", "Pe4 e5 Nf3 Nc6 Bb5 a6", {{Bad, u"Pe4 e5 Nf3 Nc6 Bb5 a"}}},
        {"capture mark first", "xd5", {{Bad, u"xd5"}}},
        {"lone dash", "- e4", {{Bad, u"- e4"}}},
        {"nine ends a move", "e9", {{Move, u"e"}, {Number, u"9"}, {End, u""}}},
        {"brackets",
         "{c} ( ) ;x",
         {{TokenKind::CommentStart, u""}, {Move, u"c"}, {Bad, u"} ( ) ;x"}}},
        {"dollar alone", "$ e4", {{Nag, u"$"}, {Move, u"e4"}, {End, u""}}},
        {"text assessments apart",
         "e4 += e5 =+ Nf3 +/= Nc6 =/+ Bb5 +/- a6 -/+ Ba4 +- Nf6 -+ O-O = Be7",
         {{Move, u"e4"}, {Nag, u"$14"},  {Move, u"e5"},  {Nag, u"$15"},  {Move, u"Nf3"},
          {Nag, u"$14"}, {Move, u"Nc6"}, {Nag, u"$15"},  {Move, u"Bb5"}, {Nag, u"$16"},
          {Move, u"a6"}, {Nag, u"$17"},  {Move, u"Ba4"}, {Nag, u"$18"},  {Move, u"Nf6"},
          {Nag, u"$19"}, {Move, u"O-O"}, {Nag, u"$10"},  {Move, u"Be7"}, {End, u""}}},
        {"text assessments glued",
         "e4+- e5-+ Qh5+= O-O-O+/- exd8=Q=+ Kf1= Nf3+/={c}",
         {{Move, u"e4"},
          {Nag, u"$18"},
          {Move, u"e5"},
          {Nag, u"$19"},
          {Move, u"Qh5"},
          {Nag, u"$14"},
          {Move, u"O-O-O"},
          {Nag, u"$16"},
          {Move, u"exd8=Q"},
          {Nag, u"$15"},
          {Move, u"Kf1"},
          {Nag, u"$10"},
          {Move, u"Nf3"},
          {Nag, u"$14"},
          {TokenKind::CommentStart, u""},
          {Move, u"c"},
          {Bad, u"}"}}},
        {"plus-minus in Windows-1252, apart and glued",
         "e4 \xB1 e5\xB1 *",
         {{Move, u"e4"}, {Nag, u"$16"}, {Move, u"e5"}, {Nag, u"$16"}, {End, u""}}},
        {"Unicode glyphs in UTF-8, apart and glued",
         "e4 \u00B1 e5\u2213 Nf3 \u2A72 Nc6\u2A71 Bb5 \u221E a6\u221E *",
         {{Move, u"e4"},
          {Nag, u"$16"},
          {Move, u"e5"},
          {Nag, u"$17"},
          {Move, u"Nf3"},
          {Nag, u"$14"},
          {Move, u"Nc6"},
          {Nag, u"$15"},
          {Move, u"Bb5"},
          {Nag, u"$13"},
          {Move, u"a6"},
          {Nag, u"$13"},
          {End, u""}}},
        {"a glyph that runs into more text stays refused",
         "e4 +-x",
         {{Move, u"e4"}, {Bad, u"+-x"}}},
        {"null move refused", "e4 -- e5", {{Move, u"e4"}, {Bad, u"-- e5"}}},
        {"long algebraic stays one move",
         "e2-e4 e7-e5",
         {{Move, u"e2-e4"}, {Move, u"e7-e5"}, {End, u""}}},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(Tokens(c.input), c.tokens) << c.name;
    }
}

TEST(Tokenizer, NextGameTagLineEndsTheGameAndEveryLevelAfterIt) {
    std::string text = "1. e4 (1. d4\r\n[Event \"next\"]\r\n[White \"x\"]\r\n";
    ParserOnText on(text);
    ASSERT_TRUE(on.opened);
    ASSERT_TRUE(on.hasFirstLine);
    Parser& parser = *on.parser;
    std::u16string token;
    TokenKind kind;
    while ((kind = parser.NextToken(token)) != TokenKind::GameEnd) {
    }
    EXPECT_TRUE(parser.StoppedAtTagLine());
    EXPECT_EQ(parser.TagLineOffset(), text.find("[Event"));
    // An enclosing level asking again gets the end at once, without reading the next line.
    std::uint64_t after = on.reader->Offset();
    EXPECT_EQ(parser.NextToken(token), TokenKind::GameEnd);
    EXPECT_EQ(on.reader->Offset(), after);
}

struct CommentCase {
    const char* name;
    std::string text; // begins just after the opening brace
    std::optional<std::u16string> comment;
};

TEST(ReadComment, CollectsTheTextAcrossLines) {
    const CommentCase cases[] = {
        {"two lines", "{a\r\nb} e4", u"a b"},
        {"leading blanks dropped, trailing kept", "{  \tword } e4", u"word "},
        {"empty braces", "{} e4", u""},
        {"tag-like line inside", "{see\r\n[Event \"x\"] too}", u"see [Event \"x\"] too"},
        {"brace starting a line adds no blank", "{end\r\n}", u"end"},
        {"open at the end of the file keeps its text", "{never closed\r\nstill",
         u"never closed still"},
        {"open where the next game's tags follow an empty line",
         "{open\r\n\r\n[Event \"Next\"]\r\n", u"open"},
        {"empty lines between count once", "{a\r\n\r\n\nb}", u"a b"},
        // The reader cuts lines of more than 255 bytes; such a cut is not a line break.
        {"long word cut by the reader stays whole", "{" + std::string(300, 'w') + "}",
         std::u16string(300, u'w')},
        {"long line cut at a blank keeps one blank",
         "{" + std::string(200, 'x') + " " + std::string(100, 'y') + "}",
         std::u16string(200, u'x') + u" " + std::u16string(100, u'y')},
        {"escaped braces are text", "{a \\} b \\}} e4", u"a } b }"},
        {"a backslash elsewhere is text", "{C:\\dir \\\\}} e4", u"C:\\dir \\}"},
        {"long line of runs of blanks keeps them",
         "{" + std::string(250, 'z') + "   " + std::string(60, 'q') + "}",
         std::u16string(250, u'z') + u"   " + std::u16string(60, u'q')},
    };
    for (const auto& c : cases) {
        ParserOnText on(c.text);
        ASSERT_TRUE(on.opened);
        ASSERT_TRUE(on.hasFirstLine);
        Parser& parser = *on.parser;
        std::u16string token;
        ASSERT_EQ(parser.NextToken(token), TokenKind::CommentStart) << c.name;
        Position position;
        EXPECT_TRUE(ReadComment(parser, position)) << c.name;
        EXPECT_EQ(position.comment, c.comment) << c.name;
    }
}

} // namespace
