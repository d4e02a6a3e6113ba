// How well the decoder reads human keying: the built-in telegrams keyed with random element and
// gap lengths, run through the sampler and the decoder in simulated time at default settings.
// Counters, as shares in %: "read" of the keyed codes (procedure signals included) that the
// timing steps read back exactly; "entered" of the sent characters that reached the document
// right through the whole decoder, where a misread separator costs the rest of its section;
// "ended" of the telegrams whose end signal was accepted. Sequences are compared by their
// longest common subsequence, so one split or merged character costs only itself.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "keying/keying_engine.h"
#include "keying/keying_sampler.h"
#include "keying/timing_script.h"
#include "morse/code_tables.h"
#include "practice/document.h"

namespace quorvel {
namespace {

constexpr int kRepetitions = 10;  // per telegram and configuration

struct Sent {
    std::vector<std::string> codes;  // "" is a word space
    std::vector<std::string> keyed;  // the codes without the word spaces
    std::u16string characters;       // compare-folded, blanks left out
};

Sent sentTelegram(const TelegramRecord& r, bool latin) {
    Sent sent;
    auto field = [&](const std::u16string& text, bool cut) {
        for (char16_t c : toPracticeForm(text, latin)) {
            if (c == u' ' || c == u'\t') {
                if (latin)
                    sent.codes.emplace_back();
                continue;
            }
            auto code = cut ? cutNumeralCode(c) : std::nullopt;
            if (!code)
                code = codeFor(c, latin);
            if (!code)
                continue;
            sent.codes.push_back(*code);
            sent.characters.push_back(foldForCompare(c));
        }
    };
    if (latin) {
        field(r.preamble, false);
        sent.codes.emplace_back(kSignalBT);
        field(r.address, false);
        sent.codes.emplace_back(kSignalBT);
        field(r.text, false);
        sent.codes.emplace_back(kSignalAR);
    } else {
        for (int s = 0; s < kSectionCount; ++s)
            field(r.field(s), s == FilingTime);
        sent.codes.emplace_back(kSignalVE);
    }
    for (const auto& code : sent.codes)
        if (!code.empty())
            sent.keyed.push_back(code);
    return sent;
}

// Nominal lengths in units: elements 1 and 3, gaps 1, charGap and 7; each drawn from a normal
// distribution around its nominal length with the given relative spread.
TimingScript humanKeying(const Sent& sent, std::uint32_t unit, double spread, int charGap,
                         std::mt19937& rng) {
    auto draw = [&](int units) {
        const double nominal = static_cast<double>(units) * unit;
        std::normal_distribution<double> jitter(0.0, spread * nominal);
        const double ms = spread > 0 ? nominal + jitter(rng) : nominal;
        return static_cast<std::uint32_t>(std::max(1.0, std::round(ms)));
    };
    TimingScript script{{false, false, 1000}};
    for (std::size_t k = 0; k < sent.codes.size(); ++k) {
        const std::string& code = sent.codes[k];
        if (code.empty())
            continue;
        const bool wordFollows = k + 1 < sent.codes.size() && sent.codes[k + 1].empty();
        for (std::size_t i = 0; i < code.size(); ++i) {
            script.push_back({true, false, draw(code[i] == '-' ? 3 : 1)});
            const bool last = i + 1 == code.size();
            script.push_back({false, false, draw(!last ? 1 : wordFollows ? 7 : charGap)});
        }
    }
    script.push_back({false, false, 3000});
    return script;
}

// Keeps the decoded characters in order, blanks aside.
struct DecodedStream final : ScoringSink {
    std::u16string characters;
    void scoreCharacter(char16_t, char16_t keyed, bool) override {
        if (keyed != 0 && keyed != u' ')
            characters.push_back(foldForCompare(keyed));
    }
    void showJudgement(char16_t, char16_t, bool) override {}
    void resetScores() override { characters.clear(); }
    void clearTelegramScore() override {}
};

struct CountingView final : PracticeView {
    int ended = 0;
    void telegramResultReady(const TelegramResult&) override { ++ended; }
    bool dismissesResultsItself() const override { return true; }
};

// The character codes the timing steps produce, as the consumer would receive them.
struct CodeRecorder final : KeyingEventSink {
    std::vector<std::string> codes;
    void post(const KeyingEvent& e) override {
        if (e.kind == KeyingEventKind::Character)
            codes.emplace_back(e.code());
    }
    bool spaceExpected() override { return false; }
};

template <typename Sequence>
std::size_t commonSubsequence(const Sequence& a, const Sequence& b) {
    std::vector<std::size_t> row(b.size() + 1, 0);
    for (const auto& x : a) {
        std::size_t diagonal = 0;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = x == b[j - 1] ? diagonal + 1 : std::max(row[j], row[j - 1]);
            diagonal = above;
        }
    }
    return row[b.size()];
}

struct Tally {
    std::size_t codes = 0;
    std::size_t read = 0;
    std::size_t sent = 0;
    std::size_t right = 0;
    int telegrams = 0;
    int ended = 0;
};

// One telegram on a fresh engine, so a telegram that fails to end leaves the next unharmed.
void keyTelegram(const TelegramRecord& record, bool latin, int wpm, double spread, int charGap,
                 std::mt19937& rng, Tally& tally) {
    PracticeSettings settings;
    PracticeSettings::set(settings.WPM, wpm);
    // Wrong characters advance the position as they are entered, so one misreading does not
    // shift every later section; the reading itself is the decoder's at default tolerances.
    PracticeSettings::set(settings.goOnAfterMistakes, 1);
    PracticeSettings::set(settings.Mode, 1);
    SharedFlags flags;
    TelegramDocument document(settings, flags);
    DecodedStream decoded;
    CountingView view;
    document.setScoring(&decoded);
    document.setView(&view);
    if (latin)
        document.switchLanguage(true);
    document.installSet({record}, false);
    document.reset();

    KeyingEngine engine(settings, flags, document);
    CodeRecorder recorder;
    KeyingSampler reader(
        settings, flags, recorder, [latin] { return latin; }, 0);
    engine.restartTiming(0);
    const Sent sent = sentTelegram(record, latin);
    // Both samplers see the same contacts and settings, so they time every element alike.
    std::uint32_t now = 0;
    for (const ContactSegment& seg : humanKeying(sent, unitForWpm(wpm), spread, charGap, rng)) {
        flags.keyboardDot.store(seg.dot ? 1 : 0, std::memory_order_relaxed);
        for (std::uint32_t k = 0; k < seg.ms; ++k, ++now) {
            engine.step(now);
            engine.drain();
            reader.step(now);
        }
    }

    tally.codes += sent.keyed.size();
    tally.read += commonSubsequence(sent.keyed, recorder.codes);

    tally.sent += sent.characters.size();
    tally.right += commonSubsequence(sent.characters, decoded.characters);
    tally.telegrams += 1;
    tally.ended += view.ended;
}

void decoderAccuracy(benchmark::State& state, bool latin, int wpm, int spreadPercent, int charGap) {
    Tally tally;
    for (auto _ : state) {
        std::mt19937 rng(12345);
        for (int rep = 0; rep < kRepetitions; ++rep)
            for (const TelegramRecord& r : builtInSamples(latin))
                keyTelegram(r, latin, wpm, spreadPercent / 100.0, charGap, rng, tally);
    }
    state.counters["read%"] = 100.0 * static_cast<double>(tally.read) /
                              static_cast<double>(std::max<std::size_t>(1, tally.codes));
    state.counters["entered%"] = 100.0 * static_cast<double>(tally.right) /
                                 static_cast<double>(std::max<std::size_t>(1, tally.sent));
    state.counters["ended%"] = 100.0 * tally.ended / std::max(1, tally.telegrams);
    state.counters["codes"] = static_cast<double>(tally.codes);
}

const bool registered = [] {
    for (bool latin : {false, true})
        for (int wpm : {15, 25})
            for (int charGap : {3, 4})
                for (int spread : {0, 10, 20, 30}) {
                    const std::string name =
                        std::string(latin ? "Latin" : "Japanese") + "/" + std::to_string(wpm) +
                        "wpm/gap" + std::to_string(charGap) + "/spread" + std::to_string(spread);
                    benchmark::RegisterBenchmark(name.c_str(), decoderAccuracy, latin, wpm, spread,
                                                 charGap)
                        ->Iterations(1)
                        ->Unit(benchmark::kMillisecond);
                }
    return true;
}();

}  // namespace
}  // namespace quorvel
