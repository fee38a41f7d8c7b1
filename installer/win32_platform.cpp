#include "installer/win32_platform.h"

#include <shellapi.h>

#include <cstring>

namespace lumbrak {

namespace {

// Closes a search handle when the search is over, whatever the outcome.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            FindClose(handle_);
        }
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// Closes an open registry key.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY* Out() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Buffers here are a few hundred bytes; the Win32 calls take their sizes as DWORD.
DWORD SizeArg(std::size_t size) {
    return static_cast<DWORD>(size);
}

} // namespace

std::size_t Win32Platform::OwnPath(char* buffer, std::size_t capacity) {
    if (capacity == 0) {
        return 0;
    }
    // A result equal to the capacity means the path was cut, and older systems then leave it
    // unterminated.
    DWORD length = GetModuleFileNameA(module_, buffer, SizeArg(capacity));
    if (length == 0 || length >= capacity) {
        buffer[0] = '\0';
        return 0;
    }
    buffer[length] = '\0';
    return length;
}

std::size_t Win32Platform::FirstMatch(const char* pattern, char* name, std::size_t capacity) {
    WIN32_FIND_DATAA data;
    std::memset(&data, 0, sizeof data);
    FindHandle search(FindFirstFileA(pattern, &data));
    if (!search.Valid() || capacity == 0) {
        return 0;
    }
    std::size_t length = strnlen(data.cFileName, sizeof data.cFileName);
    if (length == 0 || length >= capacity) {
        return 0;
    }
    std::memcpy(name, data.cFileName, length);
    name[length] = '\0';
    return length;
}

bool Win32Platform::ReadMachineDefault(const char* key, char* buffer, std::size_t capacity) {
    if (capacity == 0) {
        return false;
    }
    RegistryKey opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, opened.Out()) != ERROR_SUCCESS) {
        return false;
    }
    // The stored string need not carry its terminator: keep one byte back for it.
    DWORD size = SizeArg(capacity - 1);
    LONG result = RegQueryValueExA(opened.Get(), nullptr, nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(buffer), &size);
    if (result != ERROR_SUCCESS || size > capacity - 1) {
        buffer[0] = '\0';
        return false;
    }
    buffer[size] = '\0';
    return true;
}

bool Win32Platform::Launch(const char* file, const char* parameters) {
    SHELLEXECUTEINFOA request;
    std::memset(&request, 0, sizeof request);
    request.cbSize = sizeof request;
    request.fMask = 0;
    request.hwnd = nullptr;
    request.lpVerb = nullptr;
    request.lpFile = file;
    request.lpParameters = parameters;
    request.lpDirectory = nullptr;
    request.nShow = SW_SHOWDEFAULT;
    request.hInstApp = module_;
    return ShellExecuteExA(&request) != FALSE;
}

void Win32Platform::ShowMessage(const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption, MB_OK);
}

} // namespace lumbrak
