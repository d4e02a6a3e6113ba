// What a sound server really played: the raw float32 mono output of a capture command (parec
// on a monitor source), each chunk stamped on the steady clock as it arrives, and what a
// listener hears of it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace quorvel::tools {

class Recording {
  public:
    // Starts `command` through /bin/sh; rate is what it records at (Hz).
    Recording(const std::string& command, int rate);
    ~Recording();
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

    bool running() const { return pid_ > 0; }
    // Bytes captured so far: the capture is under way once they grow.
    std::size_t received() const { return received_.load(std::memory_order_relaxed); }
    // Ends the command and waits for the last of its output; the samples are then complete.
    void stop();
    const std::vector<float>& samples() const { return samples_; }
    // Steady-clock time (µs) at which sample 0 was played: the earliest any chunk could have
    // been, since a chunk never arrives before its last sample has played.
    std::int64_t firstSampleUs() const { return firstUs_; }
    int rate() const { return rate_; }

  private:
    void read();

    int rate_;
    int pid_ = -1;
    int fd_ = -1;
    std::vector<float> samples_;
    std::int64_t firstUs_ = 0;
    std::atomic<std::size_t> received_{0};
    std::thread reader_;
};

struct Heard {
    std::vector<double> elements;  // ms
    std::vector<double> gaps;      // ms, between consecutive elements
    std::vector<double> onsets;    // ms from the first sample
    int dropouts = 0;              // silences inside an element
    double longestDropout = 0;     // ms
};

// Elements are sound separated by at least `gapMs` of silence (exact zero); a shorter
// silence of 0.25 ms or more inside one is a dropout: a sine never rests at zero that long.
Heard listen(const std::vector<float>& samples, int rate, double gapMs);

}  // namespace quorvel::tools
