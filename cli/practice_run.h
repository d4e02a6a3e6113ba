// What `send` and `receive` share: the options every practice run takes, the engine context
// built from them (settings file, data directory, telegram file) and the printed output.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "cli/cli.h"
#include "cli/telegram_output.h"
#include "engine/trainer.h"

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

enum class OptionRead { Taken, NotMine, Error };

// Reads one of the shared options at `arg` (its value from r); on a bad value prints the usage
// of `command` and returns Error.
OptionRead readPracticeOption(const char* command, const std::string& arg, ArgReader& r,
                              PracticeRunOptions& o);

// The engine and its printer for one run. The view prints each telegram with its score line.
class PracticeRun {
  public:
    // Null with a message on stderr when a file cannot be read or the data directory cannot
    // be made.
    static std::unique_ptr<PracticeRun> create(const char* command, const PracticeRunOptions& o,
                                               const ScoringClock* clock, bool simulated);
    // Use create(); public only so that make_unique can reach it.
    struct Token {
        explicit Token() = default;
    };
    PracticeRun(Token, const PracticeRunOptions& o, TrainerOptions trainerOptions);
    ~PracticeRun();

    Trainer& trainer() { return *trainer_; }
    TelegramOutput& output() { return output_; }
    PrintingView& view() { return *view_; }
    // Prints the telegram in progress, if any, and the closing result line.
    void finish();

  private:
    TelegramOutput output_;
    std::unique_ptr<Trainer> trainer_;
    std::unique_ptr<PrintingView> view_;
};

}  // namespace quorvel::cli
