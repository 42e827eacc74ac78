// Start-up of a program against a yardstick: the time from starting the process until the X
// server maps its top-level window, the CPU time the process spent until then, and its resident
// memory a moment later. Both programs run
// in turn, the given number of times each, then the window is closed as a window manager would.
// Needs an X display without a window manager (e.g. xvfb-run).
//
// Usage: startup_bench [--runs N] [--settle-ms M] PROGRAM YARDSTICK

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kGoalRatio = 1.25;
constexpr double kGoalRssMiB = 30.0;
constexpr auto kMapTimeout = std::chrono::seconds(20);
constexpr auto kExitTimeout = std::chrono::seconds(10);

struct Sample {
    double startMs;
    double cpuMs;  // the process's own CPU time up to the map, user and system
    double rssMiB;
};

struct Program {
    std::string path;
    std::vector<Sample> samples;
};

[[noreturn]] void die(const std::string& message) {
    std::fprintf(stderr, "startup_bench: %s\n", message.c_str());
    std::exit(1);
}

double rssMiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    }
    return 0;
}

double cpuMs(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields 14 and 15 (utime, stime) follow the command name, which may hold blanks.
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i >= 14) ticks += std::stoull(field);
    }
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::optional<long> windowPid(Display* display, Window window) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::optional<long> pid;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr && format == 32 && count == 1) {
        pid = *reinterpret_cast<long*>(data);
    }
    if (data != nullptr) XFree(data);
    return pid;
}

// The first top-level window of the process to be mapped, or None after the timeout.
Window waitForMap(Display* display, pid_t pid) {
    const auto deadline = Clock::now() + kMapTimeout;
    while (Clock::now() < deadline) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && windowPid(display, event.xmap.window) == pid)
                return event.xmap.window;
        }
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, 10);
    }
    return None;
}

void closeWindow(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

bool waitForExit(pid_t pid) {
    const auto deadline = Clock::now() + kExitTimeout;
    int status = 0;
    while (Clock::now() < deadline) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return false;
}

Sample runOnce(Display* display, const std::string& path, std::chrono::milliseconds settle) {
    // Events of an earlier run must not be taken for this one's.
    XSync(display, True);
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0)
        die("cannot start " + path);
    const Window window = waitForMap(display, pid);
    const auto mapped = Clock::now();
    const double cpu = window == None ? 0 : cpuMs(pid);
    if (window == None) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        die(path + ": no window was mapped");
    }
    std::this_thread::sleep_for(settle);
    const double rss = rssMiB(pid);
    closeWindow(display, window);
    if (!waitForExit(pid)) die(path + ": did not end with exit code 0 after its window was closed");
    return {std::chrono::duration<double, std::milli>(mapped - start).count(), cpu, rss};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string baseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char* argv[]) {
    int runs = 20;
    int settleMs = 300;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::atoi(argv[++i]);
        } else if (arg == "--settle-ms" && i + 1 < argc) {
            settleMs = std::atoi(argv[++i]);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2 || runs < 1 || settleMs < 0) {
        std::fprintf(stderr, "usage: %s [--runs N] [--settle-ms M] PROGRAM YARDSTICK\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) die("cannot open the X display (run it under xvfb-run)");
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);

    Program programs[2] = {{paths[0], {}}, {paths[1], {}}};
    const std::chrono::milliseconds settle(settleMs);
    // One run each that is not counted: the first start reads the libraries from disk.
    for (Program& p : programs) runOnce(display, p.path, settle);
    for (int run = 0; run < runs; ++run) {
        // In turn, and in the other order every second round, so that neither program
        // always follows the other.
        for (int k = 0; k < 2; ++k) {
            Program& p = programs[(run + k) % 2];
            p.samples.push_back(runOnce(display, p.path, settle));
        }
    }
    XCloseDisplay(display);

    double startMedian[2], cpuMedian[2], rssMedian[2];
    std::printf("%-14s %5s %11s %8s %8s %8s %10s\n", "program", "runs", "median ms", "min ms",
                "max ms", "cpu ms", "VmRSS MiB");
    for (int i = 0; i < 2; ++i) {
        std::vector<double> ms, cpu, rss;
        for (const Sample& s : programs[i].samples) {
            ms.push_back(s.startMs);
            cpu.push_back(s.cpuMs);
            rss.push_back(s.rssMiB);
        }
        startMedian[i] = median(ms);
        cpuMedian[i] = median(cpu);
        rssMedian[i] = median(rss);
        std::printf("%-14s %5d %11.1f %8.1f %8.1f %8.1f %10.1f\n",
                    baseName(programs[i].path).c_str(), runs, startMedian[i],
                    *std::min_element(ms.begin(), ms.end()),
                    *std::max_element(ms.begin(), ms.end()), cpuMedian[i], rssMedian[i]);
    }
    const double ratio = startMedian[0] / startMedian[1];
    std::printf("\nstart-up ratio %s / %s: %.2f (goal <= %.2f: %s); in CPU time %.2f\n",
                baseName(paths[0]).c_str(), baseName(paths[1]).c_str(), ratio, kGoalRatio,
                ratio <= kGoalRatio ? "met" : "MISSED", cpuMedian[0] / cpuMedian[1]);
    std::printf("VmRSS of %s %d ms after its window was mapped: %.1f MiB (goal <= %.0f MiB: %s)\n",
                baseName(paths[0]).c_str(), settleMs, rssMedian[0], kGoalRssMiB,
                rssMedian[0] <= kGoalRssMiB ? "met" : "MISSED");
    return 0;
}
