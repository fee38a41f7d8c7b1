// pawnlet-cli reading standard input, pipes and compressed files: each lists, checks and shows
// the games as the plain file does; what cannot be read as a stream or saved to is refused.
#include <gtest/gtest.h>

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/temp_dir.h"
#include "tests/cli/cli_run.h"
#include "tools/cli/cli.h"

namespace {

using namespace clitest;

namespace fs = std::filesystem;

// `bytes` compressed with the library's `filter` (one of archive_write_add_filter_*), as the
// command-line tools of each format write a single file.
std::string Compressed(const std::string& bytes, int (*filter)(struct archive*)) {
    struct archive* writer = archive_write_new();
    EXPECT_EQ(filter(writer), ARCHIVE_OK) << archive_error_string(writer);
    EXPECT_EQ(archive_write_set_format_raw(writer), ARCHIVE_OK);
    std::string out(bytes.size() + 65536, '\0');
    std::size_t used = 0;
    EXPECT_EQ(archive_write_open_memory(writer, out.data(), out.size(), &used), ARCHIVE_OK);
    struct archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, "games.pgn");
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_size(entry, static_cast<la_int64_t>(bytes.size()));
    EXPECT_EQ(archive_write_header(writer, entry), ARCHIVE_OK) << archive_error_string(writer);
    EXPECT_EQ(archive_write_data(writer, bytes.data(), bytes.size()),
              static_cast<la_ssize_t>(bytes.size()));
    archive_entry_free(entry);
    EXPECT_EQ(archive_write_close(writer), ARCHIVE_OK);
    archive_write_free(writer);
    out.resize(used);
    return out;
}

// Runs the command with `bytes` written into a pipe by another thread, the pipe being standard
// input; the writer gives its bytes in small pieces, as a slow producer would.
Outcome CliOnStandardInput(std::vector<std::string> args, const std::string& bytes) {
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    const int savedInput = ::dup(STDIN_FILENO);
    ::dup2(ends[0], STDIN_FILENO);
    ::close(ends[0]);
    std::thread writer([&] {
        for (std::size_t at = 0; at < bytes.size(); at += 1000) {
            const std::size_t n = std::min<std::size_t>(1000, bytes.size() - at);
            EXPECT_EQ(::write(ends[1], bytes.data() + at, n), static_cast<ssize_t>(n));
        }
        ::close(ends[1]);
    });
    Outcome run = Cli(std::move(args));
    writer.join();
    ::dup2(savedInput, STDIN_FILENO);
    ::close(savedInput);
    return run;
}

// What the command writes to the process's standard error (the parser's diagnostics go there
// directly), besides its own messages.
Outcome CliCapturingStandardError(std::vector<std::string> args, std::string& written) {
    const fs::path capture =
        fs::temp_directory_path() / ("pawnlet-stderr-" + std::to_string(::getpid()) + ".txt");
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    const int fd = ::open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
    Outcome run = Cli(std::move(args));
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    written = ReadBytes(capture);
    fs::remove(capture);
    return run;
}

class Inputs : public ::testing::Test {
protected:
    void SetUp() override {
        // Good games, a game that fails, and text between them.
        plain = ReadBytes(DataFile("three_games.pgn")) + "\nsome words between games\n" +
                ReadBytes(DataFile("illegal_move.pgn")) + ReadBytes(DataFile("three_games.pgn"));
        plainPath = dir.Path() / "games.pgn";
        std::ofstream(plainPath, std::ios::binary) << plain;
    }
    testsupport::TempDir dir{"pawnlet-input"};
    std::string plain;
    fs::path plainPath;
};

TEST_F(Inputs, StandardInputAndEveryCompressionReadAsThePlainFile) {
    const std::vector<std::vector<std::string>> commands = {
        {"list"},
        {"check", "-j", "1"},
        {"check", "-j", "3"},
        {"show", "--game", "5"},
        {"show", "--offset", std::to_string(plain.find("[Event \"Third\"]"))},
        {"fen", "--game", "3", "--ply", "1"},
        {"show", "--game", "9"},
    };
    struct Format {
        const char* name;
        int (*filter)(struct archive*);
    };
    const Format formats[] = {{"zstd", archive_write_add_filter_zstd},
                              {"gzip", archive_write_add_filter_gzip},
                              {"bzip2", archive_write_add_filter_bzip2},
                              {"xz", archive_write_add_filter_xz}};
    for (const auto& command : commands) {
        auto with = [&](const std::string& file) {
            std::vector<std::string> args = {command[0], file};
            args.insert(args.end(), command.begin() + 1, command.end());
            return args;
        };
        const Outcome expected = Cli(with(plainPath.string()));
        const std::string what = ::testing::PrintToString(command);
        if (command[0] != "show" || command[1] != "--game" || command[2] != "9") {
            ASSERT_FALSE(expected.out.empty()) << what << expected.err;
        }
        const Outcome piped = CliOnStandardInput(with("-"), plain);
        EXPECT_EQ(piped.status, expected.status) << what << piped.err;
        EXPECT_EQ(piped.out, expected.out) << what;
        for (const Format& format : formats) {
            const fs::path path = dir.Path() / (std::string("games.pgn.") + format.name);
            const std::string compressed = Compressed(plain, format.filter);
            ASSERT_NE(compressed.substr(0, 20), plain.substr(0, 20)) << format.name;
            std::ofstream(path, std::ios::binary | std::ios::trunc) << compressed;
            const Outcome file = Cli(with(path.string()));
            EXPECT_EQ(file.status, expected.status) << format.name << " " << what << file.err;
            EXPECT_EQ(file.out, expected.out) << format.name << " " << what;
            const Outcome stream = CliOnStandardInput(with("-"), compressed);
            EXPECT_EQ(stream.out, expected.out) << format.name << " piped " << what;
        }
    }
    // Data that announces a compression and is not: a clear error, not an empty list.
    std::ofstream(dir.Path() / "broken.zst", std::ios::binary) << "\x28\xB5\x2F\xFD" + plain;
    const Outcome broken = Cli({"check", (dir.Path() / "broken.zst").string()});
    EXPECT_EQ(broken.status, 3);
    EXPECT_NE(broken.err.find("zstd"), std::string::npos) << broken.err;
}

TEST_F(Inputs, ANamedPipeWaitsForItsWriterInsteadOfBlockingInOpen) {
    const fs::path fifo = dir.Path() / "games.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const Outcome expected = Cli({"check", plainPath.string()});
    // The writer comes only after the reader has opened the pipe and is waiting.
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::ofstream(fifo, std::ios::binary) << plain;
    });
    const Outcome run = Cli({"check", fifo.string(), "-j", "2"});
    writer.join();
    EXPECT_EQ(run.out, expected.out) << run.err;
    // resave does not even open a pipe, so it cannot wait for a writer.
    const Outcome resave = Cli({"resave", fifo.string()});
    EXPECT_EQ(resave.status, 3);
    EXPECT_NE(resave.err.find("pipe"), std::string::npos) << resave.err;
}

TEST_F(Inputs, WhatCannotBeReadOrSavedIsRefusedClearly) {
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const fs::path gz = dir.Path() / "games.pgn.gz";
    const std::string gzipped = Compressed(plain, archive_write_add_filter_gzip);
    std::ofstream(gz, std::ios::binary) << gzipped;
    const Case cases[] = {
        {{"list", dir.Path().string()}, "is a folder"},
        {{"check", dir.Path().string()}, "is a folder"},
        {{"show", "/dev/null"}, "is a device"},
        {{"resave", gz.string()}, "is compressed (gzip)"},
        {{"resave", "-"}, "standard input"},
    };
    for (const Case& c : cases) {
        const Outcome run = Cli(c.args);
        EXPECT_EQ(run.status, 3) << c.args[1];
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.args[1] << ": " << run.err;
        EXPECT_TRUE(run.out.empty());
    }
    EXPECT_EQ(ReadBytes(gz), gzipped);
}

TEST_F(Inputs, TheParsersDiagnosticsReachStandardErrorOnlyWhenAskedFor) {
    for (const char* jobs : {"1", "2"}) {
        std::string quiet;
        const Outcome plainRun =
            CliCapturingStandardError({"check", plainPath.string(), "-j", jobs}, quiet);
        EXPECT_EQ(plainRun.status, 1);
        EXPECT_EQ(quiet, "");
        std::string verbose;
        const Outcome verboseRun = CliCapturingStandardError(
            {"check", plainPath.string(), "-j", jobs, "--verbose"}, verbose);
        EXPECT_EQ(verboseRun.out, plainRun.out);
        EXPECT_NE(verbose, "") << "-j " << jobs;
    }
}

} // namespace
