#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "keying/sending_control.h"
#include "tests/keying/keying_fixture.h"

namespace quorvel {
namespace {

// A serial key stand-in that logs what the control does with it.
struct FakeKey : KeySource {
    FakeKey(std::vector<std::string>& log, std::string name, bool opens)
        : log_(log), name_(std::move(name)), opens_(opens) {}
    bool start() override {
        log_.push_back(name_ + " start");
        running_ = opens_;
        return opens_;
    }
    void stop() override {
        if (running_)
            log_.push_back(name_ + " stop");
        running_ = false;
    }
    bool running() const override { return running_; }

    std::vector<std::string>& log_;
    std::string name_;
    bool opens_;
    bool running_ = false;
};

class SendingControlTest : public ::testing::Test, protected test::DocumentFixture {
  protected:
    SendingControlTest() {
        hooks.stopPlayback = [this] { log.push_back("stop playback"); };
        hooks.makeSerialKey = [this]() -> std::unique_ptr<KeySource> {
            if (!portSelected)
                return nullptr;
            return std::make_unique<FakeKey>(log, "key" + std::to_string(++made), portOpens);
        };
    }
    SendingControl& control() {
        if (!control_)
            control_ = std::make_unique<SendingControl>(settings, flags, document, engine, hooks);
        return *control_;
    }

    std::vector<std::string> log;
    bool portSelected = true;
    bool portOpens = true;
    int made = 0;
    SendingHooks hooks;
    KeyingEngine engine{settings, flags, document};
    std::unique_ptr<SendingControl> control_;
};

TEST_F(SendingControlTest, KeyboardRunResetsThePracticeAndEnablesTheKeys) {
    document.enterCharacter(u'1');
    flags.serialDash.store(1);
    flags.PlaybackPaused.store(1);
    flags.DemoMode.store(1);
    engine.queue().post(KeyingEvent::wordGap(0));
    settings.KeyKeyer.store(1);
    control().startSending();

    EXPECT_EQ(flags.PlaybackPaused.load(), 0);
    EXPECT_EQ(flags.DemoMode.load(), 0);
    EXPECT_EQ(flags.serialDash.load(), 0);
    EXPECT_EQ(flags.keyboardKeyingEnabled.load(), 1);
    EXPECT_EQ(engine.drain(), 0u);  // the event from before is dropped
    EXPECT_EQ(entered(Preamble), u"");
    EXPECT_TRUE(document.pageFollow());
    EXPECT_EQ(log, (std::vector<std::string>{"stop playback"}));
    // The resume text is chosen before the demo is stopped.
    EXPECT_NE(std::find(view.messages.begin(), view.messages.end(), u"デモ送信再開"),
              view.messages.end());
    EXPECT_EQ(view.lastMessage(), u"キー電鍵送信中  J=短点  K=長点");
    ASSERT_NE(control().keySource(), nullptr);
    EXPECT_TRUE(control().keySource()->running());
}

TEST_F(SendingControlTest, KeyboardRunClosesASerialKeyLeftOpen) {
    control().startSending();  // serial
    ASSERT_NE(control().keySource(), nullptr);
    settings.KeyKeyer.store(1);
    control().startSending();
    EXPECT_EQ(log, (std::vector<std::string>{"stop playback", "key1 start", "stop playback",
                                             "key1 stop"}));
    EXPECT_EQ(flags.keyboardKeyingEnabled.load(), 1);
}

TEST_F(SendingControlTest, SerialKeyIsReplacedNeverDoubled) {
    control().startSending();
    control().startSending();
    EXPECT_EQ(log, (std::vector<std::string>{"stop playback", "key1 start", "stop playback",
                                             "key1 stop", "key2 start"}));
    EXPECT_EQ(flags.keyboardKeyingEnabled.load(), 0);
    EXPECT_EQ(view.lastMessage(), u"送信中");
}

TEST_F(SendingControlTest, NoPortChosenOrPortFailingLeavesTheRunWithoutAKey) {
    portSelected = false;
    control().startSending();
    EXPECT_EQ(control().keySource(), nullptr);
    EXPECT_EQ(view.lastMessage(), u"送信中");  // the practice was still reset and started

    portSelected = true;
    portOpens = false;
    control().startSending();
    EXPECT_EQ(control().keySource(), nullptr);
    EXPECT_EQ(view.lastMessage(), u"送信中");  // silent
}

TEST_F(SendingControlTest, StopReleasesEverything) {
    control().startSending();
    flags.serialDot.store(1);
    flags.BandEffectsActive.store(1);
    flags.keyboardKeyingEnabled.store(1);
    control().stopKeying();
    EXPECT_EQ(flags.serialDot.load(), 0);
    EXPECT_EQ(flags.BandEffectsActive.load(), 0);
    EXPECT_EQ(flags.keyboardKeyingEnabled.load(), 0);
    EXPECT_EQ(control().keySource(), nullptr);
    EXPECT_EQ(log.back(), "key1 stop");
    EXPECT_EQ(view.lastMessage(), u"停止");
    EXPECT_FALSE(document.pageFollow());

    // Closing the window: the same release, without texts.
    settings.KeyKeyer.store(1);
    control().startSending();
    const std::size_t shown = view.messages.size();
    control().closeKeying();
    EXPECT_EQ(flags.keyboardKeyingEnabled.load(), 0);
    EXPECT_EQ(control().keySource(), nullptr);
    EXPECT_EQ(view.messages.size(), shown);
}

// A character already decoded is still judged after the resume: the pause keeps the queue.
TEST_F(SendingControlTest, PauseSilencesAndKeepsTheQueue) {
    flags.keyboardDot.store(1);
    flags.ToneKeyDown.store(1);
    engine.queue().post(KeyingEvent::wordGap(0));
    EXPECT_TRUE(control().togglePause());
    EXPECT_EQ(flags.PlaybackPaused.load(), 1);
    EXPECT_EQ(flags.keyboardDot.load(), 0);
    engine.step(1);  // the keying thread's next sample silences the tone
    EXPECT_EQ(flags.ToneKeyDown.load(), 0);
    EXPECT_EQ(engine.queue().size(), 1u);
    EXPECT_EQ(view.lastMessage(), u"一旦停止中");
    EXPECT_FALSE(control().togglePause());
    EXPECT_EQ(flags.PlaybackPaused.load(), 0);
    EXPECT_EQ(view.lastMessage(), u"再開");
}

}  // namespace
}  // namespace quorvel
