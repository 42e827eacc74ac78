#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace zif {

// What the user is told about an error that no handler caught, before the program ends.
struct ErrorReport {
    int number;
    std::string_view description;  // German, UTF-8; static text
};

// Every error that can end the program, from app/errors.def.
inline constexpr ErrorReport kErrors[] = {
#define ZIF_ERROR(number, description, english) {number, description},
#include "app/errors.def"
#undef ZIF_ERROR
};

inline constexpr int kOutOfMemoryError = 7;
inline constexpr int kInternalError = 51;

// Caption of the message box that carries the report.
inline constexpr char kErrorCaption[] = "ZifWandler";

// The German description of a run-time error number (UTF-8), e.g. "Überlauf" for 6; empty
// for a number the program never raises.
std::string_view errorDescription(int number) noexcept;

// Maps an exception to its number and description: RuntimeError keeps its number,
// std::bad_alloc is 7, anything else is 51 "Interner Fehler", and so is a RuntimeError whose
// number has no description.
ErrorReport describeError(std::exception_ptr error) noexcept;

// The message box text, e.g. "Laufzeitfehler '6':\n\nÜberlauf" (UTF-8).
std::string reportText(const ErrorReport& report);

// The exit code of a program that an error ended: the error's number, never 0.
int exitCodeFor(const ErrorReport& report) noexcept;

}  // namespace zif
