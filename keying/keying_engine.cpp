#include "keying/keying_engine.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "keying/deadline_sleep.h"
#include "keying/steady_tick.h"
#include "keying/thread_priority.h"

namespace quorvel {

std::uint32_t KeyingEngine::tickNow() {
    return steadyTickMs();
}

void KeyingEngine::Sink::post(const KeyingEvent& event) {
    // The Latin lead-in is judged when it is keyed, not when the consumer gets to it: behind a
    // result card it would land in the next telegram.
    if (event.kind != KeyingEventKind::Element && document_.latinMode() && flags_.leadInActive())
        return;
    queue_.post(event);
}

KeyingEngine::KeyingEngine(const PracticeSettings& settings, SharedFlags& flags,
                           TelegramDocument& document)
    : flags_(flags),
      document_(document),
      queue_(flags.keyingGeneration),
      sink_(queue_, document, flags),
      sampler_(
          settings, flags, sink_, [&document] { return document.latinMode(); }, tickNow()),
      decoder_(settings, flags, document) {}

KeyingEngine::~KeyingEngine() {
    if (!stop()) {
        // Reported by stop(); its threads use this engine and the document, so they are
        // waited for rather than left to wake into freed memory.
        keyingThread_.join();
        consumerThread_.join();
    }
}

bool KeyingEngine::start() {
    if (running()) {
        if (!stopRequested_.load(std::memory_order_relaxed))
            return true;
        // The threads of a stop that overran its budget end before new ones start.
        if (!stop())
            return false;
    }
    stopRequested_.store(false, std::memory_order_relaxed);
    queue_.reopen();
    running_.store(true, std::memory_order_release);
    try {
        consumerThread_ = BoundedThread([this] { consumerLoop(); });
        keyingThread_ = BoundedThread([this] { keyingLoop(); });
    } catch (const std::system_error&) {
        stop();  // joins whichever thread did start
        return false;
    }
    return true;
}

bool KeyingEngine::stop(std::chrono::milliseconds budget) {
    if (!running())
        return true;
    stopRequested_.store(true, std::memory_order_relaxed);
    flags_.keyingWake.notify();
    queue_.shutdown();  // wakes the consumer
    const auto deadline = std::chrono::steady_clock::now() + budget;
    const auto left = [&] {
        return std::max(std::chrono::milliseconds(0),
                        std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now()));
    };
    const bool keyingEnded = keyingThread_.joinFor(left());
    const bool consumerEnded = consumerThread_.joinFor(left());
    if (!keyingEnded || !consumerEnded) {
        reportStopOverrun(keyingEnded ? "the keying consumer thread" : "the keying thread", budget);
        return false;
    }
    queue_.reopen();
    running_.store(false, std::memory_order_release);
    return true;
}

void KeyingEngine::keyingLoop() {
    using Clock = std::chrono::steady_clock;
    raiseKeyingThreadPriority();
    DeadlineSleeper sleeper;
    sampler_.restart(tickNow());
    auto lastWanted = Clock::now();
    while (!stopRequested_.load(std::memory_order_relaxed)) {
        if (flags_.keyingWanted()) {
            lastWanted = Clock::now();
        } else if (Clock::now() - lastWanted > kIdleGrace &&
                   flags_.ToneKeyDown.load(std::memory_order_relaxed) == 0) {
            // Nothing to sample: sleep until something starts. The timeout only bounds the
            // wait for a writer that forgot to wake us.
            const std::uint32_t seen = flags_.keyingWake.count();
            idle_.store(true, std::memory_order_relaxed);
            if (!flags_.keyingWanted() && !stopRequested_.load(std::memory_order_relaxed))
                flags_.keyingWake.waitFor(seen, kIdleWait);
            idle_.store(false, std::memory_order_relaxed);
            // Timing starts afresh: the sleep is not a pause the sampler should measure.
            sampler_.restart(tickNow());
            if (flags_.keyingWanted())
                lastWanted = Clock::now();
            continue;
        }
        const auto sampled = Clock::now();
        const bool active = sampler_.step(tickOf(sampled));
        // To the start of the tick the next sample is due in, where a hold that ends then ends.
        // After a stall no missed samples are caught up: the sampler measures tick
        // differences, not sample counts.
        const std::uint32_t ticks = active ? sampler_.ticksToNextSample() : 2;
        sleeper.sleepUntil(tickStart(sampled) + std::chrono::milliseconds(ticks));
    }
    flags_.setToneKeyDown(false, tickNow());
    restoreKeyingTimer();
}

void KeyingEngine::consumerLoop() {
    raiseConsumerThreadPriority();
    while (queue_.waitForEvents()) {
        // Collected even behind a result card, so the ring never fills: the held events keep
        // the newest.
        queue_.collect();
        while (!stopRequested_.load(std::memory_order_relaxed) && !document_.resultPending()) {
            auto event = queue_.take();
            if (!event)
                break;
            apply(*event);
        }
    }
}

void KeyingEngine::apply(const KeyingEvent& event) {
    if (event.generation == flags_.keyingGeneration.load(std::memory_order_acquire))
        decoder_.handle(event);
}

bool KeyingEngine::step(std::uint32_t now) {
    if (running())
        return false;
    return sampler_.step(now);
}

std::size_t KeyingEngine::drain() {
    if (running())
        return 0;
    std::size_t handled = 0;
    while (!document_.resultPending()) {
        auto event = queue_.take();
        if (!event)
            break;
        apply(*event);
        ++handled;
    }
    return handled;
}

void KeyingEngine::restartTiming(std::uint32_t now) {
    if (running())
        return;
    sampler_.restart(now);
}

}  // namespace quorvel
