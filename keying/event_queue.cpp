#include "keying/event_queue.h"

namespace quorvel {

void KeyingEventQueue::post(const KeyingEvent& event) {
    {
        std::lock_guard lock(mutex_);
        if (shutDown_)
            return;
        const std::size_t next = (write_ + 1) % kSlots;
        if (next == read_)
            read_ = (read_ + 1) % kSlots;  // full: drop the oldest
        ring_[write_] = event;
        write_ = next;
        signalled_ = true;
    }
    wake_.notify_one();
}

void KeyingEventQueue::clearQueue() {
    std::lock_guard lock(mutex_);
    read_ = 0;
    write_ = 0;
}

std::optional<KeyingEvent> KeyingEventQueue::take() {
    std::lock_guard lock(mutex_);
    if (read_ == write_)
        return std::nullopt;
    KeyingEvent e = ring_[read_];
    read_ = (read_ + 1) % kSlots;
    return e;
}

std::size_t KeyingEventQueue::size() const {
    std::lock_guard lock(mutex_);
    return (write_ + kSlots - read_) % kSlots;
}

bool KeyingEventQueue::waitForEvents() {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return signalled_ || shutDown_; });
    signalled_ = false;
    return !shutDown_;
}

void KeyingEventQueue::wake() {
    {
        std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    wake_.notify_one();
}

void KeyingEventQueue::shutdown() {
    {
        std::lock_guard lock(mutex_);
        shutDown_ = true;
    }
    wake_.notify_all();
}

void KeyingEventQueue::reopen() {
    std::lock_guard lock(mutex_);
    shutDown_ = false;
    signalled_ = read_ != write_;
}

}  // namespace quorvel
