// Files: an owning handle and the few whole-file operations the program needs.
//
// Every operation reports failure: the bool (or empty optional) says whether it worked and
// LastError() gives the system's error code of the last failure, for the message shown to the
// user. Nothing throws. Paths are UTF-16 in memory and UTF-8 on the disk.
//
// Every read, write, seek, flush, open, close, copy, rename, delete, lock, change of owner or
// mode first asks the installed FaultInjector (fault_injector.h), so that tests can make any one
// of them fail. Paths and folders are in paths.h.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/byte_source.h"

namespace pawnlet::platform {

enum class OpenMode {
    Read,      // existing file only, read access
    ReadWrite, // existing file only, read and write access
    Create,    // read and write; created when missing, kept (not truncated) when present
    CreateNew, // read and write; fails when the file already exists (temporary files)
};

// The error of opening anything but a regular file (a pipe, a device, a socket); a folder gives
// EISDIR. Nothing is read from such a thing: opening a pipe would wait for a writer forever.
inline constexpr int NotARegularFile = EOPNOTSUPP; // "Operation not supported"
// What the error `code` of a file operation means to the user: the system's text, but for the
// refusal of something that is no regular file, which the system would call an unsupported
// operation.
std::u16string FileErrorText(int code);

// Which file a path names and its state, to tell whether another program changed or replaced it
// since it was read: any write changes the modification time, any change of owner, mode or
// links the change time, and a file put in its place has another inode, or, should the inode
// have been used again, another birth time (where the file system records one; else 0).
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    std::int64_t bornNs = 0;
    bool operator==(const FileStamp&) const = default;
    bool SameFile(const FileStamp& other) const {
        return device == other.device && inode == other.inode && bornNs == other.bornNs;
    }
};

// What a file that replaces another must take over from it.
struct FileStatus {
    FileStamp stamp;
    std::uint32_t mode = 0; // the permission bits, set-id and sticky bits included
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    std::uint64_t links = 1;
};

enum class LockKind { Shared, Exclusive };

class File final : public ByteSource {
public:
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    // Closes the file if it is still open; a failure there is lost, so callers that wrote call
    // Close() themselves.
    ~File() override;

    // Opens a regular file; anything else is refused without waiting (NotARegularFile, EISDIR).
    [[nodiscard]] bool Open(const std::u16string& path, OpenMode mode);
    [[nodiscard]] bool IsOpen() const { return fd >= 0; }
    // Closes the handle; false when the system reported an error (the handle is gone anyway).
    [[nodiscard]] bool Close();

    // Reads up to `size` bytes; `got` is what was read (0 at the end of the file).
    [[nodiscard]] bool Read(void* buffer, std::size_t size, std::size_t& got) override;
    // Writes all `size` bytes, or fails.
    [[nodiscard]] bool Write(const void* data, std::size_t size);
    [[nodiscard]] bool Seek(std::uint64_t offset) override;
    [[nodiscard]] bool SeekBy(std::int64_t delta);
    [[nodiscard]] std::optional<std::uint64_t> Tell();
    [[nodiscard]] std::optional<std::uint64_t> Size();
    // Ends the file at the current position.
    [[nodiscard]] bool SetEnd();
    // Writes the file's data through to the disk.
    [[nodiscard]] bool Flush();
    [[nodiscard]] std::optional<FileStamp> Stamp();
    [[nodiscard]] std::optional<FileStatus> Status();

    // An advisory lock over the whole file, held until the handle is closed. Waits up to
    // `waitMs` for another process to release it; EWOULDBLOCK when it did not. File systems
    // without locks (ENOLCK, EOPNOTSUPP) count as locked: the stamps still catch a change.
    [[nodiscard]] bool Lock(LockKind kind, int waitMs);
    [[nodiscard]] bool SetOwner(std::uint32_t owner, std::uint32_t group);
    [[nodiscard]] bool SetMode(std::uint32_t mode);
    // Sets aside room for `size` bytes from the start without changing the file's size, so that
    // a full disk shows before anything is written; a file system that cannot does without.
    [[nodiscard]] bool Reserve(std::uint64_t size);

    // The system handle, for new_file.cpp, which creates files in ways Open() does not.
    int Handle() const { return fd; }
    static File Adopt(int handle);

private:
    int fd = -1;
};

// Copies `count` bytes from the position of `from` to the position of `to`, a MiB at a time;
// false when a read or a write failed, or (ENODATA) when `from` ended first.
[[nodiscard]] bool CopyRange(File& to, File& from, std::uint64_t count);
// Copies `from` onto `to`, replacing `to`; the copy is flushed to the disk before it returns.
// On failure `to` may hold part of the copy: the caller decides whether to remove it.
[[nodiscard]] bool CopyFile(const std::u16string& from, const std::u16string& to);
[[nodiscard]] bool DeleteFile(const std::u16string& path);
// Renames `from` over `to`, replacing it in one step.
[[nodiscard]] bool RenameFile(const std::u16string& from, const std::u16string& to);
bool FileExists(const std::u16string& path);
// Gives `to` the access permissions of `from` (a file that replaces another keeps them).
[[nodiscard]] bool CopyPermissions(const std::u16string& from, const std::u16string& to);
// The file that `path` names, links followed.
[[nodiscard]] std::optional<FileStamp> StampOf(const std::u16string& path);
[[nodiscard]] std::optional<FileStatus> StatusOf(const std::u16string& path);

// The system error code of the last failed file operation (errno values).
int LastError();
void SetLastError(int code);

} // namespace pawnlet::platform
