// The keying event queue: a ring of 256 records between the keying thread and the consumer,
// guarded by its own lock and woken by a condition variable.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>

#include "morse/character_assembler.h"

namespace quorvel {

class KeyingEventQueue {
  public:
    static constexpr std::size_t kSlots = 256;  // holds at most kSlots - 1

    // Adds an event; a full ring first drops its oldest entry. Wakes the consumer.
    void post(const KeyingEvent& event);
    // Empties the ring.
    void clearQueue();
    // Takes the oldest entry, if any; never blocks beyond the lock.
    std::optional<KeyingEvent> take();
    std::size_t size() const;

    // Blocks until something was posted since the last wake-up (an auto-reset signal) or the
    // queue is shut down; false once shut down.
    bool waitForEvents();
    // Wakes the waiter as a post would, without an event.
    void wake();
    // Wakes every waiter for good; posting afterwards is ignored.
    void shutdown();
    // Makes the queue usable again after a shutdown (a new set of threads).
    void reopen();

  private:
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::array<KeyingEvent, kSlots> ring_{};
    std::size_t read_ = 0;
    std::size_t write_ = 0;
    bool signalled_ = false;
    bool shutDown_ = false;
};

}  // namespace quorvel
