#include "app/error_report.h"

#include <new>

#include "convert/convert_base.h"

namespace zif {

namespace {
constexpr bool listed(int number) {
    for (const ErrorReport& error : kErrors) {
        if (error.number == number) return true;
    }
    return false;
}
static_assert(listed(kOverflowError) && listed(kOutOfMemoryError) && listed(kInternalError));
}  // namespace

std::string_view errorDescription(int number) noexcept {
    for (const ErrorReport& error : kErrors) {
        if (error.number == number) return error.description;
    }
    return {};
}

ErrorReport describeError(std::exception_ptr error) noexcept {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const RuntimeError& runtimeError) {
        const int number = runtimeError.number();
        if (!errorDescription(number).empty()) return {number, errorDescription(number)};
    } catch (const std::bad_alloc&) {
        return {kOutOfMemoryError, errorDescription(kOutOfMemoryError)};
    } catch (...) {
    }
    return {kInternalError, errorDescription(kInternalError)};
}

std::string reportText(const ErrorReport& report) {
    std::string text = "Laufzeitfehler '" + std::to_string(report.number) + "':\n\n";
    text += report.description;
    return text;
}

int exitCodeFor(const ErrorReport& report) noexcept {
    // A process's exit status keeps only the low eight bits on POSIX.
    return report.number > 0 && report.number <= 255 ? report.number : 1;
}

}  // namespace zif
