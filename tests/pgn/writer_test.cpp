// The writer's exact bytes: tags, FEN, move numbers, comments, variations and wrapping.
#include <gtest/gtest.h>

#include "chess/fen.h"
#include "pgn/writer.h"
#include "pgn_test_support.h"

using namespace pawnlet;

namespace {

using namespace pgntest;

std::string Header(const char* result = "*") {
    return std::string("[White \"W\"]\r\n[Black \"B\"]\r\n[Result \"") + result + "\"]\r\n\r\n";
}

// The movetext part of the written game (after the tag section's blank line).
std::string Movetext(const std::string& movetext, const char* result = "*") {
    std::string written = Rewrite(Header(result) + movetext + "\r\n");
    std::size_t start = written.find("\r\n\r\n");
    return start == std::string::npos ? "<not loaded>" : written.substr(start + 4);
}

TEST(WriteGame, NewGameWritesSixTagsAndNoResult) {
    Partie partie;
    EXPECT_EQ(WriteGameText(partie), "[Event \"?\"]\r\n"
                                     "[Site \"?\"]\r\n"
                                     "[Date \"????.??.??\"]\r\n"
                                     "[Round \"?\"]\r\n"
                                     "[White \"White\"]\r\n"
                                     "[Black \"Black\"]\r\n"
                                     "\r\n"
                                     "\r\n\r\n");
    partie.SetWhite(std::nullopt);
    partie.SetRound(std::nullopt);
    std::string text = WriteGameText(partie);
    EXPECT_NE(text.find("[White \"?\"]\r\n"), std::string::npos);
    EXPECT_NE(text.find("[Round \"?\"]\r\n"), std::string::npos);
}

TEST(WriteGame, TagsFenAndExtraTagsInOrder) {
    Partie partie;
    ASSERT_EQ(ParseText(ReadBytes(DataFile("setup_position.pgn")), partie), ParseError::NoError);
    AddExtraTag(partie, u"Annotator \"Me\"]");
    AddExtraTag(partie, u"ECO \"B00\"]");
    partie.SetResult(Draw);
    EXPECT_EQ(WriteGameText(partie),
              "[Event \"?\"]\r\n[Site \"?\"]\r\n[Date \"????.??.??\"]\r\n[Round \"?\"]\r\n"
              "[White \"Set\"]\r\n[Black \"Up\"]\r\n[Result \"1/2-1/2\"]\r\n"
              "[SetUp \"1\"]\r\n[FEN \"4k3/8/8/8/8/8/4P3/4K3 w - - 0 40\"]\r\n"
              "[Annotator \"Me\"]\r\n[ECO \"B00\"]\r\n\r\n"
              "40. e4 Kd7 1/2-1/2\r\n\r\n");
}

TEST(WriteGame, TagValuesAreEscapedAndReadBackWhole) {
    std::string written = Rewrite(ReadBytes(DataFile("escaped_quote_in_tag.pgn")));
    EXPECT_NE(written.find("[White \"O\\\"Kelly\"]\r\n"), std::string::npos) << written;
    EXPECT_NE(written.find("[Black \"Back\\\\slash\"]\r\n"), std::string::npos);
    EXPECT_NE(written.find("[Annotator \"A \\\"quoted\\\" name\"]\r\n"), std::string::npos);
    EXPECT_EQ(Rewrite(written), written);

    Partie partie;
    partie.SetEvent(u"two\r\nlines");
    EXPECT_NE(WriteGameText(partie).find("[Event \"two  lines\"]\r\n"), std::string::npos);
}

// Each quoted text reads as the value it was written for, which is written and read again as
// that same value, the second write the same as the first. Each is read both as one of the
// game's own tags and as an extra tag.
TEST(WriteGame, TagValuesKeepTheirValueFromSaveToSave) {
    const struct {
        const char* name;
        std::string quoted; // the tag line after its name
        std::u16string value;
    } cases[] = {
        {"backslash before the closing quote", "\"C:\\\"]", u"C:\\"},
        {"the same with blanks after the bracket", "\"C:\\\"]  \t", u"C:\\"},
        {"escaped quote inside", "\"a\\\"b\"]", u"a\"b"},
        {"escaped backslash", "\"\\\\\"]", u"\\"},
        {"escaped backslash then a lone one", "\"a\\\\\\\"]", u"a\\\\"},
        {"backslashes at the end", "\"a\\\\\\\\\"]", u"a\\\\"},
        {"escaped quote then a bracket inside", "\"a\\\"] b\"]", u"a\"] b"},
        {"escaped quote then a bracket, unterminated", "\"a\\\"]x", u"a\"]x"},
    };
    for (const auto& c : cases) {
        const std::string text = "[White \"W\"]\r\n[Black \"B\"]\r\n[Site " + c.quoted +
                                 "\r\n[Annotator " + c.quoted + "\r\n\r\n1. e4 *\r\n";
        Partie partie;
        ASSERT_EQ(ParseText(text, partie), ParseError::NoError) << c.name;
        ASSERT_TRUE(partie.site.has_value() && partie.extraTags) << c.name;
        EXPECT_EQ(*partie.site, c.value) << c.name;
        EXPECT_EQ(partie.extraTags->value, c.value) << c.name;

        const std::string written = WriteGameText(partie);
        Partie back;
        ASSERT_EQ(ParseText(written, back), ParseError::NoError) << c.name << "\n" << written;
        ASSERT_TRUE(back.site.has_value() && back.extraTags) << c.name;
        EXPECT_EQ(*back.site, c.value) << c.name << "\n" << written;
        EXPECT_EQ(back.extraTags->value, c.value) << c.name << "\n" << written;
        EXPECT_EQ(WriteGameText(back), written) << c.name;
    }
}

TEST(WriteGame, ResultMarkers) {
    const std::pair<const char*, const char*> results[] = {{"1-0", " 1-0\r\n\r\n"},
                                                           {"0-1", " 0-1\r\n\r\n"},
                                                           {"1/2-1/2", " 1/2-1/2\r\n\r\n"},
                                                           {"*", " *\r\n\r\n"}};
    for (const auto& [tag, ending] : results) {
        EXPECT_EQ(Movetext("1. e4", tag), std::string("1. e4") + ending) << tag;
    }
}

struct ShapeCase {
    const char* name;
    std::string movetext;
    std::string written;
};

TEST(WriteMoves, NumbersCommentsAndVariations) {
    const ShapeCase cases[] = {
        {"plain line", "1. e4 e5 2. Nf3 Nc6", "1. e4 e5 2. Nf3 Nc6 *\r\n\r\n"},
        {"comment after white", "1. e4 {Best} e5", "1. e4 {Best} 1... e5 *\r\n\r\n"},
        {"variation numbered", "1. e4 e5 (1... c5 2. Nf3) 2. Nf3",
         "1. e4 e5 (1... c5 2. Nf3) 2. Nf3 *\r\n\r\n"},
        {"opening comment", "{Intro} 1. e4", " {Intro}1. e4 *\r\n\r\n"},
        {"annotations", "1. e4 ! $14 e5 $7", "1. e4 $1 $14 e5 $7 *\r\n\r\n"},
        {"evaluation alone does not renumber", "1. e4 $14 e5", "1. e4 $14 e5 *\r\n\r\n"},
        {"white variation then black", "1. e4 (1. d4) 1... e5", "1. e4 (1. d4) 1... e5 *\r\n\r\n"},
        {"start evaluation not written", "$14 1. e4", "1. e4 *\r\n\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Movetext(c.movetext), c.written) << c.name;
    }
}

// Every line of the movetext, without its CR LF.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find("\r\n", at);
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

TEST(WriteMoves, LongLinesBreakAtBlanksWithin79Bytes) {
    std::string movetext;
    const char* moves[] = {"Nf3", "Nf6", "Ng1", "Ng8"};
    for (int i = 0; i < 60; ++i) {
        movetext += (i % 2 == 0 ? std::to_string(i / 2 + 1) + ". " : "") + moves[i % 4] + " ";
    }
    std::string written = Movetext(movetext);
    auto lines = Lines(written);
    ASSERT_GT(lines.size(), 3u);
    for (const auto& line : lines) {
        EXPECT_LE(line.size(), 79u) << line;
        EXPECT_TRUE(line.empty() || (line.front() != ' ' && line.back() != ' ')) << line;
    }
    EXPECT_EQ(lines[0], "1. Nf3 Nf6 2. Ng1 Ng8 3. Nf3 Nf6 4. Ng1 Ng8 5. Nf3 Nf6 6. Ng1 Ng8 7. Nf3 "
                        "Nf6 8.");
    EXPECT_EQ(lines[1].substr(0, 4), "Ng1 ") << "a blank between number and move can break";
    // Written text reads back to the same text.
    EXPECT_EQ(Rewrite(Rewrite(Header() + movetext)), Rewrite(Header() + movetext));
}

std::string Emitted(const std::vector<std::pair<std::u16string, bool>>& pieces, int column = 0) {
    std::string out;
    PgnWriter writer(out);
    if (column > 0) {
        writer.Emit(std::u16string(static_cast<std::size_t>(column), u'c'), true);
    }
    for (const auto& [piece, breakable] : pieces) {
        writer.Emit(piece, breakable);
    }
    return out;
}

TEST(Emit, WrappingRules) {
    std::u16string word79(79, u'w');
    // A piece that fits goes on the line as it is.
    EXPECT_EQ(Emitted({{u" e4", true}}, 76), std::string(76, 'c') + " e4");
    // A piece that starts with a blank and does not fit breaks at that blank.
    EXPECT_EQ(Emitted({{u" e4", true}}, 77), std::string(77, 'c') + "\r\ne4");
    // A bracket ends the line and the text goes on after it.
    EXPECT_EQ(Emitted({{u"(" + std::u16string(10, u'x'), true}}, 75),
              std::string(75, 'c') + "(\r\n" + std::string(10, 'x'));
    // A bracket that would be the 80th byte goes to the next line.
    EXPECT_EQ(Emitted({{u" (", true}}, 78), std::string(78, 'c') + "\r\n(");
    EXPECT_EQ(Emitted({{u" (", true}}, 77), std::string(77, 'c') + " (");
    // An unbreakable short piece that does not fit starts a new line.
    EXPECT_EQ(Emitted({{u"abc def", false}}, 75), std::string(75, 'c') + "\r\nabc def");
    // A word longer than a line, followed by more text, is written as an overlong line and
    // the rest goes on after it, instead of starting new lines for ever.
    std::string out = Emitted({{word79 + u"www more words", false}}, 10);
    EXPECT_EQ(out, std::string(10, 'c') + "\r\n" + std::string(82, 'w') + "\r\nmore words");
    // A piece with no break point at all is written whole.
    EXPECT_EQ(Emitted({{std::u16string(90, u'z'), true}}, 5),
              std::string(5, 'c') + "\r\n" + std::string(90, 'z'));
}

TEST(Emit, FindBreak) {
    using B = PgnWriter::Break;
    auto same = [](std::optional<B> a, std::optional<B> b) {
        return a.has_value() == b.has_value() &&
               (!a || (a->index == b->index && a->skip == b->skip));
    };
    EXPECT_TRUE(same(PgnWriter::FindBreak("ab cd", 4), B{2, 1}));
    EXPECT_TRUE(same(PgnWriter::FindBreak("ab(cd", 4), B{3, 0}));
    EXPECT_TRUE(same(PgnWriter::FindBreak("ab{cd", 1), std::nullopt));
    EXPECT_TRUE(same(PgnWriter::FindBreak("ab{cd", 2), std::nullopt)) << "leaves 3 bytes";
    EXPECT_TRUE(same(PgnWriter::FindBreak("a {", 2), B{1, 1}));
    EXPECT_TRUE(same(PgnWriter::FindBreak("a {", 3), B{3, 0}));
    EXPECT_TRUE(same(PgnWriter::FindBreak("ab cd", -1), std::nullopt));
}

// A line break of a comment's own text is kept as one CR LF, unless the next line would begin
// like a tag or escape line; either way it reads back as the one blank it stands for.
TEST(EmitComment, LineBreaksOfTheTextAreKeptWhereTheyAreSafe) {
    const struct {
        const char* name;
        std::u16string comment;
        std::string written;
        std::u16string readBack;
    } cases[] = {
        {"line break kept", u"first\r\nsecond", "1. e4 {first\r\nsecond} 1... e5", u"first second"},
        {"lone line feed", u"first\nsecond", "1. e4 {first\r\nsecond} 1... e5", u"first second"},
        {"a run of breaks", u"first\r\n\r\n\nsecond", "1. e4 {first\r\nsecond} 1... e5",
         u"first second"},
        {"before a bracket or a percent sign", u"a\n[%clk 0:01:00]\r\nb\n%c",
         "1. e4 {a [%clk 0:01:00]\r\nb %c} 1... e5", u"a [%clk 0:01:00] b %c"},
        {"at the end", u"last\r\n", "1. e4 {last } 1... e5", u"last "},
    };
    for (const auto& c : cases) {
        Partie partie;
        ASSERT_EQ(ParseText(Header() + "1. e4 e5", partie), ParseError::NoError);
        partie.startPosition.firstMove->after->SetComment(c.comment);
        const std::string written = WriteGameText(partie);
        EXPECT_NE(written.find(c.written), std::string::npos) << c.name << "\n" << written;
        Partie back;
        ASSERT_EQ(ParseText(written, back), ParseError::NoError) << c.name;
        EXPECT_EQ(back.startPosition.firstMove->after->comment, c.readBack) << c.name;
    }
    // The columns count from the line break: the second line is filled up to 79 bytes.
    Partie partie;
    ASSERT_EQ(ParseText(Header() + "1. e4 e5", partie), ParseError::NoError);
    std::u16string words;
    while (words.size() < 100) {
        words += u" word";
    }
    partie.startPosition.firstMove->after->SetComment(std::u16string(70, u'x') + u"\n" +
                                                      words.substr(1));
    const std::string written = WriteGameText(partie);
    const std::string expected =
        "{" + std::string(70, 'x') + "\r\n" + platform::WideToAnsi(words.substr(1, 79)) + "\r\n";
    EXPECT_NE(written.find(expected), std::string::npos) << written;
}

// What no movetext line may be: one that begins with "[" or "%", which other readers and the game
// index take for a tag or escape line; or one longer than 79 bytes that holds a place where the
// writer could have broken it (a blank after its first byte followed by something that may
// begin a line). Empty when every line is right.
std::string LineFault(const std::string& written) {
    const std::size_t body = written.find("\r\n\r\n");
    if (body == std::string::npos) {
        return "no movetext";
    }
    for (const std::string& line : Lines(written.substr(body + 4))) {
        if (!line.empty() && (line.front() == '[' || line.front() == '%')) {
            return "a line begins like a tag or escape line: " + line;
        }
        for (std::size_t i = 1; line.size() > 79 && i + 1 < line.size(); ++i) {
            const char next = line[i + 1];
            if (line[i] == ' ' && next != '[' && next != '%' && next != '}') {
                return "a line of " + std::to_string(line.size()) +
                       " bytes could have been broken at byte " + std::to_string(i) + ": " + line;
            }
        }
    }
    return {};
}

std::u16string Repeated(std::u16string_view text, int times) {
    std::u16string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

// Whatever a comment holds and wherever on the line it starts, it reads back as it was written,
// on lines that read as movetext and keep within 79 bytes where they can: the writer breaks a
// comment only at blanks, which the reader turns back into one blank each, and not where the
// next line would begin with "[" or "%". A comment before it, of every length up to a line and
// more, puts the comment under test at every column.
TEST(EmitComment, EveryCommentReadsBackExactlyOnLinesThatReadAsMovetext) {
    const std::string longWord(300, 'w');
    const std::u16string wideWord(longWord.begin(), longWord.end());
    const struct {
        const char* name;
        std::u16string comment;
    } cases[] = {
        {"clock", u"[%clk 0:02:47]"},
        {"clock and evaluation with a trailing blank", u"[%eval 0.35] [%clk 1:23:45] "},
        {"commands filling lines", Repeated(u"[%clk 0:00:12] [%eval -0.41] ", 6) + u"end"},
        {"percent words", Repeated(u"50% %of the time %% and % ", 8)},
        {"text and brackets",
         Repeated(u"White is better [see note] and [%csl Ga4,Rb5] then %x ", 3)},
        {"two blanks before brackets", Repeated(u"a  [b  %c ", 12)},
        {"no blank that can be broken", Repeated(u"[a %b ", 50) + u"[z"},
        {"a blank alone before a bracket", u"x " + Repeated(u"[", 90) + u" y"},
        {"brackets near the line ends",
         u"see (a b c d e f g h i j k l m n o p q r s t u v w x y z) and {braces {too (and "
         u"again (and again (and (again (and again (and again (and again) ) ) ) ) ) )"},
        {"runs of blanks and tabs",
         u"one  two   three    four\tfive \t six       seven        eight         nine ten "
         u"eleven    twelve     thirteen      fourteen       fifteen        end"},
        {"a word longer than a line then more",
         u"short " + std::u16string(120, u'x') + u" then more words after the long one"},
        {"a word longer than the reader's lines", u"a " + wideWord + u" b"},
        {"a word of 700 bytes then another", std::u16string(700, u'y') + u" tail"},
        {"long prose", Repeated(u"word ", 120) + u"end"},
        {"a trailing blank", u"ends with a blank "},
        {"braces and backslashes", u"a } b \\} c \\d }}"},
    };
    // One scratch folder and a new file for each load: rewriting one file, or making and
    // removing a folder for each load, is many times slower on some file systems.
    const TempDir dir;
    int loads = 0;
    auto load = [&](const std::string& text, Partie& partie) {
        const auto path = dir.File("game" + std::to_string(++loads) + ".pgn", text);
        platform::File file;
        if (!file.Open(U16(path), platform::OpenMode::Read)) {
            return ParseResult(ParseError::OpenFailed);
        }
        LineReader reader(file, 0);
        return ReadGame(partie, reader);
    };
    for (const auto& c : cases) {
        Partie partie;
        ASSERT_EQ(load(Header() + "1. e4 e5 2. Nf3", partie), ParseError::NoError);
        Position& afterE4 = *partie.startPosition.firstMove->after;
        Position& afterE5 = *afterE4.firstMove->after;
        afterE5.SetComment(c.comment);
        for (std::size_t shift = 0; shift < 100; ++shift) {
            const std::u16string before = Repeated(u"pad ", 25).substr(0, shift);
            afterE4.SetComment(shift == 0 ? std::nullopt : std::optional(before));
            const std::string written = WriteGameText(partie);
            const std::string where =
                std::string(c.name) + ", after " + std::to_string(shift) + " bytes\n" + written;
            EXPECT_EQ(LineFault(written), "") << where;
            Partie back;
            ASSERT_EQ(load(written, back), ParseError::NoError) << where;
            const Position& backE4 = *back.startPosition.firstMove->after;
            ASSERT_TRUE(backE4.firstMove && backE4.firstMove->after->comment) << where;
            EXPECT_EQ(*backE4.firstMove->after->comment, c.comment) << where;
            EXPECT_EQ(backE4.comment, afterE4.comment) << where;
            EXPECT_EQ(WriteGameText(back), written) << where;
        }
    }
}

TEST(EmitComment, AClosingBraceInTheTextCannotEndTheComment) {
    Partie partie;
    ASSERT_EQ(ParseText(Header() + "1. e4 e5", partie), ParseError::NoError);
    partie.startPosition.firstMove->after->SetComment(u"a {nested} remark");
    const std::string written = WriteGameText(partie);
    EXPECT_NE(written.find("1. e4 {a {nested\\} remark} 1... e5 *"), std::string::npos) << written;
    Partie back;
    ASSERT_EQ(ParseText(written, back), ParseError::NoError) << written;
    EXPECT_EQ(back.startPosition.firstMove->after->comment, u"a {nested} remark");
    EXPECT_EQ(back.startPosition.firstMove->after->firstMove->to,
              partie.startPosition.firstMove->after->firstMove->to);
}

// Malformed tag lines such as "[White" alone become extra tags named like the game's own tags.
// Written back they would replace those tags (or, as FEN or SetUp, make the game unreadable).
TEST(WriteGame, ExtraTagsNamedLikeOwnTagsAreLeftOut) {
    Partie partie;
    ASSERT_EQ(ParseText("[White \"Real\"]\r\n[Black \"B\"]\r\n[White\r\n[FEN\r\n"
                        "[SetUp  \"1\"]\r\n[SetUp \"0\"]\r\n[Site]\r\n\r\n1. e4 *\r\n",
                        partie),
              ParseError::NoError);
    const std::string written = WriteGameText(partie);
    EXPECT_EQ(written.find("[White \"\"]"), std::string::npos) << written;
    EXPECT_EQ(written.find("[FEN"), std::string::npos) << written;
    EXPECT_EQ(written.find("[SetUp \"1\"]"), std::string::npos) << written;
    // What does not collide is kept: SetUp with another value, and "Site]" as a name.
    EXPECT_NE(written.find("[SetUp \"0\"]\r\n[Site] \"\"]\r\n"), std::string::npos) << written;
    Partie back;
    ASSERT_EQ(ParseText(written, back), ParseError::NoError) << written;
    EXPECT_EQ(back.white, u"Real");
    EXPECT_EQ(back.startPosition.setUp, 0);
    EXPECT_EQ(WriteGameText(back), written);
}

TEST(WriteGame, FailedWriteIsReported) {
    TempDir dir;
    auto path = dir.File("out.pgn", "");
    platform::File file;
    ASSERT_TRUE(file.Open(U16(path), platform::OpenMode::ReadWrite));
    Partie partie;
    Injector injector;
    injector.only = platform::FileOp::Write;
    injector.failAt = 1;
    injector.partialBytes = 10;
    EXPECT_FALSE(WriteGame(partie, file));
    EXPECT_EQ(platform::LastError(), ENOSPC);
}

} // namespace
