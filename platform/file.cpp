#include "platform/file.h"

#include "platform/fault_injector.h"
#include "platform/text.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <limits>
#include <utility>
#include <vector>

namespace platform {
namespace {

int lastError = 0;
FaultInjector* injector = nullptr;

// Asks the injector about `op`; a non-zero answer is recorded as the failure's error code.
int Injected(FileOp op, std::size_t& bytes) {
    if (injector == nullptr) {
        return 0;
    }
    int code = injector->Check(op, bytes);
    if (code != 0) {
        lastError = code;
    }
    return code;
}

int Injected(FileOp op) {
    std::size_t none = 0;
    return Injected(op, none);
}

bool Fail() {
    lastError = errno;
    return false;
}

std::string NativePath(const std::u16string& path) {
    return ToUtf8(path);
}

std::int64_t ModifiedNs(const struct stat& st) {
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

} // namespace

FaultInjector* SetFaultInjector(FaultInjector* next) {
    return std::exchange(injector, next);
}

FaultInjector* CurrentFaultInjector() {
    return injector;
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
    int flags = O_CLOEXEC;
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
    int handle;
    do {
        handle = ::open(NativePath(path).c_str(), flags, 0666);
    } while (handle < 0 && errno == EINTR);
    if (handle < 0) {
        return Fail();
    }
    // A directory opens for reading on POSIX; it is no file to read games from.
    struct stat st;
    if (::fstat(handle, &st) != 0 || S_ISDIR(st.st_mode)) {
        lastError = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(handle);
        return false;
    }
    fd = handle;
    return true;
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
        ssize_t n = ::read(fd, out + got, size - got);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
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
        ssize_t n = ::write(fd, in + done, toWrite - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Fail();
        }
        done += static_cast<std::size_t>(n);
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
    if (Injected(FileOp::Size) != 0) {
        return std::nullopt;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        Fail();
        return std::nullopt;
    }
    return FileStamp{static_cast<std::uint64_t>(st.st_size), ModifiedNs(st)};
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
    std::vector<char> buffer(1 << 16);
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
    if (Injected(FileOp::Size) != 0) {
        return std::nullopt;
    }
    struct stat st;
    if (::stat(NativePath(path).c_str(), &st) != 0) {
        Fail();
        return std::nullopt;
    }
    return FileStamp{static_cast<std::uint64_t>(st.st_size), ModifiedNs(st)};
}

} // namespace platform
