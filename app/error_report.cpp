#include "app/error_report.h"

#include <new>

#include "convert/convert_base.h"

namespace zif {

ErrorReport describeError(std::exception_ptr error) {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const RuntimeError& runtimeError) {
        return {runtimeError.number(), runtimeError.what()};
    } catch (const std::bad_alloc&) {
        return {kOutOfMemoryError, "Nicht gen\xC3\xBCgend Speicher"};
    } catch (...) {
    }
    return {kInternalError, "Interner Fehler"};
}

std::string reportText(const ErrorReport& report) {
    return "Laufzeitfehler '" + std::to_string(report.number) + "':\n\n" + report.description;
}

}  // namespace zif
