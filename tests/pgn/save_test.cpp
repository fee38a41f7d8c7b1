// Saving: in place among other games, whole files, Save As, the question before replacing a
// game, a failing file operation at every point of a save, what a save keeps of the file (links,
// mode, owner, other names, files beside it) and what it refuses to write over.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <iostream>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include "pgn_test_support.h"
#include "platform/save_journal.h"
#include "tests/unprivileged_user.h"

using namespace pawnlet;

namespace {

using namespace pgntest;
namespace fs = std::filesystem;

// The journals of in-place saves go to a folder of the test's own, never the user's.
class PrivateJournals {
public:
    PrivateJournals() {
        const char* was = std::getenv("XDG_STATE_HOME");
        if (was != nullptr) {
            previous = was;
        }
        setenv("XDG_STATE_HOME", (dir.Path() / "state").c_str(), 1);
    }
    ~PrivateJournals() {
        if (previous) {
            setenv("XDG_STATE_HOME", previous->c_str(), 1);
        } else {
            unsetenv("XDG_STATE_HOME");
        }
    }
    PrivateJournals(const PrivateJournals&) = delete;
    PrivateJournals& operator=(const PrivateJournals&) = delete;

    // The journals; a temporary file that a failing disk kept the save from removing is none.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        std::error_code ignored;
        for (const auto& entry :
             fs::directory_iterator(dir.Path() / "state" / "pawnlet", ignored)) {
            if (entry.path().extension() == ".journal") {
                names.push_back(entry.path().filename().string());
            }
        }
        return names;
    }
    fs::path Folder() const { return dir.Path() / "state" / "pawnlet"; }

private:
    TempDir dir;
    std::optional<std::string> previous;
};

// Makes the first `count` operations of one kind fail with `error`.
class Refuse final : public platform::FaultInjector {
public:
    Refuse(platform::FileOp op, int error, int count = 1) : op(op), error(error), left(count) {
        previous = platform::SetFaultInjector(this);
    }
    ~Refuse() override { platform::SetFaultInjector(previous); }
    int Check(platform::FileOp asked, std::size_t&) override {
        if (asked != op || left == 0) {
            return 0;
        }
        --left;
        return error;
    }

private:
    platform::FileOp op;
    int error;
    int left;
    platform::FaultInjector* previous = nullptr;
};

struct Fixture {
    TempDir dir;
    std::filesystem::path path;
    std::string original;
    Partie partie;
    std::uint32_t second = 0;
    std::uint32_t third = 0;
};

// Three games in a temporary file, the second one loaded and edited.
void LoadSecondGame(Fixture& f) {
    f.original = ReadBytes(DataFile("three_games.pgn"));
    f.path = f.dir.File("games.pgn", f.original);
    f.second = static_cast<std::uint32_t>(f.original.find("[Event \"Second\"]"));
    f.third = static_cast<std::uint32_t>(f.original.find("[Event \"Third\"]"));
    ASSERT_EQ(LoadGame(f.partie, nullptr, U16(f.path), f.second, 3), ParseError::NoError);
    f.partie.SetWhite(u"Gamma, edited");
    f.partie.changed = true;
}

std::string Expected(const Fixture& f) {
    return f.original.substr(0, f.second) + WriteGameText(f.partie) + f.original.substr(f.third);
}

TEST(SaveInPlace, KeepsEveryOtherGameByteForByte) {
    FakeShell shell;
    Fixture f;
    LoadSecondGame(f);
    ASSERT_EQ(SaveGame(f.partie), 0);
    std::string text = WriteGameText(f.partie);
    EXPECT_EQ(ReadBytes(f.path), Expected(f));
    EXPECT_EQ(f.partie.startOffset, f.second);
    EXPECT_EQ(f.partie.endOffset, f.second + text.size());
    EXPECT_FALSE(f.partie.changed);
    EXPECT_EQ(f.dir.Names(), std::vector<std::string>{"games.pgn"}) << "no .bak remains";
    EXPECT_TRUE(shell.messages.empty());

    // Saved again after another edit: still only this game's range changes.
    f.partie.SetBlack(u"Delta, edited too");
    ASSERT_EQ(SaveGame(f.partie), 0);
    std::string now = ReadBytes(f.path);
    EXPECT_EQ(now.substr(0, f.second), f.original.substr(0, f.second));
    EXPECT_EQ(now.substr(f.partie.endOffset), f.original.substr(f.third));
    // And the file reads back: the next game starts at the new end offset.
    Partie next;
    ASSERT_EQ(LoadGame(next, nullptr, U16(f.path), f.partie.endOffset, 3), ParseError::NoError);
    EXPECT_EQ(next.white, u"Epsilon");
}

// The last guard of an in-place save: whatever range a game was given, a save never replaces
// the beginning of another game of the list.
TEST(SaveInPlace, RefusesARangeThatHoldsAnotherGamesStart) {
    FakeShell shell;
    Fixture f;
    LoadSecondGame(f);
    f.partie.endOffset = static_cast<std::uint32_t>(f.original.size());
    EXPECT_EQ(SaveGame(f.partie), SaveFailed);
    EXPECT_EQ(ReadBytes(f.path), f.original);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages[0].text.find(u"beginning of another game"), std::u16string::npos);
}

TEST(SaveInPlace, RefusesWhenAnotherProgramChangedTheFile) {
    FakeShell shell;
    Fixture f;
    LoadSecondGame(f);
    std::string changed = f.original + "[Event \"Added elsewhere\"]\r\n";
    WriteBytes(f.path, changed);
    EXPECT_EQ(SaveGame(f.partie), SaveFailed);
    EXPECT_EQ(ReadBytes(f.path), changed);
    EXPECT_TRUE(f.partie.changed);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].caption, u"Unable to save game");
    EXPECT_NE(shell.messages[0].text.find(u"changed by another program"), std::u16string::npos);
    EXPECT_EQ(f.dir.Names(), std::vector<std::string>{"games.pgn"});
}

TEST(SaveWhole, SingleGameFileEndsRightAfterTheNewText) {
    FakeShell shell;
    TempDir dir;
    std::string original = "[White \"A\"]\r\n[Black \"B\"]\r\n[Result \"*\"]\r\n\r\n"
                           "1. e4 {a very long comment that will go away} e5 *\r\n\r\n";
    auto path = dir.File("one.pgn", original);
    Partie partie;
    ASSERT_EQ(LoadGame(partie, nullptr, U16(path), 0, 0), ParseError::NoError);
    EXPECT_EQ(partie.gamesInFile, 1);
    partie.startPosition.firstMove->after->SetComment(std::nullopt);
    partie.changed = true;
    ASSERT_EQ(SaveGame(partie), 0);
    EXPECT_EQ(ReadBytes(path), WriteGameText(partie));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"one.pgn"});
}

TEST(SaveWhole, TextTheListDidNotCountIsKept) {
    // The list counts one game (the first has no Result tag); saving that game must not
    // rewrite the file with it alone.
    FakeShell shell;
    TempDir dir;
    std::string original = ReadBytes(DataFile("game_without_result_tag.pgn"));
    auto path = dir.File("partly.pgn", original);
    Partie partie;
    ASSERT_EQ(LoadGame(partie, nullptr, U16(path), 0, 0), ParseError::NoError);
    EXPECT_EQ(partie.gamesInFile, 1);
    partie.SetBlack(u"Edited");
    ASSERT_EQ(SaveGame(partie), 0);
    std::size_t start = original.find("[Event \"Listed\"]");
    EXPECT_EQ(ReadBytes(path), original.substr(0, start) + WriteGameText(partie));
}

TEST(SaveWhole, AReadOnlyFileIsNotReplaced) {
    PAWNLET_RUN_AS_UNPRIVILEGED_USER();
    FakeShell shell;
    TempDir dir;
    std::string original = "[White \"A\"]\r\n[Black \"B\"]\r\n[Result \"*\"]\r\n\r\n1. e4 *\r\n";
    auto path = dir.File("locked.pgn", original);
    Partie partie;
    ASSERT_EQ(LoadGame(partie, nullptr, U16(path), 0, 0), ParseError::NoError);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    partie.changed = true;
    EXPECT_EQ(SaveGame(partie), SaveFailed);
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"locked.pgn"});
}

TEST(SaveWhole, TheNewFileKeepsThePermissionsOfTheOldOne) {
    FakeShell shell;
    TempDir dir;
    auto path =
        dir.File("private.pgn", "[White \"A\"]\n[Black \"B\"]\n[Result \"*\"]\n\n1. e4 *\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write);
    Partie partie;
    ASSERT_EQ(LoadGame(partie, nullptr, U16(path), 0, 0), ParseError::NoError);
    ASSERT_EQ(SaveGame(partie), 0);
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(SaveAs, AppendsToAnExistingFileAndThenReplacesOnlyThatGame) {
    FakeShell shell;
    TempDir dir;
    std::string existing = ReadBytes(DataFile("three_games.pgn"));
    auto target = dir.File("target.pgn", existing);
    Partie partie;
    partie.SetWhite(u"New");
    ASSERT_EQ(SaveGameTo(partie, U16(target)), 0);
    std::string first = WriteGameText(partie);
    EXPECT_EQ(ReadBytes(target), existing + "\r\n" + first);
    EXPECT_EQ(partie.startOffset, existing.size() + 2);
    EXPECT_EQ(partie.gamesInFile, 2);
    EXPECT_EQ(partie.path, U16(target));

    partie.SetWhite(u"Renamed");
    ASSERT_EQ(SaveGame(partie), 0);
    EXPECT_EQ(ReadBytes(target), existing + "\r\n" + WriteGameText(partie));

    auto fresh = dir.Path() / "fresh.pgn";
    Partie other;
    ASSERT_EQ(SaveGameTo(other, U16(fresh)), 0);
    EXPECT_EQ(ReadBytes(fresh), WriteGameText(other));
    EXPECT_EQ(other.gamesInFile, 0);
}

TEST(SaveAs, PropertiesFirstThenTheSaveDialog) {
    FakeShell shell;
    TempDir dir;
    Partie partie;
    shell.propertiesResult = platform::DialogCancel;
    EXPECT_FALSE(SaveAsCommand(partie, nullptr));
    EXPECT_EQ(shell.propertiesShown, 1);
    EXPECT_TRUE(dir.Names().empty());

    shell.propertiesResult = platform::DialogOk;
    shell.saveFileName.reset();
    EXPECT_FALSE(SaveAsCommand(partie, nullptr)) << "the save dialog was not confirmed";
    EXPECT_EQ(shell.saveDialogInitial, u"Game1.pgn");

    shell.saveFileName = U16(dir.Path() / "chosen.pgn");
    EXPECT_TRUE(SaveAsCommand(partie, nullptr));
    EXPECT_EQ(shell.propertiesShown, 2) << "confirmed properties are not asked again";
    EXPECT_TRUE(partie.hasFile);
    EXPECT_EQ(ReadBytes(dir.Path() / "chosen.pgn"), WriteGameText(partie));
}

TEST(ConfirmSave, AsksOnlyWhenChanged) {
    FakeShell shell;
    TempDir dir;
    auto path = dir.File("one.pgn", "[White \"A\"]\n[Black \"B\"]\n[Result \"*\"]\n\n1. e4 *\n");
    Partie partie;
    ASSERT_EQ(LoadGame(partie, nullptr, U16(path), 0, 0), ParseError::NoError);
    EXPECT_TRUE(ConfirmSave(partie, nullptr));
    EXPECT_TRUE(shell.messages.empty());

    partie.changed = true;
    shell.answers = {platform::Answer::Cancel, platform::Answer::No, platform::Answer::Yes};
    EXPECT_FALSE(ConfirmSave(partie, nullptr));
    EXPECT_TRUE(ConfirmSave(partie, nullptr));
    EXPECT_TRUE(partie.changed) << "No goes on without saving";
    EXPECT_TRUE(ConfirmSave(partie, nullptr));
    EXPECT_FALSE(partie.changed);
    ASSERT_EQ(shell.messages.size(), 3u);
    EXPECT_EQ(shell.messages[0].text, u"Do you want to save the game ?");
    EXPECT_EQ(shell.messages[0].caption, u"The game has been changed");
    EXPECT_EQ(shell.messages[0].buttons, platform::Buttons::YesNoCancel);
    EXPECT_EQ(ReadBytes(path), WriteGameText(partie));
}

TEST(SaveCommand, AFailureIsReportedTwice) {
    FakeShell shell;
    Fixture f;
    LoadSecondGame(f);
    std::filesystem::remove(f.path);
    EXPECT_FALSE(SaveCommand(f.partie, nullptr));
    ASSERT_EQ(shell.messages.size(), 2u);
    EXPECT_EQ(shell.messages[0].caption, u"Unable to save game");
    EXPECT_EQ(shell.messages[0].text.substr(0, U16(f.path).size()), U16(f.path));
    EXPECT_EQ(shell.messages[1].text, u"Unable to save the game");
    EXPECT_EQ(shell.messages[1].caption, u"Pawnlet");
    EXPECT_EQ(shell.messages[1].icon, platform::Icon::Stop);
    EXPECT_TRUE(f.partie.changed);
}

// Makes the n-th file operation of a save fail, for every n, and checks that nothing is lost:
// a failed save leaves the file byte for byte as it was and says so; a save that succeeds
// (a failure nothing depended on) wrote exactly the new text.
template <class Setup, class Expect>
void FailEveryOperation(Setup setup, Expect expected, bool diskFull) {
    int n = 1;
    for (;; ++n) {
        FakeShell shell;
        Fixture f;
        setup(f);
        std::string before = ReadBytes(f.path);
        std::string after = expected(f);
        std::int32_t result;
        bool triggered;
        {
            Injector injector;
            injector.failAt = n;
            if (diskFull) {
                injector.only = platform::FileOp::Write;
                injector.partialBytes = 7;
            }
            result = SaveGame(f.partie);
            triggered = injector.triggered;
        }
        if (!triggered) {
            EXPECT_EQ(result, 0);
            break;
        }
        std::vector<std::string> names = f.dir.Names();
        if (result == 0) {
            EXPECT_EQ(ReadBytes(f.path), after) << "operation " << n;
            EXPECT_FALSE(f.partie.changed);
        } else {
            EXPECT_EQ(result, SaveFailed);
            EXPECT_EQ(ReadBytes(f.path), before) << "operation " << n;
            EXPECT_TRUE(f.partie.changed) << "operation " << n;
            EXPECT_EQ(names, std::vector<std::string>{f.path.filename().string()})
                << "operation " << n;
            ASSERT_FALSE(shell.messages.empty()) << "operation " << n;
            EXPECT_EQ(shell.messages[0].caption, u"Unable to save game");
            // Once the file is whole again, the next save goes through.
            EXPECT_EQ(SaveGame(f.partie), 0) << "operation " << n;
            EXPECT_EQ(ReadBytes(f.path), after) << "operation " << n;
        }
    }
    EXPECT_GT(n, diskFull ? 3 : 5) << "the save went through several file operations";
}

TEST(SaveFailures, InPlaceSaveLosesNothingWhateverOperationFails) {
    FailEveryOperation(LoadSecondGame, Expected, false);
}

TEST(SaveFailures, InPlaceSaveOnAFullDiskLosesNothing) {
    FailEveryOperation(LoadSecondGame, Expected, true);
}

void LoadSingleGame(Fixture& f) {
    f.original = "[White \"A\"]\r\n[Black \"B\"]\r\n[Result \"*\"]\r\n\r\n1. e4 e5 *\r\n\r\n";
    f.path = f.dir.File("one.pgn", f.original);
    ASSERT_EQ(LoadGame(f.partie, nullptr, U16(f.path), 0, 0), ParseError::NoError);
    f.partie.SetBlack(u"Changed");
    f.partie.changed = true;
}

std::string WholeText(const Fixture& f) {
    return WriteGameText(f.partie);
}

TEST(SaveFailures, WholeFileSaveLosesNothingWhateverOperationFails) {
    FailEveryOperation(LoadSingleGame, WholeText, false);
}

// A file with a second name is rewritten in place through a journal. Every operation from the
// n-th on fails, so that putting the former bytes back fails as well: then the file may be
// damaged, but the message says so and names the journal, which is complete, and the next open
// of the file puts the former bytes back.
TEST(SaveFailures, WhenPuttingTheFileBackFailsTooTheJournalIsKeptAndNamed) {
    int damaged = 0;
    for (int n = 1;; ++n) {
        PrivateJournals journals;
        FakeShell shell;
        Fixture f;
        LoadSecondGame(f);
        fs::create_hard_link(f.path, f.dir.Path() / "alias.pgn");
        LoadSecondGame(f); // again: the new link changed the file's change time
        std::int32_t result;
        bool triggered;
        {
            Injector injector;
            injector.failAt = n;
            injector.sticky = true;
            result = SaveGame(f.partie);
            triggered = injector.triggered;
        }
        if (!triggered) {
            EXPECT_EQ(result, 0);
            break;
        }
        if (result == 0) {
            EXPECT_EQ(ReadBytes(f.path), Expected(f)) << n;
            EXPECT_TRUE(journals.Names().empty()) << n;
            continue;
        }
        EXPECT_TRUE(f.partie.changed);
        ASSERT_FALSE(shell.messages.empty()) << n;
        if (journals.Names().empty()) {
            EXPECT_EQ(ReadBytes(f.path), f.original) << n;
            continue;
        }
        // A journal that could not be deleted after a refusal holds the file as it is.
        ASSERT_EQ(journals.Names().size(), 1u) << n;
        const fs::path journal = journals.Folder() / journals.Names()[0];
        if (ReadBytes(f.path) != f.original) {
            ++damaged;
            EXPECT_NE(shell.messages[0].text.find(U16(journal)), std::u16string::npos)
                << n << ": the message names the journal";
        }
        shell.messages.clear();
        RestoreInterruptedSave(U16(f.path), nullptr);
        EXPECT_EQ(ReadBytes(f.path), f.original) << n;
        EXPECT_EQ(ReadBytes(f.dir.Path() / "alias.pgn"), f.original) << n;
        EXPECT_TRUE(journals.Names().empty()) << n;
        ASSERT_EQ(shell.messages.size(), 1u) << n;
        EXPECT_EQ(shell.messages[0].caption, u"Pawnlet");
    }
    EXPECT_GT(damaged, 0) << "no failure came while the file was being rewritten";
}

TEST(SaveFailures, AFailedSaveAsKeepsTheFormerBindingAndTheTargetFile) {
    FakeShell shell;
    TempDir dir;
    std::string existing = ReadBytes(DataFile("three_games.pgn"));
    auto target = dir.File("target.pgn", existing);
    Partie partie;
    {
        Injector injector;
        injector.only = platform::FileOp::Rename; // the new file put in place of the old one
        injector.failAt = 1;
        EXPECT_EQ(SaveGameTo(partie, U16(target)), SaveFailed);
    }
    EXPECT_EQ(ReadBytes(target), existing);
    EXPECT_EQ(partie.path, u"Game1.pgn");
    EXPECT_EQ(partie.gamesInFile, 0);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"target.pgn"});
}

// --- What the file is stays as it was

struct Surroundings {
    TempDir dir;
    fs::path file;   // the file that holds the games
    fs::path opened; // the path the game is loaded from and saved to
    // The case can only be shown with an injected failure, which lives as long as the save.
    std::function<std::unique_ptr<platform::FaultInjector>()> simulate;
    bool rewrittenInPlace = false;
    std::function<void()> undo;
};

struct KeepCase {
    const char* name;
    // Arranges what is around the file; a reason when this run cannot show the case.
    std::function<std::optional<std::string>(Surroundings&)> arrange;
};

const std::vector<KeepCase> KeepCases = {
    {"ThroughSymbolicLinks",
     [](Surroundings& s) -> std::optional<std::string> {
         // A relative link to a relative link to the file, in a folder of its own.
         fs::create_directory(s.dir.Path() / "real");
         fs::rename(s.file, s.dir.Path() / "real" / "games.pgn");
         s.file = s.dir.Path() / "real" / "games.pgn";
         fs::create_symlink("real/games.pgn", s.dir.Path() / "middle.pgn");
         fs::create_symlink("middle.pgn", s.dir.Path() / "opened.pgn");
         s.opened = s.dir.Path() / "opened.pgn";
         return std::nullopt;
     }},
    {"PrivateMode",
     [](Surroundings& s) -> std::optional<std::string> {
         fs::permissions(s.file, fs::perms::owner_read | fs::perms::owner_write);
         return std::nullopt;
     }},
    {"OwnerAndGroup",
     [](Surroundings& s) -> std::optional<std::string> {
         if (geteuid() == 0) {
             return chown(s.file.c_str(), 4242, 4243) == 0 ? std::nullopt
                                                           : std::optional<std::string>("chown");
         }
         gid_t groups[64];
         const int count = getgroups(64, groups);
         for (int i = 0; i < count; ++i) {
             if (groups[i] != getegid() && chown(s.file.c_str(), -1, groups[i]) == 0) {
                 return std::nullopt;
             }
         }
         return "the user has no second group to give the file, and may not give it another "
                "owner";
     }},
    {"HardLinked",
     [](Surroundings& s) -> std::optional<std::string> {
         fs::create_hard_link(s.file, s.dir.Path() / "alias.pgn");
         s.rewrittenInPlace = true;
         return std::nullopt;
     }},
    {"FolderNotWritable",
     [](Surroundings& s) -> std::optional<std::string> {
         s.rewrittenInPlace = true;
         if (geteuid() == 0) {
             // Permissions do not bind the superuser: the folder refuses the new file instead.
             s.simulate = [] {
                 return std::make_unique<Refuse>(platform::FileOp::CreateTemporary, EACCES);
             };
             return std::nullopt;
         }
         fs::permissions(s.dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
         s.undo = [folder = s.dir.Path()] { fs::permissions(folder, fs::perms::owner_all); };
         return std::nullopt;
     }},
};

struct Entry {
    fs::file_type type;
    std::string bytes; // a file's bytes, a link's target
    bool operator==(const Entry&) const = default;
};

// Everything in the folder tree but the file itself, and the file's owner, group and mode.
std::map<std::string, Entry> Around(const Surroundings& s) {
    std::map<std::string, Entry> entries;
    for (const auto& item : fs::recursive_directory_iterator(s.dir.Path())) {
        const fs::file_status status = item.symlink_status();
        Entry entry{status.type(), {}};
        if (fs::is_symlink(status)) {
            entry.bytes = fs::read_symlink(item.path()).string();
        } else if (fs::is_regular_file(status) && !fs::equivalent(item.path(), s.file)) {
            entry.bytes = ReadBytes(item.path());
        }
        entries[fs::relative(item.path(), s.dir.Path()).string()] = entry;
    }
    return entries;
}

TEST(SaveKeeps, LinksModeOwnerOtherNamesAndEveryFileBeside) {
    for (const KeepCase& row : KeepCases) {
        for (const bool inPlace : {false, true}) {
            SCOPED_TRACE(std::string(row.name) +
                         (inPlace ? ", a game among others" : ", a game alone"));
            PrivateJournals journals;
            FakeShell shell;
            Surroundings s;
            const std::string original =
                inPlace ? ReadBytes(DataFile("three_games.pgn"))
                        : "[White \"A\"]\r\n[Black \"B\"]\r\n[Result \"*\"]\r\n\r\n1. e4 *\r\n";
            s.file = s.dir.File("games.pgn", original);
            s.opened = s.file;
            // The user's own files under the names that saves of other programs use.
            s.dir.File("games.pgn.bak", "the user's backup");
            s.dir.File("games.pgn.tmp", "the user's notes");
            if (auto reason = row.arrange(s)) {
                std::cout << row.name << " is not shown here: " << *reason << "\n";
                continue;
            }
            const std::uint32_t offset =
                inPlace ? static_cast<std::uint32_t>(original.find("[Event \"Second\"]")) : 0;
            Partie partie;
            ASSERT_EQ(LoadGame(partie, nullptr, U16(s.opened), offset, inPlace ? 3 : 0),
                      ParseError::NoError);
            partie.SetWhite(u"Saved");
            const std::string expected = original.substr(0, partie.startOffset) +
                                         WriteGameText(partie) + original.substr(partie.endOffset);
            const auto before = Around(s);
            struct stat was {};
            ASSERT_EQ(stat(s.file.c_str(), &was), 0);

            std::int32_t result;
            {
                auto injector = s.simulate ? s.simulate() : nullptr;
                result = SaveGame(partie);
            }
            if (s.undo) {
                s.undo();
            }
            ASSERT_EQ(result, 0) << (shell.messages.empty()
                                         ? ""
                                         : platform::ToUtf8(shell.messages[0].text));
            EXPECT_TRUE(shell.messages.empty());
            EXPECT_EQ(ReadBytes(s.file), expected);
            auto after = Around(s);
            if (after.count("alias.pgn")) {
                EXPECT_EQ(ReadBytes(s.dir.Path() / "alias.pgn"), expected)
                    << "both names see the save";
                after["alias.pgn"].bytes = before.at("alias.pgn").bytes;
            }
            EXPECT_EQ(after, before) << "links, other files and names stay as they were";
            struct stat now {};
            ASSERT_EQ(stat(s.file.c_str(), &now), 0);
            EXPECT_EQ(now.st_mode, was.st_mode);
            EXPECT_EQ(now.st_uid, was.st_uid);
            EXPECT_EQ(now.st_gid, was.st_gid);
            if (s.rewrittenInPlace) {
                EXPECT_EQ(now.st_ino, was.st_ino);
            }
            EXPECT_TRUE(journals.Names().empty());
            // The stamp kept is the new file's: the next save goes through.
            partie.SetBlack(u"Saved again");
            EXPECT_EQ(SaveGame(partie), 0);
        }
    }
}

// --- What a save refuses to write over

struct SaveRefusalCase {
    const char* name;
    bool inPlace;
    // What another program does to the file between the load and the save.
    std::function<void(const fs::path&)> meddle;
    std::u16string says;
};

const std::vector<SaveRefusalCase> RefusalCases = {
    {"GameAmongOthersAfterAnotherProgramAppended", true,
     [](const fs::path& path) { WriteBytes(path, ReadBytes(path) + "[Event \"More\"]\r\n"); },
     u"changed by another program"},
    {"GameAloneAfterAnotherProgramAppended", false,
     [](const fs::path& path) { WriteBytes(path, ReadBytes(path) + "[Event \"More\"]\r\n"); },
     u"changed by another program"},
    {"AfterAnotherProgramRewroteTheSameBytes", false,
     [](const fs::path& path) {
         const std::string bytes = ReadBytes(path);
         struct stat st {};
         stat(path.c_str(), &st);
         WriteBytes(path, bytes);
         // Even with the former modification time put back.
         const timespec times[2] = {st.st_atim, st.st_mtim};
         utimensat(AT_FDCWD, path.c_str(), times, 0);
     },
     u"changed by another program"},
    {"AfterAnotherProgramPutAFileInItsPlace", true,
     [](const fs::path& path) {
         const fs::path beside = path.string() + ".new";
         WriteBytes(beside, ReadBytes(path));
         fs::rename(beside, path);
     },
     u"changed by another program"},
    {"APipeInItsPlace", true,
     [](const fs::path& path) {
         fs::remove(path);
         mkfifo(path.c_str(), 0600);
     },
     u"not a regular file"},
    {"AFolderInItsPlace", false,
     [](const fs::path& path) {
         fs::remove(path);
         fs::create_directory(path);
     },
     u"Is a directory"},
    {"TheFileRemoved", true, [](const fs::path& path) { fs::remove(path); }, u"No such file"},
};

TEST(SaveRefuses, WhatAnotherProgramChangedOrPutInThePlaceOfTheFile) {
    for (const SaveRefusalCase& row : RefusalCases) {
        SCOPED_TRACE(row.name);
        PrivateJournals journals;
        FakeShell shell;
        Fixture f;
        if (row.inPlace) {
            LoadSecondGame(f);
        } else {
            LoadSingleGame(f);
        }
        row.meddle(f.path);
        const auto names = f.dir.Names();
        const fs::file_type type = fs::symlink_status(f.path).type();
        const std::string bytes = type == fs::file_type::regular ? ReadBytes(f.path) : "";
        EXPECT_EQ(SaveGame(f.partie), SaveFailed);
        EXPECT_TRUE(f.partie.changed);
        EXPECT_EQ(f.dir.Names(), names);
        EXPECT_EQ(fs::symlink_status(f.path).type(), type);
        if (type == fs::file_type::regular) {
            EXPECT_EQ(ReadBytes(f.path), bytes);
        }
        EXPECT_TRUE(journals.Names().empty());
        ASSERT_EQ(shell.messages.size(), 1u);
        EXPECT_EQ(shell.messages[0].caption, u"Unable to save game");
        EXPECT_NE(shell.messages[0].text.find(row.says), std::u16string::npos)
            << platform::ToUtf8(shell.messages[0].text);
    }
}

TEST(SaveRefuses, SaveAsOntoAPipeOrAFolder) {
    FakeShell shell;
    TempDir dir;
    const fs::path pipe = dir.Path() / "pipe.pgn";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    fs::create_directory(dir.Path() / "folder.pgn");
    for (const fs::path& target : {pipe, dir.Path() / "folder.pgn"}) {
        Partie partie;
        EXPECT_EQ(SaveGameTo(partie, U16(target)), SaveFailed) << target;
        EXPECT_EQ(partie.path, u"Game1.pgn");
        Partie loaded;
        EXPECT_EQ(LoadGame(loaded, nullptr, U16(target), 1, 1), ParseError::OpenFailed) << target;
    }
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"folder.pgn", "pipe.pgn"}));
    EXPECT_TRUE(fs::is_fifo(pipe));
}

} // namespace
