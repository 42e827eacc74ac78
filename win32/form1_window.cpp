#include "win32/form1_window.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "win32/application.h"
#include "win32/system_font.h"
#include "win32/text.h"
#include "window/form1_layout.h"

namespace zif::win32 {

namespace {
constexpr wchar_t kClassName[] = L"ZifWandler.Form1";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = 0;
constexpr WORD kIconGroup = 1;

enum ControlId : int { kText1Id = 100, kText2Id, kLabel1Id, kLabel2Id };

int pixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch);
}

// A control's place in the client area, in pixels.
struct Box {
    int left;
    int top;
    int width;
    int height;
};

struct Geometry {
    SIZE client;
    Box label1, text1, label2, text2;
};

// What the message font needs of the controls, in pixels: the wider caption, a label's line,
// and a field that shows its digits whole.
struct TextNeeds {
    int captionWidth;
    int lineHeight;
    int fieldHeight;
};

Box scaled(const TwipRect& twips, UINT dpi) {
    return {pixels(twips.left, dpi), pixels(twips.top, dpi), pixels(twips.width, dpi),
            pixels(twips.height, dpi)};
}

// The layout in twips at `dpi`, grown only where the font needs more room: a label first into
// the gap up to its field, then the fields move right; a taller row moves the row below down.
// At the font sizes the layout was drawn for, nothing moves.
Geometry fit(UINT dpi, const TextNeeds& needs) {
    const Form1Layout::Row& decimal = Form1Layout::kDecimalRow;
    const Form1Layout::Row& hex = Form1Layout::kHexRow;
    Geometry geometry{
        {pixels(Form1Layout::kClientArea.width, dpi), pixels(Form1Layout::kClientArea.height, dpi)},
        scaled(decimal.label, dpi),
        scaled(decimal.field, dpi),
        scaled(hex.label, dpi),
        scaled(hex.field, dpi)};
    const Box& label = geometry.label1;
    const Box& field = geometry.text1;
    const int labelWidth = std::max(label.width, needs.captionWidth);
    const int right = std::max(0, label.left + labelWidth - field.left);
    const int labelHeight = std::max(label.height, needs.lineHeight);
    const int fieldHeight = std::max(field.height, needs.fieldHeight);
    const int down = std::max(labelHeight, fieldHeight) - std::max(label.height, field.height);
    for (Box* each : {&geometry.label1, &geometry.label2}) {
        each->width = labelWidth;
        each->height = labelHeight;
    }
    for (Box* each : {&geometry.text1, &geometry.text2}) {
        each->left += right;
        each->height = fieldHeight;
    }
    geometry.label2.top += down;
    geometry.text2.top += down;
    geometry.client.cx += right;
    geometry.client.cy += 2 * down;
    return geometry;
}

UINT windowDpi(HWND window) {
    // Older Windows has no DPI per window, only the system's.
    static auto* const forWindow = user32Function<decltype(GetDpiForWindow)>("GetDpiForWindow");
    const UINT dpi = forWindow != nullptr ? forWindow(window) : 0;
    return dpi != 0 ? dpi : systemDpi();
}

SIZE outerSize(SIZE client, UINT dpi) {
    RECT frame{0, 0, client.cx, client.cy};
    static auto* const forDpi =
        user32Function<decltype(AdjustWindowRectExForDpi)>("AdjustWindowRectExForDpi");
    if (forDpi == nullptr || !forDpi(&frame, kStyle, FALSE, kExStyle, dpi)) {
        AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    }
    return {frame.right - frame.left, frame.bottom - frame.top};
}

TextNeeds measureText(HWND field, HWND label1, HWND label2, HFONT font, UINT dpi) {
    // The field's frame and text margin, at the size the layout gives it.
    const Box laidOut = scaled(Form1Layout::kDecimalRow.field, dpi);
    SetWindowPos(field, nullptr, laidOut.left, laidOut.top, laidOut.width, laidOut.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RECT outer{};
    RECT inner{};
    RECT format{};
    GetWindowRect(field, &outer);
    GetClientRect(field, &inner);
    SendMessageW(field, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));

    const HDC dc = GetDC(field);
    const HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    int captionWidth = 0;
    for (HWND label : {label1, label2}) {
        wchar_t caption[16] = {};
        const int length = GetWindowTextW(label, caption, 16);
        SIZE extent{};
        GetTextExtentPoint32W(dc, caption, length, &extent);
        captionWidth = std::max(captionWidth, static_cast<int>(extent.cx));
    }
    SelectObject(dc, previous);
    ReleaseDC(field, dc);
    // Digits and the captions' letters stand on the baseline: a field shows them whole down to
    // the font's ascent, below its frame and the top of its text rectangle.
    const int frame = (outer.bottom - outer.top) - inner.bottom;
    return {captionWidth, static_cast<int>(metrics.tmHeight),
            frame + static_cast<int>(format.top) + static_cast<int>(metrics.tmAscent)};
}

HICON applicationIcon(HINSTANCE instance, int sizeMetric) {
    const int size = GetSystemMetrics(sizeMetric);
    auto* const icon =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconGroup), IMAGE_ICON, size,
                                      size, LR_DEFAULTCOLOR | LR_SHARED));
    if (icon != nullptr) return icon;
    return static_cast<HICON>(
        LoadImageW(nullptr, IDI_APPLICATION, IMAGE_ICON, size, size, LR_DEFAULTCOLOR | LR_SHARED));
}

void registerClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = applicationIcon(instance, SM_CXICON);
    windowClass.hIconSm = applicationIcon(instance, SM_CXSMICON);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw std::runtime_error("RegisterClassExW failed");
    }
}

HWND createChild(HWND parent, HINSTANCE instance, const wchar_t* windowClass, const wchar_t* text,
                 DWORD style, DWORD exStyle, int id) {
    HWND child = CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0,
                                 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 instance, nullptr);
    if (child == nullptr) throw std::runtime_error("CreateWindowExW failed for a control");
    return child;
}
}  // namespace

Form1Window::Form1Window(HINSTANCE instance, std::function<void()> closed)
    : instance_(instance), closed_(std::move(closed)) {
    registerClass(instance_, &Form1Window::windowProc);
    const std::wstring caption = wideFromUtf8(Form1Layout::kCaption);
    // From WM_NCCREATE on, window_ owns the window: should anything below fail, the window goes
    // with the members.
    CreateWindowExW(kExStyle, kClassName, caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, this);
    if (std::exception_ptr failure = takeFailure()) std::rethrow_exception(failure);
    if (!window_) throw std::runtime_error("CreateWindowExW failed for Form1");
    HWND window = window_.get();

    // Each label comes just before its field: a screen reader names a field after the label
    // before it. Tab skips the labels, so the order of the fields is the tab order.
    constexpr DWORD kEditStyle = WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
    label1_ =
        createChild(window, instance_, L"STATIC",
                    wideFromUtf8(Form1Layout::kDecimalRow.caption).c_str(), SS_LEFT, 0, kLabel1Id);
    HWND text1 =
        createChild(window, instance_, L"EDIT", L"", kEditStyle, WS_EX_CLIENTEDGE, kText1Id);
    label2_ =
        createChild(window, instance_, L"STATIC",
                    wideFromUtf8(Form1Layout::kHexRow.caption).c_str(), SS_LEFT, 0, kLabel2Id);
    HWND text2 =
        createChild(window, instance_, L"EDIT", L"", kEditStyle, WS_EX_CLIENTEDGE, kText2Id);

    text1_ = std::make_unique<EditField>(text1);
    text2_ = std::make_unique<EditField>(text2);
    form_ = std::make_unique<Form1>(*text1_, *text2_);

    bigIcon_ = applicationIcon(instance_, SM_CXICON);
    smallIcon_ = applicationIcon(instance_, SM_CXSMICON);
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

    layOut(windowDpi(window), nullptr);
}

// Destroying the window here is no user's close: being unhooked, it announces nothing.
Form1Window::~Form1Window() = default;

void Form1Window::WindowDestroyer::operator()(HWND window) const noexcept {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
}

void Form1Window::FontDeleter::operator()(HFONT font) const noexcept {
    DeleteObject(font);
}

void Form1Window::show(int showCommand) {
    ShowWindow(hwnd(), showCommand);
    UpdateWindow(hwnd());
    // Activation puts the focus into Text1 (WM_ACTIVATE); without it, set it here.
    if (GetFocus() == nullptr || !IsChild(hwnd(), GetFocus())) SetFocus(text1());
}

void Form1Window::layOut(UINT dpi, const RECT* suggested) {
    dpi_ = dpi;
    applyFont(dpi);
    const Geometry geometry = fit(dpi, measureText(text1(), label1_, label2_, font_.get(), dpi));
    const SIZE size = outerSize(geometry.client, dpi);
    POINT origin{};
    if (suggested != nullptr) {
        origin = {suggested->left, suggested->top};
    } else {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& work = monitor.rcWork;
        origin = {work.left + (work.right - work.left - size.cx) / 2,
                  work.top + (work.bottom - work.top - size.cy) / 2};
    }
    SetWindowPos(hwnd(), nullptr, origin.x, origin.y, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // Where the frame does not scale with the DPI as predicted, the client area still must.
    RECT client{};
    GetClientRect(hwnd(), &client);
    const SIZE missing{geometry.client.cx - client.right, geometry.client.cy - client.bottom};
    if (missing.cx != 0 || missing.cy != 0) {
        SetWindowPos(hwnd(), nullptr, 0, 0, size.cx + missing.cx, size.cy + missing.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    }

    const std::pair<HWND, Box> controls[] = {{label1_, geometry.label1},
                                             {text1(), geometry.text1},
                                             {label2_, geometry.label2},
                                             {text2(), geometry.text2}};
    for (const auto& [control, box] : controls) {
        SetWindowPos(control, nullptr, box.left, box.top, box.width, box.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Form1Window::applyFont(UINT dpi) {
    const LOGFONTW description = messageFont(dpi);
    OwnedFont font(CreateFontIndirectW(&description));
    if (!font) throw std::runtime_error("CreateFontIndirectW failed");
    for (HWND control : {label1_, text1(), label2_, text2()}) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    font_ = std::move(font);
}

LRESULT CALLBACK Form1Window::windowProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Form1Window*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_.reset(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Form1Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY && self != nullptr) {
        // Closed, or creation failed: the window is gone, the object lets go of it.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        static_cast<void>(self->window_.release());
        self = nullptr;
    }
    if (self == nullptr || failed()) return DefWindowProcW(window, message, wParam, lParam);
    return guard([&] { return self->handle(message, wParam, lParam); }, 0);
}

LRESULT Form1Window::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            // As in a dialog: the focus leaves with the window and comes back to the same field.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(hwnd(), focus)) lastFocus_ = focus;
            } else if (!HIWORD(wParam)) {
                SetFocus(lastFocus_ != nullptr ? lastFocus_ : text1());
            }
            return 0;
        case WM_DPICHANGED:
            layOut(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SETTINGCHANGE: {
            // The text size or the message font may have changed: the controls take the font
            // as it is now, and the window stays where it is. While the window is being made,
            // its constructor lays it out at the end.
            if (!form_) return 0;
            RECT outer{};
            GetWindowRect(hwnd(), &outer);
            layOut(dpi_, &outer);
            return 0;
        }
        case WM_DESTROY:
            if (closed_) closed_();
            return 0;
        default:
            return DefWindowProcW(hwnd(), message, wParam, lParam);
    }
}

}  // namespace zif::win32
