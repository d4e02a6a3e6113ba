// What `send` and `receive` share: the options every practice run takes, the engine context
// built from them (data directory, its settings file, telegram file) and the printed output.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cli/telegram_output.h"
#include "engine/trainer.h"
#include "storage/data_dir_lock.h"

namespace CLI {
class App;
}

namespace quorvel::cli {

struct PracticeRunOptions {
    std::string telegrams;     // --telegrams FILE
    std::string settingsFile;  // --settings FILE
    std::string dataDir;       // --data-dir DIR
    bool latin = false;
    std::optional<int> wpm;
    bool goOn = false;
    bool json = false;
};

// Declares the shared options on a command.
void addPracticeOptions(CLI::App& app, PracticeRunOptions& o);

// The footer text that explains the telegram file format.
std::string telegramFileHelp();

// The engine and its printer for one run. The view prints each telegram with its score line.
class PracticeRun {
  public:
    using MakeView =
        std::function<std::unique_ptr<PrintingView>(TelegramOutput&, TelegramDocument&)>;

    // Null with a message on stderr and the exit status in `refused` when a file named on the
    // command line cannot be used (a usage error) or another Quorvel writes the history of
    // the data directory (1). A data directory that cannot take the history is said on stderr
    // here, before the run starts; the run goes on and finish() reports the loss.
    static std::unique_ptr<PracticeRun> create(const char* command, const PracticeRunOptions& o,
                                               const ScoringClock* clock, bool simulated,
                                               int& refused, const MakeView& makeView = {});
    // Use create(); public only so that make_unique can reach it.
    struct Token {
        explicit Token() = default;
    };
    PracticeRun(Token, const char* command, const PracticeRunOptions& o,
                TrainerOptions trainerOptions, const MakeView& makeView);
    ~PracticeRun();

    Trainer& trainer() { return *trainer_; }
    TelegramOutput& output() { return output_; }
    PrintingView& view() { return *view_; }
    // Prints the telegram in progress, if any, and the closing result line, and ends the
    // trainer. Returns 1 (with a message saying what is missing) when the history of the run
    // was not completely written, else 0.
    int finish();

  private:
    const char* command_;
    std::unique_ptr<DataDirLock> lock_;  // declared first: released after the trainer's writer
    TelegramOutput output_;
    std::unique_ptr<Trainer> trainer_;
    std::unique_ptr<PrintingView> view_;
    bool historyKept_ = true;  // there is a data directory to write the history to
};

}  // namespace quorvel::cli
