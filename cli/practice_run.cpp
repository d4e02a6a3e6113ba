#include "cli/practice_run.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/cli.h"

#include "cli/path_option.h"
#include "practice/scoring_text.h"
#include "practice/telegram_file.h"
#include "storage/paths.h"
#include "storage/settings_file.h"
#include "storage/text_decode.h"
#include "storage/utf.h"

namespace quorvel::cli {
namespace {

namespace fs = std::filesystem;

// The telegrams of a file named on the command line; none with the reason on stderr.
std::optional<TelegramFile> readTelegrams(const char* command, const std::string& path) {
    std::string bytes;
    if (!readWholeFile(path, bytes)) {
        std::fprintf(stderr, "quorvel-cli %s: cannot read telegram file %s\n", command,
                     path.c_str());
        return std::nullopt;
    }
    std::u16string text;
    if (!decodeText(bytes, text)) {
        std::fprintf(stderr,
                     "quorvel-cli %s: telegram file %s is not text (UTF-8, UTF-16LE or "
                     "Shift-JIS)\n",
                     command, path.c_str());
        return std::nullopt;
    }
    auto file = parseTelegramText(text);
    if (!file)
        std::fprintf(stderr,
                     "quorvel-cli %s: telegram file %s holds no complete telegram: a Japanese "
                     "telegram needs the tags [VALA] [VALB] [VALC] [VALD] [VALE] [TEXT], a Latin "
                     "one [Preamble] [To] [Text], each with a value (see 'quorvel-cli %s "
                     "--help')\n",
                     command, path.c_str(), command);
    return file;
}

// Why the history cannot go to the data directory; empty when it can.
std::string historyProblem(const DataPaths& paths) {
    if (paths.dataDirectory().empty())
        return "no data directory is known (HOME is not set)";
    std::string error;
    if (!paths.prepare(&error))
        return error;
    if (!isWritableDirectory(paths.dataDirectory()))
        return "cannot write to " + paths.dataDirectory().string();
    return {};
}

const char* languageName(bool latin) {
    return latin ? "Latin" : "Japanese";
}

}  // namespace

void addPracticeOptions(CLI::App& app, PracticeRunOptions& o) {
    app.add_option("--telegrams", o.telegrams,
                   "Telegram text file to practise (default: the built-in samples); its layout "
                   "sets the language")
        ->type_name("FILE");
    app.add_flag("--latin", o.latin,
                 "Latin (international) code; default Japanese kana code, or the settings' Lang");
    app.add_option_function<int>(
           "--wpm", [&o](const int& wpm) { o.wpm = wpm; },
           "Speed in words per minute (default: the settings' WPM, 15)")
        ->check(CLI::Range(5, 40))
        ->type_name("N");
    app.add_flag("--go-on", o.goOn, "Go on after a wrong character instead of waiting for it");
    app.add_flag("--json", o.json, "Print one JSON object a line instead of text lines");
    app.add_option("--settings", o.settingsFile,
                   "Settings file to use (default: telegram_practice.ini in the data "
                   "directory); options given here override it")
        ->type_name("FILE");
    app.add_option("--data-dir", o.dataDir,
                   "Directory of the settings and the practice history (default: "
                   "QUORVEL_DATA_DIR, else the per-user data directory)")
        ->check(nonEmptyPath())
        ->type_name("DIR");
}

std::string telegramFileHelp() {
    return "Telegram files (--telegrams): plain text (UTF-8, UTF-16LE with a mark, or "
           "Shift-JIS). Each tag on a line of its own starts a field; the value follows on the "
           "same line or the lines below, up to the next line that starts with \"[\".\n"
           "  Japanese: [VALA] preamble, [VALB] office, [VALC] serial, [VALD] filing time, "
           "[VALE] address, [TEXT] text; [VALA] starts each telegram.\n"
           "  Latin:    [Preamble], [To], [Text]; [Preamble] starts each telegram.\n"
           "A telegram with a field missing or empty is left out. Example (one Latin "
           "telegram):\n"
           "  [Preamble]\n"
           "  49 NAGASAKIRADIO 19 16 6 34 M\n"
           "  [To]\n"
           "  HELENA VOSKUIJLEN MARINE CENTER ROTTERDAM\n"
           "  [Text]\n"
           "  ARRIVING TOMORROW STOP\n"
           "`quorvel-cli generate` writes such files.\n";
}

PracticeRun::PracticeRun(Token, const char* command, const PracticeRunOptions& o,
                         TrainerOptions trainerOptions, const MakeView& makeView)
    : command_(command),
      output_(stdout, o.json),
      trainer_(std::make_unique<Trainer>(std::move(trainerOptions))) {
    view_ = makeView ? makeView(output_, trainer_->document())
                     : std::make_unique<PrintingView>(output_, trainer_->document());
    Scoring& scoring = trainer_->scoring();
    view_->decorate = [&scoring](TelegramReport& report, const TelegramResult& shown) {
        // A telegram cut off by the end of the input has had no card: score it as it stands.
        const TelegramResult r = shown.telegramNumber != 0 ? shown : scoring.resultSnapshot();
        const ResultClass c = classifyResult(r.rate);
        nlohmann::ordered_json score = {
            {"count", r.scoredCount}, {"correct", r.scoredCorrect}, {"wrong", r.scoredWrong},
            {"rate", r.rate},         {"points", r.points},         {"maxPoints", r.maxPoints},
            {"penalty", r.penalty},   {"grade", toUtf8(c.grade)},   {"message", toUtf8(c.message)}};
        report.extras.push_back({"score", scoreLineForCli(r), score.dump()});
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
                                                 const ScoringClock* clock, bool simulated,
                                                 int& refused, const MakeView& makeView) {
    refused = kUsageExit;
    const DataPaths paths = DataPaths::fromSystem(o.dataDir);
    PracticeSettings fromFile;
    std::string error;
    if (!o.settingsFile.empty()) {
        if (!loadSettingsFile(o.settingsFile, fromFile, error)) {
            std::fprintf(stderr, "quorvel-cli %s: %s\n", command, error.c_str());
            return nullptr;
        }
    } else if (!paths.dataDirectory().empty() &&
               loadSettings(paths.settingsFile(), fromFile) == SettingsLoad::Unreadable) {
        std::fprintf(stderr,
                     "quorvel-cli %s: cannot read the settings file %s (not a regular file, or "
                     "unreadable): using the defaults\n",
                     command, paths.settingsFile().string().c_str());
    }
    std::optional<TelegramFile> file;
    if (!o.telegrams.empty() && !(file = readTelegrams(command, o.telegrams)))
        return nullptr;
    if (file && o.latin && !file->latin) {
        std::fprintf(stderr,
                     "quorvel-cli %s: %s holds Japanese telegrams ([VALA] ... [TEXT]) but --latin "
                     "asks for Latin ones; leave out --latin to practise them\n",
                     command, o.telegrams.c_str());
        return nullptr;
    }

    const std::string problem = historyProblem(paths);
    if (!problem.empty())
        std::fprintf(stderr,
                     "quorvel-cli %s: the practice history cannot be written (%s); choose a "
                     "writable directory with --data-dir DIR\n",
                     command, problem.c_str());
    auto lock = std::make_unique<DataDirLock>();
    if (problem.empty() && lock->acquire(paths.dataDirectory()) == DataDirLock::Result::Busy) {
        const std::string pid =
            lock->holder() > 0 ? " (process " + std::to_string(lock->holder()) + ")" : "";
        std::fprintf(stderr,
                     "quorvel-cli %s: the history in %s is in use by another Quorvel%s; nothing "
                     "was changed: wait for it to end, or choose another directory with "
                     "--data-dir DIR\n",
                     command, paths.dataDirectory().string().c_str(), pid.c_str());
        refused = 1;
        return nullptr;
    }

    TrainerOptions trainerOptions;
    trainerOptions.dataDirectory = paths.dataDirectory();
    trainerOptions.syncLogs = !simulated;
    trainerOptions.clock = clock;
    auto run =
        std::make_unique<PracticeRun>(Token{}, command, o, std::move(trainerOptions), makeView);
    run->lock_ = std::move(lock);
    run->historyKept_ = !paths.dataDirectory().empty();
    Trainer& t = run->trainer();
    PracticeSettings& s = t.settings();
    for (const SettingKey& key : settingsTable())
        PracticeSettings::set(s.*key.field, PracticeSettings::get(fromFile.*key.field));
    if (o.wpm)
        PracticeSettings::set(s.WPM, *o.wpm);
    if (o.goOn)
        PracticeSettings::set(s.goOnAfterMistakes, 1);
    bool latin = o.latin || PracticeSettings::get(s.Lang) == 0;
    if (file) {
        if (file->latin != latin)
            std::fprintf(stderr, "quorvel-cli %s: %s holds %s telegrams: practising in %s\n",
                         command, o.telegrams.c_str(), languageName(file->latin),
                         languageName(file->latin));
        latin = file->latin;
    }
    t.switchLanguage(latin);
    if (file)
        t.document().installSet(std::move(file->records), file->latin);
    return run;
}

int PracticeRun::finish() {
    view_->printUnfinished();
    output_.result(trainer_->scoring().resultLabel());
    const RunTally tally = trainer_->scoring().runTally();
    // Drains the log writer: what it could not write is still held.
    const bool written = trainer_->shutdown();
    const bool judged = tally.judgedCount != 0 || tally.finishedSets != 0;
    if (written && (historyKept_ || !judged))
        return 0;
    const std::string what =
        historyKept_
            ? trainer_->scoring().logs().backlog().describe(trainer_->scoring().logs().files())
            : std::string("no data directory");
    std::fprintf(stderr,
                 "quorvel-cli %s: the history of this run was not completely written (%s); "
                 "choose a writable directory with --data-dir DIR\n",
                 command_, what.c_str());
    return 1;
}

}  // namespace quorvel::cli
