// The random generator of the telegram generators: one per engine context, seeded once.
#pragma once

#include <cstdint>

namespace quorvel {

// Linear congruential generator; each draw is bits 16-30 of the new state (0..32767). Used by
// the window's thread only.
class RandomGenerator {
  public:
    void seed(std::uint32_t state) {
        state_ = state;
        seeded_ = true;
    }
    // Seeds with the time (seconds) the first time only; later calls keep the sequence going.
    void seedOnce(std::uint32_t timeSeconds) {
        if (!seeded_)
            seed(timeSeconds);
    }
    bool seeded() const { return seeded_; }

    int draw() {
        state_ = state_ * 214013u + 2531011u;  // modulo 2^32 by unsigned wrap-around
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }
    // A draw mod n; n must be positive.
    int below(int n) { return draw() % n; }

  private:
    std::uint32_t state_ = 0;
    bool seeded_ = false;
};

}  // namespace quorvel
