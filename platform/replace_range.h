// Replacing part of a file so that a process killed at any instant leaves the former bytes or the
// new ones, or a complete journal that the next open of the file puts back.
//
// The new file is the former one's bytes before `start`, then `text`, then its bytes from `end`
// on. When nothing the file has would be lost by it, the new file is written whole beside the
// old one and takes its place in one step: that needs a folder that may be written, a file with
// no other name (a hard link would go on naming the old bytes), and an owner, group and mode
// that the new file can be given. Otherwise the file is rewritten in place, after every byte
// that the rewrite overwrites has been copied into a journal (save_journal.h). Symbolic links
// are followed: the file they name is replaced and the link stays a link.
//
// All along, an exclusive advisory lock on the file keeps other saves out, and right before the
// commit the file must still be the one the caller expected: the same inode at the path, the
// same size, modification and change times. Else nothing is written.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file.h"

namespace pawnlet::platform {

struct RangeReplacement {
    std::u16string path;
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    // The text goes after the file's last byte, wherever that is when the save runs.
    bool append = false;
    // There is no file yet: it is created, and a file that someone else creates meanwhile is
    // never replaced (EEXIST).
    bool create = false;
    std::string_view text;
    // The file as the caller read it; none to take it as it is found.
    std::optional<FileStamp> expected;
    // The text must end at or before this offset (EFBIG).
    std::uint64_t maxEnd = std::numeric_limits<std::uint64_t>::max();
    // Called right before the commit with the file (locked, its bytes as expected) and the range
    // about to be replaced; false refuses the save.
    std::function<bool(File& file, std::uint64_t start, std::uint64_t end)> beforeCommit;
};

enum class ReplaceStatus {
    Done,
    Failed,      // the system's `error`; the file is as it was (put back if need be)
    Changed,     // another program changed or replaced the file: nothing was written
    Busy,        // another program holds the file's lock: nothing was written
    OutsideFile, // the range is not inside the file: nothing was written
    Refused,     // beforeCommit refused: nothing was written
    NoJournal,   // the file must be rewritten in place (see `inPlaceBecause`), but no journal
                 // could be written in `journal`'s folder (`error`): nothing was written
    Restored,    // a save of the file had been interrupted; the file was put back from the
                 // journal `journal`, and nothing of this save was written
    Damaged,     // the rewrite failed (`error`), and so did putting the former bytes back: they
                 // are in the journal `journal`, which the next open of the file applies
};

enum class InPlaceReason { None, HardLinks, FolderNotWritable, OwnerNotKept };

struct ReplaceResult {
    ReplaceStatus status = ReplaceStatus::Failed;
    int error = 0;
    InPlaceReason inPlaceBecause = InPlaceReason::None;
    std::u16string journal;
    // Where the text begins in the new file, and the new file's stamp (after a failure, the
    // stamp of the file that was put back as it was, if it was).
    std::uint64_t start = 0;
    std::optional<FileStamp> stamp;
};

[[nodiscard]] ReplaceResult ReplaceRange(const RangeReplacement& request);

// How long a save waits for another process to release the file's lock.
inline constexpr int LockWaitMs = 5000;

} // namespace pawnlet::platform
