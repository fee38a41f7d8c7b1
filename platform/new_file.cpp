#include "platform/new_file.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/debug.h"
#include "platform/fault_injector.h"
#include "platform/retry.h"
#include "platform/text.h"

namespace pawnlet::platform {
namespace {

// A name beside `destination` that no one else is likely to use; creating it exclusively is
// what guarantees that nothing is overwritten.
std::string HiddenName(const std::string& destination) {
    static std::uint64_t counter = 0;
    std::uint64_t seed =
        static_cast<std::uint64_t>(::getpid()) * 0x9E3779B97F4A7C15ull ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (++counter << 40);
    // splitmix64, so that close seeds give unrelated names.
    seed += 0x9E3779B97F4A7C15ull;
    seed = (seed ^ (seed >> 30)) * 0xBF58476D1CE4E5B9ull;
    seed = (seed ^ (seed >> 27)) * 0x94D049BB133111EBull;
    seed ^= seed >> 31;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(seed & 0xFFFFFFFFu));
    std::size_t slash = destination.find_last_of('/');
    std::string folder = slash == std::string::npos ? "" : destination.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? destination : destination.substr(slash + 1);
    return folder + "." + name + ".pawnlet-" + suffix;
}

std::string FolderPart(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Gives the open, unnamed file `fd` the name `name`; EEXIST when the name is taken.
bool LinkUnnamed(int fd, const std::string& name) {
    std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        return true;
    }
    // Without /proc, a privileged process can still link the handle itself.
    if (errno == ENOENT && ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) {
        return true;
    }
    SetLastError(errno);
    return false;
}

// Renames `from` to `to` unless `to` exists (EEXIST). File systems without links fall back on
// the rename that refuses to replace, then on a check just before a plain rename.
bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) == 0) {
        if (::unlink(from.c_str()) != 0) {
            DebugOutput(std::string_view("A temporary name of the saved file is left over\n"));
        }
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) {
        SetLastError(errno);
        return false;
    }
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        SetLastError(errno);
        return false;
    }
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) {
        SetLastError(EEXIST);
        return false;
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        SetLastError(errno);
        return false;
    }
    return true;
}

} // namespace

NewFile::~NewFile() {
    Discard();
}

bool NewFile::Create(const std::u16string& destinationPath, std::uint32_t mode) {
    Discard();
    placed = false;
    destination = PathToBytes(destinationPath);
    if (Injected(FileOp::CreateTemporary) != 0) {
        return false;
    }
    const mode_t permissions = static_cast<mode_t>(mode & 07777);
    int fd = RetryInterrupted([&] {
        return ::open(FolderPart(destination).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, permissions);
    });
    if (fd >= 0) {
        handle = File::Adopt(fd);
        return true;
    }
    // EOPNOTSUPP: the file system has no unnamed files; EISDIR: the system does not know them.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        SetLastError(errno);
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = HiddenName(destination);
        fd = RetryInterrupted([&] {
            return ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          permissions);
        });
        if (fd >= 0) {
            handle = File::Adopt(fd);
            hiddenName = std::move(name);
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    SetLastError(errno);
    return false;
}

bool NewFile::Replace() {
    if (hiddenName.empty()) {
        // A name of its own first: a rename is what replaces a file in one step.
        if (Injected(FileOp::Link) != 0) {
            return false;
        }
        for (int attempt = 0;; ++attempt) {
            std::string name = HiddenName(destination);
            if (LinkUnnamed(handle.Handle(), name)) {
                hiddenName = std::move(name);
                break;
            }
            if (LastError() != EEXIST || attempt == 100) {
                return false;
            }
        }
    }
    if (!RenameFile(PathFromBytes(hiddenName), PathFromBytes(destination))) {
        return false;
    }
    placed = true;
    return true;
}

bool NewFile::Publish() {
    if (Injected(FileOp::Link) != 0) {
        return false;
    }
    bool ok = hiddenName.empty() ? LinkUnnamed(handle.Handle(), destination)
                                 : RenameNoReplace(hiddenName, destination);
    placed = ok;
    return ok;
}

void NewFile::Discard() {
    if (handle.IsOpen()) {
        (void)handle.Close();
    }
    if (!hiddenName.empty() && !placed) {
        int error = LastError();
        if (!DeleteFile(PathFromBytes(hiddenName))) {
            DebugOutput(std::string_view("Unable to delete the temporary file\n"));
        }
        SetLastError(error);
    }
    hiddenName.clear();
}

} // namespace pawnlet::platform
