// pawnlet-cli check on several threads: whatever the number of threads and wherever the file is
// cut into pieces, the report is the one that loading every listed game of the whole file gives.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "gametree/coup.h"
#include "pgn/line_reader.h"
#include "pgn/partie.h"
#include "pgn/scan_games.h"
#include "platform/byte_source.h"
#include "platform/text.h"
#include "tools/cli/check.h"

using namespace pawnlet;

namespace {

namespace fs = std::filesystem;

// The report made the plain way: the game list of the whole file, then each game loaded from
// its start by one reader over the whole file.
std::string ReportOfWholeFile(const fs::path& path) {
    platform::File file;
    EXPECT_TRUE(file.Open(platform::FromUtf8(path.string()), platform::OpenMode::Read));
    std::vector<std::uint64_t> starts;
    std::int32_t count = 0;
    EXPECT_TRUE(ScanGameBytes(file, count, [&](const ScannedGame& game, std::uint64_t) {
        starts.push_back(game.startOffset);
    }));
    EXPECT_TRUE(file.Seek(0));
    LineReader reader(file, 0);
    std::string report;
    std::uint64_t moves = 0;
    int errors = 0;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        EXPECT_TRUE(reader.SeekTo(starts[i]));
        const int before = LiveCount<Coup>::Live();
        Partie partie;
        const ParseResult result = ReadGame(partie, reader);
        if (result == ParseError::NoError) {
            moves += static_cast<std::uint64_t>(LiveCount<Coup>::Live() - before);
            continue;
        }
        ++errors;
        report += std::to_string(i + 1) + "\t" + std::to_string(starts[i]) + "\t" +
                  std::to_string(static_cast<int>(result.code)) + "\t" +
                  platform::ToUtf8(ErrorText(result)) + "\n";
    }
    return report + std::to_string(starts.size()) + " games, " + std::to_string(moves) +
           " moves, " + std::to_string(errors) + " errors\n";
}

struct CheckRun {
    int status = 0;
    std::string out;
};

// Checks `path` as a regular file, or with its bytes coming as a stream.
CheckRun Check(const fs::path& path, const std::string& bytes, bool stream, int jobs,
               std::size_t pieceSize) {
    cli::Input input;
    if (stream) {
        input.kind = cli::InputKind::Stream;
        input.stream = std::make_unique<platform::MemorySource>(bytes, 0);
        input.source = input.stream.get();
    } else {
        EXPECT_TRUE(input.file.Open(platform::FromUtf8(path.string()), platform::OpenMode::Read));
        input.source = &input.file;
    }
    cli::CheckOptions options;
    options.jobs = jobs;
    options.pieceSize = pieceSize;
    CheckRun run;
    std::string err;
    // A sink that takes part of the report early: the order must hold across it too.
    std::string early;
    run.status = cli::CheckGames(path.string(), input, options, run.out, err,
                                 [&](std::string_view piece) { early += piece; });
    run.out = early + run.out;
    return run;
}

TEST(CheckOnThreads, EveryCutAndThreadCountGivesTheWholeFilesReport) {
    const fs::path real = fs::path(PAWNLET_CORPUS_DIR) / "real";
    if (!fs::is_directory(real)) {
        GTEST_SKIP() << "the corpus folder " << real << " is absent; nothing to check";
    }
    // Every file on its own, and all of them one after the other: games that fail, stray
    // braces and text between games end up on both sides of the cuts.
    const fs::path all =
        fs::temp_directory_path() / ("pawnlet-check-" + std::to_string(::getpid()) + ".pgn");
    std::vector<fs::path> files;
    {
        std::ofstream joined(all, std::ios::binary | std::ios::trunc);
        for (const auto& item : fs::directory_iterator(real)) {
            if (item.path().extension() == ".pgn") {
                files.push_back(item.path());
                joined << ReadBytes(item.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    files.push_back(all);
    int failing = 0;
    for (const fs::path& path : files) {
        const std::string expected = ReportOfWholeFile(path);
        const std::string bytes = ReadBytes(path);
        failing += expected.find("\t") != std::string::npos;
        struct Setup {
            bool stream;
            int jobs;
            std::size_t pieceSize;
        };
        // A piece size of one byte cuts at every game.
        for (const Setup setup :
             {Setup{false, 1, 0}, Setup{false, 1, 1}, Setup{false, 3, 1}, Setup{true, 1, 1},
              Setup{true, 4, 1}, Setup{false, 2, 4096}, Setup{true, 2, 4096}, Setup{false, 5, 0}}) {
            const CheckRun run = Check(path, bytes, setup.stream, setup.jobs, setup.pieceSize);
            EXPECT_EQ(run.out, expected)
                << path.filename() << (setup.stream ? " as a stream" : "") << " on " << setup.jobs
                << " threads, pieces from " << setup.pieceSize << " bytes";
            const bool anyError = expected.find("\t") != std::string::npos;
            const bool noGame = expected.starts_with("0 games");
            EXPECT_EQ(run.status, anyError || noGame ? 1 : 0) << path.filename();
        }
    }
    fs::remove(all);
    // The corpus holds games that fail: their lines are part of what is compared.
    EXPECT_GT(failing, 3);
}

} // namespace
