// A fixed ring between exactly one producer thread and one consumer thread, without a lock:
// the tone edges, the playback's key edges and the keying events all pass through one.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace quorvel {

template <typename T, std::uint32_t Capacity>
class SpscRing {
    static_assert(Capacity > 0 && (Capacity & (Capacity - 1)) == 0, "a power of two");

  public:
    static constexpr std::uint32_t kCapacity = Capacity;

    // Producer. False when full; the item is not stored.
    bool push(const T& item) {
        const std::uint32_t head = head_.load(std::memory_order_relaxed);
        // acquire: the consumer's reads of the slot it freed happen before we overwrite it
        if (head - tail_.load(std::memory_order_acquire) >= Capacity)
            return false;
        slots_[head % Capacity] = item;
        // seq_cst rather than release: a producer that then reads a consumer's sleeping flag
        // needs this store ordered before that load (KeyingEventQueue)
        head_.store(head + 1, std::memory_order_seq_cst);
        return true;
    }

    // Consumer.
    bool empty() const {
        // seq_cst: pairs with the producer's store, after the consumer published that it sleeps
        return tail_.load(std::memory_order_relaxed) == head_.load(std::memory_order_seq_cst);
    }
    // The oldest item; only valid when !empty().
    const T& front() const { return slots_[tail_.load(std::memory_order_relaxed) % Capacity]; }
    void pop() {
        // release: our read of the slot happens before the producer may reuse it
        tail_.store(tail_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    }

    // Any thread; only an estimate while the others run.
    std::uint32_t size() const {
        return head_.load(std::memory_order_acquire) - tail_.load(std::memory_order_acquire);
    }

  private:
    std::array<T, Capacity> slots_{};
    std::atomic<std::uint32_t> head_{0};  // next slot to write, only grows (wraps)
    std::atomic<std::uint32_t> tail_{0};  // next slot to read
};

}  // namespace quorvel
