#include "platform/save_journal.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/debug.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace pawnlet::platform {
namespace {

// The journal's first bytes: a mark and the identity of the file and of the save.
struct Header {
    char mark[8];
    std::uint64_t device;
    std::uint64_t inode;
    std::int64_t bornNs;
    std::uint64_t start;
    std::uint64_t oldSize;
    std::uint64_t newSize;
    std::uint64_t pathLength;
};

constexpr char Mark[8] = {'P', 'a', 'w', 'n', 'J', 'r', 'n', '1'};

std::u16string JournalName(const std::u16string& folder, const FileStamp& stamp) {
    char name[64];
    std::snprintf(name, sizeof name, "/%llx-%llx.journal",
                  static_cast<unsigned long long>(stamp.device),
                  static_cast<unsigned long long>(stamp.inode));
    return folder + FromUtf8(name);
}

// Whether the journal `header` (with the path `recorded`) was written for this very file, and
// the file is in a state that the interrupted save could have left.
bool BelongsTo(const Header& header, const std::u16string& recorded, const FileStatus& status,
               const std::u16string& path) {
    if (header.device != status.stamp.device || header.inode != status.stamp.inode) {
        return false;
    }
    // The birth time tells the file from a later one with the same inode; where the file system
    // keeps none, the path has to do.
    if (header.bornNs != 0 || status.stamp.bornNs != 0) {
        if (header.bornNs != status.stamp.bornNs) {
            return false;
        }
    } else if (recorded != path) {
        return false;
    }
    // The rewrite goes from the former size towards the new one, and ends by cutting the file.
    std::uint64_t low = std::min(header.oldSize, header.newSize);
    std::uint64_t high = std::max(header.oldSize, header.newSize);
    return status.stamp.size >= low && status.stamp.size <= high && header.start <= header.oldSize;
}

} // namespace

std::optional<std::u16string> JournalFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') {
        return PathFromBytes(state) + u"/pawnlet";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return PathFromBytes(home) + u"/.local/state/pawnlet";
    }
    return std::nullopt;
}

bool Journal::Write(File& file, const FileStatus& status, const std::u16string& filePath,
                    std::uint64_t from, std::uint64_t newSize) {
    std::optional<std::u16string> folder = JournalFolder();
    if (!folder) {
        SetLastError(ENOENT);
        return false;
    }
    if (!CreateFolders(*folder, 0700)) {
        return false;
    }
    path = JournalName(*folder, status.stamp);
    start = from;
    oldSize = status.stamp.size;
    std::string recorded = PathToBytes(filePath);
    Header header{};
    std::memcpy(header.mark, Mark, sizeof Mark);
    header.device = status.stamp.device;
    header.inode = status.stamp.inode;
    header.bornNs = status.stamp.bornNs;
    header.start = start;
    header.oldSize = oldSize;
    header.newSize = newSize;
    header.pathLength = recorded.size();
    headerSize = sizeof header + recorded.size();

    if (!copy.Create(path, 0600)) {
        return false;
    }
    File& out = copy.file();
    bool ok = out.Write(&header, sizeof header) && out.Write(recorded.data(), recorded.size()) &&
              file.Seek(start) && CopyRange(out, file, oldSize - start) && out.Flush() &&
              copy.Replace();
    if (!ok) {
        copy.Discard();
        return false;
    }
    // The name must outlast a power cut as surely as the bytes it names.
    if (!FlushFolder(*folder)) {
        DebugOutput(std::string_view("Unable to flush the folder of the save journal\n"));
    }
    return true;
}

bool Journal::SeekData(std::uint64_t offset) {
    return Data().Seek(headerSize + (offset - start));
}

bool Journal::Restore(File& file) {
    return SeekData(start) && file.Seek(start) && CopyRange(file, Data(), oldSize - start) &&
           file.Seek(oldSize) && file.SetEnd() && file.Flush();
}

bool Journal::Remove() {
    if (!DeleteFile(path)) {
        return false;
    }
    if (!FlushFolder(FolderOf(path))) {
        DebugOutput(std::string_view("Unable to flush the folder of the save journal\n"));
    }
    return true;
}

RecoveryResult RestoreFromJournal(File& file, const FileStatus& status,
                                  const std::u16string& path) {
    RecoveryResult result;
    std::optional<std::u16string> folder = JournalFolder();
    if (!folder) {
        return result;
    }
    const std::u16string name = JournalName(*folder, status.stamp);
    if (!FileExists(name)) {
        return result;
    }
    result.journal = name;
    auto fail = [&result] {
        result.outcome = Recovery::Failed;
        result.error = LastError();
        return result;
    };
    File journal;
    Header header{};
    std::size_t got = 0;
    if (!journal.Open(name, OpenMode::Read) || !journal.Read(&header, sizeof header, got)) {
        return fail();
    }
    std::optional<std::uint64_t> size = journal.Size();
    if (!size) {
        return fail();
    }
    std::string recorded;
    bool whole = got == sizeof header && std::memcmp(header.mark, Mark, sizeof Mark) == 0 &&
                 header.start <= header.oldSize && header.pathLength < (1u << 16) &&
                 *size == sizeof header + header.pathLength + (header.oldSize - header.start);
    if (whole) {
        recorded.resize(header.pathLength);
        if (!journal.Read(recorded.data(), recorded.size(), got)) {
            return fail();
        }
        whole = got == recorded.size();
    }
    if (!whole || !BelongsTo(header, PathFromBytes(recorded), status, path)) {
        // Left alone: it cannot be this file's, and it is not ours to delete.
        DebugOutput(std::string_view("A save journal that does not match its file is left: "));
        DebugOutput(name);
        DebugOutput(std::string_view("\n"));
        result.journal.clear();
        return result;
    }
    if (!file.Seek(header.start) || !CopyRange(file, journal, header.oldSize - header.start) ||
        !file.Seek(header.oldSize) || !file.SetEnd() || !file.Flush()) {
        return fail();
    }
    (void)journal.Close();
    if (!DeleteFile(name)) {
        return fail();
    }
    if (!FlushFolder(*folder)) {
        DebugOutput(std::string_view("Unable to flush the folder of the save journal\n"));
    }
    result.outcome = Recovery::Restored;
    return result;
}

RecoveryResult RecoverInterruptedSave(const std::u16string& path) {
    RecoveryResult nothing;
    std::optional<std::u16string> folder = JournalFolder();
    if (!folder) {
        return nothing;
    }
    std::optional<FileStamp> seen = StampOf(path);
    if (!seen || !FileExists(JournalName(*folder, *seen))) {
        return nothing;
    }
    File file;
    if (!file.Open(path, OpenMode::ReadWrite)) {
        RecoveryResult result;
        result.outcome = Recovery::Failed;
        result.error = LastError();
        result.journal = JournalName(*folder, *seen);
        return result;
    }
    // A process that holds the lock is saving the file right now, and its journal is its own.
    if (!file.Lock(LockKind::Exclusive, 0)) {
        return nothing;
    }
    std::optional<FileStatus> status = file.Status();
    if (!status || !status->stamp.SameFile(*seen)) {
        return nothing;
    }
    return RestoreFromJournal(file, *status, CanonicalPath(path));
}

} // namespace pawnlet::platform
