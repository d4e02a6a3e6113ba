// The one budget of every stop and join in the engine, and a thread that can be waited for
// within it. What a thread that outlives the budget may still touch decides what happens to
// it: one that holds shared ownership of all it uses is detached; one that works on the
// trainer's state is reported and waited for (detaching it would free that state under it).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace quorvel {

// ms a stop waits for a thread (or a log writer's drain) before giving up on it
inline constexpr std::chrono::milliseconds kStopBudget{3000};

// Tells (on stderr) and counts a thread that did not end within its stop's budget.
void reportStopOverrun(const char* what, std::chrono::milliseconds budget);
// Overruns reported in this process so far.
std::uint64_t stopOverruns();

class BoundedThread {
  public:
    BoundedThread() = default;
    // Starts `body` on a new thread; throws std::system_error as std::thread does.
    template <typename Body>
    explicit BoundedThread(Body body) : ended_(std::make_shared<Ended>()) {
        thread_ = std::thread([ended = ended_, body = std::move(body)]() mutable {
            body();
            std::lock_guard lock(ended->mutex);
            ended->done = true;
            ended->changed.notify_all();
        });
    }
    BoundedThread(BoundedThread&&) = default;
    BoundedThread& operator=(BoundedThread&& other) {
        join();
        thread_ = std::move(other.thread_);
        ended_ = std::move(other.ended_);
        return *this;
    }
    // A thread still running is waited for: its owner decides before this whether to detach.
    ~BoundedThread() { join(); }

    bool joinable() const { return thread_.joinable(); }
    bool ended() const {
        if (!ended_)
            return true;
        std::lock_guard lock(ended_->mutex);
        return ended_->done;
    }
    // Waits at most `budget` for the body to return, then joins; false (still joinable) when
    // it has not returned by then.
    bool joinFor(std::chrono::milliseconds budget) {
        if (!thread_.joinable())
            return true;
        {
            std::unique_lock lock(ended_->mutex);
            if (!ended_->changed.wait_for(lock, budget, [&] { return ended_->done; }))
                return false;
        }
        thread_.join();  // it has only its last instructions left
        return true;
    }
    // Without a bound: for a thread that must not be left behind.
    void join() {
        if (thread_.joinable())
            thread_.join();
    }
    // Only for a body that holds shared ownership of everything it still touches.
    void detach() {
        if (thread_.joinable())
            thread_.detach();
    }

  private:
    struct Ended {
        std::mutex mutex;
        std::condition_variable changed;
        bool done = false;
    };
    std::shared_ptr<Ended> ended_;
    std::thread thread_;
};

}  // namespace quorvel
