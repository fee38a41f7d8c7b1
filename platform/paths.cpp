#include "platform/paths.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/fault_injector.h"
#include "platform/file.h"
#include "platform/retry.h"
#include "platform/text.h"

namespace pawnlet::platform {
namespace {

bool Fail() {
    SetLastError(errno);
    return false;
}

std::string NativePath(const std::u16string& path) {
    return PathToBytes(path);
}

} // namespace

std::u16string DropDoubledBackslash(std::u16string path) {
    if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\') {
        path.erase(0, 1);
    }
    return path;
}

std::u16string FolderOf(const std::u16string& path) {
    std::size_t slash = path.find_last_of(u'/');
    if (slash == std::u16string::npos) {
        return u".";
    }
    return slash == 0 ? u"/" : path.substr(0, slash);
}

std::optional<std::u16string> ResolveLinks(const std::u16string& path) {
    if (Injected(FileOp::ResolveLink) != 0) {
        return std::nullopt;
    }
    std::string current = NativePath(path);
    // As many links as the system itself follows before it gives up.
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno == ENOENT) {
                return PathFromBytes(current);
            }
            Fail();
            return std::nullopt;
        }
        if (!S_ISLNK(st.st_mode)) {
            return PathFromBytes(current);
        }
        std::string target(static_cast<std::size_t>(std::max<off_t>(st.st_size, 64)) + 1, '\0');
        ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0) {
            Fail();
            return std::nullopt;
        }
        if (static_cast<std::size_t>(length) >= target.size()) {
            // The link changed between lstat and readlink: read it again.
            continue;
        }
        target.resize(static_cast<std::size_t>(length));
        if (!target.empty() && target[0] != '/') {
            std::size_t slash = current.find_last_of('/');
            if (slash != std::string::npos) {
                target = current.substr(0, slash + 1) + target;
            }
        }
        current = std::move(target);
    }
    SetLastError(ELOOP);
    return std::nullopt;
}

bool FlushFolder(const std::u16string& folder) {
    if (Injected(FileOp::FlushFolder) != 0) {
        return false;
    }
    const int handle = RetryInterrupted(
        [&] { return ::open(NativePath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
    if (handle < 0) {
        return Fail();
    }
    // Some file systems cannot flush a folder (EINVAL): their entries are written with the data.
    bool ok = ::fsync(handle) == 0 || errno == EINVAL;
    int error = errno;
    ::close(handle);
    if (!ok) {
        SetLastError(error);
    }
    return ok;
}

bool CreateFolders(const std::u16string& folder, std::uint32_t mode) {
    if (Injected(FileOp::CreateFolder) != 0) {
        return false;
    }
    std::string path = NativePath(folder);
    for (std::size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/') {
            continue;
        }
        std::string part = path.substr(0, at);
        if (::mkdir(part.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST) {
            return Fail();
        }
    }
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        return Fail();
    }
    if (!S_ISDIR(st.st_mode)) {
        SetLastError(ENOTDIR);
        return false;
    }
    return true;
}

std::u16string CanonicalPath(const std::u16string& path) {
    char* resolved = ::realpath(PathToBytes(path).c_str(), nullptr);
    if (resolved == nullptr) {
        return path;
    }
    std::u16string result = PathFromBytes(resolved);
    std::free(resolved);
    return result;
}

} // namespace pawnlet::platform
