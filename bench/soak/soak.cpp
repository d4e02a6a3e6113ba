// Hours of receive practice in simulated time: random sets, band effects and audio, logs on.
// Samples the resident memory and open descriptors, then checks that the logs parse and add up
// to the run's tallies. Usage: quorvel-soak [hours] [data dir]
#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/simulated_run.h"
#include "storage/char_log.h"
#include "storage/practice_log.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

long residentKiB() {
    std::ifstream in("/proc/self/statm");
    long pages = 0, resident = 0;
    in >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

int openDescriptors() {
    int n = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (const dirent* e = ::readdir(d))
            n += e->d_name[0] != '.' ? 1 : 0;
        ::closedir(d);
    }
    return n - 1;  // the directory stream itself
}

// Shows nothing; the soak only counts.
struct QuietView : PracticeView {
    int results = 0;
    int boxes = 0;
    void telegramResultReady(const TelegramResult&) override { ++results; }
    bool dismissesResultsItself() const override { return true; }
    void messageBox(const std::u16string&, const std::u16string&, MessageIcon) override { ++boxes; }
};

int soak(double hours, const fs::path& dir) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    const LocalDateTime day{2024, 3, 5, 9, 0, 0};
    ManualScoringClock clock(0, day);
    QuietView view;
    TrainerOptions options;
    options.dataDirectory = dir;
    options.syncLogs = false;  // the rename still happens; fsync would only measure the disk
    options.clock = &clock;
    Trainer trainer(options);
    trainer.setView(&view);
    PracticeSettings& s = trainer.settings();
    s.WPM = 25;
    s.BandQRN = 1;
    s.BandQRM = 1;
    s.BandQSB = 1;
    s.BandFlutter = 1;
    s.BandChirp = 1;
    s.BandUnevenLength = 1;
    s.AutoDifficulty = 0;  // keep the level, so the sets stay alike over the hours
    const DataPaths paths(dir, {fs::path(QUORVEL_SOURCE_DIR) / "resources"});
    SimulatedRun run(trainer, &clock);
    float sink = 0;
    run.setAudioSink([&sink](const float* x, std::size_t n) { sink += x[n - 1]; });

    const auto limitMs = static_cast<std::uint64_t>(hours * 3600.0 * 1000.0);
    std::uint64_t simulatedMs = 0;
    long long judged = 0, correct = 0, wrong = 0, sets = 0, telegrams = 0;
    // Only a finished set writes a "完了" row; a run whose set did not finish leaves "途中" rows.
    // Sets end unfinished when band effects make the decoder misread a character: a wrong
    // character does not move the cursor, so the playback ends before the last field is done.
    long long finishedJudged = 0, finishedCorrect = 0, finishedWrong = 0, unfinished = 0;
    const long rssStart = residentKiB();
    const int fdStart = openDescriptors();
    long rssPeak = rssStart;
    int fdPeak = fdStart;
    const auto wallStart = std::chrono::steady_clock::now();
    std::uint64_t nextSample = 0;
    while (simulatedMs < limitMs) {
        trainer.generateRandomSet(paths);
        telegrams += trainer.document().telegramCount();
        simulatedMs += run.receive();
        const RunTally t = trainer.scoring().runTally();
        judged += t.judgedCount;
        correct += t.correctCount;
        wrong += t.wrongCount;
        sets += t.finishedSets;
        if (t.finishedSets > 0) {
            finishedJudged += t.judgedCount;
            finishedCorrect += t.correctCount;
            finishedWrong += t.wrongCount;
        } else {
            ++unfinished;
        }
        rssPeak = std::max(rssPeak, residentKiB());
        fdPeak = std::max(fdPeak, openDescriptors());
        if (simulatedMs >= nextSample) {
            const double wall =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
            std::printf("sim %6.2f h  wall %6.0f s  telegrams %6lld  rss %6ld KiB  fds %d\n",
                        static_cast<double>(simulatedMs) / 3.6e6, wall, telegrams, residentKiB(),
                        openDescriptors());
            std::fflush(stdout);
            nextSample += 1800 * 1000;  // every simulated half hour
        }
    }
    const long rssEnd = residentKiB();
    const int fdEnd = openDescriptors();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();

    // Every finished run wrote one "完了" row holding its tallies.
    const PracticeSums sums = sumPracticeLog(paths.practiceLog(), day);
    long long lines = 0;
    forEachPracticeLogLine(paths.practiceLog(), [&](std::string_view) { ++lines; });
    CharLogTable table;
    const bool charLogRead = readCharLog(paths.charLog(), table);
    long long asked = 0, charCorrect = 0;
    for (const auto& [c, st] : table) {
        asked += st.asked;
        charCorrect += st.correct;
    }
    const bool sumsMatch = sums.today.rows == sets && sums.today.chars == finishedJudged &&
                           sums.today.correct == finishedCorrect &&
                           sums.today.wrong == finishedWrong;
    const bool charsMatch = charLogRead && asked == judged && charCorrect == correct;

    std::printf(
        "simulated %.2f h in %.0f s wall (x%.0f), %lld sets finished, %lld unfinished, "
        "%lld telegrams\n",
        static_cast<double>(simulatedMs) / 3.6e6, wall,
        static_cast<double>(simulatedMs) / 1000.0 / wall, sets, unfinished, telegrams);
    std::printf("rss start %ld KiB, end %ld KiB, peak %ld KiB\n", rssStart, rssEnd, rssPeak);
    std::printf("fds start %d, end %d, peak %d\n", fdStart, fdEnd, fdPeak);
    std::printf(
        "tallies: judged %lld correct %lld wrong %lld; practice log %lld lines, "
        "finished rows %lld chars %lld correct %lld wrong %lld -> %s\n",
        judged, correct, wrong, lines, static_cast<long long>(sums.today.rows),
        static_cast<long long>(sums.today.chars), static_cast<long long>(sums.today.correct),
        static_cast<long long>(sums.today.wrong), sumsMatch ? "match" : "MISMATCH");
    std::printf("character log: %zu characters, asked %lld correct %lld -> %s; message boxes %d\n",
                table.size(), asked, charCorrect, charsMatch ? "match" : "MISMATCH", view.boxes);
    return sumsMatch && charsMatch && fdEnd <= fdStart ? 0 : 1;
}

}  // namespace
}  // namespace quorvel

int main(int argc, char** argv) {
    const double hours = argc > 1 ? std::atof(argv[1]) : 8.0;
    const std::filesystem::path dir = argc > 2
                                          ? std::filesystem::path(argv[2])
                                          : std::filesystem::temp_directory_path() / "quorvel-soak";
    return quorvel::soak(hours, dir);
}
