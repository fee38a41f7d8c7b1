// The library's entry points: the loader's notification, which keeps the module handle, and the
// registration entry point that a desktop installer calls.
#include "installer/win32_platform.h"

namespace {

HINSTANCE ModuleHandle = nullptr;

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        ModuleHandle = instance;
    }
    return TRUE;
}

// Always 0 (success): the installer goes on whatever happened, and the user has seen a message.
extern "C" HRESULT WINAPI DllRegisterServer() {
    lumbrak::Win32Platform platform(ModuleHandle);
    return lumbrak::RegisterServer(platform);
}
