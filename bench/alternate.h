// Side-by-side timing on a shared machine. One timing of each side swings by 20% and more from run to run, so
// the two sides of a comparison run in turn, A B A B ..., at least five times each, and the figure printed
// is the ratio of the two medians, with the smallest and largest ratio of one round's pair as its spread.
//
// Every benchmark takes `--rounds N` (at least 5, the default).
#pragma once

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <cstdlib>
#include <string>
#include <vector>

namespace benchalt {

inline constexpr int kMinRounds = 5;

// --rounds N from the command line; kMinRounds when it is missing or smaller.
inline int RoundsArg(int argc, wchar_t** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::wcscmp(argv[i], L"--rounds") == 0) {
            return std::max(kMinRounds, _wtoi(argv[i + 1]));
        }
    }
    return kMinRounds;
}

// Whether a flag such as --keep is on the command line.
inline bool HasFlag(int argc, wchar_t** argv, const wchar_t* flag) {
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], flag) == 0) {
            return true;
        }
    }
    return false;
}

struct Samples {
    std::vector<double> a;
    std::vector<double> b;
};

// Runs a() then b(), `rounds` times; each returns the figure of one run (seconds, milliseconds, ...).
template <class A, class B> Samples Alternate(int rounds, A a, B b) {
    Samples samples;
    for (int round = 0; round < rounds; ++round) {
        samples.a.push_back(a());
        samples.b.push_back(b());
    }
    return samples;
}

inline double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Ratio {
    double medianA = 0;
    double medianB = 0;
    double ratio = 0; // medianA / medianB
    double low = 0;   // the smallest a[i] / b[i]
    double high = 0;  // the largest
};

inline Ratio RatioOf(const Samples& samples) {
    Ratio r;
    r.medianA = Median(samples.a);
    r.medianB = Median(samples.b);
    r.ratio = r.medianB > 0 ? r.medianA / r.medianB : 0;
    bool first = true;
    for (size_t i = 0; i < samples.a.size() && i < samples.b.size(); ++i) {
        if (samples.b[i] <= 0) {
            continue;
        }
        const double pair = samples.a[i] / samples.b[i];
        r.low = first ? pair : std::min(r.low, pair);
        r.high = first ? pair : std::max(r.high, pair);
        first = false;
    }
    return r;
}

// "ratio=1.234 spread=1.180-1.301 rounds=5", to end a benchmark's line.
inline std::string RatioText(const Samples& samples) {
    const Ratio r = RatioOf(samples);
    char text[96];
    std::snprintf(text, sizeof text, "ratio=%.3f spread=%.3f-%.3f rounds=%zu", r.ratio, r.low, r.high,
                  samples.a.size());
    return text;
}

} // namespace benchalt
