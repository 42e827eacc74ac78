#include "win32/application.h"

#include <climits>
#include <string>

#include "win32/form1_window.h"
#include "win32/text.h"

namespace zif::win32 {

namespace {
// One thread runs the whole user interface, so one slot suffices.
std::exception_ptr pendingFailure;
}  // namespace

LRESULT guard(const std::function<LRESULT()>& work, LRESULT otherwise) noexcept {
    if (pendingFailure) return otherwise;
    try {
        return work();
    } catch (...) {
        pendingFailure = std::current_exception();
        // Also ends a modal loop (menu, move) that may be running below us.
        PostQuitMessage(1);
        return otherwise;
    }
}

bool failed() noexcept {
    return static_cast<bool>(pendingFailure);
}

std::exception_ptr takeFailure() noexcept {
    std::exception_ptr failure = std::move(pendingFailure);
    pendingFailure = nullptr;
    return failure;
}

void dispatch(HWND window, MSG& message) {
    if (window != nullptr && IsDialogMessageW(window, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int runMessageLoop(HWND window) {
    MSG message{};
    int exitCode = 0;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) throw std::runtime_error("GetMessageW failed");
        if (got == 0) {
            exitCode = static_cast<int>(message.wParam);
            break;
        }
        dispatch(window, message);
        if (failed()) {
            // The quit request that guard() posted belongs to this failure.
            PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
            break;
        }
    }
    if (std::exception_ptr failure = takeFailure()) std::rethrow_exception(failure);
    return exitCode;
}

std::wstring wideFromUtf8(std::string_view text) {
    if (text.empty()) return {};
    if (text.size() > INT_MAX) throw std::length_error("text too long");
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

void showErrorReport(const ErrorReport& report) {
    const std::wstring text = wideFromUtf8(reportText(report));
    const std::wstring caption = wideFromUtf8(kErrorCaption);
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

int exitCodeFor(const ErrorReport& report) noexcept {
    return report.number > 0 ? report.number : 1;
}

int runApplication(HINSTANCE instance, int showCommand) {
    ErrorReport report{};
    try {
        // The window is gone before the report appears.
        Form1Window form(instance, [] { PostQuitMessage(0); });
        form.show(showCommand);
        return runMessageLoop(form.hwnd());
    } catch (...) {
        report = describeError(std::current_exception());
    }
    showErrorReport(report);
    return exitCodeFor(report);
}

}  // namespace zif::win32
