// A disk that fills while the logs are written: rows are whole or absent, earlier history
// stays, and writing resumes once there is space again.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/simulated_run.h"
#include "storage/char_log.h"
#include "storage/csv.h"
#include "storage/log_writer.h"
#include "storage/practice_log.h"
#include "storage/utf.h"
#include "tests/faults/child_process.h"
#include "tests/support/recording_view.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

PracticeRow row(int n) {
    PracticeRow r;
    r.time = {2024, 3, 5, 10, 0, n % 60};
    r.judgedCount = n;
    r.correctCount = n;
    r.telegramNumber = 1;
    r.wrongPairs = u"ア→イ ";
    r.status = std::u16string(kStatusFinished);
    return r;
}

// The data lines of a practice log, each checked to be a whole row of the current layout.
std::vector<std::string> wholeRows(const fs::path& log) {
    std::vector<std::string> rows;
    std::vector<std::string> fields;
    forEachPracticeLogLine(log, [&](std::string_view line) {
        splitCsvLine(line, fields);
        EXPECT_EQ(fields.size(), 19u) << line;
        rows.emplace_back(line);
    });
    const std::string bytes = test::readAll(log);
    EXPECT_TRUE(bytes.empty() || bytes.ends_with("\r\n")) << "a row was cut off";
    return rows;
}

TEST(FullDisk, PracticeRowIsWholeOrAbsentAndRowsResumeWithSpace) {
    test::TempDir dir;
    const fs::path log = dir / "practice.csv";
    for (int i = 1; i <= 3; ++i)
        ASSERT_TRUE(appendPracticeRow(log, row(i)));
    const auto before = wholeRows(log);
    const auto size = fs::file_size(log);

    const int status = test::inChild([&] {
        // Room for part of a row only.
        if (!test::limitFileSize(size + 40))
            return false;
        if (appendPracticeRow(log, row(4)) || fs::file_size(log) != size)
            return false;
        return test::liftFileSizeLimit() && appendPracticeRow(log, row(5));
    });
    ASSERT_EQ(status, 0);
    const auto after = wholeRows(log);
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(after.begin(), after.begin() + 3), before);
    EXPECT_NE(after[3].find(",5,"), std::string::npos);
}

TEST(FullDisk, NewLogThatCannotBeWrittenIsCreatedWithItsHeaderLater) {
    test::TempDir dir;
    const fs::path log = dir / "practice.csv";
    const fs::path text = dir / "text.txt";
    const int status = test::inChild([&] {
        if (!test::limitFileSize(10))  // not even the header fits
            return false;
        const bool written = appendPracticeRow(log, row(1)) ||
                             appendTextLog(text, {2024, 3, 5}, u"結果", u"アイ", u"");
        if (written)
            return false;
        return test::liftFileSizeLimit() && appendPracticeRow(log, row(2));
    });
    ASSERT_EQ(status, 0);
    const std::string bytes = test::readAll(log);
    EXPECT_TRUE(bytes.starts_with(std::string(kUtf8Mark) + std::string(kPracticeLogHeader)));
    EXPECT_EQ(wholeRows(log).size(), 1u);
    // A text log entry that did not fit leaves no half entry behind either.
    EXPECT_FALSE(fs::exists(text));
}

TEST(FullDisk, CharacterLogKeepsItsHistoryWhenTheRewriteDoesNotFit) {
    test::TempDir dir;
    const fs::path log = dir / "chars.csv";
    for (char16_t c = u'ア'; c <= u'オ'; ++c)
        ASSERT_TRUE(updateCharLog(log, c, u'カ', false, false));
    const std::string history = test::readAll(log);

    const int status = test::inChild([&] {
        if (!test::limitFileSize(history.size() / 2))
            return false;
        return !updateCharLog(log, u'キ', 0, true, false);
    });
    ASSERT_EQ(status, 0);
    EXPECT_EQ(test::readAll(log), history);
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 1) << "a temporary file was left behind";
}

// A simulated receive run of the sample set at 30 WPM with its logs in `dir`, run at once.
struct ReceiveRig {
    explicit ReceiveRig(const fs::path& dir) : trainer(optionsIn(dir, clock)) {
        trainer.setView(&view);
        trainer.settings().WPM = 30;
        SimulatedRun(trainer, &clock).receive();
    }
    static TrainerOptions optionsIn(const fs::path& dir, ManualScoringClock& clock) {
        TrainerOptions options;
        options.dataDirectory = dir;
        options.syncLogs = false;
        options.clock = &clock;
        return options;
    }
    ManualScoringClock clock{0, {2024, 3, 5, 9, 0, 0}};
    test::RecordingView view;
    Trainer trainer;
};

// A whole receive run on a disk that fills part way: it finishes with the right tallies, the
// logs hold only whole rows, and a second run with space again adds its rows.
TEST(FullDisk, ReceiveRunFinishesAndLogsResumeAfterTheDiskFills) {
    test::TempDir dir;
    const int status = test::inChild([&] {
        if (!test::limitFileSize(2500))
            return false;
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 1 && !test::liftFileSizeLimit())
                return false;
            ReceiveRig rig(dir.path());
            const RunTally tally = rig.trainer.scoring().runTally();
            if (rig.view.results.size() != 2 || tally.judgedCount == 0 ||
                tally.correctCount != tally.judgedCount)
                return false;
        }
        return true;
    });
    ASSERT_EQ(status, 0);
    const DataPaths paths(dir.path());
    const auto rows = wholeRows(paths.practiceLog());
    ASSERT_FALSE(rows.empty());
    // The second run starts again from its first judgement.
    int restarts = 0;
    for (const auto& r : rows) {
        std::vector<std::string> f;
        splitCsvLine(r, f);
        restarts += f[7] == "1" ? 1 : 0;
    }
    EXPECT_EQ(restarts, 2);
    CharLogTable table;
    EXPECT_TRUE(readCharLog(paths.charLog(), table));
}

// The writer keeps what did not fit and writes it, in order and once, with the next write after
// space returns; the learner hears of it once per outage.
TEST(FullDisk, WriterKeepsTheRowsAndWritesThemOnceWhenSpaceReturns) {
    test::TempDir dir;
    const LogFiles files{dir / "practice.csv", dir / "chars.csv", dir / "text.txt", false};
    ASSERT_TRUE(appendPracticeRow(files.practiceLog, row(1)));
    const auto size = fs::file_size(files.practiceLog);

    const int status = test::inChild([&] {
        int reports = 0;
        LogWriter writer(files,
                         [&](const fs::path& p) { reports += p == files.practiceLog ? 1 : 100; });
        if (!test::limitFileSize(size + 40))
            return false;
        for (int i = 2; i <= 4; ++i) {
            writer.addPracticeRow(row(i));
            writer.service(static_cast<std::uint32_t>(i));
        }
        if (reports != 1 || fs::file_size(files.practiceLog) != size || writer.pending() != 3)
            return false;
        if (!test::liftFileSizeLimit())
            return false;
        writer.addPracticeRow(row(5));
        writer.service(5);
        if (reports != 1 || writer.pending() != 0)
            return false;
        // A second outage is news again.
        if (!test::limitFileSize(fs::file_size(files.practiceLog) + 40))
            return false;
        writer.addPracticeRow(row(6));
        return !writer.flush() && reports == 2 && test::liftFileSizeLimit() && writer.flush();
    });
    ASSERT_EQ(status, 0);
    std::vector<std::string> judged;
    for (const auto& r : wholeRows(files.practiceLog)) {
        std::vector<std::string> f;
        splitCsvLine(r, f);
        judged.push_back(f[7]);
    }
    EXPECT_EQ(judged, (std::vector<std::string>{"1", "2", "3", "4", "5", "6"}));
}

// A run on a disk that fills part way: one message, only whole rows, and once there is space
// again every row of the run is there, once, in order, with the completed set last.
TEST(FullDisk, RunKeepsItsHistoryUntilThereIsSpaceAgain) {
    test::TempDir dir;
    const DataPaths paths(dir.path());
    const int status = test::inChild([&] {
        if (!test::limitFileSize(1500))
            return false;
        ReceiveRig rig(dir.path());
        if (rig.view.boxes.size() != 1 || fs::file_size(paths.practiceLog()) > 1500 ||
            rig.trainer.scoring().logs().pending() == 0)
            return false;
        return test::liftFileSizeLimit() && rig.trainer.scoring().flushLogs() &&
               rig.view.boxes.size() == 1 && rig.view.boxes[0].icon == MessageIcon::Warning;
    });
    ASSERT_EQ(status, 0);
    std::vector<std::vector<std::string>> rows;
    for (const auto& r : wholeRows(paths.practiceLog())) {
        rows.emplace_back();
        splitCsvLine(r, rows.back());
    }
    ASSERT_GT(rows.size(), 10u);
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        EXPECT_EQ(rows[i][7], std::to_string(i + 1));
        EXPECT_EQ(rows[i][18], toUtf8(kStatusInProgress));
    }
    EXPECT_EQ(rows.back()[18], toUtf8(kStatusFinished));
    EXPECT_EQ(rows.back()[7], std::to_string(rows.size() - 1));
    EXPECT_FALSE(test::readAll(paths.textLog()).empty());
}

}  // namespace
}  // namespace quorvel
