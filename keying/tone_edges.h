// The edges of ToneKeyDown with the tick at which the keying thread made them, handed to the
// audio callback so that it can place each edge at its own sample instead of at the buffer
// start. One producer (the keying thread), one consumer (the audio callback), no lock.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace quorvel {

struct ToneEdge {
    std::uint32_t tick = 0;  // ms tick of the keying thread's pass that changed the flag
    bool down = false;
};

class ToneEdgeRing {
  public:
    static constexpr std::uint32_t kCapacity = 256;  // power of two

    // Producer. False when the ring is full (no consumer drains it); the flag still holds
    // the state, so nothing is lost but the timing of that edge.
    bool push(ToneEdge edge) {
        const std::uint32_t head = head_.load(std::memory_order_relaxed);
        // acquire: the consumer's reads of the slot it freed happen before we overwrite it
        if (head - tail_.load(std::memory_order_acquire) >= kCapacity)
            return false;
        slots_[head % kCapacity] = edge;
        // release: the slot is written before the consumer can see it
        head_.store(head + 1, std::memory_order_release);
        return true;
    }

    // Consumer.
    bool empty() const {
        return tail_.load(std::memory_order_relaxed) == head_.load(std::memory_order_acquire);
    }
    // The oldest edge; only valid when !empty().
    ToneEdge front() const { return slots_[tail_.load(std::memory_order_relaxed) % kCapacity]; }
    void pop() {
        // release: our read of the slot happens before the producer may reuse it
        tail_.store(tail_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    }

  private:
    std::array<ToneEdge, kCapacity> slots_{};
    std::atomic<std::uint32_t> head_{0};  // next slot to write, only grows (wraps)
    std::atomic<std::uint32_t> tail_{0};  // next slot to read
};

}  // namespace quorvel
