// The Win32 front-end in its real window: messages go to the real controls, results are read
// back with GetWindowTextW. Runs under Wine as well as on Windows.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <initguid.h>
#include <oleacc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/error_report.h"
#include "convert/convert_base.h"
#include "win32/application.h"
#include "win32/edit_field.h"
#include "win32/form1_window.h"
#include "win32/system_font.h"

namespace zif::win32 {
namespace {

using Seen = std::vector<std::u16string>;
constexpr wchar_t kBackspace = L'\b';
const std::u16string kOverflow = u"\u00DCberlauf";

// While set, operator new fails (see below): out of memory, on this thread's next allocation.
bool allocationFails = false;
struct OutOfMemory {
    OutOfMemory() { allocationFails = true; }
    ~OutOfMemory() { allocationFails = false; }
    OutOfMemory(const OutOfMemory&) = delete;
    OutOfMemory& operator=(const OutOfMemory&) = delete;
};

void pump(HWND form) {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        dispatch(form, message);
    }
}

std::u16string textOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    buffer.resize(static_cast<std::size_t>(GetWindowTextW(window, buffer.data(), length + 1)));
    return std::u16string(buffer.begin(), buffer.end());
}

void setText(HWND window, const std::u16string& text) {
    SendMessageW(window, WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(std::wstring(text.begin(), text.end()).c_str()));
}

std::pair<DWORD, DWORD> selectionOf(HWND edit) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

std::u16string cueBannerOf(HWND edit) {
    wchar_t buffer[64] = {};
    SendMessageW(edit, EM_GETCUEBANNER, reinterpret_cast<WPARAM>(buffer), 64);
    return std::u16string(buffer, buffer + wcslen(buffer));
}

// A key as a keyboard delivers it to the focused edit: down, the character, up.
void pressKey(HWND edit, UINT key, wchar_t character = 0) {
    const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    SendMessageW(edit, WM_KEYDOWN, key, static_cast<LPARAM>(1 | (scan << 16)));
    if (character != 0)
        SendMessageW(edit, WM_CHAR, character, static_cast<LPARAM>(1 | (scan << 16)));
    SendMessageW(edit, WM_KEYUP, key, static_cast<LPARAM>(1 | (scan << 16) | 0xC0000000u));
}

void typeCharacter(HWND edit, wchar_t character) {
    if (character == kBackspace) {
        pressKey(edit, VK_BACK, kBackspace);
    } else {
        const SHORT key = VkKeyScanW(character);
        pressKey(edit, static_cast<UINT>(key & 0xFF), character);
    }
}

struct Window {
    Window() : form(GetModuleHandleW(nullptr)) {
        form.show(SW_SHOWNORMAL);
        pump(form.hwnd());
    }
    Form1Window form;
};

// --- Typing ---------------------------------------------------------------------------------

struct TypingCase {
    const char* name;
    bool intoHex;
    std::wstring keys;
    Seen expected;
    std::u16string sourceAfter;
};

TEST(Win32Typing, SequencesConvertOnEachRelease) {
    const TypingCase cases[] = {
        {"decimal 255", false, L"255", {u"2", u"19", u"FF"}, u"255"},
        {"lower-case hex", true, L"ff", {u"15", u"255"}, u"ff"},
        {"invalid decimal digit", false, L"12a", {u"1", u"C", u""}, u"12a"},
        {"backspace to empty", false, L"42\b\b", {u"4", u"2A", u"4", u""}, u""},
        {"beyond 64 bits",
         true,
         L"10000000000000000",
         {u"1", u"16", u"256", u"4096", u"65536", u"1048576", u"16777216", u"268435456",
          u"4294967296", u"68719476736", u"1099511627776", u"17592186044416", u"281474976710656",
          u"4503599627370496", u"72057594037927936", u"1152921504606846976",
          u"18446744073709551616"},
         u"10000000000000000"},
    };
    for (const TypingCase& c : cases) {
        Window window;
        HWND source = c.intoHex ? window.form.text2() : window.form.text1();
        HWND target = c.intoHex ? window.form.text1() : window.form.text2();
        SetFocus(source);
        Seen seen;
        for (wchar_t key : c.keys) {
            typeCharacter(source, key);
            seen.push_back(textOf(target));
        }
        EXPECT_EQ(seen, c.expected) << c.name;
        EXPECT_EQ(textOf(source), c.sourceAfter) << c.name;
    }
}

TEST(Win32Typing, ArrowKeyRewritesTheOtherFieldCanonically) {
    Window window;
    SetFocus(window.form.text1());
    for (wchar_t key : std::wstring(L"007")) typeCharacter(window.form.text1(), key);
    EXPECT_EQ(textOf(window.form.text2()), std::u16string(u"7"));
    SetFocus(window.form.text2());
    pressKey(window.form.text2(), VK_RIGHT);
    EXPECT_EQ(textOf(window.form.text1()), std::u16string(u"7"));
    EXPECT_EQ(textOf(window.form.text2()), std::u16string(u"7"));
}

TEST(Win32Typing, ModifierAndSystemKeyReleasesConvert) {
    const std::pair<const char*, UINT> releases[] = {{"WM_KEYUP Shift", WM_KEYUP},
                                                     {"WM_SYSKEYUP Alt", WM_SYSKEYUP}};
    for (const auto& [name, message] : releases) {
        Window window;
        SetFocus(window.form.text1());
        setText(window.form.text1(), u"4096");
        SendMessageW(window.form.text1(), message, message == WM_KEYUP ? VK_SHIFT : VK_MENU,
                     static_cast<LPARAM>(0xC0000001u));
        EXPECT_EQ(textOf(window.form.text2()), std::u16string(u"1000")) << name;
    }
}

// Real keyboard input through the input queue and the front-end's message loop.
TEST(Win32Typing, SendInputTypingTabAndShiftTab) {
    Window window;
    SetForegroundWindow(window.form.hwnd());
    SetFocus(window.form.text1());
    pump(window.form.hwnd());
    auto send = [&](std::vector<std::pair<WORD, bool>> keys) {
        std::vector<INPUT> inputs;
        for (const auto& [key, up] : keys) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = key;
            input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
            input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            inputs.push_back(input);
        }
        EXPECT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)),
                  static_cast<UINT>(inputs.size()));
        for (int round = 0; round < 20; ++round) {
            Sleep(5);
            pump(window.form.hwnd());
        }
    };
    send({{'1', false},
          {'1', true},
          {'0', false},
          {'0', true},
          {'0', false},
          {'0', true},
          {'0', false},
          {'0', true}});
    EXPECT_EQ(textOf(window.form.text1()), std::u16string(u"1000"));
    EXPECT_EQ(textOf(window.form.text2()), std::u16string(u"3E8"));

    send({{VK_TAB, false}, {VK_TAB, true}});
    EXPECT_TRUE(GetFocus() == window.form.text2());
    EXPECT_EQ(selectionOf(window.form.text2()), (std::pair<DWORD, DWORD>{0, 3}));
    // The Tab's release is reported to the field it moved to, which converts back.
    EXPECT_EQ(textOf(window.form.text1()), std::u16string(u"1000"));

    send({{VK_SHIFT, false}, {VK_TAB, false}, {VK_TAB, true}, {VK_SHIFT, true}});
    EXPECT_TRUE(GetFocus() == window.form.text1());
    EXPECT_EQ(selectionOf(window.form.text1()), (std::pair<DWORD, DWORD>{0, 4}));
}

// --- Focus ----------------------------------------------------------------------------------

TEST(Win32Focus, StartsInTheEmptyDecimalField) {
    Window window;
    EXPECT_TRUE(GetFocus() == window.form.text1());
    EXPECT_EQ(textOf(window.form.text1()), std::u16string());
    EXPECT_EQ(textOf(window.form.text2()), std::u16string());
    typeCharacter(GetFocus(), L'9');
    EXPECT_EQ(textOf(window.form.text1()), std::u16string(u"9"));
}

TEST(Win32Focus, TabOrderIsText1Text2) {
    Window window;
    HWND form = window.form.hwnd();
    HWND text1 = window.form.text1();
    HWND text2 = window.form.text2();
    const struct {
        const char* name;
        HWND from;
        BOOL previous;
        HWND expected;
    } steps[] = {{"Tab from Text1", text1, FALSE, text2},
                 {"Tab from Text2", text2, FALSE, text1},
                 {"Shift+Tab from Text1", text1, TRUE, text2},
                 {"Shift+Tab from Text2", text2, TRUE, text1}};
    for (const auto& step : steps) {
        EXPECT_EQ(GetNextDlgTabItem(form, step.from, step.previous) == step.expected, true)
            << step.name;
        // The same through the message loop, as a posted key.
        SetFocus(step.from);
        if (step.previous) PostMessageW(step.from, WM_KEYDOWN, VK_SHIFT, 1);
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = step.previous ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageW(step.from, WM_KEYDOWN, VK_TAB, 1);
        pump(form);
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
        EXPECT_EQ(GetFocus() == step.expected, true) << step.name;
    }
    for (HWND label : {window.form.label1(), window.form.label2()}) {
        EXPECT_TRUE((GetWindowLongW(label, GWL_STYLE) & WS_TABSTOP) == 0);
    }
}

TEST(Win32Focus, SelectsEverything) {
    enum class Arrival { SetFocus, Tab, Click };
    const struct {
        const char* name;
        Arrival arrival;
        std::u16string content;
    } cases[] = {{"SetFocus, 1000", Arrival::SetFocus, u"1000"},
                 {"Tab, 1000", Arrival::Tab, u"1000"},
                 {"click, 1000", Arrival::Click, u"1000"},
                 {"click, empty", Arrival::Click, u""},
                 {"Tab, 300 digits", Arrival::Tab, std::u16string(300, u'9')}};
    for (const auto& c : cases) {
        Window window;
        HWND text2 = window.form.text2();
        setText(text2, c.content);
        SetFocus(window.form.text1());
        switch (c.arrival) {
            case Arrival::SetFocus:
                SetFocus(text2);
                break;
            case Arrival::Tab:
                PostMessageW(window.form.text1(), WM_KEYDOWN, VK_TAB, 1);
                pump(window.form.hwnd());
                break;
            case Arrival::Click:
                // A real click jitters a little: that must not start a drag selection.
                SendMessageW(text2, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
                SendMessageW(text2, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(7, 5));
                SendMessageW(text2, WM_LBUTTONUP, 0, MAKELPARAM(7, 5));
                break;
        }
        EXPECT_EQ(GetFocus() == text2, true) << c.name;
        const auto length = static_cast<DWORD>(c.content.size());
        EXPECT_EQ(selectionOf(text2), (std::pair<DWORD, DWORD>{0, length})) << c.name;
        EXPECT_EQ(textOf(text2), c.content) << c.name;
    }

    // Once the field has the focus, a click places the caret as usual.
    Window window;
    setText(window.form.text1(), u"123456");
    SendMessageW(window.form.text1(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 5));
    SendMessageW(window.form.text1(), WM_LBUTTONUP, 0, MAKELPARAM(1, 5));
    const auto [start, end] = selectionOf(window.form.text1());
    EXPECT_EQ(start, end);
}

// --- Overflow and length ----------------------------------------------------------------------

TEST(Win32Overflow, ShowsThePlaceholderWithNoLengthLimit) {
    const struct {
        const char* name;
        bool intoHex;
        char16_t digit;
    } cases[] = {{"decimal", false, u'7'}, {"hexadecimal", true, u'F'}};
    for (const auto& c : cases) {
        Window window;
        HWND source = c.intoHex ? window.form.text2() : window.form.text1();
        HWND target = c.intoHex ? window.form.text1() : window.form.text2();
        SetFocus(source);
        typeCharacter(source, L'1');
        EXPECT_EQ(textOf(target), std::u16string(u"1")) << c.name;
        setText(source, std::u16string(kMaxNumeralLength + 1, c.digit));
        pressKey(source, VK_END);
        EXPECT_EQ(textOf(target), std::u16string()) << c.name;
        EXPECT_EQ(cueBannerOf(target), kOverflow) << c.name;
        EXPECT_EQ(failed(), false) << c.name;

        typeCharacter(source, kBackspace);  // 32767 digits convert again
        EXPECT_EQ(textOf(source).size(), kMaxNumeralLength) << c.name;
        EXPECT_EQ(cueBannerOf(target), std::u16string()) << c.name;
        const std::u16string converted = textOf(target);
        EXPECT_EQ(converted.size() > 20000, true) << c.name;
        EXPECT_EQ(converted, ConvertBase(textOf(source), c.intoHex ? 16 : 10, c.intoHex ? 10 : 16))
            << c.name;

        // The field itself takes any length: typing goes on beyond 32767 characters.
        EXPECT_EQ(SendMessageW(source, EM_GETLIMITTEXT, 0, 0) >= 0x7FFFFFFE, true) << c.name;
        typeCharacter(source, static_cast<wchar_t>(c.digit));
        EXPECT_EQ(textOf(source).size(), kMaxNumeralLength + 1) << c.name;
        EXPECT_EQ(cueBannerOf(target), kOverflow) << c.name;
    }
}

// A key released where the program's own output stands, in the hinted field or in a result
// longer than any numeral that converts, leaves the user's input whole.
TEST(Win32Overflow, KeysInTheProgramsOutputKeepTheInput) {
    const struct {
        const char* name;
        bool intoHex;
        std::u16string input;
    } cases[] = {{"tab into the hint", false, std::u16string(kMaxNumeralLength + 1, u'9')},
                 // Its decimal form has 32872 digits.
                 {"keys in an over-long result", true, std::u16string(27300, u'F')}};
    for (const auto& c : cases) {
        Window window;
        HWND source = c.intoHex ? window.form.text2() : window.form.text1();
        HWND target = c.intoHex ? window.form.text1() : window.form.text2();
        SetFocus(source);
        setText(source, c.input);
        pressKey(source, 'V');
        const std::u16string shown = textOf(target);
        const std::u16string hint = cueBannerOf(target);
        EXPECT_EQ(hint.empty(), c.intoHex) << c.name;
        SetFocus(target);
        for (UINT key : {UINT{VK_TAB}, UINT{'C'}, UINT{VK_END}, UINT{VK_LEFT}})
            pressKey(target, key);
        EXPECT_EQ(textOf(source) == c.input, true) << c.name;
        EXPECT_EQ(textOf(target) == shown, true) << c.name;
        EXPECT_EQ(cueBannerOf(target), hint) << c.name;
    }
}

// Pixels of the field that differ from the window colour, once what is due has been painted.
int inkIn(HWND edit) {
    UpdateWindow(edit);
    RECT client{};
    GetClientRect(edit, &client);
    HDC dc = GetDC(edit);
    const COLORREF background = GetSysColor(COLOR_WINDOW);
    int ink = 0;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) ink += GetPixel(dc, x, y) != background ? 1 : 0;
    }
    ReleaseDC(edit, dc);
    return ink;
}

// The hint appears and goes in an empty field whose text the conversion leaves as it is.
TEST(Win32Overflow, HintIsDrawnWhenItChanges) {
    Window window;
    HWND text1 = window.form.text1();
    SetFocus(text1);
    setText(text1, u"abc");
    pressKey(text1, VK_END);
    EXPECT_EQ(inkIn(window.form.text2()), 0);
    setText(text1, std::u16string(kMaxNumeralLength + 1, u'7'));
    pressKey(text1, VK_END);
    EXPECT_EQ(inkIn(window.form.text2()) > 0, true);
    setText(text1, u"abc");
    pressKey(text1, VK_END);
    EXPECT_EQ(inkIn(window.form.text2()), 0);
}

// --- Layout, font, icon -----------------------------------------------------------------------

RECT clientRectOf(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::vector<int> asList(const RECT& rect) {
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

struct LayoutCase {
    UINT dpi;
    std::vector<int> client;  // width, height
    std::vector<int> label1, text1, label2, text2;
};

void checkLayout(const Window& window, const LayoutCase& c) {
    const std::string name = std::to_string(c.dpi) + " dpi";
    RECT client{};
    GetClientRect(window.form.hwnd(), &client);
    EXPECT_EQ((std::vector<int>{client.right, client.bottom}), c.client) << name;
    EXPECT_EQ(asList(clientRectOf(window.form.label1())), c.label1) << name;
    EXPECT_EQ(asList(clientRectOf(window.form.text1())), c.text1) << name;
    EXPECT_EQ(asList(clientRectOf(window.form.label2())), c.label2) << name;
    EXPECT_EQ(asList(clientRectOf(window.form.text2())), c.text2) << name;
}

TEST(Win32Layout, PixelsAt96Dpi) {
    Window window;
    EXPECT_EQ(window.form.dpi(), UINT{96});
    checkLayout(
        window,
        {96, {169, 57}, {8, 8, 25, 17}, {40, 8, 121, 19}, {8, 32, 25, 17}, {40, 32, 121, 19}});
    EXPECT_EQ(textOf(window.form.hwnd()), std::u16string(u"ZIF-Wandler"));
    EXPECT_EQ(textOf(window.form.label1()), std::u16string(u"Dez:"));
    EXPECT_EQ(textOf(window.form.label2()), std::u16string(u"Hex:"));

    const LONG style = GetWindowLongW(window.form.hwnd(), GWL_STYLE);
    EXPECT_TRUE((style & WS_THICKFRAME) == 0);
    EXPECT_TRUE((style & WS_MAXIMIZEBOX) == 0);
    EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION);

    RECT outer{};
    GetWindowRect(window.form.hwnd(), &outer);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window.form.hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    EXPECT_TRUE(std::abs((outer.left + outer.right) - (work.left + work.right)) <= 1);
    EXPECT_TRUE(std::abs((outer.top + outer.bottom) - (work.top + work.bottom)) <= 1);
}

TEST(Win32Layout, FollowsADpiChange) {
    const LayoutCase cases[] = {
        {120, {211, 71}, {10, 10, 31, 21}, {50, 10, 151, 24}, {10, 40, 31, 21}, {50, 40, 151, 24}},
        {144, {254, 86}, {12, 12, 38, 26}, {60, 12, 182, 29}, {12, 48, 38, 26}, {60, 48, 182, 29}},
        {96, {169, 57}, {8, 8, 25, 17}, {40, 8, 121, 19}, {8, 32, 25, 17}, {40, 32, 121, 19}},
    };
    Window window;
    LOGFONTW before{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window.form.text1(), WM_GETFONT, 0, 0)),
               sizeof before, &before);
    for (const LayoutCase& c : cases) {
        RECT suggested{100, 50, 100 + 400, 50 + 200};
        SendMessageW(window.form.hwnd(), WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(window.form.dpi(), c.dpi);
        checkLayout(window, c);
        RECT outer{};
        GetWindowRect(window.form.hwnd(), &outer);
        EXPECT_EQ((std::vector<int>{outer.left, outer.top}), (std::vector<int>{100, 50}));
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window.form.text1(), WM_GETFONT, 0, 0)),
                   sizeof font, &font);
        const std::string name = std::to_string(c.dpi) + " dpi";
        EXPECT_EQ(std::abs(font.lfHeight) * 96 / static_cast<int>(c.dpi), std::abs(before.lfHeight))
            << name;
    }
}

TEST(Win32Layout, ControlsUseTheMessageFont) {
    Window window;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    EXPECT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    const std::wstring expectedFace = metrics.lfMessageFont.lfFaceName;
    const std::pair<const char*, HWND> controls[] = {{"Label1", window.form.label1()},
                                                     {"Text1", window.form.text1()},
                                                     {"Label2", window.form.label2()},
                                                     {"Text2", window.form.text2()}};
    for (const auto& [name, control] : controls) {
        auto* font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        EXPECT_EQ(font != nullptr, true) << name;
        LOGFONTW description{};
        GetObjectW(font, sizeof description, &description);
        EXPECT_EQ(std::wstring(description.lfFaceName), expectedFace) << name;
        EXPECT_EQ(description.lfHeight, metrics.lfMessageFont.lfHeight) << name;
        EXPECT_EQ(description.lfWeight < FW_BOLD, true) << name;
    }
}

// The pixels of an icon, colour and mask, as 32-bit rows.
std::vector<std::uint32_t> pixelsOf(HICON icon, int* width = nullptr) {
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info)) return {};
    std::vector<std::uint32_t> pixels;
    HDC screen = GetDC(nullptr);
    for (HBITMAP bitmap : {info.hbmColor, info.hbmMask}) {
        if (bitmap == nullptr) continue;
        BITMAP shape{};
        GetObjectW(bitmap, sizeof shape, &shape);
        if (width != nullptr) *width = shape.bmWidth;
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = shape.bmWidth;
        format.bmiHeader.biHeight = shape.bmHeight;
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        format.bmiHeader.biCompression = BI_RGB;
        std::vector<std::uint32_t> rows(static_cast<std::size_t>(shape.bmWidth * shape.bmHeight));
        GetDIBits(screen, bitmap, 0, static_cast<UINT>(shape.bmHeight), rows.data(), &format,
                  DIB_RGB_COLORS);
        pixels.insert(pixels.end(), rows.begin(), rows.end());
        DeleteObject(bitmap);
    }
    ReleaseDC(nullptr, screen);
    return pixels;
}

TEST(Win32Layout, WindowUsesTheApplicationIcon) {
    Window window;
    HINSTANCE module = GetModuleHandleW(nullptr);
    const bool hasIconGroup = FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON) != nullptr;
    std::printf("       icon group 1 %s\n",
                hasIconGroup ? "present" : "absent: system icon expected");
    const struct {
        const char* name;
        WPARAM which;
        int classIndex;
        int size;
    } icons[] = {{"big", ICON_BIG, GCLP_HICON, GetSystemMetrics(SM_CXICON)},
                 {"small", ICON_SMALL, GCLP_HICONSM, GetSystemMetrics(SM_CXSMICON)}};
    for (const auto& icon : icons) {
        auto* used =
            reinterpret_cast<HICON>(SendMessageW(window.form.hwnd(), WM_GETICON, icon.which, 0));
        auto* ofClass =
            reinterpret_cast<HICON>(GetClassLongPtrW(window.form.hwnd(), icon.classIndex));
        HICON expected =
            hasIconGroup
                ? static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, icon.size,
                                                icon.size, LR_DEFAULTCOLOR))
                : static_cast<HICON>(LoadImageW(nullptr, MAKEINTRESOURCEW(32512), IMAGE_ICON,
                                                icon.size, icon.size, LR_SHARED));
        int width = 0;
        const std::vector<std::uint32_t> usedPixels = pixelsOf(used, &width);
        EXPECT_EQ(usedPixels.empty(), false) << icon.name;
        EXPECT_EQ(width, icon.size) << icon.name;
        EXPECT_EQ(usedPixels == pixelsOf(expected), true) << icon.name;
        EXPECT_EQ(pixelsOf(ofClass) == usedPixels, true) << icon.name;
        if (hasIconGroup) DestroyIcon(expected);
    }
}

// --- Larger text -----------------------------------------------------------------------------

// The system's message font at another size or weight, for as long as the object lives.
class MessageFont {
public:
    MessageFont(LONG height, LONG weight, const wchar_t* face = nullptr) {
        original_.cbSize = sizeof original_;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof original_, &original_, 0);
        NONCLIENTMETRICSW changed = original_;
        changed.lfMessageFont.lfHeight = height;
        changed.lfMessageFont.lfWeight = weight;
        if (face != nullptr) lstrcpynW(changed.lfMessageFont.lfFaceName, face, LF_FACESIZE);
        set_ = SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof changed, &changed, 0) != 0;
    }
    ~MessageFont() {
        SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof original_, &original_, 0);
    }
    MessageFont(const MessageFont&) = delete;
    MessageFont& operator=(const MessageFont&) = delete;
    bool set() const { return set_; }

private:
    NONCLIENTMETRICSW original_{};
    bool set_ = false;
};

// What a user with large text must see whole: each caption within its label, and the digits
// of each field from the top of its text rectangle down to the baseline; no control overlaps.
void expectTextFits(const Window& window, const std::string& name) {
    const HWND labels[] = {window.form.label1(), window.form.label2()};
    const HWND fields[] = {window.form.text1(), window.form.text2()};
    for (int row = 0; row < 2; ++row) {
        for (HWND control : {labels[row], fields[row]}) {
            HDC dc = GetDC(control);
            const HGDIOBJ previous =
                SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
            TEXTMETRICW metrics{};
            GetTextMetricsW(dc, &metrics);
            const std::u16string shown = textOf(control);
            const std::wstring text(shown.begin(), shown.end());
            SIZE extent{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            SelectObject(dc, previous);
            ReleaseDC(control, dc);
            RECT client{};
            GetClientRect(control, &client);
            if (control == labels[row]) {
                EXPECT_LE(extent.cx, client.right) << name << ", label " << row + 1;
                EXPECT_LE(metrics.tmHeight, client.bottom) << name << ", label " << row + 1;
            } else {
                RECT format{};
                SendMessageW(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
                EXPECT_LE(format.top + metrics.tmAscent, client.bottom)
                    << name << ", field " << row + 1;
            }
        }
        EXPECT_LE(clientRectOf(labels[row]).right, clientRectOf(fields[row]).left) << name;
    }
    EXPECT_LE(clientRectOf(fields[0]).bottom, clientRectOf(labels[1]).top) << name;
    RECT client{};
    GetClientRect(window.form.hwnd(), &client);
    EXPECT_LE(clientRectOf(fields[1]).bottom, client.bottom) << name;
    EXPECT_LE(clientRectOf(fields[1]).right, client.right) << name;
}

struct LargeFontCase {
    const char* name;
    LONG height;
    LONG weight;
    const wchar_t* face;  // null: the system's
};
const LargeFontCase kLargeFonts[] = {{"-18 px", -18, FW_NORMAL, nullptr},
                                     {"-18 px bold", -18, FW_BOLD, nullptr},
                                     {"-32 px", -32, FW_NORMAL, nullptr},
                                     {"-18 px of a wide face", -18, FW_NORMAL, L"DejaVu Serif"}};

TEST(Win32LargerText, CaptionsAndDigitsFitTheMessageFont) {
    for (const LargeFontCase& c : kLargeFonts) {
        MessageFont font(c.height, c.weight, c.face);
        ASSERT_TRUE(font.set());
        Window window;
        expectTextFits(window, c.name);
    }
}

TEST(Win32LargerText, ASettingsChangeWhileRunningTakesEffect) {
    Window window;
    RECT before{};
    GetWindowRect(window.form.hwnd(), &before);
    {
        MessageFont font(-18, FW_NORMAL);
        ASSERT_TRUE(font.set());
        SendMessageW(window.form.hwnd(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
        for (HWND control : {window.form.label1(), window.form.text2()}) {
            LOGFONTW used{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)),
                       sizeof used, &used);
            EXPECT_EQ(used.lfHeight, -18);
        }
        expectTextFits(window, "-18 px after the change");
        RECT after{};
        GetWindowRect(window.form.hwnd(), &after);
        EXPECT_EQ((std::vector<int>{after.left, after.top}),
                  (std::vector<int>{before.left, before.top}));
    }
    SendMessageW(window.form.hwnd(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    RECT client{};
    GetClientRect(window.form.hwnd(), &client);
    EXPECT_EQ((std::vector<int>{client.right, client.bottom}), (std::vector<int>{169, 57}));
}

// --- System metrics ---------------------------------------------------------------------------

// Windows XP refuses SPI_GETNONCLIENTMETRICS with any size but its own structure's, 500 bytes,
// which lacks the field that Vista added; later Windows take the whole structure.
TEST(Win32SystemFont, NonClientMetricsSizeFitsTheWindowsVersion) {
    const std::pair<DWORD, UINT> cases[] = {{5, 500}, {6, 504}, {10, 504}};
    for (const auto& [major, size] : cases) {
        EXPECT_EQ(nonClientMetricsSize(major), size) << "Windows " << major;
    }
}

// --- Screen readers ---------------------------------------------------------------------------

// The name that Microsoft Active Accessibility gives a control.
std::wstring accessibleName(HWND control) {
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          IID_IAccessible,
                                          reinterpret_cast<void**>(&accessible)))) {
        return L"(no accessible object)";
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring text;
    if (SUCCEEDED(accessible->get_accName(self, &name)) && name != nullptr) text = name;
    SysFreeString(name);
    accessible->Release();
    return text;
}

struct ComThread {
    ComThread() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComThread() { CoUninitialize(); }
};

TEST(Win32ScreenReader, FieldsAreNamedAfterTheirLabels) {
    ComThread com;
    Window window;
    EXPECT_EQ(accessibleName(window.form.text1()), L"Dez:");
    EXPECT_EQ(accessibleName(window.form.text2()), L"Hex:");
}

// The system's annotation service as the program uses it, in its place for this process: each
// window's accessible description as it stands. (Wine's own service keeps no annotations, so
// what a screen reader then reads cannot be checked here.)
class DescriptionRecorder final : public IAccPropServices {
public:
    std::vector<std::pair<HWND, std::wstring>> descriptions;  // set, not yet cleared

    std::wstring of(HWND window) const {
        for (const auto& [annotated, text] : descriptions) {
            if (annotated == window) return text;
        }
        return L"(none)";
    }

    HRESULT WINAPI QueryInterface(REFIID id, void** out) override {
        *out = id == IID_IUnknown || id == IID_IAccPropServices ? this : nullptr;
        return *out != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return 2; }
    ULONG WINAPI Release() override { return 1; }
    HRESULT WINAPI SetHwndPropStr(HWND window, DWORD object, DWORD child, MSAAPROPID property,
                                  LPCWSTR text) override {
        if (object != static_cast<DWORD>(OBJID_CLIENT) || child != CHILDID_SELF ||
            property != PROPID_ACC_DESCRIPTION)
            return E_INVALIDARG;
        clear(window);
        descriptions.emplace_back(window, text);
        return S_OK;
    }
    HRESULT WINAPI ClearHwndProps(HWND window, DWORD, DWORD, const MSAAPROPID* properties,
                                  int count) override {
        for (int i = 0; i < count; ++i) {
            if (properties[i] == PROPID_ACC_DESCRIPTION) clear(window);
        }
        return S_OK;
    }
    HRESULT WINAPI SetPropValue(const BYTE*, DWORD, MSAAPROPID, VARIANT) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI SetPropServer(const BYTE*, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                                 AnnoScope) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearProps(const BYTE*, DWORD, const MSAAPROPID*, int) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI SetHwndProp(HWND, DWORD, DWORD, MSAAPROPID, VARIANT) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI SetHwndPropServer(HWND, DWORD, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                                     AnnoScope) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ComposeHwndIdentityString(HWND, DWORD, DWORD, BYTE**, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI DecomposeHwndIdentityString(const BYTE*, DWORD, HWND*, DWORD*, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI SetHmenuProp(HMENU, DWORD, MSAAPROPID, VARIANT) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHmenuPropStr(HMENU, DWORD, MSAAPROPID, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHmenuPropServer(HMENU, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                                      AnnoScope) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearHmenuProps(HMENU, DWORD, const MSAAPROPID*, int) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ComposeHmenuIdentityString(HMENU, DWORD, BYTE**, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI DecomposeHmenuIdentityString(const BYTE*, DWORD, HMENU*, DWORD*) override {
        return E_NOTIMPL;
    }

private:
    void clear(HWND window) {
        std::erase_if(descriptions, [window](const auto& entry) { return entry.first == window; });
    }
};

class RecorderFactory final : public IClassFactory {
public:
    explicit RecorderFactory(DescriptionRecorder& recorder) : recorder_(recorder) {}
    HRESULT WINAPI QueryInterface(REFIID id, void** out) override {
        *out = id == IID_IUnknown || id == IID_IClassFactory ? this : nullptr;
        return *out != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return 2; }
    ULONG WINAPI Release() override { return 1; }
    HRESULT WINAPI CreateInstance(IUnknown*, REFIID id, void** out) override {
        return recorder_.QueryInterface(id, out);
    }
    HRESULT WINAPI LockServer(BOOL) override { return S_OK; }

private:
    DescriptionRecorder& recorder_;
};

TEST(Win32ScreenReader, TheHintIsAnnotatedAsTheDescription) {
    ComThread com;
    DescriptionRecorder recorder;
    RecorderFactory factory(recorder);
    DWORD registration = 0;
    ASSERT_EQ(CoRegisterClassObject(CLSID_AccPropServices, &factory, CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &registration),
              S_OK);
    {
        Window window;
        HWND text1 = window.form.text1();
        HWND text2 = window.form.text2();
        SetFocus(text1);
        setText(text1, std::u16string(kMaxNumeralLength + 1, u'7'));
        pressKey(text1, VK_END);
        EXPECT_EQ(recorder.of(text2), L"\u00DCberlauf");
        EXPECT_EQ(recorder.of(text1), L"(none)");
        setText(text1, u"12");
        pressKey(text1, VK_END);
        EXPECT_EQ(recorder.of(text2), L"(none)");
        setText(text1, std::u16string(kMaxNumeralLength + 1, u'7'));
        pressKey(text1, VK_END);
        EXPECT_EQ(recorder.of(text2), L"\u00DCberlauf");
    }
    // Annotations outlive their window unless cleared.
    EXPECT_TRUE(recorder.descriptions.empty()) << "after the window object";
    {
        Window window;
        setText(window.form.text1(), std::u16string(kMaxNumeralLength + 1, u'7'));
        pressKey(window.form.text1(), VK_END);
        ASSERT_EQ(recorder.of(window.form.text2()), L"\u00DCberlauf");
        DestroyWindow(window.form.hwnd());  // as a closed window goes: its controls first
        EXPECT_TRUE(recorder.descriptions.empty()) << "after the window was closed";
    }
    CoRevokeClassObject(registration);
}

// --- Errors and the end of the program ---------------------------------------------------------

LRESULT CALLBACK throwingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        return guard(
            [wParam]() -> LRESULT {
                switch (wParam) {
                    case 0:
                        throw RuntimeError(kOverflowError);
                    case 1:
                        throw std::bad_alloc();
                    default:
                        throw std::logic_error("unexpected");
                }
            },
            0);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(Win32Errors, InAHandlerEndTheMessageLoop) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = throwingWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZifWandler.Test.Throwing";
    RegisterClassW(&windowClass);
    const struct {
        const char* name;
        WPARAM what;
        int number;
    } cases[] = {{"overflow", 0, 6}, {"out of memory", 1, 7}, {"anything else", 2, 51}};
    for (const auto& c : cases) {
        HWND window = CreateWindowW(windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 50,
                                    50, nullptr, nullptr, windowClass.hInstance, nullptr);
        PostMessageW(window, WM_APP, c.what, 0);
        PostMessageW(window, WM_APP, 0, 0);  // would fail again, but must not run
        PostMessageW(window, WM_APP + 1, 0, 0);
        int number = 0;
        try {
            runMessageLoop(window);
        } catch (...) {
            number = describeError(std::current_exception()).number;
        }
        EXPECT_EQ(number, c.number) << c.name;
        EXPECT_EQ(failed(), false) << c.name;
        MSG left{};
        EXPECT_EQ(PeekMessageW(&left, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE), FALSE) << c.name;
        DestroyWindow(window);
        pump(nullptr);
    }
}

// Delivering a message must not need memory: bad_alloc there would unwind through user32.
// With none to be had, the window still answers what its handler needs none for.
TEST(Win32Errors, MessageDeliveryNeedsNoMemory) {
    Window window;
    LRESULT length = 0;
    {
        OutOfMemory noMemory;
        length = SendMessageW(window.form.hwnd(), WM_GETTEXTLENGTH, 0, 0);
    }
    EXPECT_EQ(length, LRESULT{11});  // "ZIF-Wandler"
    EXPECT_EQ(failed(), false);
}

TEST(Win32Errors, InAFieldHandlerStayOutOfUser32) {
    HWND edit = CreateWindowW(L"EDIT", L"", WS_OVERLAPPED, 0, 0, 50, 20, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    int keyUps = 0;
    {
        EditField field(edit);
        field.SetHandlers({}, [&keyUps] {
            ++keyUps;
            throw RuntimeError(kOverflowError);
        });
        SendMessageW(edit, WM_CHAR, L'5', 1);
        SendMessageW(edit, WM_KEYUP, '5', static_cast<LPARAM>(0xC0000001u));
        EXPECT_TRUE(failed());
        SendMessageW(edit, WM_KEYUP, '5', static_cast<LPARAM>(0xC0000001u));
        EXPECT_EQ(keyUps, 1);
        EXPECT_EQ(textOf(edit), std::u16string(u"5"));
    }
    const std::exception_ptr failure = takeFailure();
    EXPECT_TRUE(failure != nullptr);
    EXPECT_EQ(describeError(failure).number, kOverflowError);
    DestroyWindow(edit);
    pump(nullptr);  // the quit request of the failure
}

// Finds a top-level window of this process by class and caption, waiting up to two seconds.
HWND waitForWindow(const wchar_t* windowClass, const wchar_t* caption, DWORD process) {
    for (int tries = 0; tries < 200; ++tries) {
        HWND found = nullptr;
        while ((found = FindWindowExW(nullptr, found, windowClass, caption)) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (owner == process) return found;
        }
        Sleep(10);
    }
    return nullptr;
}

BOOL CALLBACK collectReportText(HWND child, LPARAM out) {
    wchar_t buffer[256] = {};
    GetWindowTextW(child, buffer, 256);
    if (std::wstring(buffer).find(L"Laufzeitfehler") != std::wstring::npos) {
        *reinterpret_cast<std::wstring*>(out) = buffer;
    }
    return TRUE;
}

TEST(Win32Errors, ReportIsAGermanMessageBox) {
    struct ReportCase {
        const char* name;
        ErrorReport report;
        std::wstring text;
    };
    const std::vector<ReportCase> cases{
        {"overflow", describeError(std::make_exception_ptr(RuntimeError(kOverflowError))),
         L"Laufzeitfehler '6':\n\n\u00DCberlauf"},
        {"out of memory", describeError(std::make_exception_ptr(std::bad_alloc())),
         L"Laufzeitfehler '7':\n\nNicht gen\u00FCgend Speicher"}};
    for (const ReportCase& c : cases) {
        std::wstring seen;
        std::atomic<bool> found{false};
        std::thread reader([&] {
            HWND box = waitForWindow(L"#32770", L"ZifWandler", GetCurrentProcessId());
            if (box == nullptr) return;
            found = true;
            EnumChildWindows(box, collectReportText, reinterpret_cast<LPARAM>(&seen));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        showErrorReport(c.report);
        reader.join();
        EXPECT_EQ(found.load(), true) << c.name;
        EXPECT_EQ(seen, c.text) << c.name;
        EXPECT_EQ(exitCodeFor(c.report), c.report.number) << c.name;
    }
}

// Which error the EDIT controls created while the hook below is set raise on WM_APP.
enum class Injected { outOfMemory, unknown };
Injected injected = Injected::outOfMemory;

LRESULT CALLBACK failingEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR) {
    if (message != WM_APP) return DefSubclassProc(edit, message, wParam, lParam);
    return guard(
        []() -> LRESULT {
            if (injected == Injected::outOfMemory) throw std::bad_alloc();
            throw 42;
        },
        0);
}

// What goes wrong while the program makes its window.
enum class AtCreation { nothing, handlerFails, labelRefused };
AtCreation atCreation = AtCreation::nothing;

LRESULT CALLBACK failingCreateProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR) {
    if (message != WM_CREATE) return DefSubclassProc(window, message, wParam, lParam);
    return guard([]() -> LRESULT { throw std::bad_alloc(); }, 0);
}

// Fits the program's fields, as they are created, with a handler that fails, and makes
// `atCreation` happen.
LRESULT CALLBACK injectFailingEdits(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        HWND created = reinterpret_cast<HWND>(wParam);
        wchar_t className[64] = {};
        GetClassNameW(created, className, 64);
        if (lstrcmpiW(className, L"Edit") == 0) SetWindowSubclass(created, failingEditProc, 77, 0);
        if (atCreation == AtCreation::handlerFails && lstrcmpW(className, L"ZifWandler.Form1") == 0)
            SetWindowSubclass(created, failingCreateProc, 78, 0);
        // The window's label, not the message box's.
        const HWND parent = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->hwndParent;
        if (atCreation == AtCreation::labelRefused && lstrcmpiW(className, L"Static") == 0 &&
            parent != nullptr && GetClassNameW(parent, className, 64) != 0 &&
            lstrcmpW(className, L"ZifWandler.Form1") == 0)
            return 1;  // CreateWindowExW fails
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The whole program, failing inside a field's handler: the German report, then a non-zero exit.
TEST(Win32Errors, InTheRunningProgramAreReportedThenItEnds) {
    const struct {
        const char* name;
        Injected what;
        std::wstring text;
    } cases[] = {{"out of memory", Injected::outOfMemory,
                  L"Laufzeitfehler '7':\n\nNicht gen\u00FCgend Speicher"},
                 {"anything else", Injected::unknown, L"Laufzeitfehler '51':\n\nInterner Fehler"}};
    for (const auto& c : cases) {
        injected = c.what;
        HHOOK hook = SetWindowsHookExW(WH_CBT, injectFailingEdits, nullptr, GetCurrentThreadId());
        std::wstring seen;
        std::atomic<bool> reported{false};
        std::thread user([&] {
            HWND form = waitForWindow(L"ZifWandler.Form1", L"ZIF-Wandler", GetCurrentProcessId());
            if (form == nullptr) return;
            // The window exists a moment before its fields do.
            HWND edit = nullptr;
            for (int tries = 0; tries < 200 && edit == nullptr; ++tries) {
                edit = FindWindowExW(form, nullptr, L"Edit", nullptr);
                if (edit == nullptr) Sleep(10);
            }
            PostMessageW(edit, WM_APP, 0, 0);
            HWND box = waitForWindow(L"#32770", L"ZifWandler", GetCurrentProcessId());
            if (box == nullptr) {
                PostMessageW(form, WM_CLOSE, 0, 0);  // no report: end the program anyway
                return;
            }
            reported = true;
            EnumChildWindows(box, collectReportText, reinterpret_cast<LPARAM>(&seen));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        const int exitCode = runApplication(GetModuleHandleW(nullptr), SW_SHOWNORMAL);
        user.join();
        UnhookWindowsHookEx(hook);
        EXPECT_EQ(reported.load(), true) << c.name;
        EXPECT_EQ(seen, c.text) << c.name;
        EXPECT_TRUE(exitCode != 0);
        EXPECT_EQ(FindWindowW(L"ZifWandler.Form1", nullptr), HWND{nullptr}) << c.name;
    }
}

// The program failing while it makes its window: the report stays on screen until the user
// dismisses it, no window is left from the moment it shows, and the program ends with the
// error's number.
TEST(Win32Errors, WhileTheWindowIsMadeAreReportedThenItEnds) {
    const struct {
        const char* name;
        AtCreation what;
        std::wstring text;
        int exitCode;
    } cases[] = {{"a handler fails in CreateWindowExW", AtCreation::handlerFails,
                  L"Laufzeitfehler '7':\n\nNicht gen\u00FCgend Speicher", 7},
                 {"a label cannot be created", AtCreation::labelRefused,
                  L"Laufzeitfehler '51':\n\nInterner Fehler", 51}};
    for (const auto& c : cases) {
        atCreation = c.what;
        HHOOK hook = SetWindowsHookExW(WH_CBT, injectFailingEdits, nullptr, GetCurrentThreadId());
        std::wstring seen;
        std::atomic<bool> stayed{false};
        std::atomic<bool> windowLeft{true};
        std::thread user([&] {
            HWND box = waitForWindow(L"#32770", L"ZifWandler", GetCurrentProcessId());
            if (box == nullptr) return;
            windowLeft = FindWindowW(L"ZifWandler.Form1", nullptr) != nullptr;
            Sleep(300);  // a person reading it
            stayed = IsWindowVisible(box) != FALSE;
            EnumChildWindows(box, collectReportText, reinterpret_cast<LPARAM>(&seen));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        const int exitCode = runApplication(GetModuleHandleW(nullptr), SW_SHOWNORMAL);
        user.join();
        UnhookWindowsHookEx(hook);
        atCreation = AtCreation::nothing;
        EXPECT_EQ(stayed.load(), true) << c.name;
        EXPECT_EQ(seen, c.text) << c.name;
        EXPECT_EQ(exitCode, c.exitCode) << c.name;
        EXPECT_EQ(windowLeft.load(), false) << c.name;
        EXPECT_EQ(FindWindowW(L"ZifWandler.Form1", nullptr), HWND{nullptr}) << c.name;
    }
}

TEST(Win32Program, ClosingTheWindowEndsItWithZero) {
    std::thread closer([] {
        HWND form = waitForWindow(L"ZifWandler.Form1", L"ZIF-Wandler", GetCurrentProcessId());
        if (form != nullptr) PostMessageW(form, WM_CLOSE, 0, 0);
    });
    const int exitCode = runApplication(GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    closer.join();
    EXPECT_EQ(exitCode, 0);
}

TEST(Win32Program, ExecutableExitsWithZeroWhenClosed) {
    // The build gives the path as a Unix path under Wine.
    std::wstring programPath = ZIF_PROGRAM_PATH;
    if (!programPath.empty() && programPath[0] == L'/') programPath = L"Z:" + programPath;
    for (wchar_t& c : programPath) {
        if (c == L'/') c = L'\\';
    }
    std::wstring commandLine = L"\"" + programPath + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
        EXPECT_EQ(GetLastError(), DWORD{0});
        return;
    }
    WaitForInputIdle(process.hProcess, 10000);
    HWND form = waitForWindow(L"ZifWandler.Form1", L"ZIF-Wandler", process.dwProcessId);
    EXPECT_TRUE(form != nullptr);
    if (form != nullptr) {
        // The program's own window: the same layout as in this process.
        RECT client{};
        GetClientRect(form, &client);
        EXPECT_EQ((std::vector<int>{client.right, client.bottom}), (std::vector<int>{169, 57}));
        PostMessageW(form, WM_CLOSE, 0, 0);
    }
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
    DWORD exitCode = 259;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, DWORD{0});
    if (exitCode == STILL_ACTIVE) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace
}  // namespace zif::win32

// The allocation failures of OutOfMemory: every allocation of this program comes here. The
// standard operator delete frees with std::free, as the standard operator new would.
void* operator new(std::size_t size) {
    if (zif::win32::allocationFails) throw std::bad_alloc();
    if (void* memory = std::malloc(size != 0 ? size : 1)) return memory;
    throw std::bad_alloc();
}
