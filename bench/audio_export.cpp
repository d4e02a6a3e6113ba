// Seconds of exported audio per second of CPU, per format: the two Japanese samples at
// 20 WPM rendered and encoded into a file (48 kHz mono, default quality).
#include <benchmark/benchmark.h>

#include <ctime>
#include <filesystem>

#include "audio/file/audio_file_writer.h"
#include "engine/audio_export.h"

namespace quorvel {
namespace {

double cpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

void audioExport(benchmark::State& state) {
    const auto format = static_cast<AudioFileFormat>(state.range(0));
    if (!audioFormatAvailable(format)) {
        state.SkipWithError("format not in this build");
        return;
    }
    PracticeSettings settings;
    PracticeSettings::set(settings.WPM, 20);
    AudioExportJob job;
    job.telegrams = builtInSamples(false);
    const auto path = std::filesystem::temp_directory_path() /
                      ("quorvel-bench" + std::string(audioFormatExtension(format)));
    double audioSeconds = 0;
    double cpu = 0;
    for (auto _ : state) {
        std::uint64_t frames = 0;
        const double start = cpuSeconds();
        auto writer = openAudioFile(path, {});
        exportAudio(settings, job, *writer, [&frames](std::uint64_t f) {
            frames = f;
            return true;
        });
        cpu += cpuSeconds() - start;
        audioSeconds += static_cast<double>(frames) / 48000.0;
    }
    state.counters["audio_s_per_cpu_s"] = audioSeconds / cpu;
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove(path);
    state.SetLabel(std::string(audioFormatExtension(format)));
}

BENCHMARK(audioExport)->DenseRange(0, 4)->Unit(benchmark::kSecond)->Iterations(2);

}  // namespace
}  // namespace quorvel
