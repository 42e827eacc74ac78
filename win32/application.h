#pragma once

#include <windows.h>

#include <exception>
#include <functional>

#include "app/error_report.h"

namespace zif::win32 {

// No exception may unwind through user32: window procedures and subclass procedures run their
// work through guard(), which keeps the first failure and asks the message loop to end.
// After a failure no further handler runs; guard() then returns `otherwise` at once.
LRESULT guard(const std::function<LRESULT()>& work, LRESULT otherwise) noexcept;
bool failed() noexcept;
// Hands over the kept failure (null if there is none) and forgets it.
std::exception_ptr takeFailure() noexcept;

// Delivers one message as the loop does: Tab and Shift+Tab move between the controls of
// `window`, keys are translated into characters.
void dispatch(HWND window, MSG& message);

// Runs the message loop of `window` until WM_QUIT, returning its exit code. A failure kept by
// guard() ends the loop at once and is rethrown here.
int runMessageLoop(HWND window);

// The German report of an error that nothing caught, in a modal message box.
void showErrorReport(const ErrorReport& report);

// Exit code of a program ended by `report`: never 0.
int exitCodeFor(const ErrorReport& report) noexcept;

// The whole program: creates Form1, runs until the window is closed (exit code 0) or an error
// escapes a handler (reported, then a non-zero exit code).
int runApplication(HINSTANCE instance, int showCommand);

}  // namespace zif::win32
