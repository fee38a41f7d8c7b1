// The launcher's platform on desktop Win32: the 8-bit ("A") calls, each one bounded by the
// caller's buffer. Holds the library's module handle, which names the library's own file and is
// passed to the shell as the instance of the launch request.
#pragma once

#include "installer/launcher.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace lumbrak {

class Win32Platform final : public LauncherPlatform {
public:
    explicit Win32Platform(HINSTANCE module) : module_(module) {}

    [[nodiscard]] std::size_t OwnPath(char* buffer, std::size_t capacity) override;
    [[nodiscard]] std::size_t FirstMatch(const char* pattern, char* name,
                                         std::size_t capacity) override;
    [[nodiscard]] bool ReadMachineDefault(const char* key, char* buffer,
                                          std::size_t capacity) override;
    [[nodiscard]] bool Launch(const char* file, const char* parameters) override;
    void ShowMessage(const char* text, const char* caption) override;

private:
    HINSTANCE module_;
};

} // namespace lumbrak
