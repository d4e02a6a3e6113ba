#include <time.h>

#include <cerrno>

#include "keying/deadline_sleep.h"

namespace quorvel {

DeadlineSleeper::DeadlineSleeper() = default;
DeadlineSleeper::~DeadlineSleeper() = default;

void DeadlineSleeper::sleepUntil(std::chrono::steady_clock::time_point deadline) {
    // The steady clock is CLOCK_MONOTONIC here, so its epoch is the one clock_nanosleep uses.
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch()).count();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(ns % 1'000'000'000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

}  // namespace quorvel
