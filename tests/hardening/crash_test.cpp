// Saving processes killed at every file operation, and two processes saving one file at once.
//
// A child process saves the game while a fault injector kills it (SIGKILL) at its n-th file
// operation, a write being cut halfway; n goes over every operation of the save, for each kind
// of save. What the disk must hold afterwards:
//
//   - the file's former bytes or its new ones; or, when the save was rewriting the file in place,
//     a complete journal, which the next open of the file (by the program, or by any command of
//     pawnlet-cli) applies, saying so. After that open the file holds its former or its new bytes
//     and no journal is left;
//   - the file keeps its mode, and a second name of it sees the same bytes;
//   - beside the file, at most the complete new file under a hidden temporary name (the kill came
//     between naming it and putting it in place).
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hardening/recording_shell.h"
#include "hardening/tree_check.h"
#include "pgn/partie.h"
#include "pgn/writer.h"
#include "platform/fault_injector.h"
#include "platform/text.h"
#include "tools/cli/cli.h"

using namespace pawnlet;

namespace {

namespace fs = std::filesystem;

std::string Game(const std::string& white, int cycles) {
    std::string moves;
    for (int i = 0; i < cycles; ++i) {
        moves += i % 2 ? "Ng1 Ng8 " : "Nf3 Nf6 ";
    }
    return "[Event \"Crash\"]\r\n[Site \"Here\"]\r\n[Date \"2026.12.08\"]\r\n[Round \"1\"]\r\n"
           "[White \"" +
           white + "\"]\r\n[Black \"Black\"]\r\n[Result \"*\"]\r\n\r\n" + moves + "*\r\n\r\n";
}

// Games enough for `bytes`, so that copies of the file take several reads and writes. Their
// bulk is in a long tag, which the next open reads far faster than moves.
std::string Games(const std::string& name, std::size_t bytes) {
    std::string games;
    for (int i = 0; games.size() < bytes; ++i) {
        games += "[Annotator \"" + std::string(30000, static_cast<char>('a' + i % 26)) + "\"]\r\n" +
                 Game(name + " " + std::to_string(i), 10 + i % 20);
    }
    return games;
}

struct Layout {
    const char* name;
    std::string before; // the games before the one saved
    std::string game;   // the game saved
    std::string after;  // the games after it
    // Saved under another name onto an existing file that holds `before` + `after`.
    bool saveAs = false;
    // The file has a second name: it is rewritten in place.
    bool hardLinked = false;
};

void PrintTo(const Layout& layout, std::ostream* out) {
    *out << layout.name;
}

std::vector<Layout> Layouts() {
    const std::string small = Game("Before", 30);
    const std::string game = Game("Saved", 100);
    const std::string big = Games("After", 3u << 20);
    return {
        {"WholeFile", "", game, ""},
        {"InPlaceFirstGame", "", game, big},
        {"InPlaceMiddleGame", small, game, big},
        {"InPlaceLastGame", big, game, ""},
        {"SaveAsAppending", big, game, "", true},
        {"InPlaceHardLinked", small, game, big, false, true},
        {"SaveAsAppendingHardLinked", small + big, game, "", true, true},
    };
}

// Counts the operations of a save, or kills the process at the one numbered `killAt`.
class Killer final : public platform::FaultInjector {
public:
    explicit Killer(int killAt) : killAt(killAt) {}
    int Check(platform::FileOp op, std::size_t& bytes) override {
        if (operations++ != killAt) {
            return 0;
        }
        if (op == platform::FileOp::Write) {
            bytes /= 2;
        }
        return platform::KillHere;
    }
    const int killAt;
    int operations = 0;
};

// How the file is opened after the kill: by the program, or by one of pawnlet-cli's commands.
const std::vector<std::string> Openers = {"program", "list", "check", "show", "fen"};

class KilledSave {
public:
    explicit KilledSave(const Layout& layout) : layout(layout) {
        path = dir / "games.pgn";
        const fs::path source = layout.saveAs ? dir / "source.pgn" : path;
        WriteBytes(source,
                   layout.saveAs ? layout.game : layout.before + layout.game + layout.after);
        if (layout.saveAs) {
            WriteBytes(path, layout.before + layout.after);
        }
        fs::permissions(path,
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        if (layout.hardLinked) {
            fs::create_hard_link(path, dir / "alias.pgn");
        }
        former = ReadBytes(path);
        const bool alone = layout.saveAs || (layout.before.empty() && layout.after.empty());
        const std::uint32_t offset =
            layout.saveAs ? 0 : static_cast<std::uint32_t>(layout.before.size());
        loaded = LoadGame(partie, nullptr, WidePath(source), offset, alone ? 1 : 3) ==
                     ParseError::NoError &&
                 partie.startOffset == offset;
        partie.SetWhite(u"Saved by a process that was killed");
        partie.startPosition.SetComment(u"A comment that makes the game longer than it was");
        partie.changed = true;
        const std::string text = WriteGameText(partie);
        fresh = layout.saveAs ? former + "\r\n" + text : layout.before + text + layout.after;
    }

    bool Save() {
        return (layout.saveAs ? SaveGameTo(partie, WidePath(path)) : SaveGame(partie)) == 0;
    }

    // Saves in a child process killed at operation `killAt`; false when it was not killed.
    bool SaveAndDie(int killAt) {
        std::fflush(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            Killer killer(killAt);
            platform::SetFaultInjector(&killer);
            _exit(Save() ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

    // Opens the file as `opener` does; what it said about an interrupted save.
    std::string Open(const std::string& opener) {
        if (opener == "program") {
            RecordingShell shell;
            Partie again;
            (void)LoadGame(again, nullptr, WidePath(path), 0, 0);
            std::string said;
            for (const auto& message : shell.messages) {
                said += platform::ToUtf8(message.caption) + ": " + platform::ToUtf8(message.text) +
                        "\n";
            }
            return said;
        }
        // pawnlet-cli's messages go to standard error itself.
        std::fflush(stderr);
        const fs::path caught = dir / "stderr.txt";
        const int saved = dup(STDERR_FILENO);
        const int into = open(caught.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(into, STDERR_FILENO);
        close(into);
        std::string out;
        std::string err;
        (void)cli::RunCli({opener, path.string()}, out, err, false);
        std::fflush(stderr);
        dup2(saved, STDERR_FILENO);
        close(saved);
        const std::string said = ReadBytes(caught) + err;
        fs::remove(caught);
        return said;
    }

    // The broken guarantees after a kill and the next open of the file by `opener`.
    std::vector<std::string> Inspect(const std::string& opener) {
        std::vector<std::string> faults;
        const std::string now = ReadBytes(path);
        const bool journaled = !journals.Journals().empty();
        if (now != former && now != fresh && !journaled) {
            faults.push_back("the file is neither as it was nor new, and no journal restores it");
        }
        for (const auto& item : fs::directory_iterator(dir.Path())) {
            const std::string name = item.path().filename().string();
            if (name == "games.pgn" || name == "source.pgn" || name == "alias.pgn") {
                continue;
            }
            if (name.rfind(".games.pgn.pawnlet-", 0) != 0 || ReadBytes(item.path()) != fresh) {
                faults.push_back("a file is left beside the saved one: " + name);
            }
        }
        const std::string said = Open(opener);
        const std::string after = ReadBytes(path);
        const bool told = said.find("A save of this file was interrupted") != std::string::npos;
        if (after != former && after != fresh) {
            faults.push_back("after the next open the file is neither as it was nor new");
        } else if (now != former && now != fresh && after != former) {
            faults.push_back("the next open did not put the former bytes back");
        }
        if (journaled != told) {
            faults.push_back(journaled ? "the next open did not say that it restored the file"
                                       : "the next open spoke of a journal that did not exist");
        }
        if (told && said.find("Pawnlet") == std::string::npos) {
            faults.push_back("the restore was not told under the caption \"Pawnlet\"");
        }
        if (!journals.Journals().empty()) {
            faults.push_back("a journal is left after the next open");
        }
        if ((fs::status(path).permissions() & fs::perms::all) !=
            (fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read)) {
            faults.push_back("the file lost its mode");
        }
        if (layout.hardLinked && ReadBytes(dir / "alias.pgn") != after) {
            faults.push_back("the second name of the file holds other bytes");
        }
        return faults;
    }

    const Layout& layout;
    JournalHome journals;
    TempDir dir;
    fs::path path;
    RecordingShell shell;
    Partie partie;
    bool loaded = false;
    std::string former;
    std::string fresh;
};

class SaveKilled : public testing::TestWithParam<Layout> {};

TEST_P(SaveKilled, AtEveryOperationLeavesTheFormerOrNewFileOrAJournalTheNextOpenApplies) {
    int operations = 0;
    {
        KilledSave clean(GetParam());
        ASSERT_TRUE(clean.loaded);
        Killer counter(-1);
        platform::SetFaultInjector(&counter);
        const bool saved = clean.Save();
        platform::SetFaultInjector(nullptr);
        ASSERT_TRUE(saved);
        ASSERT_EQ(ReadBytes(clean.path), clean.fresh);
        operations = counter.operations;
    }
    for (int at = 0; at < operations; ++at) {
        KilledSave killed(GetParam());
        ASSERT_TRUE(killed.loaded);
        ASSERT_TRUE(killed.SaveAndDie(at)) << "the save did not reach operation " << at;
        const std::string& opener = Openers[static_cast<std::size_t>(at) % Openers.size()];
        for (const std::string& fault : killed.Inspect(opener)) {
            ADD_FAILURE() << "killed at operation " << at << " of " << operations
                          << ", then opened by " << opener << ": " << fault;
        }
    }
    EXPECT_GT(operations, 15) << "the save went through fewer file operations than it can";
}

INSTANTIATE_TEST_SUITE_P(Saves, SaveKilled, testing::ValuesIn(Layouts()),
                         [](const auto& info) { return std::string(info.param.name); });

// The check must see a save that cuts the file before writing it again, without a copy.
TEST(SaveKilledChecks, CatchASaveThatTruncatesBeforeWriting) {
    const std::vector<Layout> layouts = Layouts();
    KilledSave killed(layouts[0]);
    ASSERT_TRUE(killed.loaded);
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        platform::File file;
        if (file.Open(WidePath(killed.path), platform::OpenMode::ReadWrite) && file.SetEnd() &&
            file.Write("[Event", 6)) {
            platform::Die();
        }
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_FALSE(killed.Inspect("program").empty());
}

// --- Two processes saving one file

// Each of two processes saves its own game of one file 200 times, each time loading it afresh
// and adding a number to its White tag, and loading again whenever its save is refused because
// the other changed the file. No save may undo the other's: at the end each game holds every
// number, and the other games are byte for byte as they were.
TEST(SaveConcurrently, TwoProcessesSavingTwoGamesOfOneFileLoseNothing) {
    constexpr int Saves = 200;
    JournalHome journals;
    RecordingShell shell;
    TempDir dir;
    const fs::path path = dir / "games.pgn";
    const std::vector<std::string> games = {Game("Zero", 20), Game("One", 30), Game("Two", 40),
                                            Game("Three", 50)};
    std::string original;
    for (const std::string& game : games) {
        original += game;
    }
    WriteBytes(path, original);
    const std::vector<int> savers = {1, 3};

    std::fflush(nullptr);
    std::vector<pid_t> children;
    for (const int index : savers) {
        const pid_t child = fork();
        if (child == 0) {
            for (int i = 0; i < Saves; ++i) {
                bool saved = false;
                for (int attempt = 0; attempt < 5000 && !saved; ++attempt) {
                    RecordingShell shell;
                    shell.gameIndex = index;
                    Partie partie;
                    if (LoadGame(partie, nullptr, WidePath(path), 0, 0) != ParseError::NoError) {
                        continue;
                    }
                    partie.SetWhite(partie.white.value_or(u"") + u" " +
                                    platform::FromUtf8(std::to_string(i)));
                    saved = SaveGame(partie) == 0;
                }
                if (!saved) {
                    _exit(1);
                }
            }
            _exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "a process could not save its game";
    }

    // The file as it must be: the two games with every number, the others untouched.
    std::string expected;
    for (std::size_t index = 0; index < games.size(); ++index) {
        if (std::find(savers.begin(), savers.end(), static_cast<int>(index)) == savers.end()) {
            expected += games[index];
            continue;
        }
        const fs::path alone = dir / "alone.pgn";
        WriteBytes(alone, games[index]);
        Partie partie;
        ASSERT_EQ(LoadGame(partie, nullptr, WidePath(alone), 0, 1), ParseError::NoError);
        std::u16string white = partie.white.value_or(u"");
        for (int i = 0; i < Saves; ++i) {
            white += u" " + platform::FromUtf8(std::to_string(i));
        }
        partie.SetWhite(white);
        expected += WriteGameText(partie);
        fs::remove(alone);
    }
    EXPECT_EQ(ReadBytes(path), expected);
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(dir.Path())) {
        names.push_back(item.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"games.pgn"}) << "nothing else is left beside it";
    EXPECT_TRUE(journals.Journals().empty());
}

} // namespace
