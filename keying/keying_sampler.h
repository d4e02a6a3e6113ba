// The keying thread's work for one millisecond sample: the contacts, their debounce, the auto
// keyer, the tone gate and the decoder's timing steps. Driven by a real 1 ms thread or by a
// simulated-time loop; it never sleeps itself.
#pragma once

#include <cstdint>
#include <functional>

#include "keying/hold_times.h"
#include "keying/shared_flags.h"
#include "morse/character_assembler.h"
#include "storage/settings.h"

namespace quorvel {

class KeyingSampler {
  public:
    // latinMode is asked on every sample (the practice language may change at any time).
    KeyingSampler(const PracticeSettings& settings, SharedFlags& flags, KeyingEventSink& sink,
                  std::function<bool()> latinMode, std::uint32_t startTime);

    // One sample at tick now. False while PlaybackPaused holds the keying idle (the real thread
    // then waits 2 ms before the next sample). A pause freezes the timing: the character in
    // progress goes on after the resume as if the paused time had not passed.
    bool step(std::uint32_t tick);

    // Forgets every contact, keyer and character state as a pause does, without the flag.
    void restart(std::uint32_t now);

    bool keyed() const { return previousKeyed_; }

    // Ticks from the last sample to the next one that is needed: 1 while a key is worked by
    // hand or the auto keyer runs; 2 while only dated contacts (a playback) move, sooner when
    // a debounce hold ends before then.
    std::uint32_t ticksToNextSample() const;
    const CharacterAssembler& assembler() const { return assembler_; }

  private:
    // Stamps each event with the keying generation it was timed in.
    class Stamp final : public KeyingEventSink {
      public:
        explicit Stamp(KeyingEventSink& next) : next_(next) {}
        void post(const KeyingEvent& event) override {
            // The Latin lead-in keys letters that are no part of the telegram.
            if (leadIn && event.kind != KeyingEventKind::Element)
                return;
            KeyingEvent e = event;
            e.generation = generation;
            next_.post(e);
        }
        bool spaceExpected() override { return next_.spaceExpected(); }
        std::uint32_t generation = 0;
        bool leadIn = false;

      private:
        KeyingEventSink& next_;
    };

    struct Contact {
        bool raw = false;
        bool debounced = false;
        std::uint32_t changed = 0;  // tick of the last raw change
        std::uint32_t hold = 1;     // ms the current raw state must last
        // Dates no newer than this belong to an earlier change: the last change, or shortly
        // before a restart, since a thread woken by a playback's start may see its first
        // element late.
        std::uint32_t datesFrom = 0;
    };
    static constexpr std::uint32_t kRestartGrace = 10;  // ms
    static Contact openContact(std::uint32_t now) {
        return {false, false, now, 1, now - kRestartGrace};
    }

    // True when the debounced state follows raw at this sample.
    bool debounce(Contact& c, bool raw, std::uint32_t now, int ks, std::uint32_t unit);
    // The tick a contact seen changed at now changed at: the writer's date when it is newer
    // than the last change, else now.
    std::uint32_t changeTick(const Contact& c, std::uint32_t now) const;
    bool autoKeyer(std::uint32_t now, std::uint32_t unit);
    // The playback's virtual key, timed from the dates of its edges; false when no playback
    // keys one, and the contacts are sampled instead.
    bool followVirtualKey(std::uint32_t now, const AssemblerSettings& s);
    void applyEdge(const KeyEdge& edge, std::uint32_t at, const AssemblerSettings& s);
    // idle() at a time not before the last release (a restart may have moved it on).
    void idleAt(std::uint32_t at, const AssemblerSettings& s);

    const PracticeSettings& settings_;
    SharedFlags& flags_;
    std::function<bool()> latinMode_;
    Stamp stamp_;
    CharacterAssembler assembler_;
    std::uint32_t restartedAt_ = 0;  // sampler time of the last restart

    Contact dot_;
    Contact dash_;
    bool previousKeyed_ = false;
    std::uint32_t lastSample_ = 0;
    bool coarse_ = false;  // whether the last sample allowed the 2 ms period
    // Auto keyer: the element being sounded and when the current element or space began.
    bool keyerOn_ = false;
    std::uint32_t phaseStart_ = 0;
    bool keyerDot_ = false;  // debounced contacts of the previous sample
    bool keyerDash_ = false;
    int virtualRun_ = 0;  // the run whose virtual key is followed, 0 none
    bool virtualDown_ = false;
    // The sampler keeps its own time, the tick less the paused milliseconds so far.
    bool paused_ = false;
    std::uint32_t pausedAt_ = 0;  // tick
    std::uint32_t offset_ = 0;    // ms
};

}  // namespace quorvel
