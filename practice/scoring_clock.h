// Where scoring reads the time: the millisecond tick of the run clock and the local date and
// time written into the logs. Tests and simulated runs set both by hand.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

#include "storage/local_time.h"

namespace quorvel {

class ScoringClock {
  public:
    virtual ~ScoringClock() = default;
    virtual std::uint32_t now() const = 0;  // ms tick; differences in unsigned arithmetic
    virtual LocalDateTime localTime() const = 0;
};

class SystemScoringClock final : public ScoringClock {
  public:
    std::uint32_t now() const override {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
        return static_cast<std::uint32_t>(ms.count());
    }
    LocalDateTime localTime() const override { return currentLocalTime(); }
};

// Time that moves only when told to; safe to set from one thread while another reads.
class ManualScoringClock final : public ScoringClock {
  public:
    explicit ManualScoringClock(std::uint32_t tick = 0, LocalDateTime time = {})
        : tick_(tick), time_(time) {}
    std::uint32_t now() const override { return tick_.load(std::memory_order_relaxed); }
    LocalDateTime localTime() const override {
        std::lock_guard l(m_);
        return time_;
    }
    void setNow(std::uint32_t tick) { tick_.store(tick, std::memory_order_relaxed); }
    void advance(std::uint32_t ms) { tick_.fetch_add(ms, std::memory_order_relaxed); }
    void setLocalTime(const LocalDateTime& time) {
        std::lock_guard l(m_);
        time_ = time;
    }

  private:
    std::atomic<std::uint32_t> tick_;
    mutable std::mutex m_;
    LocalDateTime time_;
};

}  // namespace quorvel
