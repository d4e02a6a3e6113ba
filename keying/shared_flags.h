// Flags shared between the window, keying, playback and audio threads.
#pragma once

#include <atomic>
#include <cstdint>

namespace quorvel {

// Every field is read by a thread other than its writer; relaxed order is enough for each
// flag on its own (none of them publishes other data).
struct SharedFlags {
    // Contact flags: the dot contact is closed when either dot flag is 1, the dash likewise.
    std::atomic<int> serialDot{0};
    std::atomic<int> serialDash{0};
    std::atomic<int> keyboardDot{0};
    std::atomic<int> keyboardDash{0};
    std::atomic<int> keyboardKeyingEnabled{0};

    std::atomic<int> ToneKeyDown{0};        // 1 while the tone sounds
    std::atomic<int> BandEffectsActive{0};  // band chain on during a run

    std::atomic<int> PlaybackRunning{0};
    std::atomic<int> PlaybackPaused{0};
    std::atomic<int> DemoMode{0};
    std::atomic<int> LeadInActive{0};

    void zeroContacts() {
        serialDot.store(0, std::memory_order_relaxed);
        serialDash.store(0, std::memory_order_relaxed);
        keyboardDot.store(0, std::memory_order_relaxed);
        keyboardDash.store(0, std::memory_order_relaxed);
    }
    bool dotClosed() const {
        return serialDot.load(std::memory_order_relaxed) != 0 ||
               keyboardDot.load(std::memory_order_relaxed) != 0;
    }
    bool dashClosed() const {
        return serialDash.load(std::memory_order_relaxed) != 0 ||
               keyboardDash.load(std::memory_order_relaxed) != 0;
    }
};

}  // namespace quorvel
