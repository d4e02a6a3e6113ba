#include "storage/settings_writer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "storage/settings_file.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;

// A write that sits in the disk until the test opens the gate.
struct Gate {
    std::atomic<int> writes{0};
    std::atomic<bool> entered{false};
    std::atomic<bool> finished{false};
    std::promise<void> opened;
    std::shared_future<void> open = opened.get_future().share();
};

template <class Pred>
bool eventually(Pred pred) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;  // hang guard
    while (!pred() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    return pred();
}

SettingsFileWriter::Write stallingWrite(const std::shared_ptr<Gate>& gate) {
    return [gate](const std::filesystem::path&, const PracticeSettings&) {
        gate->entered.store(true);
        gate->open.wait();
        gate->writes.fetch_add(1);
        gate->finished.store(true);
        return true;
    };
}

TEST(SettingsFileWriter, WritesTheLatestValuesAndNowAfterTheWriteUnderWay) {
    const auto file = test::scratchDir("settings_writer", "latest") / "quorvel.ini";
    PracticeSettings settings;
    {
        SettingsFileWriter writer(file);
        settings.WPM.store(31);
        writer.post(settings);
        settings.WPM.store(33);
        EXPECT_TRUE(writer.writeNow(settings));
        EXPECT_GE(writer.writesDone(), 1);
    }
    PracticeSettings read;
    std::string error;
    ASSERT_TRUE(loadSettingsFile(file, read, error)) << error;
    EXPECT_EQ(read.WPM.load(), 33);
}

// Closing while a write sits in an fsync: the close goes on after the budget, and the write,
// left to itself, ends later touching only what it owns.
TEST(SettingsFileWriter, AWriteStuckInTheDiskIsLeftBehindWithinTheBudget) {
    auto gate = std::make_shared<Gate>();
    const std::uint64_t overruns = stopOverruns();
    auto closed = std::async(std::launch::async, [&] {
        SettingsFileWriter writer("unused.ini", stallingWrite(gate), 50ms);
        writer.post(PracticeSettings{});
        EXPECT_TRUE(eventually([&] { return gate->entered.load(); }));
    });
    const bool bounded = closed.wait_for(10s) == std::future_status::ready;  // hang guard
    const bool stillWriting = !gate->finished.load();
    gate->opened.set_value();
    ASSERT_TRUE(bounded) << "the close waited for the stuck write";
    EXPECT_TRUE(stillWriting);
    EXPECT_EQ(stopOverruns(), overruns + 1);
    // The thread ends and lets go of its state, the write function with it.
    EXPECT_TRUE(eventually([&] { return gate.use_count() == 1; }));
    EXPECT_EQ(gate->writes.load(), 1);
}

TEST(SettingsFileWriter, SaveNowGoesAheadOfAStuckWriteAfterTheBudget) {
    auto gate = std::make_shared<Gate>();
    const std::uint64_t overruns = stopOverruns();
    SettingsFileWriter writer("unused.ini", stallingWrite(gate), 50ms);
    writer.post(PracticeSettings{});
    ASSERT_TRUE(eventually([&] { return gate->entered.load(); }));
    auto saved = std::async(std::launch::async, [&] {
        return writer.writeNow(PracticeSettings{});  // the same write function: it waits too
    });
    // The save went past the budget into its own write, which waits at the same gate.
    EXPECT_TRUE(eventually([&] { return stopOverruns() > overruns; }));
    gate->opened.set_value();
    ASSERT_EQ(saved.wait_for(10s), std::future_status::ready);
    EXPECT_TRUE(saved.get());
    // The stuck write, released by the same gate, may count itself after the save returned.
    EXPECT_TRUE(eventually([&] { return gate->writes.load() == 2; })) << gate->writes.load();
}

}  // namespace
}  // namespace quorvel
