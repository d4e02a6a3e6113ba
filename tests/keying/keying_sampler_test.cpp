#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keying/keying_sampler.h"
#include "tests/support/recording_sink.h"

namespace quorvel {
namespace {

using Sink = test::RecordingSink;

class SamplerTest : public ::testing::Test {
  protected:
    // Holds the contacts for ms samples; records the tone of each sample.
    void hold(bool dot, bool dash, std::uint32_t ms) {
        flags.keyboardDot.store(dot ? 1 : 0);
        flags.serialDash.store(dash ? 1 : 0);
        for (std::uint32_t i = 0; i < ms; ++i) {
            sampler.step(++now);
            tone.push_back(flags.ToneKeyDown.load() != 0);
        }
    }
    void key(std::uint32_t ms) { hold(true, false, ms); }
    void open(std::uint32_t ms) { hold(false, false, ms); }
    // Lengths of the tone's on and off runs, starting with the first on.
    std::vector<std::uint32_t> toneRuns() const {
        std::vector<std::uint32_t> runs;
        std::size_t i = 0;
        while (i < tone.size() && !tone[i])
            ++i;
        while (i < tone.size()) {
            const bool v = tone[i];
            std::uint32_t n = 0;
            while (i < tone.size() && tone[i] == v)
                ++i, ++n;
            runs.push_back(n);
        }
        return runs;
    }

    PracticeSettings settings;
    SharedFlags flags;
    Sink sink;
    std::uint32_t now = 5000;
    KeyingSampler sampler{settings, flags, sink, [] { return true; }, 5000};
    std::vector<bool> tone;
};

TEST(HoldTimes, FollowKeySoftnessAndUnit) {
    EXPECT_EQ(closingHoldTime(50, 80), 5u);
    EXPECT_EQ(openingHoldTime(50, 80), 9u);
    EXPECT_EQ(closingHoldTime(0, 80), 8u);
    EXPECT_EQ(openingHoldTime(0, 80), 3u);
    EXPECT_EQ(closingHoldTime(100, 80), 2u);
    EXPECT_EQ(openingHoldTime(100, 80), 15u);
    EXPECT_EQ(closingHoldTime(0, 30), 6u);     // a fifth of the unit at 40 WPM
    EXPECT_EQ(openingHoldTime(100, 30), 10u);  // a third
    EXPECT_EQ(closingHoldTime(0, 2), 1u);      // never below 1 ms
}

TEST_F(SamplerTest, CleanKeyDownIsTimedWithTheHoldTimes) {
    open(50);
    key(80);
    open(400);
    ASSERT_EQ(sink.elements(), (std::vector<std::uint32_t>{84}));  // 80 - 5 + 9
    EXPECT_EQ(sink.characters(), (std::vector<std::string>{"."}));
    EXPECT_EQ(toneRuns().front(), 84u);
}

TEST_F(SamplerTest, ThreeMillisecondBounceDoesNotSplitAnElement) {
    open(50);
    key(100);
    open(3);  // contact bounce inside the key-down
    key(140);
    open(400);
    EXPECT_EQ(sink.elements(), (std::vector<std::uint32_t>{247}));
    EXPECT_EQ(sink.characters(), (std::vector<std::string>{"-"}));
}

TEST_F(SamplerTest, ClosureShorterThanTheHoldTimeIsIgnored) {
    open(50);
    key(4);
    open(400);
    EXPECT_TRUE(sink.events.empty());
    EXPECT_EQ(std::count(tone.begin(), tone.end(), true), 0);
}

TEST_F(SamplerTest, BothContactsWithoutAutoAreOneStraightKey) {
    open(20);
    hold(true, false, 100);
    hold(true, true, 100);
    hold(false, true, 100);
    open(400);
    EXPECT_EQ(sink.elements(), (std::vector<std::uint32_t>{304}));
}

TEST_F(SamplerTest, AutoKeyerHeldDotGivesEvenDots) {
    settings.Auto.store(1);
    open(20);
    key(5 + 80 * 8 - 40);  // the tone starts 5 ms after the closure (debounce)
    open(400);
    const auto runs = toneRuns();
    ASSERT_GE(runs.size(), 7u);
    for (std::size_t i = 0; i < 7; ++i)
        EXPECT_EQ(runs[i], 80u) << "run " << i;
    EXPECT_EQ(sink.characters(), (std::vector<std::string>{"...."}));
}

TEST_F(SamplerTest, AutoKeyerReleaseCutsTheElementShort) {
    settings.Auto.store(1);
    open(20);
    key(5 + 80 * 8 + 30);  // released 30 ms into the fifth dot
    open(20);
    const auto runs = toneRuns();
    ASSERT_EQ(runs.size(), 10u);
    EXPECT_EQ(runs[7], 80u);
    EXPECT_EQ(runs[8], 39u);  // ends as soon as the opening is debounced (9 ms)
}

TEST_F(SamplerTest, AutoKeyerHeldDashRhythm) {
    settings.Auto.store(1);
    open(20);
    hold(false, true, 5 + 240 + 80 + 240 + 40);
    auto runs = toneRuns();
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0], 240u);
    EXPECT_EQ(runs[1], 80u);
    EXPECT_EQ(runs[2], 240u);
}

TEST_F(SamplerTest, AutoKeyerDotPressedDuringADash) {
    settings.Auto.store(1);
    open(20);
    hold(false, true, 105);  // 100 ms of dash sounded
    tone.clear();
    hold(true, true, 200);
    const auto runs = toneRuns();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0], 5u + 80u);  // the dash goes on until the dot is debounced, then a dot
    EXPECT_EQ(runs[1], 80u);
}

// The gap of a pause is not a character gap: a dash cut by a 10 s pause is finished after the
// resume and read with the rest of its character.
TEST_F(SamplerTest, PauseFreezesTheCharacterInProgressAndSilences) {
    open(20);
    key(80);
    open(80);
    key(100);  // held while the pause comes
    flags.PlaybackPaused.store(1);
    open(10000);
    EXPECT_EQ(flags.ToneKeyDown.load(), 0);
    key(100);  // contacts are ignored while paused
    EXPECT_EQ(flags.ToneKeyDown.load(), 0);
    EXPECT_TRUE(sink.characters().empty());
    flags.PlaybackPaused.store(0);
    key(140);  // the rest of the dash
    EXPECT_EQ(flags.ToneKeyDown.load(), 1);
    open(300);
    EXPECT_EQ(sink.characters(), (std::vector<std::string>{".-"}));
    EXPECT_EQ(sink.elements().back(), 244u);  // 240 keyed, +4 of the debounce holds
}

// A stop clears the queue: the character it cut is never posted, and one timed before the
// clear but posted after it carries the old generation.
TEST_F(SamplerTest, ClearedQueueCutsTheCharacterInProgress) {
    open(20);
    key(80);
    open(80);
    key(100);
    flags.keyingGeneration.fetch_add(1);
    open(500);
    EXPECT_TRUE(sink.characters().empty());
    EXPECT_EQ(flags.ToneKeyDown.load(), 0);
    key(80);
    open(300);
    ASSERT_EQ(sink.characters(), (std::vector<std::string>{"."}));
    EXPECT_EQ(sink.events.back().generation, 1u);
    EXPECT_EQ(sink.events.front().generation, 0u);
}

TEST_F(SamplerTest, SpeedChangeTakesEffectAtTheNextSample) {
    open(20);
    settings.WPM.store(30);  // 40 ms unit: 80 ms boundary
    key(100);
    open(300);
    EXPECT_EQ(sink.characters(), (std::vector<std::string>{"-"}));
}

// While only a playback moves the contacts, the sampler may run every 2 ms: each change
// carries its tick, so edges and element lengths come out as with a sample every millisecond.
TEST(SamplerDatedContacts, SamplingEveryTwoMillisecondsKeepsEveryEdgeTick) {
    struct Change {
        std::uint32_t tick;
        bool dash;
        bool closed;
    };
    // Odd and even ticks, a dot, a dash and a character gap; the holds are 5 and 9 ms.
    const std::vector<Change> script{{5003, false, true}, {5083, false, false},
                                     {5162, true, true},  {5402, true, false},
                                     {5641, false, true}, {5722, false, false}};
    struct Result {
        std::vector<std::pair<std::uint32_t, bool>> edges;
        std::vector<std::uint32_t> elements;
        std::vector<std::string> characters;
        int samples = 0;
    };
    // lateBy: how long after its date the writer sets a closing and an opening.
    auto run = [&](bool everyMs, std::uint32_t closingLate = 0, std::uint32_t openingLate = 0) {
        PracticeSettings settings;
        SharedFlags flags;
        Sink sink;
        flags.PlaybackRunning.store(1);
        KeyingSampler sampler{settings, flags, sink, [] { return true; }, 5000};
        Result r;
        std::size_t next = 0;
        for (std::uint32_t t = 5000; t < 6400;) {
            // The writer's changes up to this tick, each dated with its own.
            for (; next < script.size() &&
                   script[next].tick + (script[next].closed ? closingLate : openingLate) <= t;
                 ++next) {
                const Change& c = script[next];
                flags.setSerialContact(c.dash ? flags.serialDash : flags.serialDot, c.closed,
                                       c.tick);
            }
            sampler.step(t);
            ++r.samples;
            t += everyMs ? 1 : sampler.ticksToNextSample();
        }
        for (; !flags.toneEdges.empty(); flags.toneEdges.pop())
            r.edges.emplace_back(flags.toneEdges.front().tick, flags.toneEdges.front().down);
        r.elements = sink.elements();
        r.characters = sink.characters();
        return r;
    };
    const Result steady = run(true);
    const Result coarse = run(false);
    ASSERT_EQ(steady.edges.size(), 6u);
    EXPECT_EQ(steady.edges.front(), (std::pair<std::uint32_t, bool>{5008, true}));
    EXPECT_EQ(coarse.edges, steady.edges);
    EXPECT_EQ(coarse.elements, (std::vector<std::uint32_t>{84, 244, 85}));
    EXPECT_EQ(coarse.elements, steady.elements);
    EXPECT_EQ(coarse.characters, steady.characters);
    EXPECT_LT(coarse.samples * 10, steady.samples * 6);  // the point: far fewer wake-ups

    // A writer late by less than the hold (a stalled playback making it up) changes nothing.
    const Result late = run(false, 4, 8);
    EXPECT_EQ(late.edges, steady.edges);
    EXPECT_EQ(late.elements, steady.elements);
}

// A keying thread woken by a playback's start may first sample after the first element began.
TEST_F(SamplerTest, AChangeDatedJustBeforeARestartKeepsItsDate) {
    auto firstEdge = [&](std::uint32_t datedAgo) {
        open(50);
        while (!flags.toneEdges.empty())
            flags.toneEdges.pop();
        flags.setSerialContact(flags.serialDot, true, now - datedAgo);
        sampler.restart(now);
        open(20);  // the serial dot stays closed
        const std::uint32_t restarted = now - 20;
        flags.setSerialContact(flags.serialDot, false, now);
        open(300);
        return flags.toneEdges.front().tick - restarted;
    };
    EXPECT_EQ(firstEdge(3), 2u);   // dated 3 ms before the restart, held 5
    EXPECT_EQ(firstEdge(30), 6u);  // too old to be this change's: from the first sample
}

// A playback clears the queue as it begins, so the keying thread restarts after the run's first
// edge was dated; the first element still starts at its date, as every later one does.
TEST_F(SamplerTest, ARunsFirstEdgeKeepsItsDateThoughTheSamplerRestartedAfterIt) {
    open(50);
    const std::uint32_t begun = now + 1;
    const int run = flags.beginPlaybackRun();
    flags.keyingGeneration.fetch_add(1);
    open(3);  // sampled and restarted before the playback thread pushed anything
    flags.keyEdges.push({begun, run, KeyEdge::Down, false});
    flags.keyEdges.push({begun + 30, run, KeyEdge::Up, false});
    flags.keyEdges.publishHorizon(begun + 400);
    open(400);
    std::vector<std::pair<std::uint32_t, bool>> edges;
    for (; !flags.toneEdges.empty(); flags.toneEdges.pop())
        edges.emplace_back(flags.toneEdges.front().tick, flags.toneEdges.front().down);
    EXPECT_EQ(edges,
              (std::vector<std::pair<std::uint32_t, bool>>{{begun, true}, {begun + 30, false}}));
    EXPECT_EQ(sink.elements(), (std::vector<std::uint32_t>{30}));
    EXPECT_EQ(sink.characters(), (std::vector<std::string>{"."}));
}

TEST_F(SamplerTest, HandKeyingSamplesEveryMillisecondAndIgnoresAnOldDate) {
    flags.PlaybackRunning.store(1);
    flags.setSerialContact(flags.serialDot, true, now + 1);
    open(30);                                    // the serial dot stays closed
    EXPECT_EQ(sampler.ticksToNextSample(), 2u);  // only a dated contact moves
    flags.setSerialContact(flags.serialDot, false, now + 1);
    open(400);
    while (!flags.toneEdges.empty())
        flags.toneEdges.pop();
    // The keyboard dates nothing: its change counts from the sample that saw it, not from
    // the serial line's older date.
    flags.keyboardKeyingEnabled.store(1);
    open(1);
    EXPECT_EQ(sampler.ticksToNextSample(), 1u);
    const std::uint32_t pressed = now + 1;
    key(20);
    ASSERT_FALSE(flags.toneEdges.empty());
    EXPECT_EQ(flags.toneEdges.front().tick, pressed + 5);
}

}  // namespace
}  // namespace quorvel
