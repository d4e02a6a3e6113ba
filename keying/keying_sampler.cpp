#include "keying/keying_sampler.h"

#include <algorithm>
#include <utility>

namespace quorvel {
namespace {

KeyingTolerances tolerancesOf(const PracticeSettings& s) {
    return {PracticeSettings::get(s.JudgeEase), PracticeSettings::get(s.ElementTolerance),
            PracticeSettings::get(s.KeySoftness), PracticeSettings::get(s.CharSpeedTolerance)};
}

}  // namespace

KeyingSampler::KeyingSampler(const PracticeSettings& settings, SharedFlags& flags,
                             KeyingEventSink& sink, std::function<bool()> latinMode,
                             std::uint32_t startTime)
    : settings_(settings),
      flags_(flags),
      latinMode_(std::move(latinMode)),
      stamp_(sink),
      assembler_(stamp_, startTime) {
    stamp_.generation = flags.keyingGeneration.load(std::memory_order_acquire);
    dot_ = openContact(startTime);
    dash_ = openContact(startTime);
    phaseStart_ = startTime;
    lastSample_ = startTime;
}

void KeyingSampler::restart(std::uint32_t now) {
    dot_ = openContact(now);
    dash_ = openContact(now);
    previousKeyed_ = false;
    lastSample_ = now;
    keyerOn_ = false;
    keyerDot_ = keyerDash_ = false;
    paused_ = false;
    offset_ = 0;
    virtualRun_ = 0;
    virtualDown_ = false;
    stamp_.leadIn = false;
    assembler_.clear(now);
    restartedAt_ = now;
}

void KeyingSampler::idleAt(std::uint32_t at, const AssemblerSettings& s) {
    if (static_cast<std::int32_t>(at - assembler_.lastRelease()) >= 0)
        assembler_.idle(at, s);
}

void KeyingSampler::applyEdge(const KeyEdge& edge, std::uint32_t at, const AssemblerSettings& s) {
    switch (edge.kind) {
        case KeyEdge::Down:
            if (virtualDown_)
                return;
            idleAt(at, s);
            assembler_.keyDown(at);
            virtualDown_ = true;
            break;
        case KeyEdge::Up:
            if (!virtualDown_)
                return;
            virtualDown_ = false;
            if (assembler_.keyUp(at, s))
                idleAt(at, s);
            break;
        case KeyEdge::LeadInOn:
        case KeyEdge::LeadInOff:
            idleAt(at, s);  // a character complete before it is judged as it was keyed
            stamp_.leadIn = edge.kind == KeyEdge::LeadInOn;
            return;
    }
    flags_.setToneKeyDown(virtualDown_, at + offset_);
}

bool KeyingSampler::followVirtualKey(std::uint32_t now, const AssemblerSettings& s) {
    const int run = flags_.PlaybackRunning.load(std::memory_order_acquire);
    KeyEdgeRing& ring = flags_.keyEdges;
    while (!ring.empty() && ring.front().run != run)
        ring.pop();  // an ended run's
    if (run == 0 || (run != virtualRun_ && ring.empty())) {
        virtualRun_ = 0;
        return false;
    }
    if (run != virtualRun_) {
        virtualRun_ = run;
        virtualDown_ = false;
        stamp_.leadIn = false;
        // A run's first edge is dated when its playback began, and the sampler may have
        // sampled the idle line since; nothing of this run was decided then, so its keying
        // starts at its own date rather than at the sample (which cut its first element short).
        const std::uint32_t first = ring.front().tick - offset_;
        if (static_cast<std::int32_t>(first - lastSample_) < 0) {
            // The run's own start cleared the queue, so the sampler restarted after its date.
            if (assembler_.code().empty() && assembler_.lastRelease() == restartedAt_)
                assembler_.clear(first);
            if (static_cast<std::int32_t>(first - assembler_.lastRelease()) >= 0)
                lastSample_ = first;
        }
    }
    // Nothing is decided past the tick the playback has keyed up to: a stalled playback
    // delays a gap, never ends a character early.
    std::uint32_t limit = ring.horizon() - offset_;
    if (static_cast<std::int32_t>(limit - now) > 0)
        limit = now;
    while (!ring.empty()) {
        const KeyEdge edge = ring.front();
        if (edge.run != run) {
            ring.pop();
            continue;
        }
        std::uint32_t at = edge.tick - offset_;
        if (static_cast<std::int32_t>(at - limit) > 0)
            break;
        ring.pop();
        if (static_cast<std::int32_t>(at - lastSample_) < 0)
            at = lastSample_;  // never before what was already decided
        applyEdge(edge, at, s);
        lastSample_ = at;
    }
    if (static_cast<std::int32_t>(limit - lastSample_) >= 0) {
        if (!virtualDown_)
            idleAt(limit, s);
        lastSample_ = limit;
    }
    // Back on after a pause silenced it.
    flags_.setToneKeyDown(virtualDown_, lastSample_ + offset_);
    previousKeyed_ = virtualDown_;
    coarse_ = true;
    return true;
}

std::uint32_t KeyingSampler::changeTick(const Contact& c, std::uint32_t now) const {
    const std::uint32_t dated = flags_.serialChangeTick.load(std::memory_order_relaxed) - offset_;
    // Unsigned ages: a date no newer than the last change (a hand-worked contact, whose
    // writer dates nothing) or one ahead of this sample is not this change's.
    return now - dated < now - c.datesFrom ? dated : now;
}

bool KeyingSampler::debounce(Contact& c, bool raw, std::uint32_t now, int ks, std::uint32_t unit) {
    if (raw != c.raw) {
        c.changed = changeTick(c, now);
        c.datesFrom = c.changed;
        c.raw = raw;
    }
    c.hold = raw ? closingHoldTime(ks, unit) : openingHoldTime(ks, unit);
    if (c.debounced == raw || now - c.changed < c.hold)  // unsigned ms
        return false;
    c.debounced = raw;
    return true;
}

std::uint32_t KeyingSampler::ticksToNextSample() const {
    if (!coarse_)
        return 1;
    std::uint32_t ticks = 2;
    for (const Contact* c : {&dot_, &dash_})
        if (c->debounced != c->raw)
            ticks = std::min(ticks, std::max<std::uint32_t>(1, c->changed + c->hold - lastSample_));
    return ticks;
}

bool KeyingSampler::autoKeyer(std::uint32_t now, std::uint32_t unit) {
    const bool dot = dot_.debounced;
    const bool dash = dash_.debounced;
    const std::uint32_t elapsed = now - phaseStart_;  // ms, unsigned tick difference
    if (dot || dash) {
        // The dot side wins when both are held; a dash lasts three units, every space one.
        const bool newlyClosed = dot ? !keyerDot_ : !keyerDash_;
        const std::uint32_t element = dot ? unit : 3 * unit;
        if (newlyClosed) {
            keyerOn_ = true;
            phaseStart_ = now;
        } else if (keyerOn_ ? elapsed >= element : elapsed >= unit) {
            keyerOn_ = !keyerOn_;
            phaseStart_ = now;
        }
    } else {
        keyerOn_ = false;  // releasing both paddles cuts the element short
    }
    keyerDot_ = dot;
    keyerDash_ = dash;
    return keyerOn_;
}

bool KeyingSampler::step(std::uint32_t tick) {
    const std::uint32_t generation = flags_.keyingGeneration.load(std::memory_order_acquire);
    if (generation != stamp_.generation) {
        stamp_.generation = generation;
        restart(tick);
    }
    if (flags_.PlaybackPaused.load(std::memory_order_relaxed) != 0) {
        flags_.setToneKeyDown(false, tick);
        if (!paused_)
            pausedAt_ = tick;
        paused_ = true;
        return false;
    }
    if (paused_) {
        paused_ = false;
        offset_ += tick - pausedAt_;
    }
    const std::uint32_t now = tick - offset_;
    const std::uint32_t unit = unitForWpm(PracticeSettings::get(settings_.WPM));
    if (followVirtualKey(now, {unit, tolerancesOf(settings_), latinMode_ && latinMode_()}))
        return true;
    const int ks = PracticeSettings::get(settings_.KeySoftness);
    const bool dotFlipped = debounce(dot_, flags_.dotClosed(), now, ks, unit);
    const bool dashFlipped = debounce(dash_, flags_.dashClosed(), now, ks, unit);

    const bool autoKeying = PracticeSettings::get(settings_.Auto) != 0;
    const bool keyed =
        autoKeying ? autoKeyer(now, unit) : dot_.debounced || dash_.debounced;  // one straight key
    // A straight key's edge is dated when its hold ended, which may lie between two samples;
    // never before the last sample, which still saw the old state.
    std::uint32_t edge = now;
    if (!autoKeying && (dotFlipped || dashFlipped)) {
        std::uint32_t age = now - lastSample_;
        for (const auto& [c, flipped] : {std::pair{&dot_, dotFlipped}, {&dash_, dashFlipped}})
            if (flipped)
                age = std::min(age, now - (c->changed + c->hold));
        edge = now - age;
    }
    flags_.setToneKeyDown(keyed, edge + offset_);

    if (keyed && !previousKeyed_) {
        assembler_.keyDown(edge);
    } else if (!keyed) {
        AssemblerSettings s{unit, tolerancesOf(settings_), latinMode_ && latinMode_()};
        if (!previousKeyed_ || assembler_.keyUp(edge, s))
            assembler_.idle(now, s);
    }
    previousKeyed_ = keyed;
    lastSample_ = now;
    coarse_ = !autoKeying && flags_.PlaybackRunning.load(std::memory_order_relaxed) != 0 &&
              flags_.keyboardKeyingEnabled.load(std::memory_order_relaxed) == 0;
    return true;
}

}  // namespace quorvel
