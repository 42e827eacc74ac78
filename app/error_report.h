#pragma once

#include <exception>
#include <string>

namespace zif {

// What the user is told about an error that no handler caught, before the program ends.
struct ErrorReport {
    int number;
    std::string description;  // German, UTF-8
};

inline constexpr int kOutOfMemoryError = 7;
inline constexpr int kInternalError = 51;

// Caption of the message box that carries the report.
inline constexpr char kErrorCaption[] = "ZifWandler";

// Maps an exception to its number and German description: RuntimeError keeps its own,
// std::bad_alloc is 7 "Nicht genügend Speicher", anything else 51 "Interner Fehler".
ErrorReport describeError(std::exception_ptr error);

// The message box text, e.g. "Laufzeitfehler '6':\n\nÜberlauf" (UTF-8).
std::string reportText(const ErrorReport& report);

}  // namespace zif
