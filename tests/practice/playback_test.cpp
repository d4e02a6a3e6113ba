#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "practice/playback.h"
#include "tests/support/recording_view.h"

namespace quorvel {
namespace {

// One run of equal contact state: closed (and which contact) or open, and its length in ms.
struct ContactRun {
    bool closed;
    bool dash;
    std::uint32_t ms;
};

class PlaybackTest : public ::testing::Test {
  protected:
    PlaybackTest() { document.setView(&view); }

    // Steps the playback 1 ms at a time from tick start and records the contacts at every tick.
    std::vector<ContactRun> play(bool demo = false, std::uint32_t start = 1000,
                                 const std::function<void(std::uint32_t)>& each = {}) {
        Playback playback(settings, flags, document, hooks);
        std::vector<ContactRun> runs;
        std::uint32_t t = start;
        flags.PlaybackRunning = 1;
        playback.begin(t, demo);
        while (true) {
            const bool dot = flags.serialDot.load() != 0;
            const bool dash = flags.serialDash.load() != 0;
            const bool closed = dot || dash;
            if (!runs.empty() && runs.back().closed == closed && runs.back().dash == dash)
                ++runs.back().ms;
            else
                runs.push_back({closed, dash, 1});
            if (each)
                each(t);
            if (!playback.step(++t))
                break;
        }
        return runs;
    }

    // Groups key-down runs into code strings; a key-up of more than 2 units ends a code.
    static std::vector<std::string> codes(const std::vector<ContactRun>& runs, std::uint32_t unit) {
        std::vector<std::string> out;
        std::string current;
        for (const ContactRun& r : runs) {
            if (r.closed) {
                current.push_back(r.dash ? '-' : '.');
            } else if (r.ms > 2 * unit && !current.empty()) {
                out.push_back(current);
                current.clear();
            }
        }
        if (!current.empty())
            out.push_back(current);
        return out;
    }

    using Edges = std::vector<std::pair<std::uint32_t, int>>;  // due tick, kind + 4 × dash
    // Plays two short telegrams at 25 WPM, moving on advance(playback, step number) ticks before
    // each step; gives every edge of the virtual key with its date, and the number of steps.
    std::pair<Edges, int> datedEdges(
        const std::function<std::uint32_t(const Playback&, int)>& advance) {
        settings.WPM = 25;
        document.installSet(
            {{u"ア」", u"", u"", u"", u"", u"カ"}, {u"イ", u"", u"", u"", u"", u""}}, false);
        Playback playback(settings, flags, document, hooks);
        Edges edges;
        auto collect = [&] {
            for (; !flags.keyEdges.empty(); flags.keyEdges.pop()) {
                const KeyEdge e = flags.keyEdges.front();
                edges.emplace_back(e.tick, e.kind + (e.dash ? 4 : 0));
            }
        };
        std::uint32_t t = 1000;
        flags.PlaybackRunning = 1;
        playback.begin(t, false);
        int steps = 0;
        for (;; ++steps) {
            collect();
            t += advance(playback, steps);
            if (!playback.step(t))
                break;
        }
        collect();
        return {edges, steps};
    }

    PracticeSettings settings;
    SharedFlags flags;
    TelegramDocument document{settings, flags};
    test::RecordingView view;
    PlaybackHooks hooks;
};

TEST(PlaybackUnit, FollowsSpeedWithFloorOfTwentyMs) {
    EXPECT_EQ(playbackUnit(5), 240);
    EXPECT_EQ(playbackUnit(15), 80);
    EXPECT_EQ(playbackUnit(35), 34);
    EXPECT_EQ(playbackUnit(40), 30);
    EXPECT_EQ(playbackUnit(0), 80);
    EXPECT_EQ(playbackUnit(100), 20);
}

TEST_F(PlaybackTest, KanaAKeysItsElementsAndCharacterGap) {
    document.installSet({{u"アア", u"", u"", u"", u"", u""}}, false);
    const auto runs = play();
    ASSERT_GE(runs.size(), 10u);
    // "--.--", then the gap to the next character: 1 + 4 + 2 units.
    const std::vector<std::uint32_t> expected = {240, 80, 240, 80, 80, 80, 240, 80, 240, 560, 240};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(runs[i].ms, expected[i]) << "run " << i;
        EXPECT_EQ(runs[i].closed, i % 2 == 0);
    }
    EXPECT_EQ(flags.PlaybackRunning.load(), 0);
    EXPECT_EQ(flags.serialDash.load() + flags.serialDot.load(), 0);
}

TEST_F(PlaybackTest, FilingTimeUsesCutNumeralsAndOtherFieldsFullCodes) {
    document.installSet({{u"1", u"", u"", u"1", u"", u""}}, false);
    const auto c = codes(play(), 80);
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0], ".----");
    EXPECT_EQ(c[1], ".-");
    EXPECT_EQ(c[2], "...-.");  // end of a Japanese telegram
}

TEST_F(PlaybackTest, EmptyFieldCostsFourUnits) {
    document.installSet({{u"ア", u"", u"イ", u"", u"", u""}}, false);
    const auto withEmpty = play();
    document.installSet({{u"ア", u"イ", u"", u"", u"", u""}}, false);
    const auto withoutEmpty = play();
    // Gap after the last element of ア: 1 + 4 + 2 after the character, 4 after each field.
    EXPECT_EQ(withoutEmpty[9].ms, 11u * 80);
    EXPECT_EQ(withEmpty[9].ms, 15u * 80);
}

TEST_F(PlaybackTest, JapaneseTelegramsAreSeparatedByPausesAndTheSeparatorCode) {
    settings.WPM = 40;  // 30 ms units
    document.installSet({{u"イ", u"", u"", u"", u"", u""}, {u"ナ", u"", u"", u"", u"", u""}},
                        false);
    const auto runs = play();
    const auto c = codes(runs, 30);
    const std::vector<std::string> expected = {".-", "...-.", ".-.---", ".-.", "...-."};
    EXPECT_EQ(c, expected);
    // Find the silence after the first VE and after the separator.
    std::vector<std::uint32_t> longGaps;
    for (const ContactRun& r : runs)
        if (!r.closed && r.ms > 1000)
            longGaps.push_back(r.ms);
    ASSERT_EQ(longGaps.size(), 2u);
    EXPECT_EQ(longGaps[0], 5u * 30 + 5000);  // 5 units + 5 s after VE
    EXPECT_EQ(longGaps[1], 5u * 30 + 5000);  // and again after the separator
    EXPECT_EQ(runs.back().ms, 13u * 30);     // after the last VE: 5 + 8 units
}

TEST_F(PlaybackTest, LatinTelegramsStartWithTheLeadInWhileDecodingIsOff) {
    settings.WPM = 40;
    document.switchLanguage(true);
    document.installSet({{u"1", u"", u"", u"", u"A", u"E"}, {u"2", u"", u"", u"", u"B", u"T"}},
                        true);
    std::vector<std::string> leadInCodes;
    bool wasDown = false;
    std::string code;
    const auto runs = play(false, 0, [&](std::uint32_t) {
        const bool down = flags.serialDot.load() || flags.serialDash.load();
        if (down && !wasDown && flags.LeadInActive.load())
            code += flags.serialDash ? '-' : '.';
        wasDown = down;
    });
    const auto c = codes(runs, 30);
    const std::vector<std::string> expected = {
        "....", ".-.",   "....", ".-.", "-.",    ".-.",   ".----", "-...-", ".-", "-...-",
        ".",    ".-.-.", "-.",   ".-.", "..---", "-...-", "-...",  "-...-", "-",  ".-.-."};
    EXPECT_EQ(c, expected);
    EXPECT_EQ(code, std::string("....") + ".-." + "...." + ".-." + "-." + ".-." + "-." + ".-.");
    EXPECT_EQ(flags.LeadInActive.load(), 0);
}

// The window stops the run and starts the next one while a step of the old run is stalled
// inside, past its check that the run goes on: what the old step still does lands nowhere.
TEST_F(PlaybackTest, StepStalledAfterItsCheckWritesNothingIntoTheNextRun) {
    document.switchLanguage(true);
    document.installSet({{u"7", u"", u"", u"", u"A B", u"C"}}, true);
    int next = 0;
    // Asked under the document lock, past the step's own check: the run ends and the next one
    // starts right there (a reset from another thread would wait for the lock).
    hooks.spaceExpected = [&] {
        if (next == 0) {
            flags.PlaybackRunning = 0;
            next = flags.beginPlaybackRun();
        }
        return true;
    };
    play();
    ASSERT_NE(next, 0);
    EXPECT_EQ(document.progress(), TelegramProgress{});
    EXPECT_EQ(flags.PlaybackRunning.load(), next);  // the new run is not ended by the old one
    EXPECT_FALSE(flags.leadInActive());
}

TEST_F(PlaybackTest, PauseInsideADashReleasesAndResumesItsRemainder) {
    document.installSet({{u"ム", u"", u"", u"", u"", u""}}, false);  // one dash
    std::uint32_t pausedAt = 0;
    const auto runs = play(false, 0, [&](std::uint32_t t) {
        // The state seen here is what the last step left; the pause is set for the next one.
        if (flags.PlaybackPaused.load()) {
            EXPECT_EQ(flags.serialDash.load(), 0);
        }
        if (flags.serialDash.load() && pausedAt == 0 && t == 100) {
            flags.PlaybackPaused = 1;
            pausedAt = t;
        }
        if (pausedAt != 0 && t == pausedAt + 500)
            flags.PlaybackPaused = 0;
    });
    std::uint32_t down = 0;
    int segments = 0;
    for (const ContactRun& r : runs)
        if (r.closed)
            down += r.ms, ++segments;
    // The dash of ム plus the dash ending VE ("...-."): 240 + 240 + 80 * 3.
    EXPECT_EQ(segments, 2 + 5);
    EXPECT_EQ(down, 240u + 4 * 80 + 240);
}

TEST_F(PlaybackTest, SpeedChangeTakesEffectAtTheNextElement) {
    document.installSet({{u"ヌ", u"", u"", u"", u"", u""}}, false);  // four dots
    const auto runs = play(false, 0, [&](std::uint32_t t) {
        if (t == 50)
            settings.WPM = 40;
    });
    EXPECT_EQ(runs[0].ms, 80u);  // the dot under way keeps its length
    EXPECT_EQ(runs[1].ms, 30u);
    EXPECT_EQ(runs[2].ms, 30u);
}

TEST_F(PlaybackTest, StopEndsTheRunAndReleasesTheLine) {
    Playback playback(settings, flags, document, hooks);
    flags.PlaybackRunning = 1;
    playback.begin(0, false);
    std::uint32_t t = 0;
    while (!flags.serialDash.load() && !flags.serialDot.load())
        playback.step(++t);
    flags.PlaybackRunning = 0;
    EXPECT_FALSE(playback.step(++t));
    EXPECT_EQ(flags.serialDot.load() + flags.serialDash.load(), 0);
    EXPECT_FALSE(playback.active());
}

TEST_F(PlaybackTest, DemoShowsKeysAndEndsWithItsMessage) {
    document.installSet({{u"イ", u"", u"", u"", u"", u""}}, false);
    flags.DemoMode = 1;
    play(true);
    ASSERT_GE(view.messages.size(), 3u);
    EXPECT_EQ(view.messages[0], u"デモ送信：短点  Jキー / DSR");
    EXPECT_EQ(view.messages[1], u"デモ送信：電鍵を離す");
    EXPECT_EQ(view.messages[2], u"デモ送信：長点  Kキー / CTS");
    EXPECT_EQ(view.lastMessage(), u"デモ送信終了");
    EXPECT_EQ(flags.DemoMode.load(), 0);
}

TEST_F(PlaybackTest, JitterHookSetsElementLengths) {
    document.installSet({{u"イ", u"", u"", u"", u"", u""}}, false);
    hooks.elementLength = [](std::uint32_t nominal, bool dash, std::uint32_t) {
        return dash ? nominal + 7 : nominal - 3;
    };
    const auto runs = play();
    EXPECT_EQ(runs[0].ms, 77u);
    EXPECT_EQ(runs[2].ms, 247u);
}

TEST_F(PlaybackTest, KeepsTheSetItStartedWith) {
    document.installSet({{u"イ", u"", u"", u"", u"", u""}}, false);
    const auto runs = play(false, 0, [&](std::uint32_t t) {
        if (t == 10)
            document.installSet({{u"ヘヘヘ", u"", u"", u"", u"", u""}}, false);
    });
    EXPECT_EQ(codes(runs, 80).front(), ".-");
}

}  // namespace
}  // namespace quorvel

namespace quorvel {
namespace {

// A real-time caller sleeps until the playback next has something to do: the contacts must
// change at the very ticks they change at when stepped every millisecond.
TEST_F(PlaybackTest, SteppingOnlyAtItsNextEventKeepsEveryEdge) {
    const auto [steady, everyMsSteps] = datedEdges([](const Playback&, int) { return 1u; });
    const auto [sparse, sparseSteps] =
        datedEdges([](const Playback& p, int) { return p.ticksToNextEvent(); });
    ASSERT_GT(steady.size(), 20u);
    EXPECT_EQ(sparse, steady);
    EXPECT_LT(sparseSteps * 10, everyMsSteps);  // the point of it: far fewer wake-ups
}

// A caller that wakes late, by a tick or by half a second, or stalls for a while: every edge
// of the virtual key keeps its due tick, so the keying side reads exactly what was planned.
TEST_F(PlaybackTest, LatenessOfAnyLengthKeepsEveryEdgeAtItsDueTick) {
    const auto onTime = datedEdges([](const Playback&, int) { return 1u; }).first;
    ASSERT_GT(onTime.size(), 20u);
    for (std::uint32_t most : {4u, 5u, 50u, 500u}) {
        EXPECT_EQ(datedEdges([most](const Playback& p, int wake) {
                      return p.ticksToNextEvent() + static_cast<std::uint32_t>(wake) % (most + 1);
                  }).first,
                  onTime)
            << "late by up to " << most;
        for (int every : {37, 101, 263})
            EXPECT_EQ(datedEdges([most, every](const Playback&, int call) {
                          return call % every == every - 1 ? most : 1u;
                      }).first,
                      onTime)
                << "stalled " << most << " ms every " << every << " calls";
    }
}

}  // namespace
}  // namespace quorvel
