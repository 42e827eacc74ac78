#include "win32/application.h"

#include <objbase.h>

#include <climits>
#include <stdexcept>
#include <string>

#include "app/uncaught_error.h"
#include "win32/form1_window.h"
#include "win32/text.h"

namespace zif::win32 {

namespace {
// One thread runs the whole user interface, so one slot suffices. While it holds a failure,
// exactly one quit request of it is pending or has ended the loop.
FirstError pendingFailure;
}  // namespace

bool failed() noexcept {
    return pendingFailure.kept();
}

void keepFailure(std::exception_ptr failure) noexcept {
    // Also ends a modal loop (menu, move) that may be running below us.
    if (pendingFailure.keep(std::move(failure))) PostQuitMessage(1);
}

namespace {
// A pending quit request would close the next message box at once.
void dropQuitRequest() noexcept {
    MSG quit{};
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}
}  // namespace

std::exception_ptr takeFailure() noexcept {
    if (!pendingFailure.kept()) return nullptr;
    dropQuitRequest();
    return pendingFailure.take();
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
        if (failed()) break;
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

namespace {
// COM for the thread's lifetime in the program: the fields' accessible descriptions go through
// a COM service. Without COM the program runs all the same.
class ComApartment {
public:
    ComApartment() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (initialized_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialized_;
};
}  // namespace

int runApplication(HINSTANCE instance, int showCommand) noexcept {
    const ComApartment com;
    int loopExitCode = 0;
    std::exception_ptr escaped;
    try {
        Form1Window form(instance, [] { PostQuitMessage(0); });
        form.show(showCommand);
        loopExitCode = runMessageLoop(form.hwnd());
    } catch (...) {
        escaped = std::current_exception();
    }
    // The window is gone before the report appears.
    if (pendingFailure.kept()) dropQuitRequest();
    return pendingFailure.finish(loopExitCode, escaped, showErrorReport);
}

}  // namespace zif::win32
