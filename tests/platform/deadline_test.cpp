#include "deadline.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <limits>

namespace qorplatform {
namespace {

using std::chrono::hours;
using std::chrono::microseconds;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

// A clock that stands still where the test puts it; its members are named
// as the standard's clocks must be.
// NOLINTBEGIN(readability-identifier-naming)
struct StillClock {
    using duration = nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<StillClock>;
    static constexpr bool is_steady = true;
    static time_point now() { return time_point(duration(1'000'000'000)); }
};
// NOLINTEND(readability-identifier-naming)

struct Case {
    nanoseconds left;
    std::int64_t wanted;
};

// A wait must never end before its deadline, so a part of a millisecond
// counts as a whole one; past or at the deadline, nothing is waited.
constexpr Case kCases[] = {
    {nanoseconds(-1), 0},     {nanoseconds(0), 0},
    {nanoseconds(1), 1},      {microseconds(999), 1},
    {milliseconds(1), 1},     {milliseconds(1) + nanoseconds(1), 2},
    {milliseconds(250), 250}, {milliseconds(250) + microseconds(1), 251},
};

TEST(Deadline, LeavesWholeMillisecondsRoundedUp) {
    for (const Case& c : kCases) {
        const StillClock::time_point deadline = StillClock::now() + c.left;
        EXPECT_EQ(MillisecondsUntil<int>(deadline), c.wanted) << c.left.count() << " ns";
        EXPECT_EQ(MillisecondsUntil<std::uint32_t>(deadline), c.wanted) << c.left.count() << " ns";
    }
}

TEST(Deadline, NeverReachesTheLargestValueWhichWin32ReadsAsForever) {
    const StillClock::time_point far = StillClock::now() + hours(24 * 365 * 200);
    EXPECT_EQ(MillisecondsUntil<std::uint32_t>(far), std::numeric_limits<std::uint32_t>::max() - 1);
    EXPECT_EQ(MillisecondsUntil<int>(far), std::numeric_limits<int>::max() - 1);
}

}  // namespace
}  // namespace qorplatform
