// ConvertBase next to GMP (mpz_set_str + mpz_get_str) and, for values that fit 64 bits,
// std::from_chars + std::to_chars, on the same numerals. Prints the median of each and the
// ratios at the end. Without --benchmark_repetitions it takes medians of 5 repetitions, run in
// random order: the machine's speed drifts within minutes, and in a fixed order a drift would
// fall on one side of a ratio.
// The table uses CPU time: the machine is shared, and wall time counts the other processes' turns.

#include <benchmark/benchmark.h>
#include <gmp.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "convert/convert_base.h"

namespace {

struct Case {
    std::string label;  // e.g. "10-16/32767"
    int from;
    int to;
    std::string numeral;  // ASCII, no leading zero
};

std::string randomNumeral(std::mt19937_64& rng, int base, std::size_t length) {
    static constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::uniform_int_distribution<int> digit(0, base - 1), lead(1, base - 1);
    std::string out(1, kDigits[lead(rng)]);
    while (out.size() < length) out.push_back(kDigits[digit(rng)]);
    return out;
}

std::u16string widen(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::vector<Case> makeCases() {
    std::mt19937_64 rng(1234);
    std::vector<Case> cases;
    auto add = [&](int from, int to, const std::string& tag, std::string numeral) {
        cases.push_back({std::to_string(from) + "-" + std::to_string(to) + "/" + tag, from, to,
                         std::move(numeral)});
    };
    for (std::size_t n : {1, 5, 10, 19}) add(10, 16, std::to_string(n), randomNumeral(rng, 10, n));
    add(10, 16, "20<2^64", "12345678901234567890");
    add(10, 16, "20>2^64", "98765432109876543210");
    for (std::size_t n : {40, 100, 1000, 8000, 32767})
        add(10, 16, std::to_string(n), randomNumeral(rng, 10, n));
    for (std::size_t n : {1, 5, 10}) add(16, 10, std::to_string(n), randomNumeral(rng, 16, n));
    add(16, 10, "16<2^64", "FEDCBA9876543210");
    add(16, 10, "17>2^64", "1FEDCBA9876543210");
    for (std::size_t n : {19, 20, 40, 100, 1000, 8000, 32767})
        add(16, 10, std::to_string(n), randomNumeral(rng, 16, n));
    for (auto [from, to] : {std::pair{10, 36}, {36, 10}, {2, 10}, {10, 2}, {8, 10}, {16, 2}}) {
        add(from, to, "12", randomNumeral(rng, from, 12));
        for (std::size_t n : {100, 1000, 32767})
            add(from, to, std::to_string(n), randomNumeral(rng, from, n));
    }
    return cases;
}

bool fits64(const Case& c) {
    std::uint64_t value;
    const auto result =
        std::from_chars(c.numeral.data(), c.numeral.data() + c.numeral.size(), value, c.from);
    return result.ec == std::errc() && result.ptr == c.numeral.data() + c.numeral.size();
}

// Aborts when the two libraries disagree: a wrong fast answer is no answer.
void checkAgainstGmp(const Case& c) {
    mpz_t value;
    mpz_init(value);
    mpz_set_str(value, c.numeral.c_str(), c.from);
    std::string expected(mpz_sizeinbase(value, c.to) + 2, '\0');
    mpz_get_str(expected.data(), c.to, value);
    expected.resize(expected.find('\0'));
    mpz_clear(value);
    const std::u16string got = zif::ConvertBase(widen(c.numeral), static_cast<std::uint8_t>(c.from),
                                                static_cast<std::uint8_t>(c.to));
    if (got != widen(upper(expected))) {
        std::fprintf(stderr, "ConvertBase disagrees with GMP on %s\n", c.label.c_str());
        std::exit(1);
    }
}

void registerCase(const Case& c) {
    // Into a result kept from one conversion to the next, as GMP and std::to_chars write into
    // the caller's buffer below.
    benchmark::RegisterBenchmark((c.label + "/zif").c_str(), [c](benchmark::State& state) {
        const std::u16string input = widen(c.numeral);
        const auto from = static_cast<std::uint8_t>(c.from), to = static_cast<std::uint8_t>(c.to);
        std::u16string out;
        for (auto _ : state) {
            zif::ConvertBase(input, from, to, out);
            benchmark::DoNotOptimize(out.data());
        }
    });
    benchmark::RegisterBenchmark((c.label + "/gmp").c_str(), [c](benchmark::State& state) {
        mpz_t value;
        mpz_init(value);
        mpz_set_str(value, c.numeral.c_str(), c.from);
        std::vector<char> out(mpz_sizeinbase(value, c.to) + 2);
        for (auto _ : state) {
            mpz_set_str(value, c.numeral.c_str(), c.from);
            mpz_get_str(out.data(), c.to, value);
            benchmark::DoNotOptimize(out.data());
        }
        mpz_clear(value);
    });
    if (!fits64(c)) return;
    // The form that returns a new string: past 7 characters (the string's own room) it
    // allocates, which on numerals this short is a large part of the time.
    benchmark::RegisterBenchmark((c.label + "/zif-new").c_str(), [c](benchmark::State& state) {
        const std::u16string input = widen(c.numeral);
        const auto from = static_cast<std::uint8_t>(c.from), to = static_cast<std::uint8_t>(c.to);
        for (auto _ : state) {
            std::u16string out = zif::ConvertBase(input, from, to);
            benchmark::DoNotOptimize(out.data());
        }
    });
    benchmark::RegisterBenchmark((c.label + "/std").c_str(), [c](benchmark::State& state) {
        char out[72];
        for (auto _ : state) {
            const char* text = c.numeral.data();
            benchmark::DoNotOptimize(text);
            std::uint64_t value = 0;
            std::from_chars(text, text + c.numeral.size(), value, c.from);
            const auto end = std::to_chars(out, out + sizeof out, value, c.to).ptr;
            benchmark::DoNotOptimize(end);
            benchmark::DoNotOptimize(out);
        }
    });
}

// Keeps each benchmark's median (or its only run) for the ratio table.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> medians;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians[name] = run.GetAdjustedCPUTime();
            else if (run.run_type == Run::RT_Iteration && run.repetitions <= 1)
                medians[name] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

void printRatios(const std::vector<Case>& cases, const std::map<std::string, double>& medians) {
    std::printf("\n%-18s %12s %12s %10s %9s %9s  %-6s %s\n", "case", "zif ns", "gmp ns", "std ns",
                "zif/std", "zif/gmp", "goal", "new string: ns, /std");
    for (const Case& c : cases) {
        const auto zif = medians.find(c.label + "/zif"), gmp = medians.find(c.label + "/gmp"),
                   stl = medians.find(c.label + "/std"), fresh = medians.find(c.label + "/zif-new");
        if (zif == medians.end() || gmp == medians.end()) continue;
        const double toGmp = zif->second / gmp->second;
        const bool decimalHex = (c.from == 10 && c.to == 16) || (c.from == 16 && c.to == 10);
        bool met = toGmp <= (decimalHex ? 1.0 : 2.0);
        std::string stdColumns = "        -         -";
        if (stl != medians.end()) {
            const double toStd = zif->second / stl->second;
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%10.1f %9.2f", stl->second, toStd);
            stdColumns = buffer;
            met = toGmp < 1.0 && toStd <= 1.5;
        }
        std::string freshColumns;
        if (fresh != medians.end() && stl != medians.end()) {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%6.1f %5.2f", fresh->second,
                          fresh->second / stl->second);
            freshColumns = buffer;
        }
        std::printf("%-18s %12.1f %12.1f %s %9.2f  %-6s %s\n", c.label.c_str(), zif->second,
                    gmp->second, stdColumns.c_str(), toGmp, met ? "met" : "MISSED",
                    freshColumns.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    bool repetitionsGiven = false;
    for (char* arg : args)
        repetitionsGiven |= std::string(arg).rfind("--benchmark_repetitions", 0) == 0;
    std::string repetitions = "--benchmark_repetitions=5",
                aggregates = "--benchmark_report_aggregates_only=true",
                interleaving = "--benchmark_enable_random_interleaving=true",
                warmup = "--benchmark_min_warmup_time=0.05";
    if (!repetitionsGiven) {
        args.push_back(repetitions.data());
        args.push_back(aggregates.data());
        args.push_back(interleaving.data());
    }
    // Without a warm-up the first cases ran while the processor was still clocking up.
    args.insert(args.begin() + 1, warmup.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;

    const std::vector<Case> cases = makeCases();
    for (const Case& c : cases) {
        checkAgainstGmp(c);
        registerCase(c);
    }
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatios(cases, reporter.medians);
    benchmark::Shutdown();
    return 0;
}
