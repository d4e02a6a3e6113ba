#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "keying/keying_engine.h"
#include "keying/timing_script.h"
#include "morse/code_tables.h"
#include "tests/keying/keying_fixture.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;

// Codes of a telegram as a sender keys it; "" stands for a word space.
std::vector<std::string> telegramCodes(const TelegramRecord& r, bool latin) {
    std::vector<std::string> codes;
    auto field = [&](const std::u16string& text, bool cut) {
        for (char16_t c : toPracticeForm(text, latin)) {
            if (c == u' ') {
                codes.emplace_back();
                continue;
            }
            auto code = cut ? cutNumeralCode(c) : std::nullopt;
            if (!code)
                code = codeFor(c, latin);
            if (code)
                codes.push_back(*code);
        }
    };
    if (latin) {
        field(r.preamble, false);
        codes.emplace_back(kSignalBT);
        field(r.address, false);
        codes.emplace_back(kSignalBT);
        field(r.text, false);
        codes.emplace_back(kSignalAR);
    } else {
        for (int s = 0; s < kSectionCount; ++s)
            field(r.field(s), s == FilingTime);
        codes.emplace_back(kSignalVE);
    }
    return codes;
}

// Straight-key timing: elements of 1 and 3 units, gaps of 1, charGap and 7 units.
TimingScript scriptFor(const std::vector<std::string>& codes, std::uint32_t unit,
                       std::uint32_t charGapUnits = 3) {
    TimingScript s;
    for (const std::string& code : codes) {
        if (code.empty()) {
            s.push_back({false, false, unit * (7 - charGapUnits)});
            continue;
        }
        for (std::size_t i = 0; i < code.size(); ++i) {
            s.push_back({true, false, code[i] == '-' ? 3 * unit : unit});
            s.push_back({false, false, i + 1 < code.size() ? unit : unit * charGapUnits});
        }
    }
    return s;
}

class KeyingEngineTest : public ::testing::Test, protected test::DocumentFixture {
  protected:
    void play(const TimingScript& script) { now = playTimingScript(engine, flags, script, now); }

    std::uint32_t now = 100;
    KeyingEngine engine{settings, flags, document};
};

TEST_F(KeyingEngineTest, SimulatedRunOfTheLatinSampleMatchesTheModel) {
    document.switchLanguage(true);
    engine.restartTiming(now);
    const TelegramRecord first = builtInSamples(true)[0];
    // Four-unit character gaps: the debounce shortens a measured gap by 4 ms, so a gap of
    // exactly three units (236 ms measured) stays below the 240 ms threshold.
    play(scriptFor(telegramCodes(first, true), 80, 4));
    play({{false, false, 1000}});
    ASSERT_EQ(view.results.size(), 1u);
    const TelegramProgress p = document.savedProgress(0);
    EXPECT_EQ(p.sections[Preamble].enteredText, first.preamble);
    EXPECT_EQ(p.sections[Address].enteredText, first.address);
    EXPECT_EQ(p.sections[Text].enteredText, first.text);
    EXPECT_EQ(p.sections[Text].judgementMarks.find(u'0'), std::u16string::npos);
    EXPECT_EQ(document.telegramNumber(), 2);
    EXPECT_FALSE(scoring.elements.empty());
}

TEST_F(KeyingEngineTest, SimulatedRunOfBothJapaneseSamplesFinishesTheSet) {
    engine.restartTiming(now);
    settings.WPM.store(25);
    for (const TelegramRecord& r : builtInSamples(false)) {
        play(scriptFor(telegramCodes(r, false), unitForWpm(25), 4));  // a careful learner's gaps
        play({{false, false, 1000}});
    }
    ASSERT_EQ(view.results.size(), 2u);
    EXPECT_TRUE(document.telegramFinished());
    EXPECT_EQ(scoring.finishedSets, 1);
    for (int i = 0; i < 2; ++i) {
        const TelegramRecord& r = builtInSamples(false)[static_cast<std::size_t>(i)];
        const TelegramProgress p = document.savedProgress(i);
        EXPECT_EQ(p.sections[FilingTime].enteredText, toPracticeForm(r.filingTime, false));
        EXPECT_EQ(p.sections[Text].enteredText, toPracticeForm(r.text, false));
        EXPECT_EQ(p.sections[Text].judgementMarks.find(u'0'), std::u16string::npos);
    }
}

TEST_F(KeyingEngineTest, ThreeHundredEventsWhileTheConsumerIsBlockedKeepTheNewest) {
    for (std::uint32_t i = 0; i < 300; ++i)
        engine.queue().post(KeyingEvent::element(kDotMark, i, i));
    EXPECT_EQ(engine.drain(), 255u);
    ASSERT_EQ(scoring.elements.size(), 255u);
    EXPECT_EQ(scoring.elements.front(), 45u);
    EXPECT_EQ(scoring.elements.back(), 299u);
}

// Keys codes on the keyboard contacts in real time at 20 WPM (60 ms unit), with wide gaps so a
// loaded machine's late wake-ups cannot merge or split characters.
void keyRealTime(SharedFlags& flags, const std::vector<std::string>& codes) {
    const auto unit = 60ms;
    for (const std::string& code : codes) {
        if (code.empty()) {
            std::this_thread::sleep_for(unit * 6);
            continue;
        }
        for (char e : code) {
            flags.keyboardDot.store(1);
            std::this_thread::sleep_for(e == '-' ? unit * 3 : unit);
            flags.keyboardDot.store(0);
            std::this_thread::sleep_for(unit);
        }
        std::this_thread::sleep_for(unit * 4);
    }
}

bool waitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

TEST_F(KeyingEngineTest, RealThreadsDecodeLatinAndJapaneseKeying) {
    settings.WPM.store(20);
    flags.keyboardKeyingEnabled.store(1);  // as the keyboard key source does
    document.installSet({latin(u"CQ DE", u"A", u"B")}, true);
    ASSERT_TRUE(engine.start());
    EXPECT_TRUE(engine.start());   // already running
    EXPECT_FALSE(engine.step(0));  // simulated steps are refused meanwhile
    keyRealTime(flags, {"-.-.", "--.-", "", "-..", "."});
    EXPECT_TRUE(waitFor([&] { return entered(Preamble) == u"CQ DE"; })) << entered(Preamble).size();

    document.switchLanguage(false);
    document.installSet({{u"イロハ", u"ア", u"二", u"セ一", u"イ」", u"ア"}}, false);
    keyRealTime(flags, {".-", ".-.-", "-..."});
    EXPECT_TRUE(waitFor([&] { return entered(Preamble) == u"イロハ"; }));

    const auto before = std::chrono::steady_clock::now();
    engine.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1500ms);
    EXPECT_FALSE(engine.running());
    EXPECT_EQ(flags.ToneKeyDown.load(), 0);
}

TEST_F(KeyingEngineTest, StopWhileKeyedLeavesTheToneOffAndRestarts) {
    flags.keyboardKeyingEnabled.store(1);
    ASSERT_TRUE(engine.start());
    flags.keyboardDash.store(1);
    EXPECT_TRUE(waitFor([&] { return flags.ToneKeyDown.load() == 1; }));
    engine.stop();
    EXPECT_EQ(flags.ToneKeyDown.load(), 0);
    flags.keyboardDash.store(0);
    ASSERT_TRUE(engine.start());  // a second set of threads on the same engine
    engine.stop();
}

// A Latin pause past the word-gap threshold, where the sampler asks the document on every
// sample, while another thread holds the document lock: the sampler must not wait for it.
TEST_F(KeyingEngineTest, ToneSoundsWhileAnotherThreadHoldsTheDocumentLock) {
    settings.WPM.store(20);
    settings.KeySoftness.store(100);  // shortest closing hold: 2 ms
    // No blank after the "E": the sampler asks again on every sample of the pause.
    document.installSet({latin(u"EA", u"A", u"B")}, true);
    engine.restartTiming(now);
    play({{true, false, 60}, {false, false, 600}});  // "E", then a long pause
    ASSERT_EQ(entered(Preamble), u"E");

    // Scoring runs under the document lock: a scorer that waits keeps it held.
    struct HoldingScoring : ScoringSink {
        std::promise<void> held;
        std::promise<void> release;
        void scoreCharacter(char16_t, char16_t, bool) override {
            held.set_value();
            release.get_future().wait();
        }
        void showJudgement(char16_t, char16_t, bool) override {}
        void resetScores() override {}
        void clearTelegramScore() override {}
    } holding;
    std::promise<void>& held = holding.held;
    std::promise<void>& release = holding.release;
    document.setScoring(&holding);
    std::thread holder([&] { document.enterCharacter(u'A'); });
    held.get_future().wait();
    flags.keyboardDot.store(1);
    auto keyed = std::async(std::launch::async, [&] {
        for (std::uint32_t t = 0; t <= 2; ++t)
            engine.step(now + t);
        return flags.ToneKeyDown.load();
    });
    const bool done = keyed.wait_for(10s) == std::future_status::ready;  // hang guard
    release.set_value();
    holder.join();
    ASSERT_TRUE(done) << "the sampler waited for the document lock";
    EXPECT_EQ(keyed.get(), 1);  // sounding 2 ms after the press
}

// With nothing to sample the keying thread sleeps, and wakes at once when keying starts.
TEST_F(KeyingEngineTest, IdleKeyingThreadWakesWhenKeyingStarts) {
    ASSERT_TRUE(engine.start());
    // Past the grace period the thread waits on the wake; a press now only sounds after a
    // notice (or the long timeout, which the deadline below would not tell apart, so the
    // wait for the idle state comes first).
    EXPECT_TRUE(waitFor([&] { return engine.keyingThreadIdle(); }));
    flags.keyboardKeyingEnabled.store(1);
    flags.keyingWake.notify();
    EXPECT_TRUE(waitFor([&] { return !engine.keyingThreadIdle(); }));
    flags.keyboardDash.store(1);
    EXPECT_TRUE(waitFor([&] { return flags.ToneKeyDown.load() == 1; }));
    flags.keyboardDash.store(0);
    engine.stop();  // wakes a sleeping thread too
    EXPECT_FALSE(engine.running());
}

// Scoring that stalls the consumer inside an element report until the test lets it go.
struct StallingScoring : test::RecordingScoring {
    std::atomic<bool> entered{false};
    std::promise<void> released;
    std::shared_future<void> release = released.get_future().share();
    void reportElement(char16_t, std::uint32_t, std::uint32_t) override {
        entered.store(true);
        release.wait();
    }
};

// A consumer stuck in the document past the stop's budget: the stop says so and returns, the
// engine keeps the thread (it works on the document) and a later stop joins it.
TEST_F(KeyingEngineTest, StopGivesUpOnAStalledConsumerWithinItsBudget) {
    StallingScoring stalling;
    document.setScoring(&stalling);
    struct Release {  // whatever happens, the consumer is let go before the engine is destroyed
        StallingScoring& s;
        ~Release() {
            if (s.release.wait_for(0s) != std::future_status::ready)
                s.released.set_value();
        }
    } guard{stalling};
    settings.WPM.store(20);
    flags.keyboardKeyingEnabled.store(1);
    ASSERT_TRUE(engine.start());
    keyRealTime(flags, {"."});
    ASSERT_TRUE(waitFor([&] { return stalling.entered.load(); }));

    const std::uint64_t overruns = stopOverruns();
    EXPECT_FALSE(engine.stop(50ms));
    EXPECT_EQ(stopOverruns(), overruns + 1);
    EXPECT_TRUE(engine.running());
    EXPECT_EQ(flags.ToneKeyDown.load(), 0);  // the keying thread itself ended
    stalling.released.set_value();
    EXPECT_TRUE(engine.stop());
    EXPECT_FALSE(engine.running());
    ASSERT_TRUE(engine.start());  // a new pair of threads after all
    EXPECT_TRUE(engine.stop());
    document.setScoring(&scoring);
}

}  // namespace
}  // namespace quorvel
