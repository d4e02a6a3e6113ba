#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "keying/serial_key.h"
#include "tests/serial/fake_modem_lines.h"
#include "tests/support/recording_view.h"

namespace quorvel {
namespace {

using std::chrono::milliseconds;
using test::eventually;
using test::FakeModemLines;

bool flagsAre(const SharedFlags& f, int dot, int dash) {
    return f.serialDot.load() == dot && f.serialDash.load() == dash;
}

TEST(SerialMonitor, BothFlagsFollowEveryChange) {
    auto lines = std::make_shared<FakeModemLines>();
    SharedFlags flags;
    SerialMonitor monitor(lines, flags);
    monitor.start();
    const ModemStatus steps[] = {{true, false}, {false, false}, {false, true}, {true, true},
                                 {false, true}, {true, false},  {true, true},  {false, false}};
    for (const auto& s : steps) {
        lines->set(s.dsr, s.cts);
        ASSERT_TRUE(eventually([&] { return flagsAre(flags, s.dsr, s.cts); }))
            << "dsr " << s.dsr << " cts " << s.cts;
    }
    EXPECT_TRUE(monitor.running());
}

TEST(SerialMonitor, RereadsAfterEachSliceSoAnUnreportedChangeIsNotLost) {
    auto lines = std::make_shared<FakeModemLines>();
    lines->deafen();
    SharedFlags flags;
    SerialMonitor monitor(lines, flags);
    monitor.start();
    lines->set(false, true);
    EXPECT_TRUE(eventually([&] { return flagsAre(flags, 0, 1); }));
    lines->set(false, false);
    EXPECT_TRUE(eventually([&] { return flagsAre(flags, 0, 0); }));
}

TEST(SerialMonitor, FailedReadEndsTheMonitorWithBothFlagsOpen) {
    auto lines = std::make_shared<FakeModemLines>(ModemStatus{true, true});
    SharedFlags flags;
    SerialMonitor monitor(lines, flags);
    monitor.start();
    ASSERT_TRUE(eventually([&] { return flagsAre(flags, 1, 1); }));
    lines->fail();
    ASSERT_TRUE(eventually([&] { return !monitor.running(); }));
    EXPECT_TRUE(flagsAre(flags, 0, 0));
    monitor.stop();  // after the thread ended on its own
    EXPECT_TRUE(flagsAre(flags, 0, 0));
}

TEST(SerialMonitor, PortThatFailsAtOnceLeavesNothingClosed) {
    auto lines = std::make_shared<FakeModemLines>(ModemStatus{true, false});
    lines->fail();
    SharedFlags flags;
    flags.serialDot = 1;
    SerialMonitor monitor(lines, flags);
    monitor.start();
    ASSERT_TRUE(eventually([&] { return !monitor.running(); }));
    EXPECT_TRUE(flagsAre(flags, 0, 0));
}

TEST(SerialMonitor, StopsWithin100MsEvenWhenAWakeIsLost) {
    auto lines = std::make_shared<FakeModemLines>(ModemStatus{true, false});
    SharedFlags flags;
    SerialMonitor monitor(lines, flags);
    monitor.start();
    ASSERT_TRUE(eventually([&] { return flagsAre(flags, 1, 0); }));
    lines->loseCancels(3);
    const auto begin = std::chrono::steady_clock::now();
    monitor.stop();
    const auto took = std::chrono::steady_clock::now() - begin;
    EXPECT_LT(took, milliseconds(100));
    EXPECT_FALSE(monitor.running());
    EXPECT_TRUE(flagsAre(flags, 0, 0));
    monitor.stop();
}

// A thread stuck in the driver, deaf to the cancel: the stop gives up on it within its budget,
// opens the contacts itself, and the thread, once the wait returns, writes no flag and lets go
// of the port.
TEST(SerialMonitor, StopLeavesAThreadStuckInTheDriverBehindWithinItsBudget) {
    auto lines = std::make_shared<FakeModemLines>(ModemStatus{true, false});
    SharedFlags flags;
    auto monitor = std::make_unique<SerialMonitor>(lines, flags);
    monitor->start();
    ASSERT_TRUE(eventually([&] { return flagsAre(flags, 1, 0); }));
    lines->hang();
    ASSERT_TRUE(eventually([&] { return lines->hanging(); }));
    const std::uint64_t overruns = stopOverruns();
    EXPECT_FALSE(monitor->stop(milliseconds(50)));
    EXPECT_EQ(stopOverruns(), overruns + 1);
    EXPECT_FALSE(monitor->running());
    EXPECT_TRUE(flagsAre(flags, 0, 0));
    EXPECT_EQ(flags.serialKeysOpen.load(), 0);
    monitor.reset();  // gone while its thread still waits

    lines->set(false, true);  // seen by the thread when it wakes, never written
    lines->unhang();
    EXPECT_TRUE(eventually([&] { return lines.use_count() == 1; }));
    EXPECT_TRUE(flagsAre(flags, 0, 0));
}

// Counts key-type reports so a test can wait for one without touching the recorded list
// while the probe thread may still write it.
class KeyTypeView : public test::RecordingView {
  public:
    void keyTypeChanged(const std::u16string& label) override {
        RecordingView::keyTypeChanged(label);
        reports.fetch_add(1);
    }
    std::atomic<int> reports{0};
};

class SerialKeySourceTest : public ::testing::Test {
  protected:
    SerialKeySource::Opener openerFor(FakeModemLines*& out, ModemStatus initial = {},
                                      test::MonitorCensus* census = nullptr) {
        return [&out, initial, census] {
            auto lines = std::make_unique<FakeModemLines>(initial, census);
            out = lines.get();
            return lines;
        };
    }

    SharedFlags flags;
    PracticeSettings settings;
    KeyTypeView view;
};

TEST_F(SerialKeySourceTest, PortThatCannotBeOpenedStartsNothingAndSaysNothing) {
    SerialKeySource key([] { return std::unique_ptr<ModemStatusSource>(); }, flags, settings, view);
    EXPECT_FALSE(key.start());
    EXPECT_FALSE(key.running());
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(view.keyTypes.empty());
    EXPECT_TRUE(flagsAre(flags, 0, 0));
    key.stop();
}

TEST_F(SerialKeySourceTest, PortThatCannotBeReadCountsAsNotOpened) {
    SerialKeySource key(
        [] {
            auto lines = std::make_unique<FakeModemLines>();
            lines->fail();
            return lines;
        },
        flags, settings, view);
    EXPECT_FALSE(key.start());
    EXPECT_FALSE(key.running());
}

TEST_F(SerialKeySourceTest, LinesAreInTheFlagsWhenStartReturns) {
    FakeModemLines* lines = nullptr;
    SerialKeySource key(openerFor(lines, {false, true}), flags, settings, view);
    ASSERT_TRUE(key.start());
    EXPECT_TRUE(flagsAre(flags, 0, 1));
    EXPECT_TRUE(key.running());
    lines->set(true, false);
    EXPECT_TRUE(eventually([&] { return flagsAre(flags, 1, 0); }));
    key.stop();
    EXPECT_FALSE(key.running());
    EXPECT_TRUE(flagsAre(flags, 0, 0));
    key.stop();
}

TEST_F(SerialKeySourceTest, NamesAKeyHeldOnAfterSamplingWithoutBlockingStart) {
    FakeModemLines* lines = nullptr;
    SerialKeySource key(openerFor(lines, {true, false}), flags, settings, view);
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(key.start());
    EXPECT_LT(std::chrono::steady_clock::now() - begin, milliseconds(1000));
    ASSERT_TRUE(eventually([&] { return view.reports.load() > 0; }, milliseconds(6000)));
    EXPECT_GE(std::chrono::steady_clock::now() - begin, milliseconds(1500));
    key.stop();
    ASSERT_EQ(view.keyTypes.size(), 1u);
    EXPECT_EQ(view.keyTypes[0], u"電鍵種類: その他  J=DSR短点  K=CTS長点");
}

TEST_F(SerialKeySourceTest, StopDuringSamplingIsPromptAndNamesNothing) {
    FakeModemLines* lines = nullptr;
    SerialKeySource key(openerFor(lines, {true, true}), flags, settings, view);
    ASSERT_TRUE(key.start());
    const auto begin = std::chrono::steady_clock::now();
    key.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, milliseconds(100));
    EXPECT_TRUE(view.keyTypes.empty());
}

TEST_F(SerialKeySourceTest, PulledAdapterEndsTheRunsKeyWithContactsOpen) {
    FakeModemLines* lines = nullptr;
    SerialKeySource key(openerFor(lines, {true, true}), flags, settings, view);
    ASSERT_TRUE(key.start());
    lines->fail();
    ASSERT_TRUE(eventually([&] { return !key.running(); }));
    EXPECT_TRUE(flagsAre(flags, 0, 0));
}

TEST_F(SerialKeySourceTest, ASecondKeyNeverMonitorsWhileTheFirstRuns) {
    test::MonitorCensus census;
    FakeModemLines* first = nullptr;
    FakeModemLines* second = nullptr;
    SerialKeySource a(openerFor(first, {true, false}, &census), flags, settings, view);
    SerialKeySource b(openerFor(second, {false, true}, &census), flags, settings, view);
    ASSERT_TRUE(a.start());
    ASSERT_TRUE(eventually([&] { return census.active.load() == 1; }));
    ASSERT_TRUE(b.start());
    EXPECT_FALSE(a.running());
    EXPECT_TRUE(b.running());
    EXPECT_TRUE(flagsAre(flags, 0, 1));
    second->set(true, true);
    EXPECT_TRUE(eventually([&] { return flagsAre(flags, 1, 1); }));
    // Restarting the same key reopens its port without a second monitor.
    ASSERT_TRUE(b.start());
    b.stop();
    EXPECT_EQ(census.peak.load(), 1);
    EXPECT_EQ(census.active.load(), 0);
}

TEST(SerialKeyFactory, NoPortChosenShowsTheErrorBoxAndOpensNothing) {
    SharedFlags flags;
    PracticeSettings settings;
    test::RecordingView view;
    EXPECT_EQ(makeSerialKeySource(nullptr, flags, settings, view), nullptr);
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].title, u"ERROR");
    EXPECT_EQ(view.boxes[0].text, u"COMポートが選択されていません。");
    EXPECT_EQ(view.boxes[0].icon, MessageIcon::Error);
}

TEST(SerialKeyFactory, EntryNamingNoPortGivesNoSourceSilently) {
    SharedFlags flags;
    PracticeSettings settings;
    test::RecordingView view;
    const SerialPortInfo bluetooth{u"Standard Serial over Bluetooth link", ""};
    EXPECT_EQ(makeSerialKeySource(&bluetooth, flags, settings, view), nullptr);
    EXPECT_TRUE(view.boxes.empty());

    const SerialPortInfo missing{u"USB Serial (ttyUSB9)", "/nonexistent/ttyUSB9"};
    auto key = makeSerialKeySource(&missing, flags, settings, view);
    ASSERT_NE(key, nullptr);
    EXPECT_FALSE(key->running());
    EXPECT_FALSE(key->start());
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_TRUE(view.messages.empty());
}

}  // namespace
}  // namespace quorvel
