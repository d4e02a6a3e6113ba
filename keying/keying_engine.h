// Keying for one engine context: the event queue, the 1 ms sampler with its character
// assembler, and the consumer that decodes into the document. It runs either on its own two
// threads (start/stop) or stepped from one thread in simulated time (step/drain).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

#include "keying/decoder.h"
#include "keying/event_queue.h"
#include "keying/keying_sampler.h"
#include "keying/shared_flags.h"
#include "practice/document.h"
#include "storage/settings.h"
#include "storage/thread_budget.h"

namespace quorvel {

class KeyingEngine {
  public:
    KeyingEngine(const PracticeSettings& settings, SharedFlags& flags, TelegramDocument& document);
    ~KeyingEngine();
    KeyingEngine(const KeyingEngine&) = delete;
    KeyingEngine& operator=(const KeyingEngine&) = delete;

    // --- real time ---------------------------------------------------------------------
    // Starts the consumer thread, then the keying thread (1 ms samples of the steady clock).
    // True when they run (already running counts); false when a thread could not be created,
    // in which case nothing runs.
    bool start();
    // Asks both threads to end and joins them; the keying thread leaves ToneKeyDown at 0. Returns
    // within a few ms, a pending result card or not. A thread that has not ended within
    // `budget` (the consumer waits on the document) is reported and kept: false, running()
    // stays true, and the next stop() or the destructor joins it. It is never detached, since
    // it works on the document.
    bool stop(std::chrono::milliseconds budget = kStopBudget);
    // Wakes the consumer after a pending result was released, so the events it held back are
    // handled.
    void resume() { queue_.wake(); }
    bool running() const { return running_.load(std::memory_order_acquire); }
    // True while the keying thread sleeps for want of anything to sample.
    bool keyingThreadIdle() const { return idle_.load(std::memory_order_relaxed); }

    // --- simulated time (only while the threads are not running) -----------------------
    // One sample of the keying thread at tick now (ms). Returns false while paused.
    bool step(std::uint32_t now);
    // Runs the consumer on everything queued so far, in the calling thread; returns how many
    // events it handled. Events posted by the consumer's own work are handled too. Stops at a
    // pending result card: the rest stays queued until it is dismissed.
    std::size_t drain();
    // Starts the sampler afresh at tick now: contacts, keyer and character in progress
    // forgotten, the gap measured from now. Call it when a simulated clock starts.
    void restartTiming(std::uint32_t now);

    // --- shared with the playback and the sending control ------------------------------
    // Empties the queue for good: what the keying thread still posts from before (a
    // character cut by a stop) is dropped too, and the sampler starts afresh.
    void clearQueue() { queue_.clearQueue(); }
    KeyingEventQueue& queue() { return queue_; }
    bool spaceExpected() const { return document_.spaceExpectedNow(); }
    const KeyingSampler& sampler() const { return sampler_; }

    // The steady clock as a 32-bit millisecond tick (wraps after 49 days; all differences
    // are unsigned).
    static std::uint32_t tickNow();

  private:
    class Sink final : public KeyingEventSink {
      public:
        Sink(KeyingEventQueue& queue, const TelegramDocument& document, const SharedFlags& flags)
            : queue_(queue), document_(document), flags_(flags) {}
        void post(const KeyingEvent& event) override;
        // Lock-free: the keying thread asks on every sample of a long pause.
        bool spaceExpected() override { return document_.spaceExpectedNow(); }

      private:
        KeyingEventQueue& queue_;
        const TelegramDocument& document_;
        const SharedFlags& flags_;
    };

    // Samples go on this long after the last keying, playback or open key, so a character
    // and a word gap in progress are still measured; then the thread sleeps.
    static constexpr auto kIdleGrace = std::chrono::seconds(3);
    static constexpr auto kIdleWait = std::chrono::milliseconds(500);

    void keyingLoop();
    void consumerLoop();
    // Handles an event unless a clear came after it was timed.
    void apply(const KeyingEvent& event);

    SharedFlags& flags_;
    TelegramDocument& document_;
    KeyingEventQueue queue_;
    Sink sink_;
    KeyingSampler sampler_;
    KeyingDecoder decoder_;

    // Release on start/stop, acquire on reading: a caller that sees the threads stopped also
    // sees everything they did (the joins came before the store).
    std::atomic<bool> running_{false};
    // Relaxed: only a request to the loops; the joins order everything else.
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> idle_{false};
    BoundedThread keyingThread_;
    BoundedThread consumerThread_;
};

}  // namespace quorvel
