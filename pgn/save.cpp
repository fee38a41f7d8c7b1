#include <cerrno>
#include <limits>
#include <vector>

#include "pgn/partie.h"
#include "pgn/writer.h"
#include "platform/debug.h"
#include "platform/text.h"

namespace {

const std::u16string SaveCaption = u"Unable to save game";

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

std::u16string LastErrorText() {
    return platform::SystemErrorText(platform::LastError());
}

// A file name beside `path` that does not exist yet, created empty and open.
bool CreateBeside(const std::u16string& path, std::u16string& tempPath, platform::File& file) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = path + u".tmp";
        if (attempt > 0) {
            tempPath += platform::FromUtf8(std::to_string(attempt));
        }
        if (file.Open(tempPath, platform::OpenMode::CreateNew)) {
            return true;
        }
        if (platform::LastError() != EEXIST) {
            return false;
        }
    }
    return false;
}

// The game alone in its file: the new text goes to a file beside it, which then replaces it
// in one step, so that the old file stays whole until the new one is complete.
std::int32_t SaveWhole(Partie& partie) {
    std::string text = WriteGameText(partie);
    // A file that may not be written stays as it is, although the directory would let a new
    // file take its place.
    bool replacing = platform::FileExists(partie.path);
    if (replacing) {
        platform::File probe;
        if (!probe.Open(partie.path, platform::OpenMode::ReadWrite)) {
            ShowSaveFailure(partie.path, LastErrorText());
            return SaveFailed;
        }
    }
    std::u16string tempPath;
    platform::File temp;
    if (!CreateBeside(partie.path, tempPath, temp)) {
        ShowSaveFailure(partie.path, LastErrorText());
        return SaveFailed;
    }
    bool ok = temp.Write(text.data(), text.size()) && temp.Flush() &&
              (!replacing || platform::CopyPermissions(partie.path, tempPath));
    int error = platform::LastError();
    ok = temp.Close() && ok;
    if (ok) {
        ok = platform::RenameFile(tempPath, partie.path);
        error = platform::LastError();
    }
    if (!ok) {
        if (!platform::DeleteFile(tempPath)) {
            platform::DebugOutput(std::string_view("Unable to delete the temporary file\n"));
        }
        platform::SetLastError(error);
        ShowSaveFailure(partie.path, LastErrorText());
        return SaveFailed;
    }
    partie.fileStamp = platform::StampOf(partie.path);
    return 0;
}

// The game among others: its byte range is replaced, through a copy of the file in
// path + ".bak" that restores the file when anything fails.
std::int32_t SaveInPlace(Partie& partie) {
    const std::u16string& path = partie.path;
    std::optional<platform::FileStamp> now = platform::StampOf(path);
    if (!now) {
        ShowSaveFailure(path, LastErrorText());
        return SaveFailed;
    }
    if (partie.fileStamp && *now != *partie.fileStamp) {
        ShowSaveFailure(path, u"The file has been changed by another program since the game "
                              u"was loaded. Nothing was written.");
        return SaveFailed;
    }
    if (partie.startOffset > partie.endOffset || partie.endOffset > now->size) {
        ShowSaveFailure(path, u"The game is no longer where it was in the file. Nothing was "
                              u"written.");
        return SaveFailed;
    }

    const std::u16string backup = path + u".bak";
    if (!platform::CopyFile(path, backup)) {
        int error = platform::LastError();
        (void)platform::DeleteFile(backup);
        platform::SetLastError(error);
        ShowSaveFailure(path, LastErrorText());
        return SaveFailed;
    }
    platform::File copy;
    platform::File file;
    if (!copy.Open(backup, platform::OpenMode::Read) ||
        !file.Open(path, platform::OpenMode::ReadWrite)) {
        int error = platform::LastError();
        (void)copy.Close();
        (void)platform::DeleteFile(backup);
        platform::SetLastError(error);
        ShowSaveFailure(path, LastErrorText());
        return SaveFailed;
    }

    // The text before the game is the same in the copy and in the file: it stays in place.
    std::optional<std::uint64_t> newEnd;
    bool ok = file.Seek(partie.startOffset) && WriteGame(partie, file);
    if (ok) {
        newEnd = file.Tell();
        ok = newEnd.has_value() && copy.Seek(partie.endOffset) && CopyBytes(file, copy, -1) &&
             file.SetEnd() && file.Flush();
    }
    int error = platform::LastError();
    ok = file.Close() && ok;
    (void)copy.Close();
    if (ok && *newEnd > std::numeric_limits<std::uint32_t>::max()) {
        ok = false;
        error = EFBIG;
    }
    if (!ok) {
        platform::SetLastError(error);
        std::u16string reason = LastErrorText();
        if (platform::RenameFile(backup, path)) {
            partie.fileStamp = platform::StampOf(path);
            ShowSaveFailure(path, reason + u"\nThe file was left as it was.");
        } else {
            ShowSaveFailure(path, reason +
                                      u"\nThe file may be incomplete; its former content "
                                      u"is kept in " +
                                      backup + u".");
        }
        return SaveFailed;
    }
    if (!platform::DeleteFile(backup)) {
        platform::DebugOutput(std::string_view("Unable to delete the backup copy\n"));
    }
    partie.endOffset = static_cast<std::uint32_t>(*newEnd);
    partie.fileStamp = platform::StampOf(path);
    return 0;
}

} // namespace

bool CopyBytes(platform::File& destination, platform::File& source, std::int64_t count) {
    std::vector<char> buffer(1 << 16);
    std::int64_t total = 0;
    for (;;) {
        std::size_t ask = buffer.size();
        if (count >= 0) {
            if (total >= count) {
                return true;
            }
            ask = static_cast<std::size_t>(std::min<std::int64_t>(count - total, ask));
        }
        std::size_t got = 0;
        if (!source.Read(buffer.data(), ask, got)) {
            return false;
        }
        if (got > 0 && !destination.Write(buffer.data(), got)) {
            return false;
        }
        total += static_cast<std::int64_t>(got);
        if (got < ask) {
            return true; // the end of the source
        }
    }
}

namespace {

// A game alone in its file is rewritten whole only when its range is the whole file: the list
// counts only complete games, so text it did not count (a game without a Result tag, notes)
// may share the file, and is kept by replacing the game in place instead.
bool RewriteWhole(const Partie& partie) {
    if (partie.gamesInFile > 1) {
        return false;
    }
    if (partie.gamesInFile == 0 || !partie.fileStamp) {
        return true;
    }
    std::optional<platform::FileStamp> now = platform::StampOf(partie.path);
    return !now || (partie.startOffset == 0 && partie.endOffset == now->size);
}

} // namespace

std::int32_t SaveGame(Partie& partie) {
    std::int32_t result = RewriteWhole(partie) ? SaveWhole(partie) : SaveInPlace(partie);
    if (result == 0) {
        partie.changed = false;
        partie.hasFile = true;
    }
    return result;
}

std::int32_t SaveGameTo(Partie& partie, const std::u16string& newPath) {
    const std::u16string oldPath = partie.path;
    const std::uint32_t oldStart = partie.startOffset;
    const std::uint32_t oldEnd = partie.endOffset;
    const std::int32_t oldGames = partie.gamesInFile;
    const std::optional<platform::FileStamp> oldStamp = partie.fileStamp;

    std::optional<std::uint64_t> appendedAt;
    if (platform::FileExists(newPath)) {
        // The game is appended after a line break, and from then on replaced in place.
        platform::File file;
        if (!file.Open(newPath, platform::OpenMode::ReadWrite)) {
            ShowSaveFailure(newPath, LastErrorText());
            return SaveFailed;
        }
        std::optional<std::uint64_t> size = file.Size();
        bool ok = size && *size + 2 <= std::numeric_limits<std::uint32_t>::max() &&
                  file.Seek(*size) && file.Write("\r\n", 2) && file.Flush();
        int error = platform::LastError();
        if (!ok && size && file.Seek(*size)) {
            (void)file.SetEnd();
        }
        if (!file.Close() && ok) {
            // The line break may have reached the disk all the same: take it off again.
            ok = false;
            error = platform::LastError();
            platform::File again;
            if (!again.Open(newPath, platform::OpenMode::ReadWrite) || !again.Seek(*size) ||
                !again.SetEnd() || !again.Close()) {
                platform::DebugOutput(std::string_view("Unable to shorten the file again\n"));
            }
        }
        if (!ok) {
            platform::SetLastError(error);
            ShowSaveFailure(newPath, LastErrorText());
            return SaveFailed;
        }
        appendedAt = *size;
        partie.startOffset = static_cast<std::uint32_t>(*size + 2);
        partie.endOffset = partie.startOffset;
        partie.gamesInFile = 2;
        partie.fileStamp = platform::StampOf(newPath);
    } else {
        partie.endOffset = 0;
        partie.gamesInFile = 0;
        partie.fileStamp.reset();
    }
    partie.path = newPath;
    std::int32_t result = SaveGame(partie);
    if (result != 0) {
        if (appendedAt) {
            // Take the line break off again, so that the file is as it was.
            platform::File file;
            if (file.Open(newPath, platform::OpenMode::ReadWrite)) {
                if (!file.Seek(*appendedAt) || !file.SetEnd() || !file.Close()) {
                    platform::DebugOutput(std::string_view("Unable to shorten the file again\n"));
                }
            }
        }
        partie.path = oldPath;
        partie.startOffset = oldStart;
        partie.endOffset = oldEnd;
        partie.gamesInFile = oldGames;
        partie.fileStamp = oldStamp;
    }
    return result;
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
    std::u16string target = *chosen;
    if (target.size() >= 2 && target[0] == u'\\' && target[1] == u'\\') {
        target.erase(0, 1);
    }
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
