// Timing steps of the keying decoder: key-down intervals become dots and dashes, silences end
// characters and (Latin) words. Pure state advanced with `now`; events leave through a sink.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "morse/code_tables.h"

namespace quorvel {

// The tolerance sliders as the decoder reads them; every use clamps them to 0..100.
struct KeyingTolerances {
    int JudgeEase = 50;
    int ElementTolerance = 50;
    int KeySoftness = 50;
    int CharSpeedTolerance = 50;
};

// ms per element at a speed: (1200 + WPM/2) / WPM, WPM at least 1, result at least 1.
std::uint32_t unitForWpm(int wpm);

// Thresholds in ms for a unit of u ms.
std::uint32_t dotDashThreshold(std::uint32_t u, const KeyingTolerances& t);
std::uint32_t characterGapThreshold(std::uint32_t u, const KeyingTolerances& t);
std::uint32_t wordGapThreshold(std::uint32_t u, const KeyingTolerances& t);
std::uint32_t minimumElement(std::uint32_t u, const KeyingTolerances& t);

using ElementDurations = std::vector<std::uint32_t>;  // ms, one per element of the code

// The unit the learner actually keyed this character at, when it is near enough to u.
std::uint32_t adaptedUnit(std::string_view code, const ElementDurations& durations, std::uint32_t u,
                          const KeyingTolerances& t);
// Final dots and dashes of a complete character, judged from its own element lengths.
CodeString classifyCharacter(std::string_view code, const ElementDurations& durations,
                             std::uint32_t u, const KeyingTolerances& t);
// The same into out[0, code.size()), allocating nothing.
void classifyCharacterInto(std::string_view code, const ElementDurations& durations,
                           std::uint32_t u, const KeyingTolerances& t, char* out);

enum class KeyingEventKind : int { Element = 1, Character = 2, WordGap = 3 };

inline constexpr char16_t kDotMark = u'・';
inline constexpr char16_t kDashMark = u'ー';
inline constexpr std::size_t kMaxEventCode = 31;  // longer codes are cut

// One record of the keying event queue. Trivially copyable: the ring copies it.
struct KeyingEvent {
    KeyingEventKind kind = KeyingEventKind::Element;
    char16_t mark = 0;                               // element events
    std::uint32_t duration = 0;                      // ms, element events
    std::uint32_t time = 0;                          // tick of posting
    std::array<char, kMaxEventCode + 1> codeText{};  // character events, NUL-terminated
    // The keying generation it was timed in: the consumer drops events of an older one, so
    // a cleared queue stays clear of what the keying thread posted meanwhile.
    std::uint32_t generation = 0;

    std::string_view code() const { return std::string_view(codeText.data()); }

    static KeyingEvent element(char16_t mark, std::uint32_t duration, std::uint32_t time);
    static KeyingEvent character(std::string_view code, std::uint32_t time);
    static KeyingEvent wordGap(std::uint32_t time);
};

// Where the assembler's events go, and the document question it asks before a word gap.
class KeyingEventSink {
  public:
    virtual ~KeyingEventSink() = default;
    virtual void post(const KeyingEvent& event) = 0;
    virtual bool spaceExpected() = 0;
};

// What the assembler reads from the settings, taken afresh on every sample.
struct AssemblerSettings {
    std::uint32_t unit = 80;
    KeyingTolerances tolerances;
    bool latinMode = false;
};

class CharacterAssembler {
  public:
    // Elements of one character that are recorded; its buffers are reserved for them up
    // front, so the keying thread never allocates. A longer run without a gap is no
    // character anyway, and its code is cut to kMaxEventCode in the event.
    static constexpr std::size_t kMaxElements = 64;

    explicit CharacterAssembler(KeyingEventSink& sink, std::uint32_t startTime = 0);

    void keyDown(std::uint32_t now);
    // False when the key-down was shorter than the minimum element and was dropped.
    bool keyUp(std::uint32_t now, const AssemblerSettings& s);
    void idle(std::uint32_t now, const AssemblerSettings& s);
    void clear(std::uint32_t now);

    const CodeString& code() const { return code_; }
    const ElementDurations& durations() const { return durations_; }
    std::uint32_t lastRelease() const { return lastRelease_; }

  private:
    KeyingEventSink& sink_;
    CodeString code_;
    ElementDurations durations_;
    std::uint32_t keyDownStart_ = 0;
    std::uint32_t lastRelease_ = 0;
    bool elementSinceWordGap_ = false;
    bool wordGapSent_ = false;
};

}  // namespace quorvel
