// Lumbrak's one job: when a desktop installer registers the library, start the desktop's
// application manager for Pocket PC programs on the installation file (*.ini) that lies beside
// the library.
//
// The decisions live here in plain C++: which file, how it is quoted, which message the user sees.
// The operating system is reached only through `LauncherPlatform`; the Win32 build implements it
// with the 8-bit Win32 calls and the tests with a scripted fake. Nothing here allocates or throws,
// so that the library needs no runtime beyond the system's.
#pragma once

#include <cstddef>

namespace lumbrak {

// The platform's path limit, in 8-bit characters, not counting the terminator.
inline constexpr std::size_t MaxPath = 260;

inline constexpr char InstallPattern[] = "*.ini";
// Under the local-machine root; the program path is the key's default (unnamed) value.
inline constexpr char AppManagerKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAPPMGR.EXE";

inline constexpr char LauncherCaption[] = "Lumbrak";
inline constexpr char ErrorCaption[] = "Error";
inline constexpr char NoFileMessage[] = "No file to install";
inline constexpr char NoManagerMessage[] = "PocketPC Application Manager not found";
inline constexpr char LaunchFailedMessage[] =
    "Unable to Launch Application Manager for PocketPC Applications";

// The operating-system services the launcher uses. Every text is 8-bit and zero-terminated; every
// buffer comes with its capacity in bytes, terminator included, and is never written past it.
class LauncherPlatform {
public:
    virtual ~LauncherPlatform() = default;

    // Full path of the library's own file. Returns its length, or 0 when the path is unavailable
    // or does not fit in `capacity` (a cut path would name another folder).
    [[nodiscard]] virtual std::size_t OwnPath(char* buffer, std::size_t capacity) = 0;

    // Name (without folder) of the first file matching `pattern`, a folder path ending in a
    // wildcard, in the folder's own enumeration order. Returns its length, or 0 when nothing
    // matches or the name does not fit.
    [[nodiscard]] virtual std::size_t FirstMatch(const char* pattern, char* name,
                                                 std::size_t capacity) = 0;

    // Default value of `key` under the local-machine root, at most `capacity - 1` bytes, always
    // terminated. False when the key cannot be opened for reading or the value cannot be read
    // whole.
    [[nodiscard]] virtual bool ReadMachineDefault(const char* key, char* buffer,
                                                  std::size_t capacity) = 0;

    // Submits a shell execute request for `file` with `parameters`: default verb, no working
    // folder, no owner window, show default. Does not wait. False when the request fails.
    [[nodiscard]] virtual bool Launch(const char* file, const char* parameters) = 0;

    // A modal message box with no owner window and only an OK button.
    virtual void ShowMessage(const char* text, const char* caption) = 0;
};

// Everything the exported registration entry point does. Failures are shown to the user, never
// returned: the result is 0 in every case.
int RegisterServer(LauncherPlatform& platform);

} // namespace lumbrak
