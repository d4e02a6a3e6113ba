// A serial key adapter pulled out in the middle of a sending run.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "keying/keying_engine.h"
#include "keying/sending_control.h"
#include "keying/serial_key.h"
#include "practice/scoring.h"
#include "tests/serial/fake_modem_lines.h"
#include "tests/support/recording_view.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;

struct SerialRun {
    SerialRun() {
        document.setView(&view);
        document.setScoring(&scoring);
        document.reset();
        settings.Mode = 1;
        settings.KeyKeyer = 0;
        settings.WPM = 20;
    }
    // The keying engine in simulated time, on the test's thread.
    void keyFor(std::uint32_t ms) {
        for (std::uint32_t end = now + ms; now != end; ++now)
            keying.step(now);
    }
    std::u16string entered() const {
        std::u16string all;
        for (const auto& s : document.progress().sections)
            all += s.enteredText;
        return all;
    }

    PracticeSettings settings;
    SharedFlags flags;
    test::RecordingView view;
    ManualScoringClock clock;
    TelegramDocument document{settings, flags};
    Scoring scoring{settings, flags, document, clock, ScoringFiles{}};
    KeyingEngine keying{settings, flags, document};
    test::FakeModemLines* lines = nullptr;  // owned by the serial key while it is open
    SendingControl control{settings, flags, document, keying,
                           SendingHooks{{}, [this]() -> std::unique_ptr<KeySource> {
                                            return std::make_unique<SerialKeySource>(
                                                [this] {
                                                    auto l =
                                                        std::make_unique<test::FakeModemLines>();
                                                    lines = l.get();
                                                    return l;
                                                },
                                                flags, settings, view);
                                        }}};
    std::uint32_t now = 1000;
};

TEST(SerialAdapterRemoved, RunGoesOnWithContactsOpenAndTheStatusShowsOff) {
    SerialRun run;
    run.control.startSending();
    ASSERT_NE(run.control.keySource(), nullptr);
    ASSERT_TRUE(test::eventually([&] { return run.control.keySource()->running(); }));

    // A dot keyed through the adapter sounds.
    run.lines->set(true, false);
    ASSERT_TRUE(test::eventually([&] { return run.flags.serialDot.load() == 1; }));
    run.keyFor(60);
    EXPECT_EQ(run.flags.ToneKeyDown.load(), 1);
    run.lines->set(false, false);
    ASSERT_TRUE(test::eventually([&] { return run.flags.serialDot.load() == 0; }));
    run.keyFor(1500);
    const std::u16string before = run.entered();

    // Pulled out while the dash contact is closed: the contact must not stay closed.
    run.lines->set(false, true);
    ASSERT_TRUE(test::eventually([&] { return run.flags.serialDash.load() == 1; }));
    run.keyFor(20);
    run.lines->fail();
    ASSERT_TRUE(test::eventually([&] { return !run.control.keySource()->running(); }));
    EXPECT_EQ(run.flags.serialDot.load(), 0);
    EXPECT_EQ(run.flags.serialDash.load(), 0);
    run.keyFor(1500);
    EXPECT_EQ(run.flags.ToneKeyDown.load(), 0) << "the tone went on after the adapter left";
    run.scoring.refreshStatusLines();
    EXPECT_NE(run.view.statusLine1.find(u"状態[OFF]"), std::u16string::npos);

    // The run and what was keyed are still there, and it stops normally.
    EXPECT_TRUE(run.entered().starts_with(before));
    EXPECT_TRUE(run.view.boxes.empty());
    const auto start = std::chrono::steady_clock::now();
    run.control.stopKeying();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);  // hang guard
    EXPECT_EQ(run.view.lastMessage(), u"停止");

    // Plugged back in, the next run keys again.
    run.control.startSending();
    ASSERT_TRUE(test::eventually([&] { return run.control.keySource()->running(); }));
    run.lines->set(true, false);
    EXPECT_TRUE(test::eventually([&] { return run.flags.serialDot.load() == 1; }));
    run.control.stopKeying();
    EXPECT_EQ(run.flags.serialDot.load(), 0);
}

}  // namespace
}  // namespace quorvel
