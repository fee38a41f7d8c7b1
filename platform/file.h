// Files: an owning handle and the few whole-file operations the program needs.
//
// Every operation reports failure: the bool (or empty optional) says whether it worked and
// LastError() gives the system's error code of the last failure, for the message shown to the
// user. Nothing throws. Paths are UTF-16 in memory and UTF-8 on the disk.
//
// Every read, write, seek, flush, open, close, copy, rename and delete first asks the installed
// FaultInjector (fault_injector.h), so that tests can make any one of them fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

enum class OpenMode {
    Read,      // existing file only, read access
    ReadWrite, // existing file only, read and write access
    Create,    // read and write; created when missing, kept (not truncated) when present
    CreateNew, // read and write; fails when the file already exists (temporary files)
};

// Size and modification time of a file, to tell whether another program changed it.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};

class File {
public:
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    // Closes the file if it is still open; a failure there is lost, so callers that wrote call
    // Close() themselves.
    ~File();

    [[nodiscard]] bool Open(const std::u16string& path, OpenMode mode);
    [[nodiscard]] bool IsOpen() const { return fd >= 0; }
    // Closes the handle; false when the system reported an error (the handle is gone anyway).
    [[nodiscard]] bool Close();

    // Reads up to `size` bytes; `got` is what was read (0 at the end of the file).
    [[nodiscard]] bool Read(void* buffer, std::size_t size, std::size_t& got);
    // Writes all `size` bytes, or fails.
    [[nodiscard]] bool Write(const void* data, std::size_t size);
    [[nodiscard]] bool Seek(std::uint64_t offset);
    [[nodiscard]] bool SeekBy(std::int64_t delta);
    [[nodiscard]] std::optional<std::uint64_t> Tell();
    [[nodiscard]] std::optional<std::uint64_t> Size();
    // Ends the file at the current position.
    [[nodiscard]] bool SetEnd();
    // Writes the file's data through to the disk.
    [[nodiscard]] bool Flush();
    [[nodiscard]] std::optional<FileStamp> Stamp();

private:
    int fd = -1;
};

// Copies `from` onto `to`, replacing `to`; the copy is flushed to the disk before it returns.
// On failure `to` may hold part of the copy: the caller decides whether to remove it.
[[nodiscard]] bool CopyFile(const std::u16string& from, const std::u16string& to);
[[nodiscard]] bool DeleteFile(const std::u16string& path);
// Renames `from` over `to`, replacing it in one step.
[[nodiscard]] bool RenameFile(const std::u16string& from, const std::u16string& to);
bool FileExists(const std::u16string& path);
// Gives `to` the access permissions of `from` (a file that replaces another keeps them).
[[nodiscard]] bool CopyPermissions(const std::u16string& from, const std::u16string& to);
[[nodiscard]] std::optional<FileStamp> StampOf(const std::u16string& path);

// The system error code of the last failed file operation (errno values).
int LastError();
void SetLastError(int code);

} // namespace platform
