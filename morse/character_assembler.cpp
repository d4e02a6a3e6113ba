#include "morse/character_assembler.h"

#include <algorithm>
#include <cstring>

namespace quorvel {
namespace {

int clampPercent(int v) {
    return std::clamp(v, 0, 100);
}

// (x + y/2) / y in 64 bits.
std::uint64_t roundedQuotient(std::uint64_t x, std::uint64_t y) {
    return (x + y / 2) / y;
}

// A threshold of `factor` thousandths of a unit, widened by up to k thousandths of a unit
// when the key softness is above the middle.
std::uint32_t threshold(std::uint32_t u, std::uint64_t factor, std::uint64_t k, int ks) {
    std::uint64_t ms = std::max<std::uint64_t>(1, roundedQuotient(std::uint64_t{u} * factor, 1000));
    if (ks > 50)
        ms += roundedQuotient(std::uint64_t{u} * static_cast<std::uint64_t>(ks - 50) * k, 50000);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(ms, UINT32_MAX));
}

}  // namespace

std::uint32_t unitForWpm(int wpm) {
    const int w = std::max(1, wpm);
    return static_cast<std::uint32_t>(std::max(1, (1200 + w / 2) / w));
}

std::uint32_t dotDashThreshold(std::uint32_t u, const KeyingTolerances& t) {
    const int je = clampPercent(t.JudgeEase);
    return threshold(u, static_cast<std::uint64_t>(1650 + 7 * je), 450,
                     clampPercent(t.KeySoftness));
}

std::uint32_t characterGapThreshold(std::uint32_t u, const KeyingTolerances& t) {
    const int je = clampPercent(t.JudgeEase);
    const int factor = je <= 50 ? 2250 + 15 * je : 3000 + 18 * (je - 50);
    return threshold(u, static_cast<std::uint64_t>(factor), 900, clampPercent(t.KeySoftness));
}

std::uint32_t wordGapThreshold(std::uint32_t u, const KeyingTolerances& t) {
    const int je = clampPercent(t.JudgeEase);
    const int factor = je <= 50 ? 5500 + 30 * je : 7000 + 40 * (je - 50);
    return threshold(u, static_cast<std::uint64_t>(factor), 1200, clampPercent(t.KeySoftness));
}

std::uint32_t minimumElement(std::uint32_t u, const KeyingTolerances& t) {
    const auto factor = static_cast<std::uint64_t>(260 - clampPercent(t.KeySoftness) * 220 / 100);
    const std::uint64_t ms = (std::uint64_t{u} * factor + 999) / 1000;  // rounded up
    return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(ms, 2, UINT32_MAX));
}

std::uint32_t adaptedUnit(std::string_view code, const ElementDurations& durations, std::uint32_t u,
                          const KeyingTolerances& t) {
    const std::uint64_t unit = std::max<std::uint32_t>(1, u);
    if (code.empty() || code.size() != durations.size())
        return static_cast<std::uint32_t>(unit);
    const auto ct = static_cast<std::uint64_t>(clampPercent(t.CharSpeedTolerance));
    const std::uint64_t s = ct * 75 / 100;
    const std::uint64_t low = std::max<std::uint64_t>(1, (95 - s) * unit / 100);
    const std::uint64_t high = std::max(low, (105 + s) * unit / 100);

    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const std::uint64_t d = durations[i];
        // dash: a unit is a third of it
        sum += std::max<std::uint64_t>(1, code[i] == '-' ? (d + 1) / 3 : d);
    }
    const std::uint64_t n = code.size();
    const std::uint64_t avg = (sum + n / 2) / n;
    if (avg < low || avg > high)
        return static_cast<std::uint32_t>(unit);
    return static_cast<std::uint32_t>(
        std::max<std::uint64_t>(1, ((100 - ct) * unit + ct * avg + 50) / 100));
}

CodeString classifyCharacter(std::string_view code, const ElementDurations& durations,
                             std::uint32_t u, const KeyingTolerances& t) {
    CodeString out(code.size(), '.');
    classifyCharacterInto(code, durations, u, t, out.data());
    return out;
}

void classifyCharacterInto(std::string_view code, const ElementDurations& durations,
                           std::uint32_t u, const KeyingTolerances& t, char* out) {
    if (code.empty() || code.size() != durations.size()) {
        std::copy(code.begin(), code.end(), out);
        return;
    }
    const std::uint32_t a = adaptedUnit(code, durations, u, t);
    const int d = std::clamp(t.ElementTolerance + (clampPercent(t.KeySoftness) - 50) / 2, 0, 100);
    const std::uint64_t ratio = static_cast<std::uint64_t>(std::max(1200, 2500 - 13 * d));

    const auto [minIt, maxIt] = std::minmax_element(durations.begin(), durations.end());
    const std::uint64_t lo = *minIt;
    const std::uint64_t hi = *maxIt;
    std::fill(out, out + code.size(), '.');
    if (durations.size() >= 2 && lo > 0 && hi * 1000 >= ratio * lo) {
        // Both kinds present: split at the midpoint of the shortest and longest element.
        const std::uint64_t mid = lo + (hi - lo) / 2;
        for (std::size_t i = 0; i < durations.size(); ++i)
            if (durations[i] > mid)
                out[i] = '-';
    } else {
        const std::uint32_t boundary = dotDashThreshold(a, t);
        for (std::size_t i = 0; i < durations.size(); ++i)
            if (durations[i] >= boundary)
                out[i] = '-';
    }
}

KeyingEvent KeyingEvent::element(char16_t mark, std::uint32_t duration, std::uint32_t time) {
    KeyingEvent e;
    e.kind = KeyingEventKind::Element;
    e.mark = mark;
    e.duration = duration;
    e.time = time;
    return e;
}

KeyingEvent KeyingEvent::character(std::string_view code, std::uint32_t time) {
    KeyingEvent e;
    e.kind = KeyingEventKind::Character;
    e.time = time;
    const std::size_t n = std::min(code.size(), kMaxEventCode);
    std::memcpy(e.codeText.data(), code.data(), n);
    e.codeText[n] = '\0';
    return e;
}

KeyingEvent KeyingEvent::wordGap(std::uint32_t time) {
    KeyingEvent e;
    e.kind = KeyingEventKind::WordGap;
    e.time = time;
    return e;
}

CharacterAssembler::CharacterAssembler(KeyingEventSink& sink, std::uint32_t startTime)
    : sink_(sink), lastRelease_(startTime) {
    code_.reserve(kMaxElements);
    durations_.reserve(kMaxElements);
}

void CharacterAssembler::keyDown(std::uint32_t now) {
    keyDownStart_ = now;
    elementSinceWordGap_ = true;
    wordGapSent_ = false;
}

bool CharacterAssembler::keyUp(std::uint32_t now, const AssemblerSettings& s) {
    const std::uint32_t d = now - keyDownStart_;  // ms, unsigned tick difference
    lastRelease_ = now;
    if (d < minimumElement(s.unit, s.tolerances))
        return false;
    const bool dot = d < dotDashThreshold(s.unit, s.tolerances);
    if (code_.size() < kMaxElements) {
        code_.push_back(dot ? '.' : '-');
        durations_.push_back(d);
    }
    sink_.post(KeyingEvent::element(dot ? kDotMark : kDashMark, d, now));
    return true;
}

void CharacterAssembler::idle(std::uint32_t now, const AssemblerSettings& s) {
    const std::uint32_t silence = now - lastRelease_;  // ms, unsigned tick difference
    if (!code_.empty() && silence >= characterGapThreshold(s.unit, s.tolerances)) {
        std::array<char, kMaxElements> classified;
        classifyCharacterInto(code_, durations_, s.unit, s.tolerances, classified.data());
        sink_.post(KeyingEvent::character(std::string_view(classified.data(), code_.size()), now));
        code_.clear();
        durations_.clear();
    }
    // The document is asked only once the pause is long enough, and again on every sample
    // while it says no, so a blank is offered at most once and only where the model has one.
    if (s.latinMode && code_.empty() && elementSinceWordGap_ && !wordGapSent_ &&
        silence >= wordGapThreshold(s.unit, s.tolerances) && sink_.spaceExpected()) {
        sink_.post(KeyingEvent::wordGap(now));
        wordGapSent_ = true;
        elementSinceWordGap_ = false;
    }
}

void CharacterAssembler::clear(std::uint32_t now) {
    code_.clear();
    durations_.clear();
    lastRelease_ = now;
}

}  // namespace quorvel
