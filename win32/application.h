#pragma once

#include <windows.h>

#include <exception>
#include <type_traits>

#include "app/error_report.h"

namespace zif::win32 {

bool failed() noexcept;
// Keeps `failure` if it is the first since the last takeFailure(), and asks the message loop
// to end (PostQuitMessage). Later failures are dropped.
void keepFailure(std::exception_ptr failure) noexcept;
// Hands over the kept failure (null if there is none) and forgets it, together with its quit
// request: a message box shown next would otherwise close at once.
std::exception_ptr takeFailure() noexcept;

// No exception may unwind through user32: window procedures and subclass procedures are
// noexcept and run their work through guard(), which keeps the first failure and asks the
// message loop to end. After a failure no further handler runs; guard() then returns
// `otherwise` at once. `work` is called where it stands, so a message costs no allocation.
template <class Work>
LRESULT guard(Work&& work, LRESULT otherwise) noexcept {
    if (failed()) return otherwise;
    try {
        if constexpr (std::is_void_v<std::invoke_result_t<Work&>>) {
            work();
            return otherwise;
        } else {
            return work();
        }
    } catch (...) {
        keepFailure(std::current_exception());
        return otherwise;
    }
}

// Delivers one message as the loop does: Tab and Shift+Tab move between the controls of
// `window`, keys are translated into characters.
void dispatch(HWND window, MSG& message);

// Runs the message loop of `window` until WM_QUIT, returning its exit code. A failure kept by
// guard() ends the loop at once and is rethrown here.
int runMessageLoop(HWND window);

// The German report of an error that nothing caught, in a modal message box.
void showErrorReport(const ErrorReport& report);

// The whole program: creates Form1, runs until the window is closed (exit code 0) or an error
// escapes a handler (reported once the window is gone, then its exit code: exitCodeFor).
int runApplication(HINSTANCE instance, int showCommand) noexcept;

}  // namespace zif::win32
