#include "installer/launcher.h"

#include <cstring>

namespace lumbrak {

namespace {

// Appends `text` to the terminated string of `length` characters in `buffer`. Refuses, leaving the
// buffer as it was, when the result would not fit in `capacity` bytes with its terminator.
[[nodiscard]] bool Append(char* buffer, std::size_t capacity, std::size_t& length, const char* text,
                          std::size_t textLength) {
    if (length >= capacity || textLength > capacity - 1 - length) {
        return false;
    }
    std::memcpy(buffer + length, text, textLength);
    length += textLength;
    buffer[length] = '\0';
    return true;
}

// Finds the installation file beside the library and writes its full path into `path` (room for
// MaxPath characters). Returns its length, 0 when there is none.
[[nodiscard]] std::size_t FindInstallFile(LauncherPlatform& platform, char (&path)[MaxPath + 1]) {
    char ownPath[MaxPath + 1] = {};
    std::size_t length = platform.OwnPath(ownPath, sizeof ownPath);
    if (length == 0 || length >= sizeof ownPath) {
        return 0;
    }
    ownPath[length] = '\0';

    // The folder ends at the last backslash. One at index 0 does not count: a path that is
    // nothing but a root and a name is not where an installer puts the library.
    std::size_t slash = length - 1;
    while (slash > 0 && ownPath[slash] != '\\') {
        --slash;
    }
    if (slash == 0) {
        return 0;
    }
    std::size_t folderLength = slash + 1;

    // The pattern gets its own buffer: a folder close to the path limit plus "*.ini" may exceed
    // MaxPath, and is then for the platform to refuse.
    char pattern[MaxPath + sizeof InstallPattern] = {};
    std::size_t patternLength = 0;
    if (!Append(pattern, sizeof pattern, patternLength, ownPath, folderLength) ||
        !Append(pattern, sizeof pattern, patternLength, InstallPattern,
                sizeof InstallPattern - 1)) {
        return 0;
    }

    char name[MaxPath + 1] = {};
    std::size_t nameLength = platform.FirstMatch(pattern, name, sizeof name);
    if (nameLength == 0 || nameLength >= sizeof name) {
        return 0;
    }

    // A file whose full path is longer than the platform allows cannot be handed on whole, and a
    // cut path would name another file: treat it as no file at all.
    std::size_t pathLength = 0;
    path[0] = '\0';
    if (!Append(path, sizeof path, pathLength, ownPath, folderLength) ||
        !Append(path, sizeof path, pathLength, name, nameLength)) {
        path[0] = '\0';
        return 0;
    }
    return pathLength;
}

} // namespace

int RegisterServer(LauncherPlatform& platform) {
    char installPath[MaxPath + 1] = {};
    std::size_t installLength = FindInstallFile(platform, installPath);
    if (installLength == 0) {
        platform.ShowMessage(NoFileMessage, LauncherCaption);
        return 0;
    }

    // The application manager takes the file as its whole command line; quoting keeps a path
    // with blanks in one piece. Two quotes and the terminator always fit beside MaxPath.
    char parameters[MaxPath + 3] = {};
    std::size_t parametersLength = 0;
    if (!Append(parameters, sizeof parameters, parametersLength, "\"", 1) ||
        !Append(parameters, sizeof parameters, parametersLength, installPath, installLength) ||
        !Append(parameters, sizeof parameters, parametersLength, "\"", 1)) {
        platform.ShowMessage(NoFileMessage, LauncherCaption);
        return 0;
    }

    char managerPath[MaxPath + 1] = {};
    if (!platform.ReadMachineDefault(AppManagerKey, managerPath, sizeof managerPath)) {
        platform.ShowMessage(NoManagerMessage, LauncherCaption);
        return 0;
    }
    managerPath[MaxPath] = '\0';

    // An empty program path is still submitted: the shell refuses it, and the user learns that
    // the application manager could not be started.
    if (!platform.Launch(managerPath, parameters)) {
        platform.ShowMessage(LaunchFailedMessage, ErrorCaption);
    }
    return 0;
}

} // namespace lumbrak
