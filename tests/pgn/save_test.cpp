// Saving: in place among other games, whole files, Save As, the question before replacing a
// game, and a failing file operation at every point of a save.
#include <gtest/gtest.h>

#include <unistd.h>

#include "pgn_test_support.h"

namespace {

using namespace pgntest;

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
    ASSERT_EQ(LoadGame(f.partie, nullptr, U16(f.path), f.second, 3), NoError);
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
    ASSERT_EQ(LoadGame(next, nullptr, U16(f.path), f.partie.endOffset, 3), NoError);
    EXPECT_EQ(next.white, u"Epsilon");
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
    ASSERT_EQ(LoadGame(partie, nullptr, U16(path), 0, 0), NoError);
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
    ASSERT_EQ(LoadGame(partie, nullptr, U16(path), 0, 0), NoError);
    EXPECT_EQ(partie.gamesInFile, 1);
    partie.SetBlack(u"Edited");
    ASSERT_EQ(SaveGame(partie), 0);
    std::size_t start = original.find("[Event \"Listed\"]");
    EXPECT_EQ(ReadBytes(path), original.substr(0, start) + WriteGameText(partie));
}

TEST(SaveWhole, AReadOnlyFileIsNotReplaced) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the superuser";
    }
    FakeShell shell;
    TempDir dir;
    std::string original = "[White \"A\"]\r\n[Black \"B\"]\r\n[Result \"*\"]\r\n\r\n1. e4 *\r\n";
    auto path = dir.File("locked.pgn", original);
    Partie partie;
    ASSERT_EQ(LoadGame(partie, nullptr, U16(path), 0, 0), NoError);
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
    ASSERT_EQ(LoadGame(partie, nullptr, U16(path), 0, 0), NoError);
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

    auto fresh = dir.dir / "fresh.pgn";
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

    shell.saveFileName = U16(dir.dir / "chosen.pgn");
    EXPECT_TRUE(SaveAsCommand(partie, nullptr));
    EXPECT_EQ(shell.propertiesShown, 2) << "confirmed properties are not asked again";
    EXPECT_TRUE(partie.hasFile);
    EXPECT_EQ(ReadBytes(dir.dir / "chosen.pgn"), WriteGameText(partie));
}

TEST(ConfirmSave, AsksOnlyWhenChanged) {
    FakeShell shell;
    TempDir dir;
    auto path = dir.File("one.pgn", "[White \"A\"]\n[Black \"B\"]\n[Result \"*\"]\n\n1. e4 *\n");
    Partie partie;
    ASSERT_EQ(LoadGame(partie, nullptr, U16(path), 0, 0), NoError);
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
    ASSERT_EQ(LoadGame(f.partie, nullptr, U16(f.path), 0, 0), NoError);
    f.partie.SetBlack(u"Changed");
    f.partie.changed = true;
}

std::string WholeText(const Fixture& f) {
    return WriteGameText(f.partie);
}

TEST(SaveFailures, WholeFileSaveLosesNothingWhateverOperationFails) {
    FailEveryOperation(LoadSingleGame, WholeText, false);
}

TEST(SaveFailures, WhenTheRestoreFailsTooTheCopyIsKeptAndNamed) {
    // Every operation from the n-th on fails, so the restore fails as well.
    for (int n = 1; n < 40; ++n) {
        FakeShell shell;
        Fixture f;
        LoadSecondGame(f);
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
            break;
        }
        if (result == 0) {
            // Only what came after the new file was complete failed.
            EXPECT_EQ(ReadBytes(f.path), Expected(f)) << n;
            continue;
        }
        std::filesystem::path backup = f.path;
        backup += ".bak";
        if (ReadBytes(f.path) != f.original) {
            // The file was touched and could not be restored: the copy holds the original and
            // the message says where it is.
            ASSERT_TRUE(std::filesystem::exists(backup)) << n;
            EXPECT_EQ(ReadBytes(backup), f.original) << n;
            ASSERT_FALSE(shell.messages.empty());
            EXPECT_NE(shell.messages[0].text.find(U16(backup)), std::u16string::npos) << n;
        }
        EXPECT_TRUE(f.partie.changed);
    }
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

} // namespace
