#include "keying/keying_sampler.h"

#include <algorithm>

namespace quorvel {
namespace {

int clampPercent(int v) {
    return std::clamp(v, 0, 100);
}

KeyingTolerances tolerancesOf(const PracticeSettings& s) {
    return {PracticeSettings::get(s.JudgeEase), PracticeSettings::get(s.ElementTolerance),
            PracticeSettings::get(s.KeySoftness), PracticeSettings::get(s.CharSpeedTolerance)};
}

}  // namespace

std::uint32_t closingHoldTime(int keySoftness, std::uint32_t unit) {
    const auto ms = static_cast<std::uint32_t>(8 - clampPercent(keySoftness) * 6 / 100);
    return std::max<std::uint32_t>(1, std::min(ms, unit / 5));
}

std::uint32_t openingHoldTime(int keySoftness, std::uint32_t unit) {
    const auto ms = static_cast<std::uint32_t>(3 + clampPercent(keySoftness) * 12 / 100);
    return std::max<std::uint32_t>(1, std::min(ms, unit / 3));
}

KeyingSampler::KeyingSampler(const PracticeSettings& settings, SharedFlags& flags,
                             KeyingEventSink& sink, std::function<bool()> latinMode,
                             std::uint32_t startTime)
    : settings_(settings),
      flags_(flags),
      latinMode_(std::move(latinMode)),
      assembler_(sink, startTime) {
    dot_.changed = startTime;
    dash_.changed = startTime;
    phaseStart_ = startTime;
}

void KeyingSampler::restart(std::uint32_t now) {
    dot_ = Contact{false, false, now};
    dash_ = Contact{false, false, now};
    previousKeyed_ = false;
    keyerOn_ = false;
    keyerDot_ = keyerDash_ = false;
    assembler_.clear(now);
}

void KeyingSampler::debounce(Contact& c, bool raw, std::uint32_t now, int ks, std::uint32_t unit) {
    if (raw != c.raw) {
        c.raw = raw;
        c.changed = now;
    }
    const std::uint32_t hold = raw ? closingHoldTime(ks, unit) : openingHoldTime(ks, unit);
    if (c.debounced != raw && now - c.changed >= hold)
        c.debounced = raw;  // unsigned ms
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

bool KeyingSampler::step(std::uint32_t now) {
    if (flags_.PlaybackPaused.load(std::memory_order_relaxed) != 0) {
        flags_.setToneKeyDown(false, now);
        restart(now);
        return false;
    }
    const std::uint32_t unit = unitForWpm(PracticeSettings::get(settings_.WPM));
    const int ks = PracticeSettings::get(settings_.KeySoftness);
    debounce(dot_, flags_.dotClosed(), now, ks, unit);
    debounce(dash_, flags_.dashClosed(), now, ks, unit);

    const bool keyed = PracticeSettings::get(settings_.Auto) != 0
                           ? autoKeyer(now, unit)
                           : dot_.debounced || dash_.debounced;  // one straight key
    flags_.setToneKeyDown(keyed, now);

    if (keyed && !previousKeyed_) {
        assembler_.keyDown(now);
    } else if (!keyed) {
        AssemblerSettings s{unit, tolerancesOf(settings_), latinMode_ && latinMode_()};
        if (!previousKeyed_ || assembler_.keyUp(now, s))
            assembler_.idle(now, s);
    }
    previousKeyed_ = keyed;
    return true;
}

}  // namespace quorvel
