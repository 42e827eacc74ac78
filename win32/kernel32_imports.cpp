// Import slots that this object fills itself instead of kernel32.dll, for functions that the
// statically linked run-time (libwinpthread, behind thread-safe statics and std::call_once)
// calls but that Windows XP does not export: imported statically, they would stop XP's loader
// before the program starts. The linker takes a slot defined here over the import library's,
// and the slot finds the function at run time, with a fallback where it is missing.
#include <windows.h>

namespace {

// XP's GetTickCount wraps after 49.7 days. The thread library only measures timed waits with
// it, and the program makes none.
ULONGLONG WINAPI tickCount64() {
    using Function = ULONGLONG(WINAPI*)();
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    const FARPROC found =
        kernel32 != nullptr ? GetProcAddress(kernel32, "GetTickCount64") : nullptr;
    if (found != nullptr) {
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found))();
    }
    return GetTickCount();
}

}  // namespace

#ifdef _WIN64
extern "C" ULONGLONG(WINAPI* const zifGetTickCount64Slot)() __asm__("__imp_GetTickCount64");
#else
extern "C" ULONGLONG(WINAPI* const zifGetTickCount64Slot)() __asm__("__imp__GetTickCount64@0");
#endif
extern "C" ULONGLONG(WINAPI* const zifGetTickCount64Slot)() = tickCount64;
