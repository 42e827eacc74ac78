#include "win32/system_font.h"

#include <cstddef>
#include <stdexcept>

namespace zif::win32 {

namespace {
DWORD runningMajorVersion() noexcept {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    // Later Windows may report an older version to an unlisted program, never one before 6.
    return GetVersionExW(&version) ? version.dwMajorVersion : 5;
}
}  // namespace

UINT nonClientMetricsSize(DWORD majorVersion) noexcept {
    if (majorVersion >= 6) return sizeof(NONCLIENTMETRICSW);
    return offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
}

UINT systemDpi() noexcept {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

LOGFONTW messageFont(UINT dpi) {
    static auto* const forDpi =
        user32Function<decltype(SystemParametersInfoForDpi)>("SystemParametersInfoForDpi");
    static const UINT size = nonClientMetricsSize(runningMajorVersion());
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = size;
    if (forDpi != nullptr && forDpi(SPI_GETNONCLIENTMETRICS, size, &metrics, 0, dpi)) {
        return metrics.lfMessageFont;
    }
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, size, &metrics, 0)) {
        throw std::runtime_error("SPI_GETNONCLIENTMETRICS failed");
    }
    LOGFONTW font = metrics.lfMessageFont;
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi()));
    return font;
}

}  // namespace zif::win32
