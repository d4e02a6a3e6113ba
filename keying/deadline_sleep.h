// Sleeps to an absolute time on the monotonic clock, so a periodic loop keeps its period
// however late each wake-up is, and a late wake-up does not push the next one back.
#pragma once

#include <chrono>

namespace quorvel {

class DeadlineSleeper {
  public:
    DeadlineSleeper();
    ~DeadlineSleeper();
    DeadlineSleeper(const DeadlineSleeper&) = delete;
    DeadlineSleeper& operator=(const DeadlineSleeper&) = delete;

    // Returns at or soon after `deadline` (at once when it has passed).
    void sleepUntil(std::chrono::steady_clock::time_point deadline);

  private:
#ifdef _WIN32
    void* timer_ = nullptr;  // a high-resolution waitable timer, when there is one
#endif
};

}  // namespace quorvel
