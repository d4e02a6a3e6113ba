#include "keying/event_queue.h"

namespace quorvel {

void KeyingEventQueue::post(const KeyingEvent& event) {
    if (shutDown_.load(std::memory_order_relaxed))
        return;
    if (!ring_.push(event)) {
        dropped_.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    // Only a sleeping consumer costs a system call, and only the first post after it slept.
    if (sleeping_.load(std::memory_order_seq_cst) &&
        sleeping_.exchange(false, std::memory_order_seq_cst))
        wake();
}

void KeyingEventQueue::collect() {
    const std::uint32_t generation = generation_.load(std::memory_order_acquire);
    std::size_t count = heldCount_.load(std::memory_order_relaxed);
    if (generation != heldGeneration_) {
        heldGeneration_ = generation;
        count = 0;
    }
    for (; !ring_.empty(); ring_.pop()) {
        const KeyingEvent& e = ring_.front();
        if (e.generation != generation)
            continue;
        if (count == kHeld) {  // full: drop the oldest
            heldFirst_ = (heldFirst_ + 1) % kHeld;
            --count;
        }
        held_[(heldFirst_ + count) % kHeld] = e;
        ++count;
    }
    heldCount_.store(count, std::memory_order_release);
}

std::optional<KeyingEvent> KeyingEventQueue::take() {
    collect();
    const std::size_t count = heldCount_.load(std::memory_order_relaxed);
    if (count == 0)
        return std::nullopt;
    const KeyingEvent e = held_[heldFirst_];
    heldFirst_ = (heldFirst_ + 1) % kHeld;
    heldCount_.store(count - 1, std::memory_order_release);
    return e;
}

bool KeyingEventQueue::waitForEvents() {
    for (;;) {
        if (shutDown_.load(std::memory_order_acquire))
            return false;
        const std::uint32_t signal = signal_.load(std::memory_order_acquire);
        if (signal != seenSignal_) {
            seenSignal_ = signal;
            return true;
        }
        sleeping_.store(true, std::memory_order_seq_cst);
        if (!ring_.empty()) {
            sleeping_.store(false, std::memory_order_relaxed);
            return !shutDown_.load(std::memory_order_acquire);
        }
        signal_.wait(signal, std::memory_order_acquire);
        sleeping_.store(false, std::memory_order_relaxed);
    }
}

void KeyingEventQueue::wake() {
    // release: what the waker did before is seen by the consumer it wakes
    signal_.fetch_add(1, std::memory_order_release);
    signal_.notify_one();
}

void KeyingEventQueue::shutdown() {
    shutDown_.store(true, std::memory_order_release);
    signal_.fetch_add(1, std::memory_order_release);
    signal_.notify_all();
}

}  // namespace quorvel
