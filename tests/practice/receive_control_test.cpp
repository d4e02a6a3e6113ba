#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
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
    ReceiveControl control{settings, flags, document, {}, &ReceiveControlTest::fastClock};
};

TEST_F(ReceiveControlTest, SecondDemoPressRestartsFromTelegramOne) {
    ASSERT_TRUE(control.startDemo());
    EXPECT_EQ(settings.Mode.load(), 1);
    ASSERT_TRUE(waitFor([&] { return document.telegramNumber() == 2; }));
    ASSERT_TRUE(control.startDemo());
    EXPECT_EQ(document.telegramNumber(), 1);
    EXPECT_TRUE(control.running());
    EXPECT_EQ(flags.DemoMode.load(), 1);
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

}  // namespace
}  // namespace quorvel
