#include <limits>
#include <string>

#include "pgn/game_bounds.h"
#include "pgn/partie.h"
#include "pgn/writer.h"
#include "platform/paths.h"
#include "platform/replace_range.h"
#include "platform/save_journal.h"
#include "platform/text.h"

namespace pawnlet {

namespace {

const std::u16string SaveCaption = u"Unable to save game";

// The largest position a file can have: a game saved beyond it could not be found again.
constexpr std::uint64_t MaxFileOffset = std::numeric_limits<std::int64_t>::max();

// The path, and on a second line what went wrong.
void ShowSaveFailure(const std::u16string& path, const std::u16string& reason) {
    std::u16string text = path;
    if (!reason.empty()) {
        text += u"\n";
        text += reason;
    }
    platform::CurrentShell().MessageBox(nullptr, text, SaveCaption, platform::Icon::None,
                                        platform::Buttons::Ok);
}

std::u16string InPlaceReasonText(platform::InPlaceReason reason) {
    switch (reason) {
    case platform::InPlaceReason::None:
        break;
    case platform::InPlaceReason::HardLinks:
        return u"The file has other names (hard links), so it must be rewritten in place";
    case platform::InPlaceReason::FolderNotWritable:
        return u"The file's folder may not be written, so the file must be rewritten in place";
    case platform::InPlaceReason::OwnerNotKept:
        return u"A new file could not be given this file's owner, group and permissions, so the "
               u"file must be rewritten in place";
    }
    return u"The file must be rewritten in place";
}

// What the user is told when a save did not complete; `loaded` when the game was read from the
// file (else the file is the target of Save As).
std::u16string FailureText(const platform::ReplaceResult& result, bool loaded) {
    switch (result.status) {
    case platform::ReplaceStatus::Done:
        break;
    case platform::ReplaceStatus::Failed:
        return platform::FileErrorText(result.error) + u"\nThe file was left as it was.";
    case platform::ReplaceStatus::Changed:
        return loaded ? u"The file has been changed by another program since the game was "
                        u"loaded. Nothing was written."
                      : u"The file was changed by another program while the game was being "
                        u"saved. Nothing was written.";
    case platform::ReplaceStatus::Busy:
        return u"Another program is saving this file. Nothing was written.";
    case platform::ReplaceStatus::OutsideFile:
        return u"The game is no longer where it was in the file. Nothing was written.";
    case platform::ReplaceStatus::Refused:
        return u"The game's place in the file holds the beginning of another game, which the "
               u"save would overwrite. Nothing was written.";
    case platform::ReplaceStatus::NoJournal:
        return InPlaceReasonText(result.inPlaceBecause) +
               u", but no safety copy of it could be kept in " + result.journal + u": " +
               platform::FileErrorText(result.error) + u"\nNothing was written.";
    case platform::ReplaceStatus::Restored:
        return u"A save of this file had been interrupted: the file has been put back as it was "
               u"before that save, from the copy kept in " +
               result.journal + u". Load the game again to save it. Nothing was written.";
    case platform::ReplaceStatus::Damaged:
        return platform::FileErrorText(result.error) +
               u"\nThe file may be incomplete. Its former content is "
               u"kept in " +
               result.journal + u", and is put back when the file is next opened.";
    }
    return {};
}

std::u16string InterruptedSaveText(const std::u16string& path,
                                   const platform::RecoveryResult& recovery) {
    switch (recovery.outcome) {
    case platform::Recovery::Nothing:
        break;
    case platform::Recovery::Restored:
        return path +
               u"\nA save of this file was interrupted. The file has been put back as it "
               u"was before that save, from the copy kept in " +
               recovery.journal + u".";
    case platform::Recovery::Failed:
        return path +
               u"\nA save of this file was interrupted, and the copy of its former content "
               u"kept in " +
               recovery.journal + u" could not be put back: " +
               platform::FileErrorText(recovery.error) +
               u"\nThe file may be incomplete; keep that copy.";
    }
    return {};
}

} // namespace

namespace {

// A character the game's encoding cannot hold is never written as something else: the save
// names it and writes nothing. True when every character can be written.
bool EveryCharacterFits(const Partie& partie, const std::u16string& path) {
    if (auto character = FirstCharacterNotHeld(partie, partie.encoding)) {
        ShowSaveFailure(path, CharacterNotHeldText(*character, partie.encoding) +
                                  u" Nothing was written.");
        return false;
    }
    return true;
}

} // namespace

std::int32_t SaveGame(Partie& partie) {
    if (!EveryCharacterFits(partie, partie.path)) {
        return SaveFailed;
    }
    const std::string text = WriteGameText(partie);
    platform::RangeReplacement request;
    bool rangeUnreadable = false;
    request.path = partie.path;
    request.text = text;
    request.maxEnd = MaxFileOffset;
    // A game that has never been in a file gets a new one, which must not replace anything.
    request.create = !partie.fileStamp && partie.gamesInFile == 0;
    if (!request.create) {
        request.start = partie.startOffset;
        request.end = partie.endOffset;
        request.expected = partie.fileStamp;
        // The last check, with the file locked and its bytes [start, end) exactly those the
        // game was read from: whatever the loader made of them, the range must not hold the
        // beginning of a game that the list shows, which replacing it would destroy.
        request.beforeCommit = [&](platform::File& file, std::uint64_t start, std::uint64_t end) {
            return !RangeHoldsAnotherGame(file, start, end, rangeUnreadable);
        };
    }
    const platform::ReplaceResult result = platform::ReplaceRange(request);
    if (result.status == platform::ReplaceStatus::Refused && rangeUnreadable) {
        ShowSaveFailure(partie.path,
                        platform::FileErrorText(platform::LastError()) + u"\nNothing was written.");
        return SaveFailed;
    }
    if (result.status != platform::ReplaceStatus::Done) {
        ShowSaveFailure(partie.path, FailureText(result, !request.create));
        // A file put back from its journal holds the bytes the game was read from again.
        if (result.status == platform::ReplaceStatus::Failed && result.stamp) {
            partie.fileStamp = result.stamp;
        }
        return SaveFailed;
    }
    partie.startOffset = result.start;
    partie.endOffset = result.start + text.size();
    partie.fileStamp = result.stamp;
    partie.changed = false;
    partie.hasFile = true;
    return 0;
}

std::int32_t SaveGameTo(Partie& partie, const std::u16string& newPath) {
    if (!EveryCharacterFits(partie, newPath)) {
        return SaveFailed;
    }
    const std::string game = WriteGameText(partie);
    // The game goes after a line break at the end of an existing file, and from then on is
    // replaced in place; else it makes a new file.
    const bool appending = platform::FileExists(newPath);
    const std::string text = appending ? "\r\n" + game : game;
    platform::RangeReplacement request;
    request.path = newPath;
    request.text = text;
    request.append = appending;
    request.create = !appending;
    request.maxEnd = MaxFileOffset;
    const platform::ReplaceResult result = platform::ReplaceRange(request);
    if (result.status != platform::ReplaceStatus::Done) {
        ShowSaveFailure(newPath, FailureText(result, false));
        return SaveFailed;
    }
    partie.path = newPath;
    partie.startOffset = result.start + (text.size() - game.size());
    partie.endOffset = partie.startOffset + game.size();
    partie.gamesInFile = appending ? 2 : 0;
    partie.fileStamp = result.stamp;
    partie.changed = false;
    partie.hasFile = true;
    return 0;
}

void RestoreInterruptedSave(const std::u16string& path, platform::Window owner) {
    const platform::RecoveryResult recovery = platform::RecoverInterruptedSave(path);
    if (recovery.outcome == platform::Recovery::Nothing) {
        return;
    }
    platform::CurrentShell().MessageBox(owner, InterruptedSaveText(path, recovery), u"Pawnlet",
                                        platform::Icon::Exclamation, platform::Buttons::Ok);
}

bool SaveCommand(Partie& partie, platform::Window owner) {
    if (!partie.hasFile) {
        return SaveAsCommand(partie, owner);
    }
    if (SaveGame(partie) == 0) {
        return true;
    }
    platform::CurrentShell().MessageBox(owner, u"Unable to save the game", u"Pawnlet",
                                        platform::Icon::Stop, platform::Buttons::Ok);
    return false;
}

bool SaveAsCommand(Partie& partie, platform::Window owner) {
    if (!partie.propertiesConfirmed && EditProperties(partie, owner) == platform::DialogCancel) {
        return false;
    }
    std::optional<std::u16string> chosen = platform::CurrentShell().SaveFileName(
        owner, partie.path, {{u"PGN files", u"*.pgn"}, {u"All files", u"*.*"}});
    if (!chosen) {
        return false;
    }
    const std::u16string target = platform::DropDoubledBackslash(*chosen);
    if (SaveGameTo(partie, target) == 0) {
        return true;
    }
    platform::CurrentShell().MessageBox(owner, u"Unable to save the game", u"Pawnlet",
                                        platform::Icon::Stop, platform::Buttons::Ok);
    return false;
}

bool ConfirmSave(Partie& partie, platform::Window owner) {
    if (!partie.changed) {
        return true;
    }
    platform::Answer answer = platform::CurrentShell().MessageBox(
        owner, u"Do you want to save the game ?", u"The game has been changed",
        platform::Icon::None, platform::Buttons::YesNoCancel);
    switch (answer) {
    case platform::Answer::Yes:
        return SaveCommand(partie, owner);
    case platform::Answer::No:
        return true;
    case platform::Answer::Ok:
    case platform::Answer::Cancel:
        return false;
    }
    return false;
}

int EditProperties(Partie& partie, platform::Window owner) {
    return platform::CurrentShell().EditProperties(owner, partie);
}

int EditOtherTags(Partie& partie, platform::Window owner) {
    return platform::CurrentShell().EditOtherTags(owner, partie);
}

} // namespace pawnlet
