// The serial key as the key source of a sending run, through the sending control and the
// keying threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "keying/keying_engine.h"
#include "keying/sending_control.h"
#include "keying/serial_key.h"
#include "tests/serial/fake_modem_lines.h"
#include "tests/support/recording_view.h"

namespace quorvel {
namespace {

using std::chrono::milliseconds;
using test::eventually;
using test::FakeModemLines;

// Records the keyed characters the document judges, from the consumer thread.
class KeyedCharacters final : public ScoringSink {
  public:
    void scoreCharacter(char16_t, char16_t, bool) override {}
    void showJudgement(char16_t keyed, char16_t, bool) override {
        std::lock_guard l(m_);
        keyed_.push_back(keyed);
    }
    void resetScores() override {}
    void clearTelegramScore() override {}
    std::u16string keyed() const {
        std::lock_guard l(m_);
        return keyed_;
    }

  private:
    mutable std::mutex m_;
    std::u16string keyed_;
};

class SerialRun : public ::testing::Test {
  protected:
    SerialRun() : document(settings, flags), engine(settings, flags, document) {
        PracticeSettings::set(settings.Mode, 1);
        PracticeSettings::set(settings.KeyKeyer, 0);
        document.switchLanguage(true);
        document.setView(&view);
        document.setScoring(&keyed);
    }

    // Each serial run opens a fresh fake port; `lines` is the newest.
    SendingHooks serialHooks() {
        SendingHooks hooks;
        hooks.makeSerialKey = [this] {
            return std::make_unique<SerialKeySource>(
                [this] {
                    auto fake = std::make_unique<FakeModemLines>(ModemStatus{}, &census);
                    lines = fake.get();
                    return fake;
                },
                flags, settings, view);
        };
        return hooks;
    }

    PracticeSettings settings;
    SharedFlags flags;
    test::RecordingView view;
    KeyedCharacters keyed;
    TelegramDocument document;
    KeyingEngine engine;
    test::MonitorCensus census;
    std::atomic<FakeModemLines*> lines{nullptr};
};

TEST_F(SerialRun, NoPortChosenShowsTheBoxAndTheRunHasNoKey) {
    SendingHooks hooks;
    hooks.makeSerialKey = [this] { return makeSerialKeySource(nullptr, flags, settings, view); };
    SendingControl control(settings, flags, document, engine, std::move(hooks));
    control.startSending();
    EXPECT_EQ(control.keySource(), nullptr);
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].text, u"COMポートが選択されていません。");
}

TEST_F(SerialRun, RestartingAndStoppingNeverLeaveTwoMonitors) {
    SendingControl control(settings, flags, document, engine, serialHooks());
    control.startSending();
    ASSERT_NE(control.keySource(), nullptr);
    EXPECT_TRUE(control.keySource()->running());
    control.startSending();
    control.startSending();
    ASSERT_NE(control.keySource(), nullptr);
    EXPECT_TRUE(control.keySource()->running());
    EXPECT_EQ(census.peak.load(), 1);
    lines.load()->set(true, true);
    ASSERT_TRUE(eventually([&] { return flags.serialDot.load() == 1; }));
    control.stopKeying();
    EXPECT_EQ(control.keySource(), nullptr);
    EXPECT_EQ(census.active.load(), 0);
    EXPECT_EQ(flags.serialDot.load() + flags.serialDash.load(), 0);
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(SerialRun, ADotOnTheDsrLineIsDecoded) {
    ASSERT_TRUE(engine.start());
    SendingControl control(settings, flags, document, engine, serialHooks());
    control.startSending();
    ASSERT_NE(control.keySource(), nullptr);
    // "E" at 15 WPM: one 80 ms dot, then silence past the character gap.
    lines.load()->set(true, false);
    std::this_thread::sleep_for(milliseconds(80));
    lines.load()->set(false, false);
    EXPECT_TRUE(eventually([&] { return !keyed.keyed().empty(); }, milliseconds(5000)));
    control.closeKeying();
    engine.stop();
    EXPECT_EQ(keyed.keyed(), u"E");
}

}  // namespace
}  // namespace quorvel
