#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// A small check harness for the Win32 tests, which run under Wine where GoogleTest is not
// available: named cases, checks that record a failure and go on, and a closing
// "N passed, N failed" line.
namespace zif::check {

struct Case {
    std::string name;
    std::function<void()> run;
};

inline std::vector<std::string>& failures() {
    static std::vector<std::string> list;
    return list;
}

inline std::string printable(const std::u16string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size() && i < 60; ++i) {
        const char16_t c = text[i];
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    if (text.size() > 60) out += "...(" + std::to_string(text.size()) + " units)";
    return out + "\"";
}
inline std::string printable(const std::wstring& text) {
    return printable(std::u16string(text.begin(), text.end()));
}
template <class T>
std::string printable(const T& value) {
    std::ostringstream out;
    out << value;
    return out.str();
}
template <class A, class B>
std::string printable(const std::pair<A, B>& values) {
    std::string out = "(";
    out.append(printable(values.first)).append(", ").append(printable(values.second));
    return out.append(")");
}
template <class T>
std::string printable(const std::vector<T>& values) {
    std::string out = "{";
    for (const T& value : values) out += printable(value) + " ";
    return out + "}";
}

inline void fail(const char* file, int line, const std::string& what) {
    failures().push_back(std::string(file) + ":" + std::to_string(line) + ": " + what);
}

template <class A, class B>
void expectEqual(const A& actual, const B& expected, const char* expression, const char* file,
                 int line, const std::string& context) {
    if (actual == expected) return;
    fail(file, line,
         std::string(expression) + (context.empty() ? "" : " [" + context + "]") + ": got " +
             printable(actual) + ", expected " + printable(expected));
}

// Runs every case; returns the process exit code (0 when all passed).
inline int runAll(const std::vector<Case>& cases) {
    int passed = 0;
    int failed = 0;
    for (const Case& c : cases) {
        failures().clear();
        const auto started = std::chrono::steady_clock::now();
        try {
            c.run();
        } catch (const std::exception& error) {
            fail(__FILE__, __LINE__, std::string("unexpected exception: ") + error.what());
        } catch (...) {
            fail(__FILE__, __LINE__, "unexpected exception");
        }
        const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::chrono::steady_clock::now() - started)
                                      .count();
        if (failures().empty()) {
            ++passed;
            std::printf("[ OK ] %s (%lld ms)\n", c.name.c_str(),
                        static_cast<long long>(milliseconds));
        } else {
            ++failed;
            std::printf("[FAIL] %s (%lld ms)\n", c.name.c_str(),
                        static_cast<long long>(milliseconds));
            for (const std::string& failure : failures())
                std::printf("       %s\n", failure.c_str());
        }
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}

}  // namespace zif::check

#define CHECK(condition) \
    ((condition) ? void() : ::zif::check::fail(__FILE__, __LINE__, "CHECK(" #condition ")"))
#define CHECK_EQ(actual, expected) \
    ::zif::check::expectEqual((actual), (expected), #actual, __FILE__, __LINE__, "")
#define CHECK_EQ_IN(context, actual, expected) \
    ::zif::check::expectEqual((actual), (expected), #actual, __FILE__, __LINE__, (context))
