// The receive playback: keys the current telegrams through the serial contact flags as a
// virtual key, advanced with an explicit millisecond tick. The same engine runs the demo.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "keying/shared_flags.h"
#include "practice/document.h"
#include "storage/settings.h"

namespace quorvel {

// Element unit of the playback in ms: at least 20, a speed of 0 or less counting as 15.
int playbackUnit(int wpm);

struct PlaybackHooks {
    // Empties the keying event queue.
    std::function<void()> clearQueue;
    // Keyed length of an element of nominal length ms at tick now (band jitter); identity when
    // unset.
    std::function<std::uint32_t(std::uint32_t nominalMs, bool dash, std::uint32_t now)>
        elementLength;
    // Whether the model expects a blank at the reception's cursor.
    std::function<bool()> spaceExpected;
    // Run first on a real-time playback thread (its scheduling hint); may be empty.
    std::function<void()> threadStarted;
};

class Playback {
  public:
    Playback(const PracticeSettings& settings, SharedFlags& flags, TelegramDocument& document,
             PlaybackHooks hooks);

    // Starts run `run` (SharedFlags::beginPlaybackRun; 0: the one PlaybackRunning holds) over
    // the document's current set at tick now. A run that has already ended does nothing: a
    // stop that comes before the run begins is not undone.
    void begin(std::uint32_t now, bool demo, int run = 0);
    // Advances the run to tick now; false once it has ended, finished or stopped.
    bool step(std::uint32_t now);
    bool active() const { return active_; }
    // Ticks from the last step until the run next has something to do, so a real-time caller
    // can sleep that long instead of stepping every millisecond. Paused: kPausedPollMs.
    std::uint32_t ticksToNextEvent() const;
    static constexpr std::uint32_t kPausedPollMs = 100;
    // A run whose stop gave up waiting for it is cancelled through this flag: from then on it
    // touches nothing shared, so a run started meanwhile is left alone.
    void setCancelFlag(const std::atomic<bool>* cancelled) { cancelled_ = cancelled; }

  private:
    struct Step {
        // Field: a field of the telegram, read out one character at a time.
        enum Kind : std::uint8_t { Key, Wait, Blank, LeadIn, ShowTelegram, Field };
        Kind kind;
        bool dash = false;     // Key; Field: numerals cut
        int units = 0;         // Wait: units of the current unit ...
        std::uint32_t ms = 0;  // ... plus fixed milliseconds
        int arg = 0;           // LeadIn: on/off; ShowTelegram: telegram number; Field: section
    };

    // The telegram's script: its signals and waits, and its fields as Field steps.
    void planTelegram(int number);
    // Fills plan_ with what comes next in the script: its next steps, or the next character
    // of the field being read. False at the end of the telegram.
    bool planNext();
    void addCode(std::string_view code);
    void addCharacter(char16_t c);
    void addSourceCharacter(char16_t c, bool cutNumerals);
    void addField(int section, bool cutNumerals) {
        script_.push_back({Step::Field, cutNumerals, 0, 0, section});
    }
    void addWait(int units, std::uint32_t ms = 0) {
        plan_.push_back({Step::Wait, false, units, ms, 0});
    }
    void scriptCode(std::string_view code);
    void scriptWait(int units, std::uint32_t ms = 0) {
        script_.push_back({Step::Wait, false, units, ms, 0});
    }
    // Runs the current step's entry; returns its duration in ms (0 for instant steps).
    std::uint32_t enter(const Step& s, std::uint32_t at);
    void leave(const Step& s, std::uint32_t at);
    void clearContacts();
    void finish();
    bool running() const;
    bool cancelled() const {
        return cancelled_ != nullptr && cancelled_->load(std::memory_order_acquire);
    }

    const PracticeSettings& settings_;
    SharedFlags& flags_;
    TelegramDocument& document_;
    PlaybackHooks hooks_;
    const std::atomic<bool>* cancelled_ = nullptr;
    int run_ = 0;

    SharedTelegramList set_;  // the set the run started with, kept alive
    bool latin_ = false;
    bool demo_ = false;
    bool active_ = false;
    int telegram_ = 0;
    int count_ = 0;
    std::vector<Step> script_;  // the telegram's, with its fields as Field steps
    std::size_t scriptNext_ = 0;
    std::size_t fieldNext_ = 0;  // index into the text of the Field step being read
    std::vector<Step> plan_;     // the steps of one script step or one character
    std::size_t next_ = 0;
    bool inStep_ = false;
    bool wasPaused_ = false;
    std::uint32_t remaining_ = 0;  // ms of the current step still to run
    std::uint32_t last_ = 0;       // tick of the previous step() call
};

}  // namespace quorvel
