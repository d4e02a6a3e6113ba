// The log writer: rows whole and in order from its own thread, the character log replaced at
// most once a second (of the time it is given) and at the end of a set, nothing lost at stop.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "storage/char_log.h"
#include "storage/csv.h"
#include "storage/log_writer.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

LogFiles filesIn(const test::TempDir& dir) {
    return {dir / "practice.csv", dir / "chars.csv", dir / "text.txt", false};
}

PracticeRow row(int judged) {
    PracticeRow r;
    r.time = {2024, 3, 5, 10, 0, judged % 60};
    r.judgedCount = judged;
    r.wrongPairs = std::u16string(static_cast<std::size_t>(judged % 7), u'"');
    r.status = std::u16string(kStatusInProgress);
    return r;
}

// 文字数 of every row, each checked to be whole.
std::vector<int> judgedColumn(const fs::path& log) {
    std::vector<int> judged;
    std::vector<std::string> f;
    forEachPracticeLogLine(log, [&](std::string_view line) {
        splitCsvLine(line, f);
        EXPECT_EQ(f.size(), 19u) << line;
        judged.push_back(f.size() > 7 ? csvInt(f[7]) : -1);
    });
    return judged;
}

int asked(const fs::path& charLog, char16_t c) {
    CharLogTable table;
    readCharLog(charLog, table);
    const auto it = table.find(c);
    return it == table.end() ? 0 : it->second.asked;
}

TEST(LogWriterThread, RowsArriveWholeAndInQueueOrder) {
    test::TempDir dir;
    LogWriter writer(filesIn(dir));
    ASSERT_TRUE(writer.start());
    constexpr int kRows = 400;
    std::vector<int> expected;
    for (int i = 1; i <= kRows; ++i) {
        writer.addPracticeRow(row(i));
        writer.addJudgement(u'ア', u'イ', i % 2 == 0);
        expected.push_back(i);
    }
    writer.addTextEntry({{2024, 3, 5}, u"結果", u"アイ", u""});
    ASSERT_TRUE(writer.flush());
    EXPECT_EQ(writer.pending(), 0u);
    EXPECT_EQ(judgedColumn(dir / "practice.csv"), expected);
    EXPECT_EQ(asked(dir / "chars.csv", u'ア'), kRows);
    EXPECT_TRUE(test::readAll(dir / "text.txt").ends_with("\r\n\r\n"));
    EXPECT_TRUE(writer.stop());
}

TEST(LogWriterCharLog, ReplacedAtMostOncePerSecondAndAtTheEndOfASet) {
    test::TempDir dir;
    const LogFiles files = filesIn(dir);
    // Earlier history is read once and kept.
    ASSERT_TRUE(updateCharLog(files.charLog, u'ア', u'イ', false, false));
    LogWriter writer(files);
    auto judge = [&](std::uint32_t now) {
        writer.addJudgement(u'ア', u'ア', true);
        writer.service(now);
    };
    judge(10'000);  // the first judgement is written at once
    EXPECT_EQ(asked(files.charLog, u'ア'), 2);
    judge(10'400);
    judge(10'999);
    EXPECT_EQ(asked(files.charLog, u'ア'), 2);
    writer.service(11'000);  // a second later, with nothing new
    EXPECT_EQ(asked(files.charLog, u'ア'), 4);
    judge(11'500);
    EXPECT_EQ(asked(files.charLog, u'ア'), 4);
    writer.endOfSet();
    writer.service(11'600);
    EXPECT_EQ(asked(files.charLog, u'ア'), 5);
    // The tick wraps: still a second apart in unsigned ticks.
    judge(0xFFFF'FF00u);
    judge(0xFFFF'FF00u + 500);
    EXPECT_EQ(asked(files.charLog, u'ア'), 6);
    writer.service(0xFFFF'FF00u + 1000);
    EXPECT_EQ(asked(files.charLog, u'ア'), 7);
    EXPECT_EQ(writer.pending(), 0u);
}

TEST(LogWriterStop, EverythingQueuedIsOnTheDiskWhenStopOrTheDestructorReturns) {
    test::TempDir dir;
    const LogFiles files = filesIn(dir);
    {
        LogWriter writer(files);
        ASSERT_TRUE(writer.start());
        for (int i = 1; i <= 5; ++i) {
            writer.addPracticeRow(row(i));
            writer.addJudgement(u'カ', 0, false);  // inside the second: kept for later
        }
        writer.addTextEntry({{2024, 3, 5}, u"結果", u"カ", u""});
        EXPECT_TRUE(writer.stop());
        EXPECT_EQ(writer.pending(), 0u);
        EXPECT_EQ(judgedColumn(files.practiceLog).size(), 5u);
        EXPECT_EQ(asked(files.charLog, u'カ'), 5);
        // Stopped, it writes on the caller's thread, and a restart picks up again.
        writer.addPracticeRow(row(6));
        writer.service(0);
        EXPECT_EQ(judgedColumn(files.practiceLog).size(), 6u);
        ASSERT_TRUE(writer.start());
        writer.addPracticeRow(row(7));
        writer.addJudgement(u'カ', u'キ', false);
    }  // the destructor drains
    EXPECT_EQ(judgedColumn(files.practiceLog), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(asked(files.charLog, u'カ'), 6);
    EXPECT_FALSE(test::readAll(files.textLog).empty());
}

// A disk that hangs is played by a failure report that does not return: the close gives up on
// the writer's thread instead of waiting for ever, and the thread ends safely on its own later.
TEST(LogWriterStop, AWriteThatHangsDoesNotHoldTheCloseForEver) {
    test::TempDir dir;
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    const auto calls = std::make_shared<std::atomic<int>>(0);
    auto writer =
        std::make_unique<LogWriter>(LogFiles{dir / "missing" / "practice.csv", {}, {}, false},
                                    [released, calls](const fs::path&) {
                                        calls->fetch_add(1);
                                        released.wait();
                                    });
    ASSERT_TRUE(writer->start());
    writer->addPracticeRow(row(1));
    const auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (calls->load() == 0 && std::chrono::steady_clock::now() < guard)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(calls->load(), 1);
    EXPECT_FALSE(writer->stop(std::chrono::milliseconds(50)));
    EXPECT_FALSE(writer->flush());  // nothing more is written once the thread was given up
    release.set_value();
    writer.reset();
    EXPECT_EQ(calls->load(), 1);
}

}  // namespace
}  // namespace quorvel
