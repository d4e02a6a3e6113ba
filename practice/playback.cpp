#include "practice/playback.h"

#include <algorithm>

#include "morse/character_assembler.h"
#include "morse/code_tables.h"

namespace quorvel {
namespace {

constexpr std::uint32_t kTelegramPauseMs = 5000;

}  // namespace

int playbackUnit(int wpm) {
    if (wpm <= 0)
        wpm = 15;
    return std::max(20, (wpm / 2 + 1200) / wpm);
}

Playback::Playback(const PracticeSettings& settings, SharedFlags& flags, TelegramDocument& document,
                   PlaybackHooks hooks)
    : settings_(settings), flags_(flags), document_(document), hooks_(std::move(hooks)) {}

bool Playback::running() const {
    return !cancelled() && flags_.runCurrent(run_);
}

void Playback::clearContacts() {
    flags_.zeroContacts();
    if (hooks_.clearQueue)
        hooks_.clearQueue();
}

void Playback::begin(std::uint32_t now, bool demo, int run) {
    run_ = run != 0 ? run : flags_.PlaybackRunning.load(std::memory_order_acquire);
    active_ = false;
    if (!running())
        return;
    clearContacts();
    set_ = document_.currentSet();
    latin_ = document_.latinMode();
    count_ = std::max<int>(1, static_cast<int>(set_->size()));
    demo_ = demo;
    active_ = true;
    telegram_ = 0;
    script_.clear();
    scriptNext_ = 0;
    fieldNext_ = 0;
    plan_.clear();
    next_ = 0;
    inStep_ = false;
    wasPaused_ = false;
    last_ = now;
    step(now);
}

void Playback::addCode(std::string_view code) {
    for (char e : code) {
        if (e != '.' && e != '-')
            continue;
        plan_.push_back({Step::Key, e == '-', 0, 0, 0});
        addWait(1);
    }
    addWait(4);
}

void Playback::addCharacter(char16_t c) {
    c = foldForLookup(c);
    if (latin_ && (c == u' ' || c == u'\t')) {
        addWait(7);
        plan_.push_back({Step::Blank, false, 0, 0, 0});
        return;
    }
    if (auto code = codeFor(c, latin_))
        addCode(*code);
}

void Playback::addSourceCharacter(char16_t c, bool cutNumerals) {
    // The practice form of one character (a voiced kana is two): the whole text is never
    // converted nor planned at once, so a long telegram costs no more memory than a short one.
    for (char16_t p : toPracticeForm(std::u16string_view(&c, 1), latin_)) {
        auto cut = cutNumerals ? cutNumeralCode(p) : std::nullopt;
        if (cut)
            addCode(*cut);
        else
            addCharacter(p);
        addWait(2);
    }
}

void Playback::scriptCode(std::string_view code) {
    for (char e : code) {
        if (e != '.' && e != '-')
            continue;
        script_.push_back({Step::Key, e == '-', 0, 0, 0});
        scriptWait(1);
    }
    scriptWait(4);
}

void Playback::planTelegram(int number) {
    script_.clear();
    scriptNext_ = 0;
    fieldNext_ = 0;
    plan_.clear();
    next_ = 0;
    if (latin_) {
        script_.push_back({Step::LeadIn, false, 0, 0, 1});
        if (number == 1) {
            scriptCode("....");
            scriptWait(3);
            scriptCode(".-.");
            scriptWait(3);
            scriptCode("....");
            scriptWait(3);
            scriptCode(".-.");
        }
        scriptWait(3);
        scriptCode("-.");
        scriptWait(3);
        scriptCode(".-.");
        scriptWait(8);
        script_.push_back({Step::LeadIn, false, 0, 0, 0});
    }
    script_.push_back({Step::ShowTelegram, false, 0, 0, number});
    if (latin_) {
        addField(Preamble, false);
        scriptCode(kSignalBT);
        addField(Address, false);
        scriptCode(kSignalBT);
        addField(Text, false);
        scriptCode(kSignalAR);
    } else {
        addField(Preamble, false);
        addField(Office, false);
        addField(Serial, false);
        addField(FilingTime, true);
        addField(Address, false);
        addField(Text, false);
        scriptCode(kSignalVE);
    }
    if (number < count_) {
        scriptWait(0, kTelegramPauseMs);
        if (!latin_) {
            scriptCode(kSignalTelegramSeparator);
            scriptWait(0, kTelegramPauseMs);
        }
    } else {
        scriptWait(8);
    }
}

bool Playback::planNext() {
    plan_.clear();
    next_ = 0;
    const auto index = static_cast<std::size_t>(telegram_ - 1);
    while (plan_.empty()) {
        if (scriptNext_ >= script_.size())
            return false;
        const Step& s = script_[scriptNext_];
        if (s.kind != Step::Field) {
            plan_.push_back(s);
            ++scriptNext_;
            continue;
        }
        // Read in place from the set the run holds.
        static const std::u16string kEmpty;
        const std::u16string& text = index < set_->size() ? (*set_)[index].field(s.arg) : kEmpty;
        if (fieldNext_ < text.size()) {
            addSourceCharacter(text[fieldNext_++], s.dash);
        } else {
            addWait(4);
            fieldNext_ = 0;
            ++scriptNext_;
        }
    }
    return true;
}

std::uint32_t Playback::enter(const Step& s, std::uint32_t at) {
    const auto unit =
        static_cast<std::uint32_t>(playbackUnit(PracticeSettings::get(settings_.WPM)));
    switch (s.kind) {
        case Step::Key: {
            const std::uint32_t nominal = s.dash ? 3 * unit : unit;
            const std::uint32_t length =
                hooks_.elementLength ? hooks_.elementLength(nominal, s.dash, at) : nominal;
            if (demo_)
                document_.showPlaybackMessage(
                    run_, s.dash ? u"デモ送信：長点  Kキー / CTS" : u"デモ送信：短点  Jキー / DSR");
            flags_.keyEdges.push({at, run_, KeyEdge::Down, s.dash});
            flags_.setSerialContact(s.dash ? flags_.serialDash : flags_.serialDot, true, at);
            return length;
        }
        case Step::Wait:
            return static_cast<std::uint32_t>(s.units) * unit + s.ms;
        case Step::Blank:
            document_.enterPlaybackBlank(run_, hooks_.spaceExpected);
            return 0;
        case Step::LeadIn:
            flags_.keyEdges.push({at, run_, s.arg != 0 ? KeyEdge::LeadInOn : KeyEdge::LeadInOff});
            if (s.arg != 0)
                flags_.LeadInActive.store(run_, std::memory_order_release);
            else
                SharedFlags::endIfCurrent(flags_.LeadInActive, run_);
            return 0;
        case Step::ShowTelegram:
            document_.showPlaybackTelegram(run_, s.arg);
            return 0;
        case Step::Field:  // expanded by planNext, never run
            return 0;
    }
    return 0;
}

void Playback::leave(const Step& s, std::uint32_t at) {
    if (s.kind != Step::Key)
        return;
    flags_.keyEdges.push({at, run_, KeyEdge::Up, s.dash});
    flags_.setSerialContact(s.dash ? flags_.serialDash : flags_.serialDot, false, at);
    if (demo_)
        document_.showPlaybackMessage(run_, u"デモ送信：電鍵を離す");
}

void Playback::finish() {
    active_ = false;
    // A run ended by a stop leaves the line to the stop, which clears it itself.
    if (flags_.endPlaybackRun(run_))
        clearContacts();
    if (cancelled())
        return;
    SharedFlags::endIfCurrent(flags_.LeadInActive, run_);
    if (demo_) {
        SharedFlags::endIfCurrent(flags_.DemoMode, run_);
        document_.view().showMessage(u"デモ送信終了");
    }
}

std::uint32_t Playback::ticksToNextEvent() const {
    if (!active_)
        return 0;
    if (flags_.PlaybackPaused.load(std::memory_order_acquire) != 0)
        return kPausedPollMs;
    return inStep_ ? std::max<std::uint32_t>(1, remaining_) : 1;
}

bool Playback::step(std::uint32_t now) {
    if (!active_ || cancelled()) {
        active_ = false;
        return false;
    }
    std::uint32_t budget = now - last_;  // ms, unsigned tick difference
    last_ = now;
    if (flags_.PlaybackPaused.load(std::memory_order_acquire) != 0) {
        // Paused time does not count; the line and the tone stay released.
        flags_.setSerialContact(flags_.serialDot, false, now);
        flags_.setSerialContact(flags_.serialDash, false, now);
        wasPaused_ = true;
        return true;
    }
    if (wasPaused_) {
        // The time since the last paused step was paused too, however long the caller slept;
        // one tick of it counts, as when stepped every millisecond.
        wasPaused_ = false;
        budget = std::min<std::uint32_t>(budget, 1);
    }
    // Every step keeps its due tick however late this call is: the keying side times the
    // virtual key from the dates, so lateness of any length is made up, never shifted.
    while (running()) {
        if (!inStep_) {
            if (next_ >= plan_.size() && !planNext()) {
                if (telegram_ >= count_)
                    break;
                planTelegram(++telegram_);
                continue;
            }
            remaining_ = enter(plan_[next_], now - budget);
            inStep_ = true;
        } else if (plan_[next_].kind == Step::Key) {
            // Held again after a pause released it (the contacts are only shown).
            flags_.setSerialContact(plan_[next_].dash ? flags_.serialDash : flags_.serialDot, true,
                                    now);
        }
        if (remaining_ > budget) {
            remaining_ -= budget;
            if (running())
                flags_.keyEdges.publishHorizon(now);
            return true;
        }
        budget -= remaining_;
        leave(plan_[next_], now - budget);
        inStep_ = false;
        ++next_;
    }
    if (cancelled()) {
        active_ = false;
        return false;
    }
    if (inStep_)
        leave(plan_[next_], now);
    finish();
    return false;
}

}  // namespace quorvel
