// The journal of a save that rewrites a file in place: a complete copy of every byte the save is
// about to overwrite, kept in a private folder until the file is whole again.
//
// A journal is written under a temporary name, flushed, and only then given its final name,
// which is derived from the file's device and inode: whatever carries that name is complete.
// Should the process die while the file is being rewritten, the next open of the file (by the
// program or by pawnlet-cli) finds the journal, puts the former bytes back and says so. The
// journal names the file's path and birth time as well, so that a journal is never applied to a
// later file that was given the same inode.
//
// The journals live in $XDG_STATE_HOME/pawnlet, or ~/.local/state/pawnlet; nothing else is ever
// written there.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file.h"
#include "platform/new_file.h"

namespace pawnlet::platform {

// The folder of the journals; none when neither XDG_STATE_HOME nor HOME is set.
std::optional<std::u16string> JournalFolder();

class Journal {
public:
    // Keeps the bytes of `file` (locked; as `status` says; at the canonical path `path`) from
    // `start` to its end, for a save that then leaves the file `newSize` bytes long. On failure
    // nothing is left behind and JournalFolder() or the error says why.
    [[nodiscard]] bool Write(File& file, const FileStatus& status, const std::u16string& path,
                             std::uint64_t start, std::uint64_t newSize);
    // Positions the journal's copy at the file's offset `offset` (at least `start`), for reading.
    [[nodiscard]] bool SeekData(std::uint64_t offset);
    File& Data() { return copy.file(); }
    // Puts the former bytes back into `file`, ends it at its former size and flushes it.
    [[nodiscard]] bool Restore(File& file);
    // Deletes the journal, durably: a journal left after the save would undo it at the next open.
    [[nodiscard]] bool Remove();
    const std::u16string& Path() const { return path; }

private:
    NewFile copy;
    std::u16string path;
    std::uint64_t start = 0;
    std::uint64_t oldSize = 0;
    std::uint64_t headerSize = 0;
};

enum class Recovery {
    Nothing,  // no journal of this file: no save of it was interrupted
    Restored, // the file was put back as it was before the interrupted save
    Failed,   // a journal exists but could not be applied: LastError() says why
};

struct RecoveryResult {
    Recovery outcome = Recovery::Nothing;
    std::u16string journal;
    int error = 0;
};

// Puts back `file` (open for writing, locked exclusively, as `status` says, at the canonical
// path `path`) from its journal, when a save of it was interrupted.
[[nodiscard]] RecoveryResult RestoreFromJournal(File& file, const FileStatus& status,
                                                const std::u16string& path);
// The same for the file at `path`, unless another process is saving it right now. Called before
// a file is read; costs two status queries when there is nothing to do.
[[nodiscard]] RecoveryResult RecoverInterruptedSave(const std::u16string& path);

} // namespace pawnlet::platform
