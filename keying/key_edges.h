// The receive playback's virtual key: each key-down and key-up with the tick it is due at,
// handed to the keying thread, which times the elements from those dates. A stall of either
// thread delays the reception but never changes it. Producers are playback threads (one at a
// time but for a late one, so they share a lock); the keying thread reads without one.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "keying/spsc_ring.h"

namespace quorvel {

struct KeyEdge {
    // A key-down or key-up, or the start or end of a Latin lead-in, which the keying thread
    // must not post as characters: dated like the key, it ends exactly where the key says.
    enum Kind : std::uint8_t { Up, Down, LeadInOn, LeadInOff };
    std::uint32_t tick = 0;  // ms tick the edge is due at
    int run = 0;             // the playback run that keyed it
    Kind kind = Up;
    bool dash = false;
};

class KeyEdgeRing {
  public:
    static constexpr std::uint32_t kCapacity = 1024;  // power of two; seconds of keying

    // False when full: the keying thread has not run for seconds.
    bool push(KeyEdge edge) {
        std::lock_guard lock(producers_);
        return ring_.push(edge);
    }
    // The tick up to which every edge of `run` has been pushed.
    void publishHorizon(std::uint32_t tick) { horizon_.store(tick, std::memory_order_release); }

    // Consumer.
    bool empty() const { return ring_.empty(); }
    KeyEdge front() const { return ring_.front(); }
    void pop() { ring_.pop(); }
    std::uint32_t horizon() const { return horizon_.load(std::memory_order_acquire); }

  private:
    std::mutex producers_;
    SpscRing<KeyEdge, kCapacity> ring_;
    std::atomic<std::uint32_t> horizon_{0};
};

}  // namespace quorvel
