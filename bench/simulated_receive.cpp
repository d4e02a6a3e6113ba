// How much faster than real time a simulated receive run of the two Japanese samples is, with
// and without rendering its audio (48 kHz mono).
#include <benchmark/benchmark.h>

#include <chrono>

#include "engine/simulated_run.h"

namespace quorvel {
namespace {

void simulatedReceive(benchmark::State& state) {
    const bool audio = state.range(0) != 0;
    double simulatedMs = 0;
    double wallMs = 0;
    for (auto _ : state) {
        ManualScoringClock clock;
        TrainerOptions options;
        options.clock = &clock;
        Trainer trainer(options);
        SimulatedRun sim(trainer, &clock);
        float sink = 0;
        if (audio)
            sim.setAudioSink([&sink](const float* s, std::size_t n) { sink += s[n - 1]; });
        const auto start = std::chrono::steady_clock::now();
        simulatedMs += sim.receive(0);
        wallMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        benchmark::DoNotOptimize(sink);
    }
    state.counters["simulated_s"] = simulatedMs / 1000.0 / static_cast<double>(state.iterations());
    state.counters["x_real_time"] = simulatedMs / wallMs;
}

BENCHMARK(simulatedReceive)->Arg(0)->Arg(1)->ArgName("audio")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvel
