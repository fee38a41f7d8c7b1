// Paths and folders: following links to the file a path names, the parts of a path, and the
// folder operations a save needs. Failures are reported as in file.h (LastError()); following
// links, flushing and creating folders first ask the installed FaultInjector.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pawnlet::platform {

// The path of the file that `path` finally names: symbolic links are followed (relative ones
// from the folder of the link), so that a save replaces the file and the link stays a link. A
// path that names nothing (yet) is returned as it is; ELOOP for a loop of links.
[[nodiscard]] std::optional<std::u16string> ResolveLinks(const std::u16string& path);
// A path typed as "\\server\share" into a field that already supplies one backslash arrives
// with two; the loader and the save take it with one. Any other path is returned as it is.
std::u16string DropDoubledBackslash(std::u16string path);
// The folder part of `path` ("." when it has none).
std::u16string FolderOf(const std::u16string& path);
// Writes the folder's entries (a file renamed, created or deleted in it) through to the disk.
[[nodiscard]] bool FlushFolder(const std::u16string& folder);
// Creates the folder and the ones above it that are missing, with `mode` (a private folder: 0700).
[[nodiscard]] bool CreateFolders(const std::u16string& folder, std::uint32_t mode);

// The absolute path of the file `path` names, links and "." and ".." resolved; `path` itself
// when that cannot be found.
std::u16string CanonicalPath(const std::u16string& path);

} // namespace pawnlet::platform
