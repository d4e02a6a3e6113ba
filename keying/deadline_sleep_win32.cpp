#include <windows.h>

#include <thread>

#include "keying/deadline_sleep.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace quorvel {

DeadlineSleeper::DeadlineSleeper()
    : timer_(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                    TIMER_ALL_ACCESS)) {}

DeadlineSleeper::~DeadlineSleeper() {
    if (timer_ != nullptr)
        CloseHandle(timer_);
}

void DeadlineSleeper::sleepUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero())
        return;
    // Waitable timers take absolute times only on the wall clock, which may jump: the wait
    // is relative, taken from the monotonic clock just now. Older systems without the
    // high-resolution timer fall back to the library's sleep.
    if (timer_ != nullptr) {
        LARGE_INTEGER due;
        due.QuadPart = -std::chrono::duration_cast<std::chrono::nanoseconds>(left).count() / 100;
        if (due.QuadPart == 0)
            due.QuadPart = -1;
        if (SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE) &&
            WaitForSingleObject(timer_, INFINITE) == WAIT_OBJECT_0)
            return;
    }
    std::this_thread::sleep_until(deadline);
}

}  // namespace quorvel
