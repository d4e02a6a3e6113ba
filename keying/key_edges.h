// The receive playback's virtual key: each key-down and key-up with the tick it is due at,
// handed to the keying thread, which times the elements from those dates. A stall of either
// thread delays the reception but never changes it. Producers are playback threads (one at a
// time but for a late one, so they share a lock); the keying thread reads without one.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

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
        const std::uint32_t head = head_.load(std::memory_order_relaxed);
        // acquire: the consumer's reads of the slot it freed happen before we overwrite it
        if (head - tail_.load(std::memory_order_acquire) >= kCapacity)
            return false;
        slots_[head % kCapacity] = edge;
        // release: the slot is written before the consumer can see it
        head_.store(head + 1, std::memory_order_release);
        return true;
    }
    // The tick up to which every edge of `run` has been pushed.
    void publishHorizon(std::uint32_t tick) { horizon_.store(tick, std::memory_order_release); }

    // Consumer.
    bool empty() const {
        return tail_.load(std::memory_order_relaxed) == head_.load(std::memory_order_acquire);
    }
    KeyEdge front() const { return slots_[tail_.load(std::memory_order_relaxed) % kCapacity]; }
    void pop() {
        // release: our read of the slot happens before a producer may reuse it
        tail_.store(tail_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    }
    std::uint32_t horizon() const { return horizon_.load(std::memory_order_acquire); }

  private:
    std::mutex producers_;
    std::array<KeyEdge, kCapacity> slots_{};
    std::atomic<std::uint32_t> head_{0};
    std::atomic<std::uint32_t> tail_{0};
    std::atomic<std::uint32_t> horizon_{0};
};

}  // namespace quorvel
