// Where games begin and end: the game list and the loader agree, and a save of any listed game
// leaves every byte outside that game's own range as it was.
#include <gtest/gtest.h>

#include <random>

#include "pgn_test_support.h"

using namespace pawnlet;

namespace {

using namespace pgntest;
namespace fs = std::filesystem;

std::string Tags(const std::string& white) {
    return "[Event \"E\"]\n[Site \"S\"]\n[Date \"2026.01.01\"]\n[Round \"1\"]\n[White \"" + white +
           "\"]\n[Black \"B\"]\n[Result \"*\"]\n\n";
}

// Lines that begin with "[" but start no game: a clock comment wrapped onto a line of its own,
// a tag-like line inside a comment, and a piece of a line cut at the reader's limit.
TEST(GameBounds, BracketLinesInsideAGameStartNoGame) {
    const struct {
        const char* name;
        std::string movetext;
    } rows[] = {
        {"clock line", "1. e4 e5 { a\n[%clk 0:02:47] } *\n\n"},
        {"tag line in a comment", "1. e4 { see\n[Event \"Other\"] } *\n\n"},
        {"tag line after an escaped brace", "1. e4 { a \\}\n[Event \"Other\"] } *\n\n"},
        {"bracket after a long line's cut",
         "1. e4\n{" + std::string(254, 'x') + "[White \"cut\"] } *\n\n"},
    };
    for (const auto& row : rows) {
        const std::string bytes = Tags("One") + row.movetext + Tags("Two") + "1. d4 *\n\n";
        TempDir dir;
        const fs::path path = dir.File("g.pgn", bytes);
        const std::vector<std::uint32_t> starts = ListedStarts(path);
        ASSERT_EQ(starts.size(), 2u) << row.name;
        EXPECT_EQ(starts[1], bytes.rfind("[Event")) << row.name;
        EXPECT_EQ(SaveEachGameAndCompare(row.name, bytes, 2), 2) << row.name;
    }
}

// A comment left open ends its game where a whole tag pair follows an empty line.
TEST(GameBounds, UnterminatedCommentEndsAtTheNextGamesTags) {
    const std::string bytes = Tags("One") + "1. e4 {open\n\n" + Tags("Two") + "1. d4 *\n\n" +
                              Tags("Three") + "1. c4 {never closed";
    TempDir dir;
    const fs::path path = dir.File("g.pgn", bytes);
    ASSERT_EQ(ListedStarts(path).size(), 3u);
    EXPECT_EQ(SaveEachGameAndCompare("open comments", bytes, 3), 3);
    // The last game's comment, open at the end of the file, is kept.
    FakeShell shell;
    shell.pick = 2;
    Partie partie;
    ASSERT_EQ(LoadGame(partie, nullptr, U16(path), 0, 0), ParseError::NoError);
    ASSERT_TRUE(partie.startPosition.firstMove);
    EXPECT_EQ(partie.startPosition.firstMove->after->comment, u"never closed");
}

// Text after the result marker on the marker's line is read by no game: a save keeps it.
TEST(GameBounds, TextAfterTheResultMarkerOutlivesASave) {
    const std::string bytes =
        Tags("One") + "1. e4 e5 1-0 {a note after the result}\n\n" + Tags("Two") + "1. d4 *\n\n";
    TempDir dir;
    const fs::path path = dir.File("g.pgn", bytes);
    FakeShell shell;
    Partie partie;
    ASSERT_EQ(LoadGame(partie, nullptr, U16(path), 0, 0), ParseError::NoError);
    partie.changed = true;
    ASSERT_EQ(SaveGame(partie), 0);
    const std::string now = ReadBytes(path);
    EXPECT_NE(now.find("{a note after the result}"), std::string::npos);
    EXPECT_EQ(ListedStarts(path).size(), 2u);
    EXPECT_EQ(SaveEachGameAndCompare("note after the result", bytes, 2), 2);
}

// Pawnlet's own output: a game whose comment holds brackets, written at every column, never
// hides or moves the game after it.
TEST(GameBounds, OwnResaveNeverMovesTheNextGame) {
    for (int column = 0; column < 80; ++column) {
        const std::string second = Tags("Two") + "1. d4 d5 *\n\n";
        const std::string bytes = Tags("One") + "1. e4 e5 *\n\n" + second;
        TempDir dir;
        const fs::path path = dir.File("g.pgn", bytes);
        for (int round = 0; round < 2; ++round) {
            FakeShell shell;
            Partie partie;
            ASSERT_EQ(LoadGame(partie, nullptr, U16(path), 0, 0), ParseError::NoError);
            partie.startPosition.firstMove->after->SetComment(
                std::u16string(static_cast<std::size_t>(column), u'x') +
                u" [%clk 0:02:47] [Note \"here\"] [%eval 0.3] %rest [x]");
            partie.changed = true;
            ASSERT_EQ(SaveGame(partie), 0);
            const std::vector<std::uint32_t> starts = ListedStarts(path);
            ASSERT_EQ(starts.size(), 2u) << "column " << column;
            EXPECT_EQ(starts[1], partie.endOffset) << "column " << column;
            EXPECT_EQ(ReadBytes(path).substr(starts[1]), second) << "column " << column;
        }
    }
}

// Synthetic files with the troubles real files have, placed at random: comments with "["
// lines, lines longer than the reader's, stray braces and NUL bytes.
TEST(GameBounds, SavesOfRandomTroubledFilesKeepTheOtherGames) {
    std::mt19937 random(20261208);
    const std::vector<std::string> troubles = {
        "{ [%clk 0:01:02] }\n",
        "{ see\n[Note \"x\"] }",
        "{",
        std::string(1, '\0'),
        "}",
        "{ long " + std::string(300, 'z') + " [Event \"in\"] }",
        "\n[%eval 0.2]\n",
        "; {\n",
        "(",
        "\n\n[Event \"inside\"]\n",
        std::string(260, 'w') + "[Site \"x\"]",
    };
    int saved = 0;
    for (int file = 0; file < 20; ++file) {
        std::string bytes;
        for (int game = 0; game < 5; ++game) {
            std::string movetext = "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 *";
            const std::size_t at =
                std::uniform_int_distribution<std::size_t>(0, movetext.size() - 1)(random);
            if (random() % 2 == 0) {
                movetext.insert(at, troubles[random() % troubles.size()]);
            }
            bytes += Tags("P" + std::to_string(game)) + movetext + "\n\n";
        }
        saved += SaveEachGameAndCompare("random file " + std::to_string(file), bytes, 5);
    }
    EXPECT_GT(saved, 40);
}

} // namespace
