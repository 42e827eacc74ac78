#include "app/error_report.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "app/uncaught_error.h"
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
    for (const std::exception_ptr& error :
         {std::make_exception_ptr(std::logic_error("x")), std::make_exception_ptr(42),
          std::exception_ptr{}, std::make_exception_ptr(RuntimeError(1234))}) {
        EXPECT_EQ(reportText(describeError(error)), "Laufzeitfehler '51':\n\nInterner Fehler");
    }
}

TEST(ErrorReport, ProgramEndsWithTheErrorsNumber) {
    const struct {
        std::exception_ptr error;
        int exitCode;
    } cases[] = {{std::make_exception_ptr(RuntimeError(kOverflowError)), 6},
                 {std::make_exception_ptr(std::bad_alloc()), 7},
                 {std::make_exception_ptr(42), 51}};
    for (const auto& c : cases) {
        EXPECT_EQ(reportError(c.error, [](const ErrorReport&) {}), c.exitCode);
        // A report that cannot be shown still reaches the user, on standard error.
        testing::internal::CaptureStderr();
        const int exitCode = reportError(c.error, [](const ErrorReport&) { throw 1; });
        const std::string printed = testing::internal::GetCapturedStderr();
        EXPECT_EQ(exitCode, c.exitCode);
        EXPECT_NE(printed.find("Laufzeitfehler '" + std::to_string(c.exitCode) + "'"),
                  std::string::npos)
            << printed;
    }
}

// Every listed error is one that a RuntimeError can carry, is told in German, and is a
// process's exit status as it is: the documented exit codes are these numbers.
TEST(ErrorReport, EveryListedErrorEndsTheProgramWithItsNumber) {
    for (const ErrorReport& listed : kErrors) {
        const auto error = std::make_exception_ptr(RuntimeError(listed.number));
        EXPECT_EQ(reportError(error, [](const ErrorReport&) {}), listed.number);
        EXPECT_EQ(describeError(error).description, listed.description);
        EXPECT_FALSE(listed.description.empty());
    }
}

TEST(FirstError, KeepsOnlyTheFirstUntilTaken) {
    FirstError first;
    const std::exception_ptr one = std::make_exception_ptr(1);
    const std::exception_ptr two = std::make_exception_ptr(2);
    EXPECT_TRUE(first.keep(one));
    EXPECT_FALSE(first.keep(two));
    EXPECT_TRUE(first.kept());
    EXPECT_EQ(first.take(), one);
    EXPECT_FALSE(first.kept());
    EXPECT_TRUE(first.keep(two));
}

// The kept error came first and wins over one that left the loop after it; while its report is
// on screen, further errors are dropped; afterwards the next run starts clean.
TEST(FirstError, FinishReportsTheFirstErrorWhileStillKeepingIt) {
    const auto overflow = std::make_exception_ptr(RuntimeError(kOverflowError));
    const auto noMemory = std::make_exception_ptr(std::bad_alloc());
    const struct {
        const char* name;
        std::exception_ptr kept;
        std::exception_ptr escaped;
        int exitCode;
        int reported;
    } cases[] = {{"closed", nullptr, nullptr, 0, 0},
                 {"kept", overflow, nullptr, 6, 6},
                 {"escaped", nullptr, noMemory, 7, 7},
                 {"kept, then escaped", overflow, noMemory, 6, 6}};
    for (const auto& c : cases) {
        FirstError first;
        if (c.kept) first.keep(c.kept);
        int reported = 0;
        bool droppedMeanwhile = false;
        const int exitCode = first.finish(0, c.escaped, [&](const ErrorReport& report) {
            reported = report.number;
            droppedMeanwhile = !first.keep(noMemory);
        });
        EXPECT_EQ(exitCode, c.exitCode) << c.name;
        EXPECT_EQ(reported, c.reported) << c.name;
        EXPECT_EQ(droppedMeanwhile, c.reported != 0) << c.name;
        EXPECT_FALSE(first.kept()) << c.name;
    }
}

TEST(Version, ShownWithTwoDigitMinor) {
    EXPECT_STREQ(kDisplayVersion, "1.02");
}

}  // namespace
}  // namespace zif
