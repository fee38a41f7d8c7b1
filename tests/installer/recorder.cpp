// Stands in for the application manager in the Wine test: writes the parameters it was started
// with to "recorder.txt" beside itself. The file appears whole (written aside, then renamed), so
// the test never reads half of it.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstring>

namespace {

// Replaces the file name at the end of `path` with `name`; false when it does not fit.
bool Beside(char (&path)[MAX_PATH * 2], const char* name) {
    char* slash = std::strrchr(path, '\\');
    if (slash == nullptr) {
        return false;
    }
    std::size_t folder = static_cast<std::size_t>(slash + 1 - path);
    std::size_t length = std::strlen(name);
    if (folder + length >= sizeof path) {
        return false;
    }
    std::memcpy(slash + 1, name, length + 1);
    return true;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR parameters, int) {
    char own[MAX_PATH * 2] = {};
    DWORD length = GetModuleFileNameA(nullptr, own, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return 1;
    }
    char partial[MAX_PATH * 2];
    char record[MAX_PATH * 2];
    std::memcpy(partial, own, sizeof own);
    std::memcpy(record, own, sizeof own);
    if (!Beside(partial, "recorder.tmp") || !Beside(record, "recorder.txt")) {
        return 1;
    }

    HANDLE file = CreateFileA(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD size = static_cast<DWORD>(std::strlen(parameters));
    DWORD written = 0;
    BOOL ok = WriteFile(file, parameters, size, &written, nullptr) && written == size;
    ok = CloseHandle(file) && ok;
    if (!ok || !MoveFileExA(partial, record, MOVEFILE_REPLACE_EXISTING)) {
        return 1;
    }
    return 0;
}
