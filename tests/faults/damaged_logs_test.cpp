// Data files that are not what the program wrote: a character log replaced by garbage, by an
// empty file or by a directory, and a data directory the program may not write.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "engine/simulated_run.h"
#include "storage/char_log.h"
#include "storage/practice_log.h"
#include "tests/faults/child_process.h"
#include "tests/support/recording_view.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

// A receive run of the built-in set logging into `dir`; false unless it ran to the end with
// every character right.
bool receiveRunCompletes(const fs::path& dir, test::RecordingView& view) {
    ManualScoringClock clock(0, {2024, 3, 5, 9, 0, 0});
    TrainerOptions options;
    options.dataDirectory = dir;
    options.syncLogs = false;
    options.clock = &clock;
    Trainer trainer(options);
    trainer.setView(&view);
    trainer.settings().WPM = 30;
    trainer.settings().WeakTelegram = 1;
    // The weak-character generator reads the character log first.
    trainer.generateRandomSet(DataPaths(dir));
    SimulatedRun run(trainer, &clock);
    run.receive();
    const RunTally tally = trainer.scoring().runTally();
    return view.results.size() == static_cast<std::size_t>(trainer.document().telegramCount()) &&
           tally.judgedCount > 0 && tally.correctCount == tally.judgedCount;
}

int judgementsIn(const fs::path& charLog) {
    CharLogTable table;
    readCharLog(charLog, table);
    int asked = 0;
    for (const auto& [c, s] : table)
        asked += s.asked;
    return asked;
}

TEST(DamagedCharacterLog, GarbageOrAnEmptyFileIsReadAsNoHistoryAndRewrittenWhole) {
    const std::string contents[] = {
        std::string("\x00\xFF\xFE\x80garbage,,\"\r\n\x01\x02", 15),
        std::string(),
        std::string("\xEF\xBB\xBF"),
    };
    for (const auto& bytes : contents) {
        test::TempDir dir;
        const DataPaths paths(dir.path());
        test::writeAll(paths.charLog(), bytes);
        test::RecordingView view;
        ASSERT_TRUE(receiveRunCompletes(dir.path(), view));
        // Every judgement of the run is in the rewritten log, which reads as a whole.
        const std::string log = test::readAll(paths.charLog());
        EXPECT_TRUE(log.starts_with(std::string(kUtf8Mark) + std::string(kCharLogHeader)));
        EXPECT_GT(judgementsIn(paths.charLog()), 0);
        EXPECT_TRUE(fs::exists(paths.practiceLog()));
    }
}

TEST(DamagedCharacterLog, DirectoryInItsPlaceIsLeftAloneAndTheOtherLogsGoOn) {
    test::TempDir dir;
    const DataPaths paths(dir.path());
    fs::create_directory(paths.charLog());
    test::writeAll(paths.charLog() / "keep.txt", "mine");
    test::RecordingView view;
    ASSERT_TRUE(receiveRunCompletes(dir.path(), view));
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_NE(view.boxes[0].text.find(paths.charLog().u16string()), std::u16string::npos);
    EXPECT_TRUE(fs::is_directory(paths.charLog()));
    EXPECT_EQ(test::readAll(paths.charLog() / "keep.txt"), "mine");
    EXPECT_GT(fs::file_size(paths.practiceLog()), 0u);
    EXPECT_GT(fs::file_size(paths.textLog()), 0u);
    int temporary = 0;
    for (const auto& e : fs::directory_iterator(dir.path()))
        temporary += e.path().extension() == ".tmp" ? 1 : 0;
    EXPECT_EQ(temporary, 0);
}

// Permission bits do not stop root, so the run is made by an unprivileged child.
TEST(ReadOnlyDataDirectory, PracticeGoesOnAndNothingIsWrittenOrLost) {
    test::TempDir dir;
    const DataPaths paths(dir.path());
    ASSERT_TRUE(appendPracticeRow(paths.practiceLog(), {}));
    ASSERT_TRUE(updateCharLog(paths.charLog(), u'ア', u'イ', false, false));
    const std::string practiceBefore = test::readAll(paths.practiceLog());
    const std::string charsBefore = test::readAll(paths.charLog());
    ::chmod(dir.path().c_str(), 0555);
    ::chmod(paths.practiceLog().c_str(), 0444);
    ::chmod(paths.charLog().c_str(), 0444);

    const int status = test::inChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return false;
        if (::access(dir.path().c_str(), W_OK) == 0)
            return false;  // still writable: this would test nothing
        test::RecordingView view;
        // Every write of the run fails; the learner is told once.
        return receiveRunCompletes(dir.path(), view) && view.boxes.size() == 1 &&
               view.boxes[0].text.find(u"練習履歴を保存できませんでした。") == 0;
    });
    ::chmod(dir.path().c_str(), 0755);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(test::readAll(paths.practiceLog()), practiceBefore);
    EXPECT_EQ(test::readAll(paths.charLog()), charsBefore);
    EXPECT_FALSE(fs::exists(paths.textLog()));
}

}  // namespace
}  // namespace quorvel
