// Loading a game: by offset, through the game list, the next game, and every refusal.
#include <gtest/gtest.h>

#include "gametree/move_text.h"
#include "pgn_test_support.h"

using namespace pawnlet;

namespace {

using namespace pgntest;

struct Loaded {
    ParseError code;
    std::unique_ptr<Partie> partie;
};

Loaded Load(const std::filesystem::path& path, std::uint32_t offset, std::int32_t count = 3) {
    auto partie = std::make_unique<Partie>();
    ParseError code = LoadGame(*partie, nullptr, U16(path), offset, count).code;
    return {code, std::move(partie)};
}

int MainLineLength(const Partie& partie) {
    int n = 0;
    for (const Coup* m = partie.startPosition.firstMove.get(); m; m = m->after->firstMove.get()) {
        ++n;
    }
    return n;
}

TEST(LoadGame, ByOffsetThenNextGameByEndOffset) {
    std::string bytes = ReadBytes(DataFile("three_games.pgn"));
    std::uint32_t second = static_cast<std::uint32_t>(bytes.find("[Event \"Second\"]"));
    std::uint32_t third = static_cast<std::uint32_t>(bytes.find("[Event \"Third\"]"));
    auto path = DataFile("three_games.pgn");

    Loaded game = Load(path, second, 3);
    ASSERT_EQ(game.code, ParseError::NoError);
    const Partie& p = *game.partie;
    EXPECT_EQ(p.white, u"Gamma");
    EXPECT_EQ(p.result, BlackWins);
    EXPECT_EQ(p.startOffset, second);
    EXPECT_EQ(p.endOffset, third) << "the game's range ends where the next game begins";
    EXPECT_EQ(p.gamesInFile, 3);
    EXPECT_TRUE(p.hasFile);
    EXPECT_FALSE(p.changed);
    EXPECT_EQ(p.path, U16(path));
    EXPECT_EQ(MainLineLength(p), 5);

    Loaded next = Load(path, p.endOffset, p.gamesInFile);
    ASSERT_EQ(next.code, ParseError::NoError);
    EXPECT_EQ(next.partie->white, u"Epsilon");
    EXPECT_EQ(next.partie->endOffset, bytes.size());
    EXPECT_EQ(Load(path, next.partie->endOffset).code, ParseError::NoGame)
        << "no game after the last";
}

TEST(LoadGame, OffsetZeroAsksTheGameList) {
    FakeShell shell;
    shell.pick = 2;
    Loaded game = Load(DataFile("three_games.pgn"), 0, 0);
    ASSERT_EQ(game.code, ParseError::NoError);
    EXPECT_EQ(shell.listShown, 1);
    EXPECT_EQ(game.partie->white, u"Epsilon");
    EXPECT_EQ(game.partie->gamesInFile, 3);

    shell.listResult = platform::DialogCancel;
    EXPECT_EQ(Load(DataFile("three_games.pgn"), 0, 0).code, ParseError::Cancelled);
    // A list that cannot be shown ends the load too, rather than loading from offset 0 with
    // no count of the games (a later save would rewrite the whole file with one game).
    shell.listResult = platform::DialogFailed;
    EXPECT_EQ(Load(DataFile("three_games.pgn"), 0, 0).code, ParseError::Cancelled);
}

struct RefusalCase {
    const char* file;
    ParseError code;
};

TEST(LoadGame, RefusalsReturnTheirCode) {
    FakeShell shell;
    const RefusalCase cases[] = {
        {"fen_without_setup.pgn", ParseError::BadHeaders},
        {"invalid_fen.pgn", ParseError::BadStartPosition},
        {"illegal_move.pgn", ParseError::IllegalMove},
        {"no_such_file.pgn", ParseError::OpenFailed},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Load(DataFile(c.file), 0, 0).code, c.code) << c.file;
    }
    TempDir dir;
    auto noFen =
        dir.File("setup_without_fen.pgn",
                 "[White \"A\"]\n[Black \"B\"]\n[Result \"*\"]\n[SetUp \"1\"]\n\n1. e4 *\n");
    EXPECT_EQ(Load(noFen, 0, 0).code, ParseError::BadHeaders);
    EXPECT_TRUE(shell.messages.empty()) << "the caller shows load errors, not LoadGame";
}

TEST(LoadGame, SetUpGamesAndTheSetUpZeroTag) {
    FakeShell shell;
    Loaded setUp = Load(DataFile("setup_position.pgn"), 0, 0);
    ASSERT_EQ(setUp.code, ParseError::NoError);
    EXPECT_EQ(setUp.partie->startPosition.setUp, 1);
    EXPECT_EQ(MainLineLength(*setUp.partie), 2);

    Loaded zero = Load(DataFile("setup_zero.pgn"), 0, 0);
    ASSERT_EQ(zero.code, ParseError::NoError);
    EXPECT_EQ(zero.partie->startPosition.setUp, 0);
    ASSERT_NE(zero.partie->extraTags, nullptr);
    EXPECT_EQ(zero.partie->extraTags->tag, u"SetUp");
    EXPECT_EQ(zero.partie->extraTags->value, u"0");
}

struct NotationCase {
    const char* name;
    std::string tags; // after White, Black and Result
    std::string movetext;
    ParseError code;
    std::string written; // a piece of the game as a save writes it
};

// Notation that other programs write: read, and written back in the form the writer uses.
TEST(LoadGame, NotationOfOtherProgramsReadsAndWritesBack) {
    FakeShell shell;
    const NotationCase cases[] = {
        {"assessments apart", "", "1. e4 += e5 -+ 2. Nf3 = *", ParseError::NoError,
         "1. e4 $14 e5 $19 2. Nf3 $10 *"},
        {"assessments glued", "", "1. e4+- e5\u2213 2. Nf3\xB1 *", ParseError::NoError,
         "1. e4 $18 e5 $17 2. Nf3 $16 *"},
        {"FEN before SetUp", "[FEN \"4k3/8/8/8/8/8/4P3/4K3 w - - 0 40\"]\n[SetUp \"1\"]\n",
         "40. e4 *", ParseError::NoError,
         "[FEN \"4k3/8/8/8/8/8/4P3/4K3 w - - 0 40\"]\r\n\r\n40. e4 *"},
        {"full-move number past a million clamped",
         "[SetUp \"1\"]\n[FEN \"4k3/8/8/8/8/8/4P3/4K3 w - - 0 12345678901\"]\n", "e4 *",
         ParseError::NoError, "1000000. e4 *"},
        {"impossible en-passant square dropped",
         "[SetUp \"1\"]\n[FEN \"4k3/8/8/8/8/8/2PP4/4K3 w - d3 0 1\"]\n", "1. cxd3 *",
         ParseError::IllegalMove, ""},
        {"escaped brace in a comment", "", "1. e4 {a \\} b} e5 *", ParseError::NoError,
         "1. e4 {a \\} b} 1... e5 *"},
        {"null move refused", "", "1. e4 -- 2. d4 *", ParseError::UnknownToken, ""},
        {"long algebraic refused", "", "1. e2-e4 *", ParseError::IllegalMove, ""},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const auto path = dir.File(std::string(c.name) + ".pgn",
                                   "[White \"A\"]\n[Black \"B\"]\n[Result \"*\"]\n" + c.tags +
                                       "\n" + c.movetext + "\n");
        Loaded loaded = Load(path, 0, 1);
        ASSERT_EQ(loaded.code, c.code)
            << c.name << ": " << platform::ToUtf8(ErrorText(loaded.code));
        if (c.code == ParseError::NoError) {
            const std::string text = WriteGameText(*loaded.partie);
            EXPECT_NE(text.find(c.written), std::string::npos) << c.name << ":\n" << text;
        }
    }
}

TEST(LoadGame, TheDrawSignReadsAsADraw) {
    FakeShell shell;
    Loaded game = Load(DataFile("half_symbol_draw_result.pgn"), 0, 0);
    ASSERT_EQ(game.code, ParseError::NoError);
    EXPECT_EQ(game.partie->result, Draw);
}

TEST(LoadGame, MovetextEndedByTheNextTagLineStopsBeforeIt) {
    FakeShell shell;
    std::string bytes = ReadBytes(DataFile("movetext_ended_by_next_tag.pgn"));
    Loaded first = Load(DataFile("movetext_ended_by_next_tag.pgn"), 0, 0);
    ASSERT_EQ(first.code, ParseError::NoError);
    EXPECT_EQ(first.partie->endOffset, bytes.find("[White \"C\"]"));
    EXPECT_EQ(MainLineLength(*first.partie), 2);
    Loaded next = Load(DataFile("movetext_ended_by_next_tag.pgn"), first.partie->endOffset, 2);
    ASSERT_EQ(next.code, ParseError::NoError);
    EXPECT_EQ(next.partie->white, u"C");
    EXPECT_EQ(MainLineLength(*next.partie), 1);
}

TEST(LoadGame, AGameWithoutWhiteTagIsPassedOverAndTheNextLoadsAlone) {
    TempDir dir;
    std::string bytes = "[Event \"Skipped\"]\n[Black \"Nobody\"]\n[Annotator \"X\"]\n\n1. e4 *\n\n"
                        "[Event \"Wanted\"]\n[White \"W\"]\n[Result \"1-0\"]\n\n1. d4 1-0\n";
    auto path = dir.File("skip.pgn", bytes);
    // Offset 1 lies inside the first line: loading begins with the tags that follow it.
    Loaded game = Load(path, 1, 2);
    ASSERT_EQ(game.code, ParseError::NoError);
    const Partie& p = *game.partie;
    EXPECT_EQ(p.startOffset, bytes.find("[Event \"Wanted\"]"));
    EXPECT_EQ(p.event, u"Wanted");
    EXPECT_EQ(p.black, u"Black") << "not the skipped game's Black";
    EXPECT_EQ(p.extraTags, nullptr) << "not the skipped game's Annotator";
    ASSERT_NE(p.startPosition.firstMove, nullptr);
    EXPECT_EQ(MoveText(*p.startPosition.firstMove, false, false), u"d4");
}

TEST(LoadGame, TextBetweenGamesStaysOutsideTheGame) {
    TempDir dir;
    FakeShell shell;
    std::string bytes = "[White \"A\"]\n[Black \"b\"]\n[Result \"*\"]\n\n1. e4 *\n\n"
                        "Notes between games\n\n"
                        "[White \"B\"]\n[Black \"b\"]\n[Result \"*\"]\n\n1. d4 *\n";
    auto path = dir.File("notes.pgn", bytes);
    Loaded first = Load(path, 0, 0);
    ASSERT_EQ(first.code, ParseError::NoError);
    Loaded second = Load(path, first.partie->endOffset, 2);
    ASSERT_EQ(second.code, ParseError::NoError);
    EXPECT_EQ(second.partie->startOffset, bytes.find("[White \"B\"]"));
}

TEST(LoadGame, AFileEndingAfterItsTagsGivesAGameWithoutMoves) {
    std::string bytes = "\n" + ReadBytes(DataFile("ends_after_tag_section.pgn"));
    TempDir dir;
    auto path = dir.File("tags_only.pgn", bytes);
    Loaded game = Load(path, 1, 1);
    ASSERT_EQ(game.code, ParseError::NoError);
    EXPECT_EQ(game.partie->white, u"Only");
    EXPECT_EQ(game.partie->startPosition.firstMove, nullptr);
    EXPECT_EQ(game.partie->endOffset, bytes.size());
}

TEST(LoadGame, AReadFailureIsNoHalfLoadedGame) {
    Injector injector;
    injector.only = platform::FileOp::Read;
    injector.failAt = 1;
    EXPECT_EQ(Load(DataFile("three_games.pgn"), 1, 3).code, ParseError::OpenFailed);
}

TEST(LoadGame, ATagRightAfterTheResultMarkerIsLeftToTheNextGame) {
    TempDir dir;
    std::string bytes = "\n[White \"A\"]\n[Result \"*\"]\n\n1. e4 * [White \"B\"]\n"
                        "[Result \"*\"]\n\n1. d4 *\n";
    auto path = dir.File("same_line.pgn", bytes);
    Loaded game = Load(path, 1, 2);
    ASSERT_EQ(game.code, ParseError::NoError);
    EXPECT_EQ(game.partie->endOffset, bytes.find("[White \"B\"]"));
}

// Tag lines longer than the reader's lines, and a line break that its length limit cuts in two,
// stay within the tag section: the game keeps its tags, its moves and its neighbour.
TEST(LoadGame, LongTagLinesAreReadWhole) {
    const std::string longValue(600, 'v');
    const struct {
        const char* name;
        std::string line; // a tag line between White and Black, without its line break
        std::u16string value;
    } cases[] = {
        {"a value of 600 bytes", "[Annotator \"" + longValue + "\"]",
         std::u16string(longValue.begin(), longValue.end())},
        {"a value with blanks",
         "[Annotator \"" + std::string(200, 'a') + " " + std::string(200, 'b') + "\"]",
         std::u16string(200, u'a') + u" " + std::u16string(200, u'b')},
        // 254 bytes: the window of 255 bytes ends between its CR and LF.
        {"a line that ends where the reader cuts", "[Annotator \"" + std::string(240, 'c') + "\"]",
         std::u16string(240, u'c')},
    };
    for (const auto& c : cases) {
        const std::string bytes = "\n[White \"A\"]\r\n" + c.line +
                                  "\r\n[Black \"B\"]\r\n"
                                  "[Result \"*\"]\r\n\r\n1. e4 e5 *\r\n\r\n[White \"C\"]\r\n"
                                  "[Black \"D\"]\r\n[Result \"1-0\"]\r\n\r\n1. d4 1-0\r\n";
        TempDir dir;
        auto path = dir.File("long_tag.pgn", bytes);
        Loaded game = Load(path, 1, 2);
        ASSERT_EQ(game.code, ParseError::NoError) << c.name;
        EXPECT_EQ(game.partie->black, u"B") << c.name;
        ASSERT_NE(game.partie->extraTags, nullptr) << c.name;
        EXPECT_EQ(game.partie->extraTags->value, c.value) << c.name;
        EXPECT_EQ(MainLineLength(*game.partie), 2) << c.name;
        EXPECT_EQ(game.partie->endOffset, bytes.find("[White \"C\"]")) << c.name;
        // Written back, the long line reads back the same.
        EXPECT_EQ(Rewrite(WriteGameText(*game.partie)), WriteGameText(*game.partie)) << c.name;
    }
}

// A byte-order mark before the first tag and "%" escape lines inside a tag section are passed
// over by the list and the loader alike; a save keeps the mark and writes each tag once.
TEST(LoadGame, ByteOrderMarkAndEscapeLinesArePassedOver) {
    const std::string game = "[Event \"First\"]\r\n% a note for another program\r\n"
                             "[White \"W\"]\r\n[Black \"B\"]\r\n[Result \"*\"]\r\n\r\n"
                             "% between the tags and the moves\r\n1. e4 *\r\n\r\n";
    const std::string bytes = "\xEF\xBB\xBF" + game +
                              "[White \"Two\"]\r\n[Black \"B\"]\r\n"
                              "[Result \"*\"]\r\n\r\n1. d4 *\r\n";
    TempDir dir;
    const auto path = dir.File("bom.pgn", bytes);
    platform::File file;
    ASSERT_TRUE(file.Open(U16(path), platform::OpenMode::Read));
    std::vector<std::unique_ptr<GameListEntry>> entries;
    std::int32_t count = 0;
    ASSERT_TRUE(ScanGames(file, count, [&](std::unique_ptr<GameListEntry> e, std::uint64_t) {
        entries.push_back(std::move(e));
    }));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0]->event, u"First");
    EXPECT_EQ(entries[0]->startOffset, 3u);

    Loaded first = Load(path, 3, 2);
    ASSERT_EQ(first.code, ParseError::NoError);
    EXPECT_EQ(first.partie->event, u"First");
    EXPECT_EQ(first.partie->white, u"W");
    EXPECT_EQ(MainLineLength(*first.partie), 1);
    EXPECT_EQ(first.partie->endOffset, 3 + game.size());
    FakeShell shell;
    first.partie->changed = true;
    ASSERT_EQ(SaveGame(*first.partie), 0);
    const std::string now = ReadBytes(path);
    EXPECT_EQ(now, "\xEF\xBB\xBF" + WriteGameText(*first.partie) + bytes.substr(3 + game.size()));
    EXPECT_EQ(Rewrite(now.substr(3)), WriteGameText(*first.partie)) << "each tag written once";
}

} // namespace
