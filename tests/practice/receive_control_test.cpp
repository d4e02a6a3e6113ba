#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "practice/receive_control.h"
#include "tests/support/recording_view.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;

// The playback thread in real time, but on a clock that runs 200 times faster, so the 5 s
// pauses between telegrams pass in a few tens of milliseconds.
struct ReceiveControlTest : ::testing::Test {
    ReceiveControlTest() {
        document.setView(&view);
        document.installSet({{u"イ", u"", u"", u"", u"", u""}, {u"ナ", u"", u"", u"", u"", u""}},
                            false);
    }
    static std::uint32_t fastClock() {
        using namespace std::chrono;
        return static_cast<std::uint32_t>(
            duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count() / 5);
    }
    template <class Pred>
    bool waitFor(Pred pred) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!pred() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        return pred();
    }

    test::RecordingView view;
    PracticeSettings settings;
    SharedFlags flags;
    TelegramDocument document{settings, flags};
    ReceiveControl control{settings, flags, document, {}, &ReceiveControlTest::fastClock, 200};
};

TEST_F(ReceiveControlTest, SecondDemoPressRestartsFromTelegramOne) {
    ASSERT_TRUE(control.startDemo());
    EXPECT_EQ(settings.Mode.load(), 1);
    ASSERT_TRUE(waitFor([&] { return document.telegramNumber() == 2; }));
    ASSERT_TRUE(control.startDemo());
    EXPECT_EQ(document.telegramNumber(), 1);
    EXPECT_TRUE(control.running());
    EXPECT_NE(flags.DemoMode.load(), 0);
    ASSERT_TRUE(waitFor([&] { return !control.running(); }));
    EXPECT_EQ(view.lastMessage(), u"デモ送信終了");
    EXPECT_EQ(flags.DemoMode.load(), 0);
}

TEST_F(ReceiveControlTest, StopRightAfterStartEndsThePlayback) {
    ASSERT_TRUE(control.startReceive());
    control.stop();
    EXPECT_FALSE(control.running());
    EXPECT_EQ(flags.serialDot.load() + flags.serialDash.load() + flags.ToneKeyDown.load(), 0);
}

TEST_F(ReceiveControlTest, PauseFreezesThePlaybackUntilResumed) {
    ASSERT_TRUE(control.startReceive());
    EXPECT_EQ(view.messages.front(), u"");  // the reset clears the message line first
    control.togglePause();
    EXPECT_EQ(view.lastMessage(), u"一旦停止中");
    const int telegram = document.telegramNumber();
    std::this_thread::sleep_for(100ms);  // 20 s of playback time, were it not paused
    EXPECT_EQ(document.telegramNumber(), telegram);
    EXPECT_TRUE(control.running());
    control.togglePause();
    EXPECT_EQ(view.lastMessage(), u"再開");
    EXPECT_TRUE(waitFor([&] { return !control.running(); }));
}

// A playback thread that cannot run (a stalled machine, a long lock holder) does not hold up the
// window's stop, and once it wakes it leaves alone the run started meanwhile.
TEST_F(ReceiveControlTest, StopDoesNotWaitForAStalledPlayback) {
    std::atomic<bool> stall{false};
    std::atomic<bool> stalled{false};
    std::promise<void> wake;
    std::shared_future<void> woken = wake.get_future().share();
    // Real milliseconds: a run of this set lasts several seconds.
    ReceiveControl stuck{settings, flags, document, {}, [&] {
                             if (stall.load()) {
                                 stalled.store(true);
                                 woken.wait();
                             }
                             return fastClock() / 200;
                         }};
    ASSERT_TRUE(stuck.startReceive());
    stall.store(true);
    ASSERT_TRUE(waitFor([&] { return stalled.load(); }));
    const auto before = std::chrono::steady_clock::now();
    stuck.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);  // generous: it used to wait 3 s
    EXPECT_FALSE(stuck.running());
    EXPECT_TRUE(stuck.lingering());

    stall.store(false);
    ASSERT_TRUE(stuck.startReceive());  // not held up by the stalled thread either
    wake.set_value();
    ASSERT_TRUE(waitFor([&] { return !stuck.lingering(); }));
    EXPECT_TRUE(stuck.running());  // the woken run ended without ending this one
    EXPECT_EQ(document.telegramNumber(), 1);
    stuck.stop();
    EXPECT_FALSE(stuck.running());
}

// A cancelled playback still stalled when its control is destroyed is reported after the
// budget and waited for: it runs on this control's clock and the document.
TEST_F(ReceiveControlTest, DestructionReportsAStalledPlaybackAndWaitsForIt) {
    std::atomic<bool> stall{false};
    std::atomic<bool> stalled{false};
    std::promise<void> wake;
    std::shared_future<void> woken = wake.get_future().share();
    auto stuck = std::make_unique<ReceiveControl>(settings, flags, document, PlaybackHooks{}, [&] {
        if (stall.load()) {
            stalled.store(true);
            woken.wait();
        }
        return fastClock() / 200;
    });
    stuck->setStopBudget(50ms);
    ASSERT_TRUE(stuck->startReceive());
    stall.store(true);
    ASSERT_TRUE(waitFor([&] { return stalled.load(); }));
    const std::uint64_t overruns = stopOverruns();
    auto destroyed = std::async(std::launch::async, [&] { stuck.reset(); });
    const bool reported = waitFor([&] { return stopOverruns() > overruns; });
    const bool waited = destroyed.wait_for(0s) == std::future_status::timeout;
    wake.set_value();
    ASSERT_EQ(destroyed.wait_for(10s), std::future_status::ready);  // hang guard
    EXPECT_TRUE(reported);
    EXPECT_TRUE(waited);
}

}  // namespace
}  // namespace quorvel
