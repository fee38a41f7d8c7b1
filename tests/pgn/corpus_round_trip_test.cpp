// Real-world files: every game that loads, written and loaded again, writes the same bytes.
#include <gtest/gtest.h>

#include "pgn_test_support.h"

namespace {

using namespace pgntest;

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

} // namespace
