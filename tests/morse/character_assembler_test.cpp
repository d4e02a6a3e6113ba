#include <gtest/gtest.h>

#include <vector>

#include "morse/character_assembler.h"
#include "tests/support/recording_sink.h"

namespace quorvel {
namespace {

constexpr std::uint32_t kUnit15 = 80;  // ms at 15 WPM

using test::RecordingSink;

// Drives an assembler the way the sampler does: one call per millisecond sample.
class Keyer {
  public:
    explicit Keyer(bool latin = true) {
        settings.unit = kUnit15;
        settings.latinMode = latin;
    }
    void down(std::uint32_t ms) {
        assembler.keyDown(now);
        now += ms;
        if (assembler.keyUp(now, settings))
            assembler.idle(now, settings);
    }
    void up(std::uint32_t ms) {
        for (std::uint32_t i = 0; i < ms; ++i) {
            ++now;
            assembler.idle(now, settings);
        }
    }
    RecordingSink sink;
    AssemblerSettings settings;
    std::uint32_t now = 1000;
    CharacterAssembler assembler{sink, 1000};
};

TEST(KeyingThresholds, UnitFollowsTheSpeed) {
    EXPECT_EQ(unitForWpm(5), 240u);
    EXPECT_EQ(unitForWpm(12), 100u);
    EXPECT_EQ(unitForWpm(15), 80u);
    EXPECT_EQ(unitForWpm(18), 67u);
    EXPECT_EQ(unitForWpm(25), 48u);
    EXPECT_EQ(unitForWpm(40), 30u);
    EXPECT_EQ(unitForWpm(0), 1200u);  // taken as 1 WPM
    EXPECT_EQ(unitForWpm(5000), 1u);  // never below 1 ms
}

TEST(KeyingThresholds, DefaultsAndSofterKeyAt15Wpm) {
    KeyingTolerances t;
    EXPECT_EQ(dotDashThreshold(kUnit15, t), 160u);
    EXPECT_EQ(characterGapThreshold(kUnit15, t), 240u);
    EXPECT_EQ(wordGapThreshold(kUnit15, t), 560u);
    EXPECT_EQ(minimumElement(kUnit15, t), 12u);
    t.KeySoftness = 100;
    EXPECT_EQ(dotDashThreshold(kUnit15, t), 196u);
    EXPECT_EQ(characterGapThreshold(kUnit15, t), 312u);
    EXPECT_EQ(wordGapThreshold(kUnit15, t), 656u);
    EXPECT_EQ(minimumElement(kUnit15, t), 4u);
}

TEST(KeyingThresholds, JudgeEaseEndsAndClamping) {
    KeyingTolerances strict{0, 50, 50, 50};
    KeyingTolerances easy{100, 50, 50, 50};
    EXPECT_EQ(dotDashThreshold(1000, strict), 1650u);
    EXPECT_EQ(characterGapThreshold(1000, strict), 2250u);
    EXPECT_EQ(wordGapThreshold(1000, strict), 5500u);
    EXPECT_EQ(dotDashThreshold(1000, easy), 2350u);
    EXPECT_EQ(characterGapThreshold(1000, easy), 3900u);
    EXPECT_EQ(wordGapThreshold(1000, easy), 9000u);
    // Out-of-range settings act as their nearest end.
    KeyingTolerances wild{-40, 50, 250, 50};
    EXPECT_EQ(dotDashThreshold(1000, wild), 1650u + 450u);
    // Tiny units never give a zero threshold, and the minimum element never drops below 2 ms.
    EXPECT_EQ(dotDashThreshold(0, KeyingTolerances{}), 1u);
    EXPECT_EQ(minimumElement(1, KeyingTolerances{50, 50, 100, 50}), 2u);
}

TEST(KeyingClassify, MixedCharacterSplitsAtTheMidpoint) {
    KeyingTolerances t;
    EXPECT_EQ(classifyCharacter("-.-", {300, 100, 300}, kUnit15, t), "-.-");
    // All short and of similar length: the unit adapts to 90 and 180 ms is the boundary.
    EXPECT_EQ(adaptedUnit("...", {100, 110, 90}, kUnit15, t), 90u);
    EXPECT_EQ(classifyCharacter("...", {100, 110, 90}, kUnit15, t), "...");
    // A lone element is judged against the boundary of its own adapted unit.
    EXPECT_EQ(classifyCharacter("-", {240}, kUnit15, t), "-");
    // The assembler's first guess is corrected by the character's own rhythm.
    EXPECT_EQ(classifyCharacter(".-", {84, 244}, kUnit15, t), ".-");
    EXPECT_EQ(classifyCharacter("..", {150, 300}, kUnit15, t), ".-");
}

TEST(KeyingClassify, AdaptedUnitBandAndWeight) {
    KeyingTolerances none{50, 50, 50, 0};
    EXPECT_EQ(adaptedUnit(".", {84}, kUnit15, none), 80u);  // weight 0: nominal wins
    KeyingTolerances full{50, 50, 50, 100};
    EXPECT_EQ(adaptedUnit(".", {100}, kUnit15, full), 100u);
    EXPECT_EQ(adaptedUnit(".", {150}, kUnit15, full), 80u);  // beyond 180 % (144 ms)
    KeyingTolerances mid;
    EXPECT_EQ(adaptedUnit(".", {200}, kUnit15, mid), 80u);  // outside 58-142 %
    EXPECT_EQ(adaptedUnit("", {}, 0, mid), 1u);
    EXPECT_EQ(adaptedUnit("..", {80}, kUnit15, mid), 80u);  // lengths disagree
    EXPECT_EQ(classifyCharacter("..", {80}, kUnit15, mid), "..");
}

TEST(KeyingEvents, LongCodeIsCutTo31) {
    const std::string code(40, '.');
    KeyingEvent e = KeyingEvent::character(code, 7);
    EXPECT_EQ(e.code().size(), 31u);
    EXPECT_EQ(e.time, 7u);
    EXPECT_EQ(KeyingEvent::character("-.-", 1).code(), "-.-");
}

TEST(CharacterAssemblerTest, DotDashBoundaryAt15Wpm) {
    Keyer k;
    k.down(159);
    k.up(300);
    k.down(160);
    k.up(300);
    ASSERT_EQ(k.sink.count(KeyingEventKind::Element), 2);
    EXPECT_EQ(k.sink.events[0].mark, kDotMark);
    EXPECT_EQ(k.sink.events[0].duration, 159u);
    EXPECT_EQ(k.sink.characters(), (std::vector<std::string>{".", "-"}));
}

TEST(CharacterAssemblerTest, CharacterGapBoundaryAt15Wpm) {
    Keyer k;
    k.down(80);
    k.up(239);
    EXPECT_TRUE(k.sink.characters().empty());
    EXPECT_EQ(k.assembler.code(), ".");
    k.up(1);
    EXPECT_EQ(k.sink.characters(), (std::vector<std::string>{"."}));
    EXPECT_EQ(k.sink.events.back().time, k.now);
    EXPECT_TRUE(k.assembler.code().empty());
}

TEST(CharacterAssemblerTest, ShortFragmentIsDroppedAndGapRestartsAtItsRelease) {
    Keyer k;
    k.down(80);
    k.up(200);   // 200 ms of a 240 ms gap
    k.down(11);  // a fragment below the 12 ms minimum
    k.up(200);   // 411 ms since the dot, but only 200 since the fragment
    EXPECT_TRUE(k.sink.characters().empty());
    EXPECT_EQ(k.sink.count(KeyingEventKind::Element), 1);
    k.up(40);
    EXPECT_EQ(k.sink.characters(), (std::vector<std::string>{"."}));
}

TEST(CharacterAssemblerTest, KeyingAWithLearnerTiming) {
    Keyer k;
    k.down(84);
    k.up(80);
    k.down(244);
    EXPECT_EQ(k.sink.events[0].mark, kDotMark);
    EXPECT_EQ(k.sink.events[1].mark, kDashMark);
    EXPECT_EQ(k.sink.events[1].duration, 244u);
    k.up(239);
    EXPECT_TRUE(k.sink.characters().empty());
    k.up(1);
    EXPECT_EQ(k.sink.characters(), (std::vector<std::string>{".-"}));
}

TEST(CharacterAssemblerTest, WordGapOnlyWhereTheModelHasABlank) {
    Keyer k;
    k.down(80);
    k.up(1000);
    EXPECT_EQ(k.sink.count(KeyingEventKind::WordGap), 0);
    EXPECT_GT(k.sink.spaceQuestions, 0);  // asked again on every sample while it says no

    k.sink.space = true;  // the model now has a blank at the cursor
    k.up(1);
    EXPECT_EQ(k.sink.count(KeyingEventKind::WordGap), 1);
    k.up(2000);  // offered once per pause
    EXPECT_EQ(k.sink.count(KeyingEventKind::WordGap), 1);

    k.down(80);
    k.up(559);
    EXPECT_EQ(k.sink.count(KeyingEventKind::WordGap), 1);
    k.up(1);
    EXPECT_EQ(k.sink.count(KeyingEventKind::WordGap), 2);
}

TEST(CharacterAssemblerTest, NoWordGapBeforeAnyKeyingOrInJapanese) {
    Keyer idleOnly;
    idleOnly.sink.space = true;
    idleOnly.up(2000);
    EXPECT_TRUE(idleOnly.sink.events.empty());

    Keyer japanese(false);
    japanese.sink.space = true;
    japanese.down(80);
    japanese.up(3000);
    EXPECT_EQ(japanese.sink.count(KeyingEventKind::WordGap), 0);
    EXPECT_EQ(japanese.sink.spaceQuestions, 0);
}

TEST(CharacterAssemblerTest, ClearDropsTheCharacterInProgress) {
    Keyer k;
    k.down(80);
    k.up(80);
    k.assembler.clear(k.now);
    k.up(500);
    EXPECT_TRUE(k.sink.characters().empty());
    k.down(240);
    k.up(240);
    EXPECT_EQ(k.sink.characters(), (std::vector<std::string>{"-"}));
}

TEST(CharacterAssemblerTest, TickWrapAround) {
    Keyer k;
    k.now = 0xFFFFFFF0u;
    k.assembler.clear(k.now);
    k.down(100);  // crosses zero
    k.up(240);
    EXPECT_EQ(k.sink.events[0].duration, 100u);
    EXPECT_EQ(k.sink.characters(), (std::vector<std::string>{"."}));
}

}  // namespace
}  // namespace quorvel
