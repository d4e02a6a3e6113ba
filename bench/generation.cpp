// Cost of one press of "ランダム生成" in each language, and of reading a large telegram file.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "generation/english_generator.h"
#include "generation/japanese_generator.h"
#include "practice/telegram_file.h"
#include "storage/utf.h"

namespace {

using namespace quorvel;

const GeneratorFiles kShipped{
    {std::filesystem::path(__FILE__).parent_path().parent_path() / "resources"}};

// Ten telegrams at "国家試験" from the built-in themes (no template files).
void BM_JapaneseBuiltInThemes(benchmark::State& state) {
    const JapaneseTables& tables = builtInJapaneseTables();
    const CharStats stats;
    RandomGenerator random;
    random.seed(1);
    for (auto _ : state) {
        JapaneseGenerator g(tables, random, {4, 0, true, false}, {}, stats);
        benchmark::DoNotOptimize(g.batch());
    }
}
BENCHMARK(BM_JapaneseBuiltInThemes)->Unit(benchmark::kMicrosecond);

// The same press with the shipped template file, read anew for every telegram.
void BM_JapaneseTemplateFile(benchmark::State& state) {
    const CharStats stats;
    RandomGenerator random;
    random.seed(1);
    for (auto _ : state) {
        JapaneseGenerator g(builtInJapaneseTables(), random, {4, 0, true, false}, kShipped, stats);
        benchmark::DoNotOptimize(g.batch());
    }
}
BENCHMARK(BM_JapaneseTemplateFile)->Unit(benchmark::kMicrosecond);

// Reading, parsing and enlarging both English files, then 200 telegrams.
void BM_LatinPress(benchmark::State& state) {
    RandomGenerator random;
    random.seed(1);
    for (auto _ : state) {
        std::vector<EnglishTemplate> templates;
        EnglishDictionary dictionary;
        if (!loadEnglishSources(kShipped, templates, dictionary)) {
            state.SkipWithError("English files missing");
            return;
        }
        TelegramList records;
        latinBatch(templates, dictionary, 2, 0, random, records);
        benchmark::DoNotOptimize(records);
    }
}
BENCHMARK(BM_LatinPress)->Unit(benchmark::kMicrosecond);

// Splitting a file of N Japanese telegrams, each lacking its serial tag except the last.
void BM_ParseManyTelegrams(benchmark::State& state) {
    std::u16string text;
    const auto n = state.range(0);
    for (std::int64_t i = 0; i < n; ++i)
        text += u"[VALA]\n一\n[VALB]\nア\n[VALD]\nコ一、二\n[VALE]\nイ」\n[TEXT]\nウエオ」\n";
    text += u"[VALC]\n九\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(parseTelegramText(text));
    state.SetComplexityN(n);
}
BENCHMARK(BM_ParseManyTelegrams)->Range(1000, 64000)->Complexity()->Unit(benchmark::kMillisecond);

}  // namespace
