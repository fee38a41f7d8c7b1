// Real-world files: every game that loads, written and loaded again, writes the same bytes; a save
// of a game keeps every other game where it was.
#include <gtest/gtest.h>

#include "pgn_test_support.h"

namespace {

using namespace pgntest;
namespace fs = std::filesystem;

TEST(CorpusRoundTrip, EveryLoadedGameWritesBackStably) {
    std::filesystem::path real = std::filesystem::path(PAWNLET_CORPUS_DIR) / "real";
    if (!std::filesystem::is_directory(real)) {
        GTEST_SKIP() << "the corpus folder " << real << " is absent; nothing to check";
    }
    int files = 0;
    int loaded = 0;
    for (const auto& item : std::filesystem::directory_iterator(real)) {
        if (item.path().extension() != ".pgn") {
            continue;
        }
        ++files;
        platform::File file;
        ASSERT_TRUE(file.Open(U16(item.path()), platform::OpenMode::Read)) << item.path();
        std::vector<std::uint32_t> starts;
        std::int32_t count = 0;
        ASSERT_TRUE(ScanGames(file, count, [&](std::unique_ptr<GameListEntry> e, std::uint64_t) {
            starts.push_back(e->startOffset);
        }));
        ASSERT_TRUE(file.Seek(0));
        LineReader reader(file, 0);
        for (std::size_t i = 0; i < starts.size(); ++i) {
            ASSERT_TRUE(reader.SeekTo(starts[i]));
            Partie partie;
            if (ReadGame(partie, reader) != NoError) {
                continue;
            }
            ++loaded;
            std::string first = WriteGameText(partie);
            std::string second = Rewrite(first);
            EXPECT_EQ(second, first) << item.path().filename() << " game " << i + 1;
        }
    }
    EXPECT_GT(files, 0);
    EXPECT_GT(loaded, 100);
}

// A stray "{" in the fifth game of a real file of 34: the games after it stay listed and a save
// of that game keeps them.
TEST(CorpusSaves, StrayBraceKeepsTheLaterGamesOfARealFile) {
    const fs::path source = fs::path(PAWNLET_CORPUS_DIR) / "real" / "pgnextract__fischer.pgn";
    if (!fs::exists(source)) {
        GTEST_SKIP() << source << " is absent";
    }
    std::string bytes = ReadBytes(source);
    TempDir dir;
    const std::vector<std::uint32_t> starts = ListedStarts(dir.File("f.pgn", bytes));
    ASSERT_EQ(starts.size(), 34u);
    const std::size_t moves = bytes.find("1. ", starts[4]);
    bytes.insert(moves + 3, "{");
    const fs::path path = dir.File("fischer.pgn", bytes);
    ASSERT_EQ(ListedStarts(path).size(), 34u);

    FakeShell shell;
    shell.pick = 4;
    Partie partie;
    ASSERT_EQ(LoadGame(partie, nullptr, U16(path), 0, 0), NoError);
    EXPECT_EQ(partie.endOffset, starts[5] + 1);
    // The unterminated comment keeps the text it swallowed.
    ASSERT_TRUE(partie.startPosition.comment.has_value());
    EXPECT_NE(partie.startPosition.comment->find(u"1/2-1/2"), std::u16string::npos);
    partie.changed = true;
    ASSERT_EQ(SaveGame(partie), 0);
    const std::string now = ReadBytes(path);
    EXPECT_EQ(now.substr(now.size() - (bytes.size() - starts[5] - 1)), bytes.substr(starts[5] + 1));
    EXPECT_EQ(ListedStarts(path).size(), 34u);
}

TEST(CorpusSaves, SavesOfTheCorpusKeepTheOtherGames) {
    const fs::path real = fs::path(PAWNLET_CORPUS_DIR) / "real";
    if (!fs::is_directory(real)) {
        GTEST_SKIP() << "the corpus folder " << real << " is absent";
    }
    int saved = 0;
    for (const auto& item : fs::directory_iterator(real)) {
        if (item.path().extension() == ".pgn") {
            saved += SaveEachGameAndCompare(item.path().filename().string(),
                                            ReadBytes(item.path()), 12);
        }
    }
    EXPECT_GT(saved, 150);
}

} // namespace
