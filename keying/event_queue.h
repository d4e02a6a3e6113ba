// The keying event queue from the keying thread to the consumer: a ring without a lock, one
// producer and one consumer, with the newest events kept while the consumer holds them back.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "keying/spsc_ring.h"
#include "morse/character_assembler.h"

namespace quorvel {

class KeyingEventQueue {
  public:
    static constexpr std::uint32_t kRingSlots =
        512;  // a consumer stalled for this many events loses the newest
    // Events the consumer keeps while it handles none (a result card): the newest ones.
    static constexpr std::size_t kHeld = 255;

    // Clearing bumps `generation`; events stamped with an older one are dropped by the
    // consumer. The sampler stamps each event with the generation it was timed in.
    explicit KeyingEventQueue(std::atomic<std::uint32_t>& generation) : generation_(generation) {}

    // --- the producer (one thread: the keying thread, or a simulated run) -----------------
    // No lock, no allocation; a system call only to wake a consumer that sleeps. An event that
    // finds the ring full (a consumer stalled for hundreds of events) is dropped and counted.
    void post(const KeyingEvent& event);

    // --- the consumer (one thread) ----------------------------------------------------------
    // Moves what was posted into the held events, dropping the oldest past kHeld and anything
    // from before a clear. take() collects first; a consumer that holds events back calls it so
    // the ring never fills behind it.
    void collect();
    // The oldest event to handle, if any.
    std::optional<KeyingEvent> take();
    // Sleeps until an event is posted or wake() is called after the last return, or the queue
    // is shut down; false once shut down.
    bool waitForEvents();

    // --- any thread ---------------------------------------------------------------------------
    // Drops everything queued so far, and what the producer still posts from before.
    void clearQueue() { generation_.fetch_add(1, std::memory_order_acq_rel); }
    // Posted and not yet taken (stale events included); exact only while nothing runs.
    std::size_t size() const { return ring_.size() + heldCount_.load(std::memory_order_acquire); }
    std::uint64_t dropped() const { return dropped_.load(std::memory_order_relaxed); }
    // Wakes the consumer as a post would, without an event.
    void wake();
    // Wakes the consumer for good; posting afterwards is ignored.
    void shutdown();
    // Makes the queue usable again after a shutdown (a new set of threads).
    void reopen() { shutDown_.store(false, std::memory_order_release); }

  private:
    std::atomic<std::uint32_t>& generation_;
    SpscRing<KeyingEvent, kRingSlots> ring_;
    // seq_cst: the consumer stores it before it looks at the ring a last time, the producer
    // loads it after its push; one of them sees the other, so no wake-up is lost.
    std::atomic<bool> sleeping_{false};
    std::atomic<std::uint32_t> signal_{0};  // bumped by every wake; the consumer waits on it
    std::atomic<bool> shutDown_{false};
    std::atomic<std::uint64_t> dropped_{0};

    // The consumer's own, but size() reads the count.
    std::array<KeyingEvent, kHeld> held_{};
    std::size_t heldFirst_ = 0;
    std::atomic<std::size_t> heldCount_{0};
    std::uint32_t heldGeneration_ = 0;
    std::uint32_t seenSignal_ = 0;
};

}  // namespace quorvel
