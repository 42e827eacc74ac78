// One keystroke in the real window, from the key event to the other field written: the key
// events go through the window's platform handle, as a keyboard's would, to the focused field.
// Runs on the offscreen platform, so no display is needed. Each case keeps every keystroke's
// time and reports their median; the table at the end holds the medians against the goal, in
// wall-clock time and in the thread's CPU time.
//
// Cases, for each direction and for a long (32767 digits) and a short numeral:
//   type     a digit typed at the end, then Backspace, alternately: the text changes every time;
//            the clock runs from the key release (the field's own edit on the key press is
//            timed apart, as "press", and has no goal: it is the line edit's, before any
//            conversion)
//   release  the text replaced beforehand (as by a paste), then only a key release
//   arrow    Right pressed and released at the end of the text: nothing changes
//   paint    as type, press and release, and the window repainted before the clock stops
//   write    no key at all: the other field's text set to the conversion of a replaced text, as
//            "release" ends; the line edit's own share of a release (its layout), without a goal

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "convert/convert_base.h"
#include "qt/application.h"
#include "qt/form1_window.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kGoalMs = 2.0;

zif::qt::Form1Window* theWindow = nullptr;
struct Medians {
    double wall;
    double cpu;
};
std::map<std::string, Medians> medians;
std::map<std::string, double> pressMedians;  // wall ms of the key press in "type"
std::vector<std::string> order;
bool failed = false;  // a field held a wrong text, or the focus went astray

enum class Direction { DecimalToHex, HexToDecimal };
enum class Action { Type, Release, Arrow, Paint, Write };

QString randomNumeral(std::mt19937_64& rng, int base, int length) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::uniform_int_distribution<int> digit(0, base - 1), lead(1, base - 1);
    QString out(length, QChar(u'0'));
    for (int i = 0; i < length; ++i) out[i] = QChar(kDigits[i == 0 ? lead(rng) : digit(rng)]);
    return out;
}

QString converted(const QString& text, Direction direction) {
    const bool toHex = direction == Direction::DecimalToHex;
    const std::u16string out =
        zif::ConvertBase(text.toStdU16String(), toHex ? 10 : 16, toHex ? 16 : 10);
    return QString::fromStdU16String(out);
}

// Key events go to the window, which hands them to the focused field, as the platform's would;
// unlike QTest's, nothing else runs before the call returns (no repaint).
void send(QWindow* window, QEvent::Type type, int key, const QString& text) {
    QKeyEvent event(type, key, Qt::NoModifier, text);
    QApplication::sendEvent(window, &event);
}

void keyClick(QWindow* window, int key, const QString& text) {
    send(window, QEvent::KeyPress, key, text);
    send(window, QEvent::KeyRelease, key, text);
}

// The machine may be shared: the thread's CPU time leaves out other processes' turns.
double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    auto middle = samples.begin() + static_cast<std::ptrdiff_t>(samples.size() / 2);
    std::nth_element(samples.begin(), middle, samples.end());
    return *middle;
}

void runCase(benchmark::State& state, const std::string& name, Direction direction, Action action,
             int length) {
    zif::qt::Form1Window& window = *theWindow;
    QWindow* handle = window.windowHandle();
    const bool fromDecimal = direction == Direction::DecimalToHex;
    QLineEdit* source = fromDecimal ? static_cast<QLineEdit*>(window.text1()) : window.text2();
    QLineEdit* target = fromDecimal ? static_cast<QLineEdit*>(window.text2()) : window.text1();
    const int base = fromDecimal ? 10 : 16;
    const char typed = fromDecimal ? '7' : 'A';

    // Two numerals of the full length for "release"; for "type" one digit short, so that the
    // typed digit brings it to the full length.
    std::mt19937_64 rng(static_cast<unsigned>(length) * 31u + static_cast<unsigned>(base));
    const bool typing = action == Action::Type || action == Action::Paint;
    const QString first = randomNumeral(rng, base, typing ? length - 1 : length);
    const QString second =
        typing ? first + QChar::fromLatin1(typed) : randomNumeral(rng, base, length);
    const QString expected[2] = {converted(first, direction), converted(second, direction)};

    source->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    if (QApplication::focusWidget() != source) {
        failed = true;
        state.SkipWithError("the source field did not get the focus");
        return;
    }
    source->setText(first);
    source->end(false);
    target->clear();
    if (action == Action::Arrow) {
        keyClick(handle, Qt::Key_Right, QString());  // the first conversion, before the clock
        QApplication::processEvents();
    }

    std::vector<double> samples, cpuSamples, pressSamples;
    int state01 = 0;  // which of the two numerals the source holds after this keystroke
    for (auto _ : state) {
        Clock::time_point start;
        double cpuStart = 0;
        switch (action) {
            case Action::Type: {
                state01 = source->text().size() == first.size() ? 1 : 0;
                const int key = state01 == 1 ? int{typed} : int{Qt::Key_Backspace};
                const QString text = state01 == 1 ? QString(QChar::fromLatin1(typed)) : QString();
                const Clock::time_point press = Clock::now();
                send(handle, QEvent::KeyPress, key, text);
                pressSamples.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - press).count());
                cpuStart = threadCpuSeconds();
                start = Clock::now();
                send(handle, QEvent::KeyRelease, key, text);
                break;
            }
            case Action::Paint:
                state01 = source->text().size() == first.size() ? 1 : 0;
                cpuStart = threadCpuSeconds();
                start = Clock::now();
                if (state01 == 1)
                    keyClick(handle, typed, QString(QChar::fromLatin1(typed)));
                else
                    keyClick(handle, Qt::Key_Backspace, QString());
                QApplication::processEvents();
                break;
            case Action::Release:
                state01 ^= 1;
                source->setText(state01 ? second : first);
                source->end(false);
                QApplication::processEvents();
                cpuStart = threadCpuSeconds();
                start = Clock::now();
                send(handle, QEvent::KeyRelease, Qt::Key_Shift, QString());
                break;
            case Action::Arrow:
                cpuStart = threadCpuSeconds();
                start = Clock::now();
                keyClick(handle, Qt::Key_Right, QString());
                break;
            case Action::Write:
                state01 ^= 1;
                cpuStart = threadCpuSeconds();
                start = Clock::now();
                target->setText(expected[state01]);
                break;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double cpu = threadCpuSeconds() - cpuStart;
        state.SetIterationTime(seconds);
        samples.push_back(seconds * 1e3);
        cpuSamples.push_back(cpu * 1e3);
        // The repaint of both fields, outside the clock but for "paint".
        QApplication::processEvents();
        if (target->text() != expected[state01]) {
            failed = true;
            state.SkipWithError("the other field does not hold the conversion");
            break;
        }
    }
    const Medians mid{median(samples), median(cpuSamples)};
    state.counters["median_ms"] = mid.wall;
    state.counters["cpu_median_ms"] = mid.cpu;
    medians[name] = mid;
    if (!pressSamples.empty()) pressMedians[name] = median(pressSamples);
}

void registerCases() {
    struct Named {
        const char* name;
        Direction direction;
    };
    struct NamedAction {
        const char* name;
        Action action;
    };
    for (const Named d :
         {Named{"Dez->Hex", Direction::DecimalToHex}, Named{"Hex->Dez", Direction::HexToDecimal}}) {
        for (const int length : {32767, 3}) {
            for (const NamedAction a :
                 {NamedAction{"type", Action::Type}, NamedAction{"release", Action::Release},
                  NamedAction{"arrow", Action::Arrow}, NamedAction{"paint", Action::Paint},
                  NamedAction{"write", Action::Write}}) {
                std::string name =
                    std::string(d.name) + "/" + std::to_string(length) + "/" + a.name;
                order.push_back(name);
                benchmark::RegisterBenchmark(name.c_str(),
                                             [name, d, a, length](benchmark::State& state) {
                                                 runCase(state, name, d.direction, a.action,
                                                         length);
                                             })
                    ->UseManualTime()
                    ->Unit(benchmark::kMicrosecond);
            }
        }
    }
}

// The goal is for a key release to the other field written: "paint" (which includes the press
// and the repaint) and "press" are shown for what the user sees, "write" for the part of a
// release that is the line edit's, all without a goal.
void printTable() {
    std::printf("\n%-24s %10s %10s  %s\n", "keystroke", "wall ms", "cpu ms", "goal <= 2 ms");
    for (const std::string& name : order) {
        const auto found = medians.find(name);
        if (found == medians.end()) continue;
        const Medians& m = found->second;
        const bool informational = name.ends_with("/paint") || name.ends_with("/write");
        std::printf("%-24s %10.3f %10.3f  %s\n", name.c_str(), m.wall, m.cpu,
                    informational       ? "-"
                    : m.wall <= kGoalMs ? "met"
                    : m.cpu <= kGoalMs  ? "met (cpu)"
                                        : "MISSED");
        const auto press = pressMedians.find(name);
        if (press != pressMedians.end())
            std::printf("%-24s %10.3f %10s  -\n", (name + " press").c_str(), press->second, "");
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Google Benchmark's own flags are taken out first; Qt would complain about them.
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    zif::qt::Application app(argc, argv);
    zif::qt::Form1Window window;
    theWindow = &window;
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) {
        std::fprintf(stderr, "keystroke_bench: the window did not become active\n");
        return 1;
    }
    registerCases();
    benchmark::RunSpecifiedBenchmarks();
    printTable();
    benchmark::Shutdown();
    return failed ? 1 : 0;
}
