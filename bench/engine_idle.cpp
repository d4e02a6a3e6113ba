// Cost of a trainer that runs no practice (wake-ups of its threads) and the time the document
// lock is held for one judged character, with its logs queued or written.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "engine/trainer.h"

namespace quorvel {
namespace {

// Voluntary plus involuntary context switches of every thread of this process.
long long processSwitches() {
    long long total = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream status(task.path() / "status");
        std::string key;
        while (status >> key) {
            long long n = 0;
            if (key == "voluntary_ctxt_switches:" || key == "nonvoluntary_ctxt_switches:") {
                status >> n;
                total += n;
            }
        }
    }
    return total;
}

// Two seconds of whatever runs: wake-ups per second and the share of a core.
void countWakeUps(benchmark::State& state) {
    for (auto _ : state) {
        const long long before = processSwitches();
        const std::clock_t cpu = std::clock();
        std::this_thread::sleep_for(std::chrono::seconds(2));
        state.counters["wakeups_per_s"] = static_cast<double>(processSwitches() - before) / 2.0;
        state.counters["cpu_percent"] =
            100.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC / 2.0;
    }
}

void IdleTrainerWakeUps(benchmark::State& state) {
    Trainer trainer;
    trainer.startThreads();
    countWakeUps(state);
    trainer.shutdown();
}
BENCHMARK(IdleTrainerWakeUps)->Iterations(3)->Unit(benchmark::kSecond);

// A real-time receive without a sound device: the keying, playback, consumer and log writer
// threads. The sound device adds one wake-up per buffer (500/s with 2 ms buffers).
void RealTimeReceiveWakeUps(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() / "quorvel-bench-receive";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    TrainerOptions options;
    options.dataDirectory = dir;
    Trainer trainer(options);
    PracticeSettings::set(trainer.settings().WPM, 25);
    trainer.document().installSet({{u"", u"", u"", u"", u"", std::u16string(2000, u'ア')}}, false);
    trainer.startThreads();
    trainer.rxStart();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    countWakeUps(state);
    trainer.rxStop();
    trainer.shutdown();
    std::filesystem::remove_all(dir);
}
BENCHMARK(RealTimeReceiveWakeUps)->Iterations(3)->Unit(benchmark::kSecond);

// The whole of enterCharacter runs under the document lock. First arg 1: the log writer's thread
// runs, as in the program, so the lock covers only queuing; arg 0: the writer runs inline (as
// in a simulated run), so the row and the character-log rewrite are inside the lock too.
// Second arg 1: the rewritten character log is flushed to the disk.
void JudgedCharacterUnderTheLock(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() / "quorvel-bench-lock";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    TrainerOptions options;
    options.dataDirectory = dir;
    options.syncLogs = state.range(1) != 0;
    Trainer trainer(options);
    if (state.range(0) != 0)
        trainer.scoring().logs().start();
    TelegramDocument& doc = trainer.document();
    doc.installSet({{u"", u"", u"", u"", u"", std::u16string(100000, u'ア')}}, false);
    for (auto _ : state)
        doc.enterCharacter(u'ア');
    trainer.shutdown();  // the writer's thread is done with the directory
    std::filesystem::remove_all(dir);
}
BENCHMARK(JudgedCharacterUnderTheLock)
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quorvel
