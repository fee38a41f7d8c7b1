// The game list index: entries, their fields and their offsets.
#include <gtest/gtest.h>

#include "pgn/scan_games.h"
#include "pgn_test_support.h"

using namespace pawnlet;

namespace {

using namespace pgntest;

struct Found {
    std::unique_ptr<GameListEntry> entry;
    std::uint64_t after; // offset just after the game's first movetext line
};

std::vector<Found> Scan(const std::string& bytes, std::int32_t& counter) {
    TempDir dir;
    auto path = dir.File("scan.pgn", bytes);
    platform::File file;
    EXPECT_TRUE(file.Open(U16(path), platform::OpenMode::Read));
    std::vector<Found> found;
    EXPECT_TRUE(ScanGames(file, counter, [&](std::unique_ptr<GameListEntry> e, std::uint64_t at) {
        found.push_back({std::move(e), at});
    }));
    return found;
}

std::vector<Found> Scan(const std::string& bytes) {
    std::int32_t counter = 0;
    return Scan(bytes, counter);
}

TEST(ScanGames, DeliversEveryCompleteGameWithItsFieldsAndOffsets) {
    std::string bytes = ReadBytes(DataFile("three_games.pgn"));
    std::int32_t counter = 5;
    auto games = Scan(bytes, counter);
    ASSERT_EQ(games.size(), 3u);
    EXPECT_EQ(counter, 8) << "the counter grows and is not reset";

    const GameListEntry& first = *games[0].entry;
    EXPECT_EQ(first.startOffset, 0u);
    EXPECT_EQ(first.white, u"Alpha");
    EXPECT_EQ(first.black, u"Beta");
    EXPECT_EQ(first.event, u"First");
    EXPECT_EQ(first.site, u"Here");
    EXPECT_EQ(first.date, u"2024.01.01");
    EXPECT_EQ(first.round, u"1");
    EXPECT_EQ(first.eco, u"C20");
    EXPECT_EQ(first.result, WhiteWins);
    EXPECT_EQ(first.firstMoves, u"1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 ");
    std::size_t firstMovetext = bytes.find("1. e4");
    EXPECT_EQ(games[0].after, bytes.find("\r\n", firstMovetext) + 4);

    EXPECT_EQ(games[1].entry->startOffset, bytes.find("[Event \"Second\"]"));
    EXPECT_EQ(games[1].entry->result, BlackWins);
    EXPECT_FALSE(games[1].entry->eco.has_value()) << "ECO is not carried over from game 1";
    EXPECT_EQ(games[2].entry->startOffset, bytes.find("[Event \"Third\"]"));
    EXPECT_EQ(games[2].entry->result, Draw);
    EXPECT_EQ(games[2].entry->firstMoves, u"1. c4 c5 1/2-1/2");
}

TEST(ScanGames, FillsMissingRosterTagsWithPlaceholders) {
    auto games = Scan("[White \"W\"]\n[Black \"B\"]\n[Result \"*\"]\n\n1. e4 *\n");
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].entry->date, u"??\\??");
    EXPECT_EQ(games[0].entry->event, u"?");
    EXPECT_EQ(games[0].entry->round, u"?");
    EXPECT_EQ(games[0].entry->site, u"?");
    EXPECT_EQ(games[0].entry->result, Unfinished);
}

struct ScanCase {
    const char* name;
    std::string bytes;
    std::size_t games;
};

TEST(ScanGames, WhatCountsAsAGame) {
    const ScanCase cases[] = {
        {"empty file", "", 0},
        {"no tag line", "1. e4 e5 *\n", 0},
        {"tags in lower case are passed over",
         "[white \"W\"]\n[Black \"B\"]\n[Result \"*\"]\n\n1. e4 *\n", 0},
        {"no movetext line after the tags", "[White \"W\"]\n[Black \"B\"]\n[Result \"*\"]\n", 0},
        {"text before the first game",
         "Some notes\n\n[White \"W\"]\n[Black \"B\"]\n[Result \"*\"]\n\n1. e4 *\n", 1},
        {"games separated by blank lines",
         "[White \"W\"]\n[Black \"B\"]\n[Result \"*\"]\n\n1. e4 *\n\n\n\n"
         "[White \"X\"]\n[Black \"Y\"]\n[Result \"*\"]\n\n1. d4 *\n",
         2},
    };
    for (const auto& c : cases) {
        std::int32_t counter = 0;
        EXPECT_EQ(Scan(c.bytes, counter).size(), c.games) << c.name;
        EXPECT_EQ(counter, static_cast<std::int32_t>(c.games)) << c.name;
    }
}

TEST(ScanGames, AGameWithoutResultTagIsPassedOverAndTheNextStandsAlone) {
    std::string bytes = ReadBytes(DataFile("game_without_result_tag.pgn"));
    auto games = Scan(bytes);
    ASSERT_EQ(games.size(), 1u);
    const GameListEntry& entry = *games[0].entry;
    EXPECT_EQ(entry.startOffset, bytes.find("[Event \"Listed\"]"));
    EXPECT_EQ(entry.white, u"Found");
    EXPECT_EQ(entry.event, u"Listed");
}

TEST(ScanGames, SetUpGamesShowPositionAndLongLinesAreCut) {
    auto games = Scan("[White \"W\"]\n[Black \"B\"]\n[Result \"*\"]\n[SetUp \"0\"]\n\n1. e4 *\n"
                      "[White \"W\"]\n[Black \"B\"]\n[Result \"*\"]\n\n" +
                      std::string(50, 'a') + "\n");
    ASSERT_EQ(games.size(), 2u);
    EXPECT_EQ(games[0].entry->firstMoves, u"(Position)");
    EXPECT_EQ(games[1].entry->firstMoves, std::u16string(30, u'a'));
}

TEST(ScanGames, LongTagLinesStayInTheTagSection) {
    for (const std::string& line :
         {"[Annotator \"" + std::string(600, 'v') + "\"]",
          "[Annotator \"" + std::string(240, 'c') + "\"]", // its CR LF is cut in two
          "[Annotator \"" + std::string(300, 'w') + " [White \"X\"]\"]"}) {
        const std::string bytes = "[White \"A\"]\r\n[Result \"*\"]\r\n" + line +
                                  "\r\n[Black \"B\"]\r\n\r\n1. e4 *\r\n\r\n[White \"C\"]\r\n"
                                  "[Black \"D\"]\r\n[Result \"1-0\"]\r\n\r\n1. d4 1-0\r\n";
        auto games = Scan(bytes);
        ASSERT_EQ(games.size(), 2u) << line.size();
        EXPECT_EQ(games[0].entry->white, u"A");
        EXPECT_EQ(games[0].entry->black, u"B");
        EXPECT_EQ(games[0].entry->firstMoves, u"1. e4 *");
        EXPECT_EQ(games[1].entry->startOffset, bytes.find("[White \"C\"]"));
    }
}

TEST(ScanGames, ReadsTheDrawSignAndEscapedQuotes) {
    auto draw = Scan(ReadBytes(DataFile("half_symbol_draw_result.pgn")));
    ASSERT_EQ(draw.size(), 1u);
    EXPECT_EQ(draw[0].entry->result, Draw);
    EXPECT_EQ(std::u16string(draw[0].entry->ResultText(true)), u"\u00BD-\u00BD");
    auto escaped = Scan(ReadBytes(DataFile("escaped_quote_in_tag.pgn")));
    ASSERT_EQ(escaped.size(), 1u);
    EXPECT_EQ(escaped[0].entry->white, u"O\"Kelly");
    EXPECT_EQ(escaped[0].entry->black, u"Back\\slash");
}

TEST(ScanGames, AReadFailureDeliversTheGamesFoundAndSaysSo) {
    TempDir dir;
    std::string game = "[White \"W\"]\n[Black \"B\"]\n[Result \"*\"]\n\n1. e4 *\n\n";
    std::string bytes;
    for (int i = 0; i < 12000; ++i) {
        bytes += game;
    }
    auto path = dir.File("big.pgn", bytes);
    platform::File file;
    ASSERT_TRUE(file.Open(U16(path), platform::OpenMode::Read));
    Injector injector;
    injector.only = platform::FileOp::Read;
    injector.failAt = 2; // the first block reads, the second fails
    std::int32_t counter = 0;
    EXPECT_FALSE(ScanGames(file, counter, [](std::unique_ptr<GameListEntry>, std::uint64_t) {}));
    EXPECT_GT(counter, 0);
    EXPECT_LT(counter, 12000);
}

} // namespace
