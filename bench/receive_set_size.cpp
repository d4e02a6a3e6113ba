// CPU per judged character of a simulated receive at 40 WPM, by the number of telegrams in the
// set: the first telegram is received whole, with a window-like view that copies the papers'
// snapshot on every repaint. The figure should not grow with the set.
#include <benchmark/benchmark.h>

#include "engine/simulated_run.h"

namespace quorvel {
namespace {

class RepaintingView final : public PracticeView {
  public:
    explicit RepaintingView(Trainer& trainer) : trainer_(trainer) {}
    void inputPaperChanged() override {
        ++judged;
        repaint();
    }
    void papersChanged() override { repaint(); }
    void pageLabelsChanged(const PageLabels& labels) override {
        benchmark::DoNotOptimize(labels.paper.size());
    }
    void telegramResultReady(const TelegramResult&) override { done = true; }
    bool dismissesResultsItself() const override { return true; }

    long judged = 0;
    bool done = false;

  private:
    void repaint() {
        const auto s = trainer_.snapshot();
        benchmark::DoNotOptimize(s);
    }
    Trainer& trainer_;
};

TelegramList setOf(std::size_t count) {
    const TelegramList& samples = builtInSamples(false);
    TelegramList set;
    set.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        set.push_back(samples[i % samples.size()]);
    return set;
}

void receiveBySetSize(benchmark::State& state) {
    const TelegramList set = setOf(static_cast<std::size_t>(state.range(0)));
    long judged = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            ManualScoringClock clock;
            TrainerOptions options;
            options.clock = &clock;
            Trainer trainer(options);
            PracticeSettings::set(trainer.settings().WPM, 40);
            RepaintingView view(trainer);
            trainer.setView(&view);
            trainer.document().installSet(set, false);
            SimulatedRun sim(trainer, &clock);
            // The run ends once the first telegram's card is out: the rest of the set only
            // has to be there.
            sim.setStepHook([&](std::uint32_t) {
                if (view.done)
                    trainer.flags().endPlaybackRun(
                        trainer.flags().PlaybackRunning.load(std::memory_order_acquire));
            });
            state.ResumeTiming();
            sim.receive(0);
            state.PauseTiming();
            judged += view.judged;
            trainer.setView(nullptr);
        }
        state.ResumeTiming();
    }
    state.counters["per_char"] = benchmark::Counter(
        static_cast<double>(judged), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["chars"] = static_cast<double>(judged) / static_cast<double>(state.iterations());
}

BENCHMARK(receiveBySetSize)
    ->Arg(4)
    ->Arg(200)
    ->Arg(1000)
    ->ArgName("telegrams")
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvel
