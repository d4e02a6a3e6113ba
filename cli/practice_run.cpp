#include "cli/practice_run.h"

#include <cstdio>

#include "practice/scoring_text.h"
#include "practice/telegram_file.h"
#include "storage/local_time.h"
#include "storage/paths.h"
#include "storage/settings_file.h"
#include "storage/utf.h"

namespace quorvel::cli {

OptionRead readPracticeOption(const char* command, const std::string& a, ArgReader& r,
                              PracticeRunOptions& o) {
    std::string v;
    auto need = [&](std::string& out, const char* what) {
        if (r.value(out))
            return OptionRead::Taken;
        usageError(command, a + " needs " + what);
        return OptionRead::Error;
    };
    if (a == "--telegrams")
        return need(o.telegrams, "a FILE");
    if (a == "--settings")
        return need(o.settingsFile, "a FILE");
    if (a == "--data-dir")
        return need(o.dataDir, "a DIR");
    if (a == "--latin") {
        o.latin = true;
        return OptionRead::Taken;
    }
    if (a == "--go-on") {
        o.goOn = true;
        return OptionRead::Taken;
    }
    if (a == "--json") {
        o.json = true;
        return OptionRead::Taken;
    }
    if (a == "--wpm") {
        int wpm = 0;
        if (!r.value(v) || !parseInt(v, 5, 40, wpm)) {
            usageError(command, "--wpm takes a speed from 5 to 40");
            return OptionRead::Error;
        }
        o.wpm = wpm;
        return OptionRead::Taken;
    }
    return OptionRead::NotMine;
}

PracticeRun::PracticeRun(Token, const PracticeRunOptions& o, TrainerOptions trainerOptions)
    : output_(stdout, o.json), trainer_(std::make_unique<Trainer>(std::move(trainerOptions))) {
    view_ = std::make_unique<PrintingView>(output_, trainer_->document());
    Scoring& scoring = trainer_->scoring();
    view_->decorate = [&scoring](TelegramReport& report, const TelegramResult& shown) {
        // A telegram cut off by the end of the input has had no card: score it as it stands.
        const TelegramResult r = shown.telegramNumber != 0 ? shown : scoring.resultSnapshot();
        const ResultClass c = classifyResult(r.rate);
        nlohmann::ordered_json score = {
            {"count", r.scoredCount}, {"correct", r.scoredCorrect}, {"wrong", r.scoredWrong},
            {"rate", r.rate},         {"points", r.points},         {"maxPoints", r.maxPoints},
            {"penalty", r.penalty},   {"grade", toUtf8(c.grade)},   {"message", toUtf8(c.message)}};
        report.extras.push_back({"score", scoreLineForCli(r), std::move(score)});
    };
    trainer_->setView(view_.get());
}

PracticeRun::~PracticeRun() {
    // The trainer's threads report to the view: they end first, and nothing reports to the
    // view once it is gone.
    trainer_->shutdown();
    trainer_->setView(nullptr);
}

std::unique_ptr<PracticeRun> PracticeRun::create(const char* command, const PracticeRunOptions& o,
                                                 const ScoringClock* clock, bool simulated) {
    const DataPaths paths = DataPaths::fromSystem(o.dataDir);
    std::string error;
    if (!paths.prepare(&error)) {
        std::fprintf(stderr, "quorvel-cli %s: %s\n", command, error.c_str());
        return nullptr;
    }
    PracticeSettings fromFile;
    if (!o.settingsFile.empty() && !loadSettingsFile(o.settingsFile, fromFile, error)) {
        std::fprintf(stderr, "quorvel-cli %s: %s\n", command, error.c_str());
        return nullptr;
    }
    std::optional<TelegramFile> file;
    if (!o.telegrams.empty()) {
        file = readTelegramFile(o.telegrams);
        if (!file) {
            std::fprintf(stderr, "quorvel-cli %s: cannot read telegram file %s\n", command,
                         o.telegrams.c_str());
            return nullptr;
        }
    }

    TrainerOptions trainerOptions;
    trainerOptions.dataDirectory = paths.dataDirectory();
    trainerOptions.syncLogs = !simulated;
    trainerOptions.clock = clock;
    auto run = std::make_unique<PracticeRun>(Token{}, o, std::move(trainerOptions));
    Trainer& t = run->trainer();
    PracticeSettings& s = t.settings();
    if (!o.settingsFile.empty()) {
        for (const SettingKey& key : settingsTable())
            PracticeSettings::set(s.*key.field, PracticeSettings::get(fromFile.*key.field));
    }
    if (o.wpm)
        PracticeSettings::set(s.WPM, *o.wpm);
    if (o.goOn)
        PracticeSettings::set(s.goOnAfterMistakes, 1);
    const bool latin = o.latin || PracticeSettings::get(s.Lang) == 0;
    if (latin)
        t.switchLanguage(true);
    if (file)
        t.document().installSet(std::move(file->records), file->latin);
    PracticeSettings::set(s.Lang, t.document().latinMode() ? 0 : 1);
    return run;
}

void PracticeRun::finish() {
    view_->printUnfinished();
    output_.result(trainer_->scoring().resultLabel());
}

}  // namespace quorvel::cli
