// Flags shared between the window, keying, playback and audio threads.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "keying/key_edges.h"
#include "keying/tone_edges.h"

namespace quorvel {

// Wakes the keying thread from its idle sleep. Writers are the window, the playback and the
// serial key, never the keying loop itself; the lock is taken only around the idle wait.
class KeyingWake {
  public:
    void notify() {
        {
            std::lock_guard lock(mutex_);
            count_.fetch_add(1, std::memory_order_relaxed);
        }
        changed_.notify_all();
    }
    // No lock: the keying loop reads it before it goes idle.
    std::uint32_t count() const { return count_.load(std::memory_order_relaxed); }
    // Returns once notified after `seen` was read, or after `timeout`. The lock is part of the
    // sleep: a notifier changes the count under it, so the change is not missed.
    void waitFor(std::uint32_t seen, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout,
                          [&] { return count_.load(std::memory_order_relaxed) != seen; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::atomic<std::uint32_t> count_{0};
};

// Every field is read by a thread other than its writer; relaxed order is enough for each
// flag on its own, except the serial contacts, which publish their change tick.
struct SharedFlags {
    // Contact flags: the dot contact is closed when either dot flag is 1, the dash likewise.
    std::atomic<int> serialDot{0};
    std::atomic<int> serialDash{0};
    std::atomic<int> keyboardDot{0};
    std::atomic<int> keyboardDash{0};
    std::atomic<int> keyboardKeyingEnabled{0};
    // Tick of the latest serial contact change, written before the contact by writers that
    // know it (the playback, the serial key): the sampler dates the change from it rather
    // than from its own later sample.
    std::atomic<std::uint32_t> serialChangeTick{0};

    // Bumped to clear the keying queue: the sampler starts afresh when it sees a new value, so
    // a character cut by a stop is dropped, and the consumer drops events of an older one.
    std::atomic<std::uint32_t> keyingGeneration{0};

    // The playback's virtual key (its contacts above are only shown).
    KeyEdgeRing keyEdges;

    std::atomic<int> ToneKeyDown{0};        // 1 while the tone sounds
    ToneEdgeRing toneEdges;                 // its edges with their ticks, for the audio callback
    std::atomic<int> BandEffectsActive{0};  // band chain on during a run

    // A playback run's identity while it runs (0: none). Everything a playback writes is
    // checked against it, so a playback that ends late never writes into the run after it.
    std::atomic<int> PlaybackRunning{0};
    std::atomic<int> PlaybackPaused{0};
    // The demo's run (1 while one is being started), 0 otherwise.
    std::atomic<int> DemoMode{0};
    // The run playing a Latin lead-in; it counts only while that run is the current one.
    std::atomic<int> LeadInActive{0};
    std::atomic<int> serialKeysOpen{0};  // serial keys whose lines are being followed

    // A new run identity, made current: any run before it has ended.
    int beginPlaybackRun() {
        int run = nextRun_.fetch_add(1, std::memory_order_relaxed);
        if (run <= 0) {  // wrapped after two billion runs
            nextRun_.store(kFirstRun + 1, std::memory_order_relaxed);
            run = kFirstRun;
        }
        PlaybackRunning.store(run, std::memory_order_release);
        return run;
    }
    bool runCurrent(int run) const {
        return run != 0 && PlaybackRunning.load(std::memory_order_acquire) == run;
    }
    // Ends `run` if it is still the current one; false when something else already ended it
    // (a stop, or a newer run), in which case the caller must leave the shared state alone.
    static bool endIfCurrent(std::atomic<int>& flag, int run) {
        return run != 0 && flag.compare_exchange_strong(run, 0, std::memory_order_acq_rel);
    }
    bool endPlaybackRun(int run) { return endIfCurrent(PlaybackRunning, run); }
    bool leadInActive() const {
        const int run = LeadInActive.load(std::memory_order_acquire);
        return run != 0 && run == PlaybackRunning.load(std::memory_order_acquire);
    }

    // Whoever starts something the keying thread must sample (keyboard keying, a playback, a
    // serial key) says so here, after setting its flag.
    KeyingWake keyingWake;
    bool keyingWanted() const {
        return keyboardKeyingEnabled.load(std::memory_order_relaxed) != 0 ||
               PlaybackRunning.load(std::memory_order_relaxed) != 0 ||
               serialKeysOpen.load(std::memory_order_relaxed) != 0 || dotClosed() || dashClosed();
    }

    // The keying thread's write of the tone flag: an edge is queued with its tick before the
    // flag changes, so a reader that sees the new flag also finds the edge.
    void setToneKeyDown(bool keyed, std::uint32_t now) {
        const int value = keyed ? 1 : 0;
        if (ToneKeyDown.load(std::memory_order_relaxed) == value)
            return;
        toneEdges.push({now, keyed});
        ToneKeyDown.store(value, std::memory_order_release);
    }

    // A serial contact change made at tick `at`; release pairs with the sampler's acquire
    // load of the contact, so a sampler that sees the change also sees its tick.
    void setSerialContact(std::atomic<int>& contact, bool closed, std::uint32_t at) {
        const int value = closed ? 1 : 0;
        if (contact.load(std::memory_order_relaxed) == value)
            return;
        serialChangeTick.store(at, std::memory_order_relaxed);
        contact.store(value, std::memory_order_release);
    }

    void zeroContacts() {
        serialDot.store(0, std::memory_order_relaxed);
        serialDash.store(0, std::memory_order_relaxed);
        keyboardDot.store(0, std::memory_order_relaxed);
        keyboardDash.store(0, std::memory_order_relaxed);
    }
    // acquire: a serial change seen here comes with its tick (setSerialContact)
    bool dotClosed() const {
        return serialDot.load(std::memory_order_acquire) != 0 ||
               keyboardDot.load(std::memory_order_relaxed) != 0;
    }
    bool dashClosed() const {
        return serialDash.load(std::memory_order_acquire) != 0 ||
               keyboardDash.load(std::memory_order_relaxed) != 0;
    }

  private:
    static constexpr int kFirstRun = 1000;  // apart from the 1 a bare test run stores
    std::atomic<int> nextRun_{kFirstRun};
};

}  // namespace quorvel
