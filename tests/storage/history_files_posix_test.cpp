// The history against other writers and odd files: one writer per data directory, a character
// log never rewritten from a stale copy, special files refused without waiting, links kept,
// directory names that are not UTF-8.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "storage/char_log.h"
#include "storage/data_dir_lock.h"
#include "storage/file_io.h"
#include "storage/log_writer.h"
#include "storage/paths.h"
#include "storage/practice_log.h"
#include "storage/settings_file.h"
#include "storage/stats_report.h"
#include "storage/text_decode.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

int asked(const fs::path& charLog, char16_t c) {
    CharLogTable table;
    readCharLog(charLog, table);
    const auto it = table.find(c);
    return it == table.end() ? 0 : it->second.asked;
}

void judge(LogWriter& w, int n, std::uint32_t& now) {
    for (int i = 0; i < n; ++i)
        w.addJudgement(u'ア', u'ア', true);
    w.endOfSet();
    w.service(now += 10);
}

TEST(DataDirLock, OneHolderAtATimeWhoseIdTheOthersSee) {
    test::TempDir dir;
    DataDirLock first;
    ASSERT_EQ(first.acquire(dir.path()), DataDirLock::Result::Acquired);
    {
        DataDirLock second;  // another open of the file: excluded even in this process
        EXPECT_EQ(second.acquire(dir.path()), DataDirLock::Result::Busy);
        EXPECT_EQ(second.holder(), static_cast<std::int64_t>(::getpid()));
        EXPECT_FALSE(second.held());
    }
    first.release();
    DataDirLock third;
    EXPECT_EQ(third.acquire(dir.path()), DataDirLock::Result::Acquired);
    DataDirLock nowhere;
    EXPECT_EQ(nowhere.acquire(dir / "missing"), DataDirLock::Result::Unavailable);
}

TEST(DataDirLock, TakingItRemovesOnlyTheProgramsStaleTemporaries) {
    test::TempDir dir;
    const std::string charLog = kCharLogFileName;
    dir.write(charLog + ".quorvel-Ab3xY9.tmp", "left by a killed run");
    dir.write(std::string(kSettingsFileName) + ".4321-7.tmp", "older naming");
    dir.write(charLog + ".tmp", "the user's");
    dir.write("song.wav.quorvel-Ab3xY9.tmp", "not a data file");
    DataDirLock lock;
    ASSERT_EQ(lock.acquire(dir.path()), DataDirLock::Result::Acquired);
    EXPECT_FALSE(fs::exists(dir / (charLog + ".quorvel-Ab3xY9.tmp")));
    EXPECT_FALSE(fs::exists(dir / (std::string(kSettingsFileName) + ".4321-7.tmp")));
    EXPECT_TRUE(fs::exists(dir / (charLog + ".tmp")));
    EXPECT_TRUE(fs::exists(dir / "song.wav.quorvel-Ab3xY9.tmp"));
}

TEST(CharLogStaleCopy, AnotherWritersCountsAreKeptAndARemovedLogStartsAgain) {
    test::TempDir dir;
    const LogFiles files{dir / "practice.csv", dir / "chars.csv", dir / "text.txt", false};
    std::uint32_t now = 0;
    LogWriter window(files);  // long-lived: its copy of the log gets old
    judge(window, 44, now);
    {
        LogWriter cli(files);
        judge(cli, 322, now);
        ASSERT_TRUE(cli.flush());
    }
    judge(window, 40, now);
    ASSERT_TRUE(window.flush());
    EXPECT_EQ(asked(files.charLog, u'ア'), 44 + 322 + 40);

    fs::remove(files.charLog);
    judge(window, 3, now);
    ASSERT_TRUE(window.flush());
    EXPECT_EQ(asked(files.charLog, u'ア'), 3) << "a removed log came back with old counts";

    // An unreadable log keeps this run's judgements for later and says what is missing.
    fs::remove(files.charLog);
    fs::create_directory(files.charLog);
    judge(window, 5, now);
    EXPECT_FALSE(window.flush());
    const LogWriter::Backlog missing = window.backlog();
    EXPECT_EQ(missing.judgements, 5u);
    EXPECT_NE(missing.describe(files).find("5 judged characters of " + files.charLog.string()),
              std::string::npos);
    fs::remove(files.charLog);
    EXPECT_TRUE(window.flush());
    EXPECT_EQ(asked(files.charLog, u'ア'), 5);
}

TEST(SpecialFiles, ReadersRefuseThemAtOnceAndWritersLeaveThemInPlace) {
    test::TempDir dir;
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(dir / "dir");
    const auto start = std::chrono::steady_clock::now();
    for (const fs::path& p : {fifo, dir / "dir", fs::path("/dev/zero")}) {
        ReadProblem problem = ReadProblem::None;
        EXPECT_FALSE(readFileBytes(p, &problem)) << p;
        EXPECT_EQ(problem, ReadProblem::NotRegular) << p;
        std::string bytes;
        EXPECT_FALSE(readWholeFile(p, bytes)) << p;
        EXPECT_FALSE(forEachPracticeLogLine(p, [](std::string_view) {})) << p;
        PracticeSettings s;
        EXPECT_EQ(loadSettings(p, s), SettingsLoad::Unreadable) << p;
        EXPECT_EQ(PracticeSettings::get(s.WPM), 15);
        EXPECT_FALSE(saveSettings(p, s)) << p;
        CharLogTable table;
        EXPECT_FALSE(readCharLog(p, table)) << p;
    }
    ReadProblem missing = ReadProblem::None;
    EXPECT_FALSE(readFileBytes(dir / "none", &missing));
    EXPECT_EQ(missing, ReadProblem::Missing);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    // Logs and reports in a directory of FIFOs: placeholders, nothing waits.
    const DataPaths paths(dir / "fifos");
    fs::create_directory(paths.dataDirectory());
    for (const fs::path& p : {paths.practiceLog(), paths.charLog(), paths.textLog()})
        ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0);
    StatsReports reports(paths.practiceLog(), paths.charLog());
    EXPECT_NE(reports.buildReport(0, RunStats{}, {2024, 3, 5}).find(u"まだ"), std::u16string::npos);
    LogWriter writer(LogFiles::in(paths));
    writer.addPracticeRow(PracticeRow{});
    writer.addTextEntry(TextLogEntry{});
    writer.addJudgement(u'ア', u'ア', true);
    writer.endOfSet();
    EXPECT_FALSE(writer.flush());
    const LogWriter::Backlog kept = writer.backlog();
    EXPECT_EQ(kept.rows, 1u);
    EXPECT_EQ(kept.entries, 1u);
    EXPECT_EQ(kept.judgements, 1u);
    for (const fs::path& p : {paths.practiceLog(), paths.charLog(), paths.textLog()})
        EXPECT_TRUE(fs::is_fifo(p)) << p;
}

TEST(LinkedHistory, SymlinkedCharacterLogAndSettingsStayLinks) {
    test::TempDir dir;
    fs::create_directory(dir / "store");
    const DataPaths paths(dir / "data");
    fs::create_directory(paths.dataDirectory());
    fs::create_symlink(dir / "store" / "chars.csv", paths.charLog());
    fs::create_symlink(dir / "store" / "settings.ini", paths.settingsFile());

    LogWriter writer(LogFiles::in(paths));
    writer.addJudgement(u'ア', u'イ', false);
    writer.endOfSet();
    ASSERT_TRUE(writer.flush());
    PracticeSettings s;
    PracticeSettings::set(s.WPM, 22);
    ASSERT_TRUE(saveSettings(paths.settingsFile(), s));

    EXPECT_TRUE(fs::is_symlink(paths.charLog()));
    EXPECT_TRUE(fs::is_symlink(paths.settingsFile()));
    EXPECT_EQ(asked(dir / "store" / "chars.csv", u'ア'), 1);
    PracticeSettings loaded;
    EXPECT_EQ(loadSettings(dir / "store" / "settings.ini", loaded), SettingsLoad::Read);
    EXPECT_EQ(PracticeSettings::get(loaded.WPM), 22);
}

TEST(NonUtf8Directory, ShiftJisNamedDataDirectoryKeepsAndReportsItsHistory) {
    test::TempDir dir;
    const DataPaths paths(dir.path() / std::string("\x97\xfb\x8f\x4b"));  // 練習 in Shift-JIS
    ASSERT_TRUE(paths.prepare());
    DataDirLock lock;
    EXPECT_EQ(lock.acquire(paths.dataDirectory()), DataDirLock::Result::Acquired);
    LogWriter writer(LogFiles::in(paths));
    PracticeRow row;
    row.time = {2024, 3, 5, 10, 0, 0};
    row.judgedCount = 1;
    row.correctCount = 1;
    row.status = std::u16string(kStatusFinished);
    writer.addPracticeRow(row);
    writer.addJudgement(u'ア', u'ア', true);
    writer.endOfSet();
    ASSERT_TRUE(writer.flush());
    EXPECT_EQ(asked(paths.charLog(), u'ア'), 1);

    StatsReports reports(paths.practiceLog(), paths.charLog());
    const std::u16string report = reports.buildReport(0, RunStats{}, {2024, 3, 5});
    EXPECT_NE(report.find(u"CSV保存先"), std::u16string::npos);
    EXPECT_NE(report.find(u"\uFFFD"), std::u16string::npos) << "the path is shown, not dropped";
    EXPECT_EQ(report.find(u"まだ履歴"), std::u16string::npos) << "the row was read back";
}

}  // namespace
}  // namespace quorvel
