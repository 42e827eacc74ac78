#pragma once

#include <exception>
#include <utility>

#include "app/error_report.h"

namespace zif {

// How every front-end ends the program after an error that no handler caught: the first such
// error ends the event loop (keep), and once the loop has ended it is reported and the program
// ends with its exit code (finish). Errors that follow while it is kept (events that fail again
// before the loop has ended or while the report is on screen) are dropped: the user hears of
// the first error only.
class FirstError {
public:
    // Keeps `error` unless one is kept already; returns whether it did. When it did, the caller
    // ends its event loop.
    bool keep(std::exception_ptr error) noexcept;
    bool kept() const noexcept { return kept_; }
    // Hands over the kept error (null if there is none) and forgets it.
    std::exception_ptr take() noexcept;

    // Ends a run of the event loop: reports the kept error, or else `escaped` (an error that
    // left the loop itself), through `show` as reportError does, and returns its exit code;
    // with neither, returns `loopExitCode`. The reported error stays kept until `show` returns.
    template <class Show>
    int finish(int loopExitCode, std::exception_ptr escaped, Show&& show) noexcept;

private:
    std::exception_ptr error_;
    bool kept_ = false;
};

// Writes the report to standard error, for when no message box can show it.
void printReport(const ErrorReport& report) noexcept;

// Reports `error` with `show`, a front-end's modal message box that returns once the user has
// dismissed it, and returns the exit code the program ends with. Should showing fail, the
// report goes to standard error instead: an error is never silent.
template <class Show>
int reportError(std::exception_ptr error, Show&& show) noexcept {
    const ErrorReport report = describeError(error);
    try {
        show(report);
    } catch (...) {
        printReport(report);
    }
    return exitCodeFor(report);
}

template <class Show>
int FirstError::finish(int loopExitCode, std::exception_ptr escaped, Show&& show) noexcept {
    if (!kept_ && !escaped) return loopExitCode;
    if (!kept_) keep(std::move(escaped));
    const int exitCode = reportError(error_, show);
    take();
    return exitCode;
}

}  // namespace zif
