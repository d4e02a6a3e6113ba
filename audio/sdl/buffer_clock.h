// Where on the steady clock each device buffer starts. Buffers follow each other frame by
// frame, so the spacing of key edges is kept to the frame. The device's pace is read from its
// earliest callbacks: a sound server calls back a few milliseconds late now and then (a
// PulseAudio null sink alternates by 5 ms), and taking such a late call for drift would move
// the following edges by as much. True drift is set right only in silence, so no element
// changes its length; a stall or a device far off real time is caught up at once.
#pragma once

#include <algorithm>
#include <cstdint>

namespace quorvel {

class BufferClock {
  public:
    // Drift from real time set right in the next silence, and set right at once.
    static constexpr std::int64_t kSilentSlackUs = 500;
    static constexpr std::int64_t kCatchUpUs = 40000;
    // The device's pace is the earliest callback of each stretch this long (and of at least
    // kWindowCalls callbacks); an earlier callback counts at once.
    static constexpr std::int64_t kWindowUs = 100000;
    static constexpr int kWindowCalls = 4;

    // The start of the buffer a callback at nowUs renders, `latencyUs` behind real time.
    std::int64_t start(std::int64_t nowUs, std::int64_t latencyUs, bool silent) {
        const std::int64_t target = nowUs - latencyUs;
        if (!started_) {
            reset(target);
            return nextUs_;
        }
        // How far this callback would put the buffer after where the frames say it starts:
        // a late callback raises it, the earliest ones tell the device's own pace.
        const std::int64_t behind = target - nextUs_;
        if (behind > kCatchUpUs || behind < -kCatchUpUs) {
            reset(target);
            return nextUs_;
        }
        earliest_ = std::min(earliest_, behind);
        windowEarliest_ = std::min(windowEarliest_, behind);
        windowUs_ += lastBufferUs_;
        if (++windowCalls_ >= kWindowCalls && windowUs_ >= kWindowUs) {
            earliest_ = windowEarliest_;
            windowEarliest_ = kNone;
            windowUs_ = 0;
            windowCalls_ = 0;
        }
        if (silent && (earliest_ > kSilentSlackUs || earliest_ < -kSilentSlackUs)) {
            const std::int64_t shift = earliest_;
            nextUs_ += shift;
            earliest_ = 0;
            if (windowEarliest_ != kNone)
                windowEarliest_ -= shift;
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
    static constexpr std::int64_t kNone = INT64_MAX;

    void reset(std::int64_t target) {
        nextUs_ = target;
        remainder_ = 0;
        earliest_ = 0;
        windowEarliest_ = kNone;
        windowUs_ = 0;
        windowCalls_ = 0;
        started_ = true;
    }

    bool started_ = false;
    std::int64_t nextUs_ = 0;              // start of the next buffer, µs
    std::int64_t remainder_ = 0;           // of whole frames, in µs·rate
    std::int64_t lastBufferUs_ = 0;        // length of the last buffer, µs
    std::int64_t earliest_ = 0;            // the device's pace: least `behind` lately
    std::int64_t windowEarliest_ = kNone;  // least `behind` of the stretch being watched
    std::int64_t windowUs_ = 0;
    int windowCalls_ = 0;
};

}  // namespace quorvel
