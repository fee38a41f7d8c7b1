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
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <random>
#include <variant>
#include <string>
#include <vector>

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
            _exit(save(partie) == 0 ? 0 : 1);
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

    std::int32_t (*save)(Partie&) = SaveGame;
    const Layout& layout;
    TempDir dir;
    RecordingShell shell;
    Partie partie;
    std::int32_t games = 1;
    std::string former;
    std::string fresh;
    bool ok = false;
};

// Kills `save` at random moments over its usual duration; the broken guarantees, one a kill.
std::vector<std::string> KillRepeatedly(const Layout& layout, std::int32_t (*save)(Partie&),
                                        int kills, std::string& summary) {
    // How long a save takes when nothing stops it: the kills are spread over that time.
    double duration = 0;
    {
        KilledSave clean(layout);
        clean.save = save;
        const double start = Now();
        if (!clean.ok || clean.SaveAndKill(-1) != 0) {
            return {"the save fails when nothing stops it"};
        }
        duration = Now() - start;
        const auto outcome = clean.Inspect();
        if (!std::holds_alternative<Outcome>(outcome) ||
            std::get<Outcome>(outcome) != Outcome::New) {
            return {"a save that nothing stopped did not write the new file"};
        }
    }
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> when(0.0, duration * 1.2);
    int counts[3] = {0, 0, 0};
    int finished = 0;
    std::vector<std::string> faults;
    for (int i = 0; i < kills; ++i) {
        KilledSave killed(layout);
        killed.save = save;
        if (!killed.ok) {
            return {"the game to save does not load"};
        }
        const double delay = when(random);
        const int exit = killed.SaveAndKill(delay);
        finished += exit == 0;
        const auto outcome = killed.Inspect();
        if (const auto* fault = std::get_if<std::string>(&outcome)) {
            faults.push_back(*fault + " (killed after " + std::to_string(delay * 1e3) +
                             " ms; seed " + std::to_string(seed) + ")");
            continue;
        }
        const Outcome result = std::get<Outcome>(outcome);
        ++counts[static_cast<int>(result)];
        if (exit == 0 && result != Outcome::New) {
            faults.push_back("a save that completed did not leave the new file");
        }
    }
    summary = std::string(layout.name) + ": " + std::to_string(kills) + " kills within " +
              std::to_string(duration * 1.2e3) + " ms; former file " + std::to_string(counts[0]) +
              ", new file " + std::to_string(counts[1]) + ", restorable from .bak " +
              std::to_string(counts[2]) + ", saves completed " + std::to_string(finished) +
              " (seed " + std::to_string(seed) + ")";
    return faults;
}

class SaveKilled : public testing::TestWithParam<Layout> {};

TEST_P(SaveKilled, DiskHoldsTheFormerOrNewFileOrACompleteCopy) {
    std::string summary;
    const auto faults = KillRepeatedly(GetParam(), SaveGame, 30, summary);
    for (const std::string& fault : faults) {
        ADD_FAILURE() << fault;
    }
    std::cout << summary << "\n";
}

// The check must see a save that cuts the file before writing it again, without a copy.
std::int32_t TruncatingSave(Partie& partie) {
    const std::string text = WriteGameText(partie);
    platform::File file;
    bool ok = file.Open(partie.path, platform::OpenMode::Create) && file.SetEnd() && file.Flush();
    for (std::size_t at = 0; ok && at < text.size(); at += 4096) {
        ok = file.Write(text.data() + at, std::min<std::size_t>(4096, text.size() - at)) &&
             file.Flush();
    }
    return file.Close() && ok ? 0 : SaveFailed;
}

TEST(SaveKilledChecks, CatchASaveThatTruncatesBeforeWriting) {
    std::string summary;
    const auto faults = KillRepeatedly(
        Layout{"Truncating", "", Game("Alone", 1500), ""}, TruncatingSave, 30, summary);
    EXPECT_FALSE(faults.empty()) << summary;
}

INSTANTIATE_TEST_SUITE_P(
    Saves, SaveKilled,
    testing::Values(Layout{"WholeFile", "", Game("Alone", 1500), ""},
                    Layout{"InPlace", Game("Before", 1000), Game("Saved", 100),
                           Game("After", 2000)}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
