// Replays every input that ever made a fuzz target fail, and the seed corpora, through the
// targets' own entries, so that the ordinary and sanitizer builds guard against each fault.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fuzz/fuzz_entries.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesUnder(const fs::path& folder) {
    std::vector<fs::path> files;
    if (fs::is_directory(folder)) {
        for (const auto& item : fs::directory_iterator(folder)) {
            if (item.is_regular_file()) {
                files.push_back(item.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FuzzReplay : public testing::TestWithParam<const char*> {};

void Replay(const char* target, const fs::path& folder, int& replayed) {
    const fuzz::Entry entry = fuzz::FindEntry(target);
    ASSERT_NE(entry, nullptr) << target;
    for (const fs::path& file : FilesUnder(folder)) {
        const std::vector<std::uint8_t> input = Bytes(file);
        const auto fault = entry(input);
        EXPECT_FALSE(fault.has_value()) << file << ": " << fault.value_or("");
        ++replayed;
    }
}

TEST_P(FuzzReplay, EveryRegressionInputPasses) {
    int replayed = 0;
    Replay(GetParam(), fs::path(PAWNLET_FUZZ_DIR) / "regressions" / GetParam(), replayed);
    if (replayed == 0) {
        GTEST_SKIP() << "no input of this target has failed so far";
    }
}

TEST_P(FuzzReplay, EverySeedPasses) {
    int replayed = 0;
    const std::string target = GetParam();
    const std::string seeds = target == "fen" || target == "san" ? target : "pgn";
    Replay(GetParam(), fs::path(PAWNLET_FUZZ_DIR) / "corpus" / seeds, replayed);
    EXPECT_GT(replayed, 0) << "the seed corpus of this target is empty";
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay,
                         testing::Values("fen", "san", "load", "scan", "roundtrip"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
