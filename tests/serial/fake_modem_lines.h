// A scripted modem-status source for monitor tests; thread-safe.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "keying/serial_lines.h"

namespace quorvel::test {

// Counts monitors running at once across several fakes.
struct MonitorCensus {
    std::atomic<int> active{0};
    std::atomic<int> peak{0};
};

class FakeModemLines : public ModemStatusSource {
  public:
    explicit FakeModemLines(ModemStatus initial = {}, MonitorCensus* census = nullptr)
        : status_(initial), census_(census) {}

    void set(bool dsr, bool cts) {
        {
            std::lock_guard l(m_);
            status_ = {dsr, cts};
        }
        cv_.notify_all();
    }
    // Every read and wait fails from now on, as with an adapter pulled out.
    void fail() {
        {
            std::lock_guard l(m_);
            failed_ = true;
        }
        cv_.notify_all();
    }
    // Waits no longer report changes; they only time out.
    void deafen() {
        std::lock_guard l(m_);
        deaf_ = true;
    }
    // The next n cancels are lost, as a wake that lands just before the waiter blocks.
    void loseCancels(int n) {
        std::lock_guard l(m_);
        lostCancels_ = n;
    }
    // The next wait blocks, deaf to cancel() too, until unhang(): a driver stuck in a wait.
    void hang() {
        std::lock_guard l(m_);
        hang_ = true;
    }
    bool hanging() const {
        std::lock_guard l(m_);
        return inHang_;
    }
    void unhang() {
        {
            std::lock_guard l(m_);
            hang_ = false;
        }
        cv_.notify_all();
    }
    int reads() const {
        std::lock_guard l(m_);
        return reads_;
    }

    std::optional<ModemStatus> read() override {
        std::lock_guard l(m_);
        ++reads_;
        if (failed_)
            return std::nullopt;
        return status_;
    }

    ModemWait waitForChange(ModemStatus known, std::uint32_t timeoutMs) override {
        std::unique_lock l(m_);
        if (hang_) {
            inHang_ = true;
            cv_.wait(l, [&] { return !hang_; });
            inHang_ = false;
        }
        const bool woke = cv_.wait_for(l, std::chrono::milliseconds(timeoutMs), [&] {
            return cancelled_ || failed_ || (!deaf_ && status_ != known);
        });
        if (cancelled_)
            return ModemWait::Cancelled;
        if (failed_)
            return ModemWait::Failed;
        return woke ? ModemWait::Changed : ModemWait::Timeout;
    }

    void cancel() override {
        {
            std::lock_guard l(m_);
            if (lostCancels_ > 0) {
                --lostCancels_;
                return;
            }
            cancelled_ = true;
        }
        cv_.notify_all();
    }

    void monitorStarted() override {
        if (census_ == nullptr)
            return;
        const int now = ++census_->active;
        int peak = census_->peak.load();
        while (now > peak && !census_->peak.compare_exchange_weak(peak, now)) {
        }
    }
    void monitorEnded() override {
        if (census_ != nullptr)
            --census_->active;
    }

  private:
    mutable std::mutex m_;
    std::condition_variable cv_;
    ModemStatus status_;
    bool failed_ = false;
    bool deaf_ = false;
    bool cancelled_ = false;
    bool hang_ = false;
    bool inHang_ = false;
    int lostCancels_ = 0;
    int reads_ = 0;
    MonitorCensus* census_;
};

// Polls a condition of real threads until it holds or a generous deadline passes.
inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds deadline = std::chrono::milliseconds(3000)) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace quorvel::test
