// Deadlines as the system's waits take them: poll() on Linux, the Win32
// waits and comm timeouts on Windows.
#ifndef QORPLATFORM_DEADLINE_H
#define QORPLATFORM_DEADLINE_H

#include <chrono>
#include <concepts>
#include <limits>
#include <utility>

namespace qorplatform {

// What is left until `deadline` in whole milliseconds, as the integer type
// `Milliseconds` of the wait it is for: rounded up, so a wait never ends just
// short of it; 0 once it has passed; and never the type's largest value,
// which Win32 reads as "forever" (INFINITE, and a value of its own in
// COMMTIMEOUTS).
template <std::integral Milliseconds, typename TimePoint>
Milliseconds MillisecondsUntil(TimePoint deadline) {
    const auto left = deadline - TimePoint::clock::now();
    if (left <= TimePoint::duration::zero()) return 0;
    constexpr auto kMost = std::numeric_limits<Milliseconds>::max() - 1;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return std::cmp_less(ms, kMost) ? static_cast<Milliseconds>(ms) : kMost;
}

}  // namespace qorplatform

#endif  // QORPLATFORM_DEADLINE_H
