#pragma once

// Timing and the order statistics both benchmarks report.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <utility>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Microseconds(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

// The value at fraction `p` of the sorted values, 0 the least, 1 the most.
inline double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

inline double Median(std::vector<double> values) { return Percentile(std::move(values), 0.5); }

}  // namespace bench
