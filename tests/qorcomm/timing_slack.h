// What a loaded machine may add to a wait the library bounds.
#ifndef QORCOMM_TESTS_TIMING_SLACK_H
#define QORCOMM_TESTS_TIMING_SLACK_H

#include <chrono>

inline constexpr std::chrono::milliseconds kTimingSlack{400};

#endif  // QORCOMM_TESTS_TIMING_SLACK_H
