// pawnlet-cli on small files: what each command prints and its exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "pgn/partie.h"
#include "pgn/writer.h"
#include "platform/text.h"
#include "support/temp_dir.h"
#include "tests/cli/cli_run.h"
#include "tools/cli/cli.h"

#include "pawnlet_version.h"

using namespace pawnlet;

namespace {

using namespace clitest;

struct TempCopy {
    explicit TempCopy(const std::string& source) : path(dir / "games.pgn") {
        std::filesystem::copy_file(source, path);
    }
    testsupport::TempDir dir{"pawnlet-cli"};
    std::filesystem::path path;
};

TEST(CliList, OneRowPerGameAfterTheHeader) {
    Outcome run = Cli({"list", DataFile("three_games.pgn")});
    EXPECT_EQ(run.status, 0);
    std::string bytes = ReadBytes(DataFile("three_games.pgn"));
    EXPECT_EQ(run.out,
              "#\toffset\twhite\tblack\tresult\tdate\tevent\tround\tsite\teco\tstart\n"
              "1\t0\tAlpha\tBeta\t1-0\t2024.01.01\tFirst\t1\tHere\tC20\t1. e4 e5 2. Nf3 Nc6 3. "
              "Bb5 a6 \n"
              "2\t" +
                  std::to_string(bytes.find("[Event \"Second\"]")) +
                  "\tGamma\tDelta\t0-1\t2024.01.02\tSecond\t2\tThere\t\t1. d4 d5 2. c4 {Queen's "
                  "gambit\n"
                  "3\t" +
                  std::to_string(bytes.find("[Event \"Third\"]")) +
                  "\tEpsilon\tZeta\t\xC2\xBD-\xC2\xBD\t2024.01.03\tThird\t3\tEverywhere\t\t1. c4 "
                  "c5 1/2-1/2\n");
}

TEST(CliList, ConvertsTheFileBytesToUtf8AndKeepsRowsWhole) {
    TempCopy copy(DataFile("three_games.pgn"));
    {
        std::ofstream pgn(copy.path, std::ios::binary | std::ios::trunc);
        pgn << "[Event \"O\\\"Kelly \\\\ Memorial\"]\n"
               "[White \"Caf\xE9\tX\"]\n"
               "[Black \"Nimzowitsch\x80\x81\"]\n"
               "[Round \"Aaaaaaaa\x0B"
               "bbbbbbbbb\"]\n"
               "[Result \"\xBD-\xBD\"]\n"
               "\n"
               "1. e4 {Caf\xE9} e5 2. Nf3 Nc6 3. Bb5 a6 1/2-1/2\n";
    }
    Outcome run = Cli({"list", copy.path.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "#\toffset\twhite\tblack\tresult\tdate\tevent\tround\tsite\teco\tstart\n"
              "1\t0\tCaf\xC3\xA9 X\tNimzowitsch\xE2\x82\xAC\xC2\x81\t\xC2\xBD-\xC2\xBD\t??\\??\t"
              "O\"Kelly \\ Memorial\tAaaaaaaa\x0B"
              "bbbbbbbbb\t?\t\t1. e4 {Caf\xC3\xA9} e5 2. Nf3 Nc6 "
              "3. \n");
}

TEST(CliList, ALongListGoesToTheSinkInOrderAndLosesNoRow) {
    TempCopy copy(DataFile("three_games.pgn"));
    {
        std::ofstream pgn(copy.path, std::ios::binary | std::ios::trunc);
        for (int i = 0; i < 30000; ++i) {
            pgn << "[White \"White player " << i << "\"]\n[Black \"Black player\"]\n"
                << "[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 1-0\n\n";
        }
    }
    Outcome whole = Cli({"list", copy.path.string()});
    ASSERT_EQ(whole.status, 0) << whole.err;

    std::string streamed;
    int pieces = 0;
    std::string out;
    std::string err;
    int status =
        cli::RunCli({"list", copy.path.string()}, out, err, false, [&](std::string_view piece) {
            streamed += piece;
            ++pieces;
        });
    EXPECT_EQ(status, 0);
    EXPECT_GE(pieces, 1);
    EXPECT_EQ(streamed + out, whole.out);
    EXPECT_NE(whole.out.find("\n30000\t"), std::string::npos);
}

TEST(CliShow, WritesTheGameAsASaveWould) {
    Outcome run = Cli({"show", DataFile("three_games.pgn"), "--game", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::string bytes = ReadBytes(DataFile("three_games.pgn"));
    Partie partie;
    ASSERT_EQ(LoadGame(partie, nullptr, platform::FromUtf8(DataFile("three_games.pgn")),
                       static_cast<std::uint32_t>(bytes.find("[Event \"Second\"]")), 3),
              ParseError::NoError);
    EXPECT_EQ(run.out, WriteGameText(partie));
    EXPECT_NE(run.out.find("\r\n"), std::string::npos);

    Outcome byOffset = Cli({"show", DataFile("three_games.pgn"), "--offset",
                            std::to_string(bytes.find("[Event \"Second\"]"))});
    EXPECT_EQ(byOffset.out, run.out);
    Outcome first = Cli({"show", DataFile("three_games.pgn")});
    EXPECT_NE(first.out.find("[White \"Alpha\"]"), std::string::npos);
}

struct FailureCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* err;
};

TEST(CliShow, FailuresGiveTheErrorTextAndCode) {
    const FailureCase cases[] = {
        {"illegal move",
         {"show", DataFile("illegal_move.pgn")},
         cli::ExitStatus(ParseError::IllegalMove),
         "Illegal move : Ke3"},
        {"bad headers",
         {"show", DataFile("fen_without_setup.pgn")},
         cli::ExitStatus(ParseError::BadHeaders),
         "Incorrect PGN headers"},
        {"missing file",
         {"show", DataFile("no_such.pgn")},
         cli::ExitStatus(ParseError::OpenFailed),
         "Unable to open file"},
        {"game beyond the last",
         {"show", DataFile("three_games.pgn"), "--game", "4"},
         cli::ExitStatus(ParseError::NoGame),
         "holds 3 games; there is no game 4"},
        {"offset after the last game",
         {"show", DataFile("three_games.pgn"), "--offset", "99999"},
         cli::ExitStatus(ParseError::NoGame),
         "no game at offset 99999"},
    };
    for (const auto& c : cases) {
        Outcome run = Cli(c.args);
        EXPECT_EQ(run.status, c.status) << c.name;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << c.name << ": " << run.err;
        EXPECT_TRUE(run.out.empty()) << c.name;
    }
}

TEST(CliFen, PositionAfterPliesOfTheMainLine) {
    Outcome start = Cli({"fen", DataFile("three_games.pgn"), "--ply", "0"});
    EXPECT_EQ(start.out, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\n");
    Outcome one = Cli({"fen", DataFile("three_games.pgn"), "--ply", "1"});
    EXPECT_EQ(one.out, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1\n");
    Outcome last = Cli({"fen", DataFile("three_games.pgn"), "--game", "3"});
    EXPECT_EQ(last.out, "rnbqkbnr/pp1ppppp/8/2p5/2P5/8/PP1PPPPP/RNBQKBNR w KQkq c6 0 2\n");
    Outcome beyond = Cli({"fen", DataFile("three_games.pgn"), "--game", "3", "--ply", "9"});
    EXPECT_EQ(beyond.status, cli::ExitNoSuchPly);
    EXPECT_NE(beyond.err.find("only 2 plies"), std::string::npos);
}

TEST(CliResave, RewritesOneGameInPlace) {
    TempCopy copy(DataFile("three_games.pgn"));
    std::string before = ReadBytes(copy.path);
    Outcome run = Cli({"resave", copy.path.string(), "--game", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::string after = ReadBytes(copy.path);
    std::size_t second = before.find("[Event \"Second\"]");
    std::size_t third = before.find("[Event \"Third\"]");
    EXPECT_EQ(after.substr(0, second), before.substr(0, second));
    EXPECT_EQ(after.substr(after.find("[Event \"Third\"]")), before.substr(third));
    Outcome shown = Cli({"show", copy.path.string(), "--game", "2"});
    EXPECT_EQ(after.substr(second, shown.out.size()), shown.out);
    EXPECT_FALSE(std::filesystem::exists(copy.dir / "games.pgn.bak"));
    // A second resave changes nothing: the writer's text reads back to itself.
    ASSERT_EQ(Cli({"resave", copy.path.string(), "--game", "2"}).status, 0);
    EXPECT_EQ(ReadBytes(copy.path), after);
}

TEST(CliCheck, CountsGamesMovesAndErrors) {
    Outcome good = Cli({"check", DataFile("three_games.pgn")});
    EXPECT_EQ(good.status, 0);
    // 10 + 5 main-line moves + the 2 of the variation + 2.
    EXPECT_EQ(good.out, "3 games, 19 moves, 0 errors\n");
    Outcome bad = Cli({"check", DataFile("illegal_move.pgn")});
    EXPECT_EQ(bad.status, cli::ExitCheckFailed);
    EXPECT_EQ(bad.out, "1\t0\t8\tIllegal move : Ke3\n1 games, 0 moves, 1 errors\n");
    // A file in which nothing could be listed is no success: here UTF-16, whose NUL bytes hide
    // every tag.
    TempCopy utf16(DataFile("three_games.pgn"));
    std::string wide;
    for (char c : ReadBytes(utf16.path)) {
        wide += c;
        wide += '\0';
    }
    std::ofstream(utf16.path, std::ios::binary | std::ios::trunc) << wide;
    Outcome none = Cli({"check", utf16.path.string()});
    EXPECT_EQ(none.status, cli::ExitCheckFailed);
    EXPECT_NE(none.err.find("no game found"), std::string::npos);
}

TEST(CliUsage, HelpAndMistakes) {
    Outcome help = Cli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: pawnlet-cli"), std::string::npos);
    EXPECT_NE(help.out.find("--version"), std::string::npos);
    const Outcome version = Cli({"list", "x.pgn", "--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "pawnlet-cli " PAWNLET_VERSION_TEXT "\n");
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"list"},
        {"frobnicate", "x.pgn"},
        {"list", "x.pgn", "--game", "2"},
        {"show", "x.pgn", "--game", "0"},
        {"show", "x.pgn", "--game", "2", "--offset", "5"},
        {"fen", "x.pgn", "--ply", "-1"},
        {"show", "x.pgn", "--colour"},
        {"check", "x.pgn", "-j", "0"},
        {"check", "x.pgn", "-j", "65"},
        {"list", "x.pgn", "-j", "2"},
    };
    for (const auto& args : wrong) {
        Outcome run = Cli(args);
        EXPECT_EQ(run.status, cli::ExitUsage) << ::testing::PrintToString(args);
        EXPECT_NE(run.err.find("Usage:"), std::string::npos);
    }
}

// File names are bytes: one that is not UTF-8 ("\xE9" is "é" in Latin-1) opens, lists, and is
// saved back under the same name, in place and through the new file that a whole-file save
// writes beside it.
TEST(CliNames, ANameThatIsNotUtf8OpensAndSaves) {
    TempCopy copy(DataFile("three_games.pgn"));
    const std::filesystem::path latin1 = copy.dir / "caf\xE9.pgn";
    std::filesystem::rename(copy.path, latin1);
    Outcome check = Cli({"check", latin1.string()});
    EXPECT_EQ(check.status, 0) << check.err;
    EXPECT_NE(check.out.find("3 games"), std::string::npos) << check.out;
    Outcome list = Cli({"list", latin1.string()});
    EXPECT_NE(list.out.find("Alpha"), std::string::npos) << list.err;
    const std::string before = ReadBytes(latin1);
    Outcome resave = Cli({"resave", latin1.string(), "--game", "2"});
    ASSERT_EQ(resave.status, 0) << resave.err;
    EXPECT_EQ(ReadBytes(latin1).substr(0, before.find("[Event \"Second\"]")),
              before.substr(0, before.find("[Event \"Second\"]")));
    EXPECT_NE(Cli({"check", latin1.string()}).out.find("3 games"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(copy.dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

} // namespace
