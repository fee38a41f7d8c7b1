#include "platform/file.h"

#include "platform/fault_injector.h"
#include "platform/retry.h"
#include "platform/text.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>
#include <vector>

namespace pawnlet::platform {
namespace {

// Per thread, as errno is.
thread_local int lastError = 0;
FaultInjector* injector = nullptr;

bool Fail() {
    lastError = errno;
    return false;
}

std::string NativePath(const std::u16string& path) {
    return PathToBytes(path);
}

std::int64_t Nanoseconds(std::int64_t seconds, std::int64_t nanoseconds) {
    return seconds * 1000000000 + nanoseconds;
}

// The status of an open handle (path empty) or of a path, links followed. statx gives the birth
// time as well, where the file system keeps one.
bool StatusOfHandle(int fd, const std::string& path, FileStatus& status) {
    struct statx sx;
    int flags = path.empty() ? AT_EMPTY_PATH : 0;
    if (::statx(fd, path.empty() ? "" : path.c_str(), flags, STATX_BASIC_STATS | STATX_BTIME,
                &sx) != 0) {
        return false;
    }
    // The same device number as stat() gives, so that stamps from either compare.
    status.stamp = FileStamp{
        static_cast<std::uint64_t>(makedev(sx.stx_dev_major, sx.stx_dev_minor)),
        sx.stx_ino,
        sx.stx_size,
        Nanoseconds(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec),
        Nanoseconds(sx.stx_ctime.tv_sec, sx.stx_ctime.tv_nsec),
        (sx.stx_mask & STATX_BTIME) != 0 ? Nanoseconds(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
                                         : 0};
    status.mode = sx.stx_mode & 07777;
    status.owner = sx.stx_uid;
    status.group = sx.stx_gid;
    status.links = sx.stx_nlink;
    return true;
}

void Pause(int ms) {
    timespec pause{ms / 1000, static_cast<long>(ms % 1000) * 1000000};
    while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

} // namespace

int Injected(FileOp op, std::size_t& bytes) {
    if (injector == nullptr) {
        return 0;
    }
    int code = injector->Check(op, bytes);
    if (code == KillHere) {
        if (op != FileOp::Write) {
            Die();
        }
        return code;
    }
    if (code != 0) {
        lastError = code;
    }
    return code;
}

int Injected(FileOp op) {
    std::size_t none = 0;
    return Injected(op, none);
}

void Die() {
    ::kill(::getpid(), SIGKILL);
    ::_exit(128 + SIGKILL);
}

FaultInjector* SetFaultInjector(FaultInjector* next) {
    return std::exchange(injector, next);
}

std::u16string FileErrorText(int code) {
    if (code == NotARegularFile) {
        return u"This is not a regular file (a pipe, a device or the like): games are read from "
               u"and saved to regular files only.";
    }
    return SystemErrorText(code);
}

int LastError() {
    return lastError;
}

void SetLastError(int code) {
    lastError = code;
}

File::File(File&& other) noexcept : fd(std::exchange(other.fd, -1)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (fd >= 0) {
            ::close(fd);
        }
        fd = std::exchange(other.fd, -1);
    }
    return *this;
}

File::~File() {
    if (fd >= 0) {
        ::close(fd);
    }
}

bool File::Open(const std::u16string& path, OpenMode mode) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    if (Injected(FileOp::Open) != 0) {
        return false;
    }
    // Without O_NONBLOCK, opening a pipe waits for a writer, and a device may wait for anything:
    // what is not a regular file is refused before a byte is read.
    int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    switch (mode) {
    case OpenMode::Read:
        flags |= O_RDONLY;
        break;
    case OpenMode::ReadWrite:
        flags |= O_RDWR;
        break;
    case OpenMode::Create:
        flags |= O_RDWR | O_CREAT;
        break;
    case OpenMode::CreateNew:
        flags |= O_RDWR | O_CREAT | O_EXCL;
        break;
    }
    const int handle =
        RetryInterrupted([&] { return ::open(NativePath(path).c_str(), flags, 0666); });
    if (handle < 0) {
        return Fail();
    }
    struct stat st;
    int error = 0;
    if (::fstat(handle, &st) != 0) {
        error = errno;
    } else if (S_ISDIR(st.st_mode)) {
        error = EISDIR;
    } else if (!S_ISREG(st.st_mode)) {
        error = NotARegularFile;
    } else {
        int status = ::fcntl(handle, F_GETFL);
        if (status < 0 || ::fcntl(handle, F_SETFL, status & ~O_NONBLOCK) != 0) {
            error = errno;
        }
    }
    if (error != 0) {
        lastError = error;
        ::close(handle);
        return false;
    }
    fd = handle;
    return true;
}

File File::Adopt(int handle) {
    File file;
    file.fd = handle;
    return file;
}

bool File::Close() {
    if (fd < 0) {
        return true;
    }
    int handle = std::exchange(fd, -1);
    if (Injected(FileOp::Close) != 0) {
        ::close(handle);
        return false;
    }
    if (::close(handle) != 0 && errno != EINTR) {
        return Fail();
    }
    return true;
}

bool File::Read(void* buffer, std::size_t size, std::size_t& got) {
    got = 0;
    std::size_t allowed = size;
    if (Injected(FileOp::Read, allowed) != 0) {
        return false;
    }
    size = std::min(size, allowed);
    char* out = static_cast<char*>(buffer);
    // A read may deliver less than asked for before the end of the file; keep reading so that
    // callers can take a short read as the end.
    while (got < size) {
        const ssize_t n = RetryInterrupted([&] { return ::read(fd, out + got, size - got); });
        if (n < 0) {
            return Fail();
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    return true;
}

bool File::Write(const void* data, std::size_t size) {
    std::size_t allowed = size;
    int injected = Injected(FileOp::Write, allowed);
    std::size_t toWrite = injected != 0 ? std::min(size, allowed) : size;
    const char* in = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < toWrite) {
        const ssize_t n = RetryInterrupted([&] { return ::write(fd, in + done, toWrite - done); });
        if (n < 0) {
            return Fail();
        }
        done += static_cast<std::size_t>(n);
    }
    if (injected == KillHere) {
        Die();
    }
    if (injected != 0) {
        lastError = injected;
        return false;
    }
    return true;
}

bool File::Seek(std::uint64_t offset) {
    if (Injected(FileOp::Seek) != 0) {
        return false;
    }
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
        lastError = EINVAL;
        return false;
    }
    if (::lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0) {
        return Fail();
    }
    return true;
}

bool File::SeekBy(std::int64_t delta) {
    if (Injected(FileOp::Seek) != 0) {
        return false;
    }
    if (::lseek(fd, static_cast<off_t>(delta), SEEK_CUR) < 0) {
        return Fail();
    }
    return true;
}

std::optional<std::uint64_t> File::Tell() {
    if (Injected(FileOp::Tell) != 0) {
        return std::nullopt;
    }
    off_t at = ::lseek(fd, 0, SEEK_CUR);
    if (at < 0) {
        Fail();
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(at);
}

std::optional<std::uint64_t> File::Size() {
    if (Injected(FileOp::Size) != 0) {
        return std::nullopt;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        Fail();
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(st.st_size);
}

std::optional<FileStamp> File::Stamp() {
    std::optional<FileStatus> status = Status();
    if (!status) {
        return std::nullopt;
    }
    return status->stamp;
}

std::optional<FileStatus> File::Status() {
    if (Injected(FileOp::Size) != 0) {
        return std::nullopt;
    }
    FileStatus status;
    if (!StatusOfHandle(fd, {}, status)) {
        Fail();
        return std::nullopt;
    }
    return status;
}

bool File::Lock(LockKind kind, int waitMs) {
    if (Injected(FileOp::Lock) != 0) {
        return false;
    }
    const int operation = (kind == LockKind::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    constexpr int step = 10;
    for (int waited = 0;;) {
        if (::flock(fd, operation) == 0) {
            return true;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL) {
            return true;
        }
        if (errno != EWOULDBLOCK || waited >= waitMs) {
            return Fail();
        }
        Pause(step);
        waited += step;
    }
}

bool File::SetOwner(std::uint32_t owner, std::uint32_t group) {
    if (Injected(FileOp::SetOwner) != 0) {
        return false;
    }
    if (::fchown(fd, static_cast<uid_t>(owner), static_cast<gid_t>(group)) != 0) {
        return Fail();
    }
    return true;
}

bool File::SetMode(std::uint32_t mode) {
    if (Injected(FileOp::SetMode) != 0) {
        return false;
    }
    if (::fchmod(fd, static_cast<mode_t>(mode & 07777)) != 0) {
        return Fail();
    }
    return true;
}

bool File::Reserve(std::uint64_t size) {
    if (Injected(FileOp::Reserve) != 0) {
        return false;
    }
    if (size == 0) {
        return true;
    }
    if (size > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
        lastError = EFBIG;
        return false;
    }
    const int result = RetryInterrupted(
        [&] { return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)); });
    if (result != 0 && errno != EOPNOTSUPP && errno != ENOSYS) {
        return Fail();
    }
    return true;
}

bool File::SetEnd() {
    if (Injected(FileOp::SetEnd) != 0) {
        return false;
    }
    off_t at = ::lseek(fd, 0, SEEK_CUR);
    if (at < 0 || ::ftruncate(fd, at) != 0) {
        return Fail();
    }
    return true;
}

bool File::Flush() {
    if (Injected(FileOp::Flush) != 0) {
        return false;
    }
    if (::fsync(fd) != 0) {
        return Fail();
    }
    return true;
}

bool CopyRange(File& to, File& from, std::uint64_t count) {
    constexpr std::size_t block = std::size_t{1} << 20;
    std::vector<char> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(count, block)));
    while (count > 0) {
        std::size_t ask = static_cast<std::size_t>(std::min<std::uint64_t>(count, block));
        std::size_t got = 0;
        if (!from.Read(buffer.data(), ask, got)) {
            return false;
        }
        if (got == 0) {
            lastError = ENODATA;
            return false;
        }
        if (!to.Write(buffer.data(), got)) {
            return false;
        }
        count -= got;
    }
    return true;
}

bool CopyFile(const std::u16string& from, const std::u16string& to) {
    if (Injected(FileOp::Copy) != 0) {
        return false;
    }
    File source;
    if (!source.Open(from, OpenMode::Read)) {
        return false;
    }
    // Truncation comes only after the source opened, so a missing source destroys nothing.
    File destination;
    if (!destination.Open(to, OpenMode::Create)) {
        return false;
    }
    bool ok = destination.SetEnd();
    std::vector<char> buffer(1 << 20);
    while (ok) {
        std::size_t got = 0;
        if (!source.Read(buffer.data(), buffer.size(), got)) {
            ok = false;
            break;
        }
        if (got == 0) {
            break;
        }
        ok = destination.Write(buffer.data(), got);
    }
    ok = ok && destination.Flush();
    if (!ok) {
        // Keep the first error: it is the one that says what went wrong.
        int error = lastError;
        (void)destination.Close();
        lastError = error;
        return false;
    }
    return destination.Close();
}

bool DeleteFile(const std::u16string& path) {
    if (Injected(FileOp::Delete) != 0) {
        return false;
    }
    if (::unlink(NativePath(path).c_str()) != 0) {
        return Fail();
    }
    return true;
}

bool RenameFile(const std::u16string& from, const std::u16string& to) {
    if (Injected(FileOp::Rename) != 0) {
        return false;
    }
    if (::rename(NativePath(from).c_str(), NativePath(to).c_str()) != 0) {
        return Fail();
    }
    return true;
}

bool FileExists(const std::u16string& path) {
    struct stat st;
    return ::stat(NativePath(path).c_str(), &st) == 0;
}

bool CopyPermissions(const std::u16string& from, const std::u16string& to) {
    struct stat st;
    if (::stat(NativePath(from).c_str(), &st) != 0 ||
        ::chmod(NativePath(to).c_str(), st.st_mode & 07777) != 0) {
        return Fail();
    }
    return true;
}

std::optional<FileStamp> StampOf(const std::u16string& path) {
    std::optional<FileStatus> status = StatusOf(path);
    if (!status) {
        return std::nullopt;
    }
    return status->stamp;
}

std::optional<FileStatus> StatusOf(const std::u16string& path) {
    if (Injected(FileOp::Size) != 0) {
        return std::nullopt;
    }
    FileStatus status;
    if (!StatusOfHandle(AT_FDCWD, NativePath(path), status)) {
        Fail();
        return std::nullopt;
    }
    return status;
}

} // namespace pawnlet::platform
