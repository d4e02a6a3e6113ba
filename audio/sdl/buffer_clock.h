// Where on the steady clock each device buffer starts. Buffers follow each other frame by
// frame, so the spacing of key edges is kept to the frame. The device's pace is read from its
// earliest recent callbacks: a sound server calls back a few milliseconds late now and then (a
// PulseAudio null sink alternates by 5 ms), and taking such a late call for drift would move
// the following edges by as much. True drift is set right only in silence, so no element
// changes its length; a stall or a device far off real time is caught up at once.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace quorvel {

class BufferClock {
  public:
    // Drift from real time set right in the next silence, and set right at once.
    static constexpr std::int64_t kSilentSlackUs = 500;
    static constexpr std::int64_t kCatchUpUs = 40000;
    // The device's pace is the earliest of the callbacks of the last kWindowUs (and at least
    // the last kWindowCalls). The window is short: a device slower than real time (SDL's disk
    // driver, a slow machine) falls behind by its slowness over the window and no more before
    // the next silence sets it right.
    static constexpr std::int64_t kWindowUs = 50000;
    static constexpr std::size_t kWindowCalls = 4;

    // The start of the buffer a callback at nowUs renders, `latencyUs` behind real time.
    std::int64_t start(std::int64_t nowUs, std::int64_t latencyUs, bool silent) {
        const std::int64_t target = nowUs - latencyUs;
        // How far this callback would put the buffer after where the frames say it starts:
        // a late callback raises it, the earliest ones tell the device's own pace.
        const std::int64_t behind = target - nextUs_;
        if (!started_ || behind > kCatchUpUs || behind < -kCatchUpUs) {
            reset(target);
            return nextUs_;
        }
        calls_[head_] = Call{behind, lastBufferUs_};
        head_ = (head_ + 1) % calls_.size();
        count_ = std::min(count_ + 1, calls_.size());
        const std::int64_t pace = earliest();
        if (silent && (pace > kSilentSlackUs || pace < -kSilentSlackUs)) {
            nextUs_ += pace;
            for (Call& c : calls_)
                c.behindUs -= pace;
        }
        return nextUs_;
    }

    // The buffer that start() placed holds `frames` at `rate` Hz.
    void advance(int frames, int rate) {
        const std::int64_t elapsed = static_cast<std::int64_t>(frames) * 1000000 + remainder_;
        lastBufferUs_ = elapsed / rate;
        nextUs_ += lastBufferUs_;
        remainder_ = elapsed % rate;
    }

    // A new device: the next callback sets the clock.
    void restart() { started_ = false; }

  private:
    struct Call {
        std::int64_t behindUs = 0;
        std::int64_t bufferUs = 0;
    };

    std::int64_t earliest() const {
        std::int64_t least = INT64_MAX;
        std::int64_t span = 0;
        for (std::size_t i = 1; i <= count_; ++i) {
            const Call& c = calls_[(head_ + calls_.size() - i) % calls_.size()];
            least = std::min(least, c.behindUs);
            span += c.bufferUs;
            if (i >= kWindowCalls && span >= kWindowUs)
                break;
        }
        return least;
    }

    // The callback that sets the clock is on time by definition, and stays in the window, so
    // a first late callback is not taken for the pace.
    void reset(std::int64_t target) {
        nextUs_ = target;
        remainder_ = 0;
        calls_[0] = Call{0, lastBufferUs_};
        head_ = 1;
        count_ = 1;
        started_ = true;
    }

    bool started_ = false;
    std::int64_t nextUs_ = 0;        // start of the next buffer, µs
    std::int64_t remainder_ = 0;     // of whole frames, in µs·rate
    std::int64_t lastBufferUs_ = 0;  // length of the last buffer, µs
    std::array<Call, 64> calls_{};   // the latest callbacks, newest before head_
    std::size_t head_ = 0;
    std::size_t count_ = 0;
};

}  // namespace quorvel
