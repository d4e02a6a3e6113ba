// Peak memory of a simulated receive of one Latin telegram whose text is 5 MB, over its first
// characters: what the run holds beside the text should stay a small multiple of the text.
// Its own program, so the peak (getrusage) is this run's alone.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "engine/simulated_run.h"

namespace quorvel {
namespace {

constexpr std::size_t kTextBytes = 5'000'000;
constexpr long kJudged = 300;  // characters received before the run is ended

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss: KiB on Linux
}

class CountingView final : public PracticeView {
  public:
    void inputPaperChanged() override { ++judged; }
    bool dismissesResultsItself() const override { return true; }
    long judged = 0;
};

// A run over the first kJudged characters of one telegram of textBytes characters.
long receiveOnce(std::size_t textBytes) {
    TelegramRecord record{u"NR 1", {}, {}, {}, u"ADDR", {}};
    static constexpr std::u16string_view kWords = u"THE QUICK BROWN FOX JUMPS OVER DOGS ";
    record.text.reserve(textBytes);
    while (record.text.size() + kWords.size() <= textBytes)
        record.text.append(kWords);
    record.text.resize(textBytes, u'E');

    ManualScoringClock clock;
    TrainerOptions options;
    options.clock = &clock;
    Trainer trainer(options);
    PracticeSettings::set(trainer.settings().WPM, 40);
    CountingView view;
    trainer.setView(&view);
    TelegramList set;
    set.push_back(std::move(record));
    trainer.document().installSet(std::move(set), true);
    SimulatedRun sim(trainer, &clock);
    sim.setStepHook([&](std::uint32_t) {
        if (view.judged >= kJudged)
            trainer.flags().endPlaybackRun(
                trainer.flags().PlaybackRunning.load(std::memory_order_acquire));
    });
    sim.receive(0);
    trainer.setView(nullptr);
    return view.judged;
}

void receiveLargeText(benchmark::State& state) {
    // The program's baseline: the same run on a text of 5 kB.
    receiveOnce(kTextBytes / 1000);
    const double baseline = peakMegabytes();
    long judged = 0;
    for (auto _ : state)
        judged = receiveOnce(kTextBytes);
    const double peak = peakMegabytes();
    const double text = static_cast<double>(kTextBytes) / (1024.0 * 1024.0);
    state.counters["baseline_MiB"] = baseline;
    state.counters["peak_MiB"] = peak;
    state.counters["text_MiB"] = text;
    state.counters["over_baseline_x_text"] = (peak - baseline) / text;
    state.counters["chars"] = static_cast<double>(judged);
}

BENCHMARK(receiveLargeText)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvel
