// Saving on a failing disk: every file operation of a save fails in turn, or the disk runs full
// at each write, for the whole-file save, the in-place save into a file of several games (of a
// file with a second name too, which is rewritten in place through a journal) and the save under
// another name that appends to an existing file. After each run:
//   - the file is exactly its former content (the save failed) or exactly the new one (it
//     completed), and nothing else is left in its folder or in the journal folder; or, when
//     putting the former bytes back failed as well, the message says that the file may be
//     incomplete and names the journal, which the next open of the file applies;
//   - a failed save told the user (the path with "Unable to save game", then "Unable to save the
//     game") and left the game marked changed, bound where it was, so that saving again works.
#include <cerrno>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hardening/recording_shell.h"
#include "hardening/tree_check.h"
#include "pgn/partie.h"
#include "pgn/writer.h"
#include "platform/fault_injector.h"
#include "platform/file.h"

using namespace pawnlet;

namespace {

namespace fs = std::filesystem;
using platform::FileOp;

const char* OpName(FileOp op) {
    switch (op) {
    case FileOp::Open:
        return "open";
    case FileOp::Close:
        return "close";
    case FileOp::Read:
        return "read";
    case FileOp::Write:
        return "write";
    case FileOp::Seek:
        return "seek";
    case FileOp::Tell:
        return "tell";
    case FileOp::Size:
        return "size";
    case FileOp::SetEnd:
        return "set end";
    case FileOp::Flush:
        return "flush";
    case FileOp::Copy:
        return "copy";
    case FileOp::Delete:
        return "delete";
    case FileOp::Rename:
        return "rename";
    case FileOp::Lock:
        return "lock";
    case FileOp::SetOwner:
        return "set owner";
    case FileOp::SetMode:
        return "set mode";
    case FileOp::Reserve:
        return "reserve";
    case FileOp::CreateTemporary:
        return "create temporary";
    case FileOp::Link:
        return "link";
    case FileOp::FlushFolder:
        return "flush folder";
    case FileOp::ResolveLink:
        return "resolve link";
    case FileOp::CreateFolder:
        return "create folder";
    }
    return "?";
}

enum class Failure {
    // The one operation numbered `at` fails (EIO); the others work.
    OneOperation,
    // From the write numbered `at` on the disk is full: that write stores half its bytes, every
    // later write stores nothing, and all of them fail with ENOSPC.
    DiskFull,
};

class Injector : public platform::FaultInjector {
public:
    Injector(Failure kind, int at) : kind(kind), at(at) {}

    int Check(FileOp op, std::size_t& bytes) override {
        const int index = operations++;
        if (op == FileOp::Write) {
            ++writes;
        }
        if (kind == Failure::OneOperation) {
            if (index == at) {
                failedOp = op;
                return EIO;
            }
            return 0;
        }
        if (op == FileOp::Write && writes - 1 >= at && at >= 0) {
            bytes = failedOp ? 0 : bytes / 2;
            failedOp = op;
            return ENOSPC;
        }
        return 0;
    }

    const Failure kind;
    const int at;
    int operations = 0;
    int writes = 0;
    std::optional<FileOp> failedOp;
};

std::string Game(const std::string& white, const std::string& moves) {
    return "[Event \"Hardening\"]\r\n[Site \"Here\"]\r\n[Date \"2026.12.08\"]\r\n[Round \"1\"]\r\n"
           "[White \"" +
           white + "\"]\r\n[Black \"Black\"]\r\n[Result \"*\"]\r\n\r\n" + moves + " *\r\n\r\n";
}

struct Scenario {
    const char* name;
    std::string file;        // the file the game is loaded from
    int game;                // which game of it
    bool saveAs;             // saved under another name, onto `other`
    std::string other;       // that file's content
    bool hardLinked = false; // the file has a second name
};

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

std::vector<Scenario> Scenarios() {
    const std::string first = Game("First", "1. e4 e5 2. Nf3 {a comment} Nc6");
    const std::string second = Game("Second", "1. d4 d5 (1... Nf6 2. c4) 2. c4");
    std::string long_moves;
    for (int i = 0; i < 1200; ++i) {
        long_moves += i % 2 ? "Ng1 Ng8 " : "Nf3 Nf6 ";
    }
    const std::string third = Game("Third", long_moves);
    // More than a copy buffer's worth of games, so that copies take several reads and writes.
    std::string more;
    int games = 0;
    for (; more.size() < (1u << 20) + 4096; ++games) {
        more += Game("More " + std::to_string(games), "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6");
    }
    return {
        {"WholeFile", first, 0, false, {}},
        {"InPlaceMiddleGame", first + second + third + more, 1, false, {}},
        {"InPlaceFirstGame", first + more, 0, false, {}},
        {"InPlaceLastGame", first + more + third, 1 + games, false, {}},
        {"SaveAsAppending", first, 0, true, second + more},
        {"InPlaceHardLinked", first + second + more, 1, false, {}, true},
    };
}

// One save under one injected failure, and what came of it.
class Run {
public:
    using SaveAction = std::function<bool(Partie&)>;

    Run(const Scenario& scenario) : scenario(scenario) {
        path = dir / "games.pgn";
        other = dir / "other.pgn";
        WriteBytes(path, scenario.file);
        if (scenario.hardLinked) {
            fs::create_hard_link(path, dir / "alias.pgn");
        }
        if (scenario.saveAs) {
            WriteBytes(other, scenario.other);
            shell.saveFileName = WidePath(other);
        }
        shell.gameIndex = scenario.game;
        loaded = LoadGame(partie, nullptr, WidePath(path), 0, 0);
        // An edit that changes the game's length.
        partie.startPosition.SetComment(u"Edited before the save");
        partie.SetWhite(u"Edited");
        partie.changed = true;
        text = WriteGameText(partie);
        target = scenario.saveAs ? other : path;
        former = scenario.saveAs ? scenario.other : scenario.file;
        if (scenario.saveAs) {
            expected = scenario.other + "\r\n" + text;
        } else {
            // For a game alone in its file, whose range is the whole file, this is its text.
            expected = scenario.file.substr(0, partie.startOffset) + text +
                       scenario.file.substr(partie.endOffset);
        }
        startOffset = partie.startOffset;
        endOffset = partie.endOffset;
    }

    bool Save(const SaveAction& save, platform::FaultInjector* injector) {
        shell.messages.clear();
        platform::SetFaultInjector(injector);
        const bool saved = save(partie);
        platform::SetFaultInjector(nullptr);
        return saved;
    }

    // The broken promises after a save that returned `saved`; empty when all were kept.
    std::vector<std::string> Check(bool saved) const {
        std::vector<std::string> faults;
        const std::string now = ReadBytes(target);
        if (saved && now != expected) {
            faults.push_back("a save that reported success did not write the new content");
        }
        if (!saved && now != former && !Damaged()) {
            faults.push_back(now == expected
                                 ? "a save that reported failure wrote the new content"
                                 : "a failed save left the file neither as it was nor new");
        }
        if (scenario.saveAs && ReadBytes(path) != scenario.file) {
            faults.push_back("saving under another name changed the game's former file");
        }
        for (const auto& item : fs::directory_iterator(dir.Path())) {
            const fs::path name = item.path().filename();
            if (name != "games.pgn" && name != "other.pgn" && name != "alias.pgn") {
                faults.push_back("a stray file is left behind: " + name.string());
            }
        }
        if (scenario.hardLinked && ReadBytes(dir / "alias.pgn") != now) {
            faults.push_back("the second name of the file holds other bytes");
        }
        std::error_code ignored;
        for (const auto& item : fs::directory_iterator(journals.Folder(), ignored)) {
            const fs::path name = item.path().filename();
            if (name.extension() != ".journal") {
                faults.push_back("a stray file is left in the journal folder: " + name.string());
            } else if (!Damaged() || now == former) {
                faults.push_back("a journal is left behind, and the message does not say so");
            }
        }
        if (saved && partie.changed) {
            faults.push_back("a saved game is still marked changed");
        }
        if (!saved) {
            if (!partie.changed) {
                faults.push_back("a failed save cleared the changed mark");
            }
            bool detail = false;
            bool summary = false;
            for (const auto& message : shell.messages) {
                detail = detail || message.caption == u"Unable to save game";
                summary = summary || (message.caption == u"Pawnlet" &&
                                      message.text == u"Unable to save the game" &&
                                      message.icon == platform::Icon::Stop);
            }
            if (!detail || !summary) {
                faults.push_back("a failed save did not tell the user");
            }
            if (partie.startOffset != startOffset || partie.endOffset != endOffset ||
                partie.path != WidePath(path)) {
                faults.push_back("a failed save moved the game's binding to its file");
            }
        }
        return faults;
    }

    // Whether the save said that the file may be incomplete and named its journal.
    bool Damaged() const {
        const std::vector<std::string> names = journals.Journals();
        if (names.size() != 1) {
            return false;
        }
        const std::u16string journal = WidePath(journals.Folder() / names[0]);
        for (const auto& message : shell.messages) {
            if (message.text.find(u"may be incomplete") != std::u16string::npos &&
                message.text.find(journal) != std::u16string::npos) {
                return true;
            }
        }
        return false;
    }

    const Scenario& scenario;
    JournalHome journals;
    TempDir dir;
    fs::path path;
    fs::path other;
    fs::path target;
    RecordingShell shell;
    Partie partie;
    ParseResult loaded;
    std::string text;
    std::string former;
    std::string expected;
    std::uint32_t startOffset = 0;
    std::uint32_t endOffset = 0;
};

Run::SaveAction Command(const Scenario& scenario) {
    if (scenario.saveAs) {
        return [](Partie& partie) { return SaveAsCommand(partie, nullptr); };
    }
    return [](Partie& partie) { return SaveCommand(partie, nullptr); };
}

// Runs the save once per failure point and gives every broken promise, with where it broke.
std::vector<std::string> FailEverywhere(const Scenario& scenario, Failure kind,
                                        const Run::SaveAction& save, int& points) {
    int total = 0;
    {
        Run clean(scenario);
        if (clean.loaded != ParseError::NoError) {
            return {"the scenario's game does not load"};
        }
        Injector counter(kind, -1);
        const bool saved = clean.Save(save, &counter);
        if (!saved || !clean.Check(true).empty()) {
            return {"the save fails without any injected failure"};
        }
        total = kind == Failure::OneOperation ? counter.operations : counter.writes;
    }
    std::vector<std::string> faults;
    points = total;
    for (int at = 0; at < total; ++at) {
        Run run(scenario);
        Injector injector(kind, at);
        const bool saved = run.Save(save, &injector);
        std::vector<std::string> broken = run.Check(saved);
        if (!saved && !injector.failedOp) {
            broken.push_back("the save failed although nothing failed");
        }
        // A file that may be incomplete is put back by the next open, and is then as it was.
        if (!saved && broken.empty() && run.Damaged()) {
            RestoreInterruptedSave(WidePath(run.target), nullptr);
            if (ReadBytes(run.target) != run.former || !run.journals.Journals().empty()) {
                broken.push_back("the next open did not put the file back from its journal");
            }
            // A failed save leaves the game able to be saved once the disk works again.
        } else if (!saved && broken.empty()) {
            const bool again = run.Save(save, nullptr);
            if (!again || !run.Check(true).empty()) {
                broken.push_back("saving again after the failure does not write the new content");
            }
        }
        for (const std::string& fault : broken) {
            std::ostringstream where;
            where << "failing " << (kind == Failure::OneOperation ? "operation " : "write ") << at
                  << " (" << (injector.failedOp ? OpName(*injector.failedOp) : "none") << ")"
                  << ": " << fault;
            faults.push_back(where.str());
        }
    }
    return faults;
}

std::string Join(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines) {
        all += line + "\n";
    }
    return all;
}

class SaveUnderFaults : public testing::TestWithParam<Scenario> {};

TEST_P(SaveUnderFaults, EachOperationFailingInTurnLosesNothing) {
    int points = 0;
    const auto faults =
        FailEverywhere(GetParam(), Failure::OneOperation, Command(GetParam()), points);
    EXPECT_TRUE(faults.empty()) << Join(faults);
    EXPECT_GT(points, 5) << "the save went through fewer file operations than it can";
}

TEST_P(SaveUnderFaults, DiskRunningFullAtEachWriteLosesNothing) {
    int points = 0;
    const auto faults = FailEverywhere(GetParam(), Failure::DiskFull, Command(GetParam()), points);
    EXPECT_TRUE(faults.empty()) << Join(faults);
    EXPECT_GT(points, 0);
}

INSTANTIATE_TEST_SUITE_P(Saves, SaveUnderFaults, testing::ValuesIn(Scenarios()),
                         [](const auto& info) { return std::string(info.param.name); });

// The checks above must be able to see a save that loses data: one that cuts the file first and
// writes afterwards, without a copy, is caught.
TEST(SaveFaultChecks, CatchASaveThatTruncatesBeforeWriting) {
    const Run::SaveAction unsafe = [](Partie& partie) {
        const std::string text = WriteGameText(partie);
        platform::File file;
        const bool ok = file.Open(partie.path, platform::OpenMode::Create) && file.SetEnd() &&
                        file.Write(text.data(), text.size() / 2) &&
                        file.Write(text.data() + text.size() / 2, text.size() - text.size() / 2) &&
                        file.Close();
        if (!ok) {
            platform::CurrentShell().MessageBox(nullptr, partie.path, u"Unable to save game",
                                                platform::Icon::None, platform::Buttons::Ok);
            platform::CurrentShell().MessageBox(nullptr, u"Unable to save the game", u"Pawnlet",
                                                platform::Icon::Stop, platform::Buttons::Ok);
            return false;
        }
        partie.changed = false;
        return true;
    };
    int points = 0;
    const auto faults = FailEverywhere(Scenarios()[0], Failure::OneOperation, unsafe, points);
    EXPECT_FALSE(faults.empty());
    const auto full = FailEverywhere(Scenarios()[0], Failure::DiskFull, unsafe, points);
    EXPECT_FALSE(full.empty());
}

} // namespace
