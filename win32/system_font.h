#pragma once

#include <windows.h>

namespace zif::win32 {

// The cbSize of NONCLIENTMETRICSW that Windows of this major version accepts. The headers'
// structure ends with iPaddedBorderWidth, which came with Vista (6); Windows XP (5) refuses
// any size but its own, without that field.
UINT nonClientMetricsSize(DWORD majorVersion) noexcept;

// The message font at `dpi`, as the system's settings give it (face, size, weight).
LOGFONTW messageFont(UINT dpi);

// The DPI of the screen as a whole, for Windows that has no DPI per window.
UINT systemDpi() noexcept;

// A function of user32.dll, looked up at run time: null where this Windows has none.
template <class Function>
Function* user32Function(const char* name) noexcept {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const FARPROC found = user32 != nullptr ? GetProcAddress(user32, name) : nullptr;
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(found));
}

}  // namespace zif::win32
