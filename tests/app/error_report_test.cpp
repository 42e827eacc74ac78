#include "app/error_report.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "app/version.h"
#include "convert/convert_base.h"

namespace zif {
namespace {

TEST(ErrorReport, OverflowFromConversion) {
    std::exception_ptr error;
    try {
        ConvertBase(std::u16string(kMaxNumeralLength + 1, u'1'), 10, 16);
    } catch (...) {
        error = std::current_exception();
    }
    const ErrorReport report = describeError(error);
    EXPECT_EQ(report.number, 6);
    EXPECT_EQ(reportText(report),
              "Laufzeitfehler '6':\n\n\xC3\x9C"
              "berlauf");
}

TEST(ErrorReport, OutOfMemory) {
    const ErrorReport report = describeError(std::make_exception_ptr(std::bad_alloc()));
    EXPECT_EQ(reportText(report),
              "Laufzeitfehler '7':\n\nNicht gen\xC3\xBC"
              "gend Speicher");
}

TEST(ErrorReport, AnythingElseIsAnInternalError) {
    for (const std::exception_ptr& error : {std::make_exception_ptr(std::logic_error("x")),
                                            std::make_exception_ptr(42), std::exception_ptr{}}) {
        EXPECT_EQ(reportText(describeError(error)), "Laufzeitfehler '51':\n\nInterner Fehler");
    }
}

TEST(Version, ShownWithTwoDigitMinor) {
    EXPECT_STREQ(kDisplayVersion, "1.02");
}

}  // namespace
}  // namespace zif
