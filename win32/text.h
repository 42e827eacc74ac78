#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace zif::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

// wchar_t and char16_t both hold UTF-16 code units here; converting unit by unit loses nothing,
// not even unpaired surrogates.
inline std::wstring toWide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

inline std::u16string fromWide(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

// For the UTF-8 texts of the error report.
std::wstring wideFromUtf8(std::string_view text);

}  // namespace zif::win32
