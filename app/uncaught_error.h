#pragma once

#include <exception>

#include "app/error_report.h"

namespace zif {

// How every front-end ends the program after an error that no handler caught: the first such
// error is reported and the program ends with its exit code (exitCodeFor). Errors that follow
// while it is kept (events that fail again while its report is on screen or while the program
// ends) are dropped: the user hears of the first error only.
class FirstError {
public:
    // Keeps `error` unless one is kept already; returns whether it did.
    bool keep(std::exception_ptr error) noexcept;
    bool kept() const noexcept { return kept_; }
    // Hands over the kept error (null if there is none) and forgets it.
    std::exception_ptr take() noexcept;

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

}  // namespace zif
