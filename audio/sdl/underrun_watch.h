// Tells from the callback times alone when a device has run dry: a device that plays without
// a break calls back no later than the frames handed over say, give or take its jitter; one
// that ran dry played silence in between and from then on calls back later by as much.
#pragma once

#include <algorithm>
#include <cstdint>

namespace quorvel {

class UnderrunWatch {
  public:
    // A callback later than ever before by more than a whole buffer and this: the device
    // played silence of its own. Through PulseAudio on a loaded machine callbacks came up to
    // 15 ms late at a 20 ms buffer with no hole in the recording (the server holds more than it
    // asks for), and each such false alarm cost a reopened device; a hole shorter than what
    // the server held beyond the buffer may go unseen.
    static constexpr std::int64_t kUnderrunUs = 2000;
    // Lateness forgiven per second of audio (ppm): a sound card whose clock runs this much
    // slower than the steady clock never looks like an underrun.
    static constexpr std::int64_t kDriftAllowancePpm = 1000;

    // One callback at callbackUs (steady clock) handing over `frames` at `rate` Hz; true when
    // the device ran dry since the previous one. Never allocates or blocks.
    bool step(std::int64_t callbackUs, int frames, int rate) {
        if (!started_) {
            started_ = true;
            startUs_ = callbackUs;
            frames_ = 0;
            least_ = 0;
        }
        const std::int64_t lateness = callbackUs - startUs_ - frames_ * 1000000 / rate;
        // A starting stream takes its first buffers at once and starts playing only later: the
        // first half second sets the clock.
        if (frames_ < rate / 2) {
            least_ = lateness;
            frames_ += frames;
            return false;
        }
        least_ = std::min(least_ + static_cast<std::int64_t>(frames) * kDriftAllowancePpm / rate,
                          lateness);
        frames_ += frames;
        if (lateness - least_ <= static_cast<std::int64_t>(frames) * 1000000 / rate + kUnderrunUs)
            return false;
        least_ = lateness;  // the silence is counted once
        return true;
    }

    // A new device: its clock starts at its first callback.
    void restart() { started_ = false; }

  private:
    bool started_ = false;
    std::int64_t startUs_ = 0;
    std::int64_t frames_ = 0;  // handed over since startUs_
    std::int64_t least_ = 0;   // µs, least lateness so far, creeping up by the drift allowance
};

}  // namespace quorvel
