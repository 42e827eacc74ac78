#include "app/uncaught_error.h"

#include <cstdio>
#include <utility>

namespace zif {

bool FirstError::keep(std::exception_ptr error) noexcept {
    if (kept_) return false;
    error_ = std::move(error);
    kept_ = true;
    return true;
}

std::exception_ptr FirstError::take() noexcept {
    kept_ = false;
    return std::exchange(error_, nullptr);
}

void printReport(const ErrorReport& report) noexcept {
    std::fprintf(stderr, "%s: Laufzeitfehler '%d': %.*s\n", kErrorCaption, report.number,
                 static_cast<int>(report.description.size()), report.description.data());
}

}  // namespace zif
