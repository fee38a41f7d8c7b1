// Saving killed at a random moment: a child process saves the game and the parent kills it with
// SIGKILL after a random delay, many times over. What the disk must hold afterwards:
//
//   - whole-file save (a file of one game): the file is exactly its former content or exactly
//     the new one. A temporary file beside it ("<file>.tmp...") may be left over; it is never
//     the file itself, and the next save passes it by.
//   - in-place save (a file of several games): the file is its former content or the new one;
//     or, when the kill came while the file itself was being rewritten, "<file>.bak" holds the
//     complete former content, and renaming it over the file restores the file. A ".bak" beside
//     a file that is whole may be incomplete (the kill came while the copy was being made).
#include <csignal>
#include <cstdio>
#include <iostream>
#include <random>
#include <variant>
#include <string>

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "hardening/recording_shell.h"
#include "hardening/tree_check.h"
#include "pgn/partie.h"
#include "pgn/writer.h"

namespace {

namespace fs = std::filesystem;

std::string Game(const std::string& white, int cycles) {
    std::string moves;
    for (int i = 0; i < cycles; ++i) {
        moves += i % 2 ? "Ng1 Ng8 " : "Nf3 Nf6 ";
    }
    return "[Event \"Crash\"]\r\n[Site \"Here\"]\r\n[Date \"2026.12.08\"]\r\n[Round \"1\"]\r\n"
           "[White \"" + white + "\"]\r\n[Black \"Black\"]\r\n[Result \"*\"]\r\n\r\n" + moves +
           "*\r\n\r\n";
}

double Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct Layout {
    const char* name;
    std::string before; // the games before the one saved
    std::string game;   // the game saved
    std::string after;  // the games after it
};

enum class Outcome { Former, New, Restorable };

class KilledSave {
public:
    explicit KilledSave(const Layout& layout) : layout(layout) {
        former = layout.before + layout.game + layout.after;
        WriteAll(path(), former);
        games = layout.before.empty() && layout.after.empty() ? 1 : 3;
        const ParseError loaded =
            LoadGame(partie, nullptr, WidePath(path()),
                     static_cast<std::uint32_t>(layout.before.size()), games);
        ok = loaded == NoError && partie.startOffset == layout.before.size();
        partie.SetWhite(u"Saved by a process that was killed");
        partie.startPosition.SetComment(u"A comment that makes the game longer than it was");
        partie.changed = true;
        fresh = layout.before + WriteGameText(partie) + layout.after;
    }

    fs::path path() const { return dir / "games.pgn"; }

    // Starts the save in a child and kills it after `delay` seconds (it may be done by then).
    // Returns the child's exit code, or -1 when it was killed.
    int SaveAndKill(double delay) {
        std::fflush(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            _exit(SaveGame(partie) == 0 ? 0 : 1);
        }
        if (delay >= 0) {
            const timespec pause{static_cast<time_t>(delay),
                                 static_cast<long>((delay - static_cast<double>(
                                                               static_cast<time_t>(delay))) * 1e9)};
            nanosleep(&pause, nullptr);
            kill(child, SIGKILL);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // What the disk holds, or a description of the broken guarantee.
    std::variant<Outcome, std::string> Inspect() const {
        const std::string now = ReadAll(path());
        const fs::path bak = dir / "games.pgn.bak";
        const bool hasBak = fs::exists(bak);
        if (now == former) {
            return Outcome::Former;
        }
        if (now == fresh) {
            if (hasBak && ReadAll(bak) != former) {
                return std::string("beside the new file lies a .bak that is not the former file");
            }
            return Outcome::New;
        }
        if (games == 1) {
            return std::string("a whole-file save left the file neither as it was nor new");
        }
        if (!hasBak || ReadAll(bak) != former) {
            return std::string("the file is partly rewritten and no complete .bak restores it");
        }
        return Outcome::Restorable;
    }

    const Layout& layout;
    TempDir dir;
    RecordingShell shell;
    Partie partie;
    std::int32_t games = 1;
    std::string former;
    std::string fresh;
    bool ok = false;
};

class SaveKilled : public testing::TestWithParam<Layout> {};

TEST_P(SaveKilled, DiskHoldsTheFormerOrNewFileOrACompleteCopy) {
    // How long a save takes when nothing stops it: the kills are spread over that time.
    double duration = 0;
    {
        KilledSave save(GetParam());
        ASSERT_TRUE(save.ok) << "the game to save does not load";
        const double start = Now();
        ASSERT_EQ(save.SaveAndKill(-1), 0) << "the save fails when nothing stops it";
        duration = Now() - start;
        const auto outcome = save.Inspect();
        ASSERT_TRUE(std::holds_alternative<Outcome>(outcome) &&
                    std::get<Outcome>(outcome) == Outcome::New);
    }
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> when(0.0, duration * 1.2);
    int counts[3] = {0, 0, 0};
    int finished = 0;
    constexpr int Kills = 30;
    for (int i = 0; i < Kills; ++i) {
        KilledSave save(GetParam());
        ASSERT_TRUE(save.ok);
        const double delay = when(random);
        const int exit = save.SaveAndKill(delay);
        finished += exit == 0;
        const auto outcome = save.Inspect();
        if (const auto* fault = std::get_if<std::string>(&outcome)) {
            ADD_FAILURE() << *fault << " (killed after " << delay * 1e3 << " ms; seed " << seed
                          << ")";
            continue;
        }
        const Outcome result = std::get<Outcome>(outcome);
        ++counts[static_cast<int>(result)];
        if (exit == 0) {
            EXPECT_EQ(result, Outcome::New) << "a save that completed did not leave the new file";
        }
    }
    std::cout << GetParam().name << ": " << Kills << " kills within " << duration * 1.2e3
              << " ms; former file " << counts[0] << ", new file " << counts[1]
              << ", restorable from .bak " << counts[2] << ", saves completed " << finished
              << " (seed " << seed << ")\n";
}

INSTANTIATE_TEST_SUITE_P(
    Saves, SaveKilled,
    testing::Values(Layout{"WholeFile", "", Game("Alone", 1500), ""},
                    Layout{"InPlace", Game("Before", 1000), Game("Saved", 100),
                           Game("After", 2000)}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
