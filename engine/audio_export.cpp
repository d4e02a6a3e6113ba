#include "engine/audio_export.h"

#include "engine/simulated_run.h"
#include "engine/trainer.h"
#include "storage/local_time.h"
#include "storage/settings_file.h"
#include "storage/utf.h"

namespace quorvel {
namespace {

// Keeps a phone player's title line readable; the comment has every text whole.
constexpr std::size_t kTitleCodeUnits = 60;

// A trainer with no data directory: it writes no logs.
void prepare(Trainer& t, const PracticeSettings& settings, const AudioExportJob& job) {
    copyPracticeSettings(settings, t.settings());
    PracticeSettings::set(t.settings().Mode, 0);
    t.switchLanguage(job.latin);
    if (!job.telegrams.empty())
        t.document().installSet(TelegramList(job.telegrams), job.latin);
}

struct Cancelled {};

}  // namespace

void copyPracticeSettings(const PracticeSettings& from, PracticeSettings& to) {
    for (const SettingKey& key : settingsTable())
        PracticeSettings::set(to.*key.field, PracticeSettings::get(from.*key.field));
    PracticeSettings::set(to.goOnAfterMistakes, PracticeSettings::get(from.goOnAfterMistakes));
}

bool noisyBand(const PracticeSettings& s) {
    for (const std::atomic<int>* effect :
         {&s.BandQRN, &s.BandQRM, &s.BandLightning, &s.BandAtmospheric, &s.BandIgnition})
        if (PracticeSettings::get(*effect) != 0)
            return true;
    return false;
}

std::uint64_t audioExportFrames(const PracticeSettings& settings, const AudioExportJob& job) {
    Trainer dry;
    prepare(dry, settings, job);
    ManualScoringClock clock(0, currentLocalTime());
    // Without an audio sink nothing is rendered.
    SimulatedRun sim(dry, &clock, job.sampleRate, 1);
    const std::uint64_t ms = sim.receive();
    return ms * static_cast<std::uint64_t>(job.sampleRate) / 1000;
}

std::uint64_t receiveAudioFrames(Trainer& source, int sampleRate) {
    AudioExportJob job;
    job.latin = source.document().latinMode();
    if (source.document().setActive())
        job.telegrams = *source.document().currentSet();
    job.sampleRate = sampleRate;
    return audioExportFrames(source.settings(), job);
}

void describeTelegrams(const TelegramList& telegrams, std::string& title, std::string& comment) {
    title.clear();
    comment.clear();
    std::u16string first;
    for (std::size_t i = 0; i < telegrams.size(); ++i) {
        std::u16string line;
        for (int section = 0; section < 6; ++section) {
            const std::u16string& field = telegrams[i].field(section);
            if (field.empty())
                continue;
            if (!line.empty())
                line += u' ';
            line += field;
        }
        if (i == 0)
            first = telegrams[i].text.empty() ? line : telegrams[i].text;
        comment += std::to_string(i + 1) + ". " + toUtf8(line) + "\n";
    }
    if (first.size() > kTitleCodeUnits) {
        std::size_t cut = kTitleCodeUnits;
        if (cut > 0 && first[cut - 1] >= 0xD800 && first[cut - 1] < 0xDC00)
            --cut;  // not between the halves of a surrogate pair
        first = first.substr(0, cut) + u"…";
    }
    title = toUtf8(first);
    if (telegrams.size() > 1)
        title += " (" + std::to_string(telegrams.size()) + ")";
}

bool exportAudio(const PracticeSettings& settings, const AudioExportJob& job,
                 AudioFileWriter& writer,
                 const std::function<bool(std::uint64_t framesDone)>& progress) {
    Trainer t;
    prepare(t, settings, job);
    ManualScoringClock clock(0, currentLocalTime());
    SimulatedRun sim(t, &clock, job.sampleRate, 1);
    const std::uint64_t every = static_cast<std::uint64_t>(job.sampleRate) / 10;
    std::uint64_t done = 0;
    std::uint64_t next = every;
    sim.setAudioSink([&](const float* samples, std::size_t frames) {
        writer.write(samples, frames);
        done += frames;
        if (progress && done >= next) {
            next = done + every;
            if (!progress(done))
                throw Cancelled{};
        }
    });
    try {
        sim.receive();
    } catch (const Cancelled&) {
        return false;
    }
    writer.finish();
    if (progress)
        progress(done);
    return true;
}

}  // namespace quorvel
