// A file past 4 GiB: games beyond that offset are listed, checked, shown, loaded and saved in
// place at their real offsets. The file is sparse: the gap before them reads as NUL bytes and
// takes no room on the disk.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "pgn/partie.h"
#include "pgn/scan_games.h"
#include "platform/file.h"
#include "platform/text.h"
#include "support/temp_dir.h"
#include "tests/cli/cli_run.h"
#include "tools/cli/cli.h"

using namespace pawnlet;

namespace {

using namespace clitest;

namespace fs = std::filesystem;

std::string Game(const std::string& white, const std::string& moves) {
    return "[White \"" + white + "\"]\n[Black \"Someone\"]\n[Result \"1-0\"]\n\n" + moves +
           " 1-0\n";
}

std::string ReadAt(int fd, std::uint64_t offset, std::size_t size) {
    std::string bytes(size, '\0');
    EXPECT_EQ(::pread(fd, bytes.data(), size, static_cast<off_t>(offset)),
              static_cast<ssize_t>(size));
    return bytes;
}

TEST(FilesPast4GiB, GamesBeyondAreListedCheckedLoadedAndSavedInPlace) {
    const testsupport::TempDir folder("pawnlet-large");
    const fs::path& dir = folder.Path();
    const fs::path path = dir / "large.pgn";
    const std::string first = Game("Alpha", "1. e4 e5");
    const std::string second = Game("Gamma", "1. d4 d5 2. c4");
    const std::string third = Game("Epsilon", "1. c4 c5");
    // Past 4 GiB by more than the second game, so that no offset of the last two fits in 32
    // bits, and no 32-bit truncation lands on a game either.
    const std::uint64_t secondAt = (std::uint64_t{1} << 32) + 4099;
    const std::uint64_t thirdAt = secondAt + second.size();
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        const std::string tail = second + third;
        ASSERT_EQ(::pwrite(fd, first.data(), first.size(), 0), static_cast<ssize_t>(first.size()));
        // The gap ends with a line break, so that the second game starts a line.
        ASSERT_EQ(::pwrite(fd, "\n", 1, static_cast<off_t>(secondAt - 1)), 1);
        ASSERT_EQ(::pwrite(fd, tail.data(), tail.size(), static_cast<off_t>(secondAt)),
                  static_cast<ssize_t>(tail.size()));
        ::close(fd);
    }
    const fs::path small = dir / "small.pgn";
    {
        platform::File file;
        ASSERT_TRUE(file.Open(platform::FromUtf8(small.string()), platform::OpenMode::Create));
        const std::string all = first + second + third;
        ASSERT_TRUE(file.Write(all.data(), all.size()));
    }

    platform::File file;
    ASSERT_TRUE(file.Open(platform::FromUtf8(path.string()), platform::OpenMode::Read));
    std::vector<std::uint64_t> starts;
    std::vector<std::u16string> whites;
    std::int32_t count = 0;
    ASSERT_TRUE(ScanGames(file, count, [&](std::unique_ptr<GameListEntry> entry, std::uint64_t) {
        starts.push_back(entry->startOffset);
        whites.push_back(entry->white.value_or(u""));
    }));
    file = platform::File();
    EXPECT_EQ(starts, (std::vector<std::uint64_t>{0, secondAt, thirdAt}));
    EXPECT_EQ(whites, (std::vector<std::u16string>{u"Alpha", u"Gamma", u"Epsilon"}));

    const Outcome list = Cli({"list", path.string()});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("\n3\t" + std::to_string(thirdAt) + "\tEpsilon\t"), std::string::npos)
        << list.out;
    // The same games, moves and errors as the file without the gap.
    const Outcome expected = Cli({"check", small.string(), "-j", "1"});
    ASSERT_EQ(expected.status, 0) << expected.err;
    for (const char* jobs : {"1", "2"}) {
        const Outcome check = Cli({"check", path.string(), "-j", jobs});
        EXPECT_EQ(check.status, 0) << check.err;
        EXPECT_EQ(check.out, expected.out) << "-j " << jobs;
    }
    const Outcome byOffset = Cli({"show", path.string(), "--offset", std::to_string(thirdAt)});
    EXPECT_EQ(byOffset.status, 0) << byOffset.err;
    EXPECT_NE(byOffset.out.find("[White \"Epsilon\"]"), std::string::npos) << byOffset.out;
    EXPECT_EQ(Cli({"show", path.string(), "--game", "3"}).out, byOffset.out);

    // A save in place: a second name for the file makes the save rewrite it where it is, which
    // copies only the bytes from the game on into its journal.
    fs::create_hard_link(path, dir / "other-name.pgn");
    Partie partie;
    ASSERT_EQ(LoadGame(partie, nullptr, platform::FromUtf8(path.string()), thirdAt, 3),
              ParseError::NoError);
    EXPECT_EQ(partie.startOffset, thirdAt);
    EXPECT_EQ(partie.endOffset, thirdAt + third.size());
    partie.SetWhite(u"Omega");
    partie.changed = true;
    ASSERT_EQ(SaveGame(partie), 0);
    EXPECT_EQ(partie.startOffset, thirdAt);
    EXPECT_GT(partie.endOffset, thirdAt);
    EXPECT_EQ(fs::file_size(path), partie.endOffset);
    {
        const int fd = ::open(path.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(ReadAt(fd, 0, first.size()), first);
        EXPECT_EQ(ReadAt(fd, secondAt, second.size()), second);
        EXPECT_NE(ReadAt(fd, thirdAt, partie.endOffset - thirdAt).find("[White \"Omega\"]"),
                  std::string::npos);
        ::close(fd);
    }
    const Outcome after = Cli({"list", path.string()});
    EXPECT_NE(after.out.find("\n3\t" + std::to_string(thirdAt) + "\tOmega\t"), std::string::npos)
        << after.out;
}

} // namespace
