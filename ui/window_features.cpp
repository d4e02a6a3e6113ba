#include "ui/window_features.h"

#include "engine/trainer.h"
#include "ui/achievements.h"
#include "ui/dashboard.h"
#include "ui/exam_select.h"
#include "ui/history_window.h"
#include "ui/main_window.h"
#include "ui/manual_window.h"
#include "ui/settings_binding.h"

namespace quorvel::ui {

namespace {

// The windows read the log files: what the writer still holds goes to the disk first, as far
// as that takes no longer than the GUI may wait.
void flushLogsBriefly(Trainer& trainer) {
    trainer.scoring().flushLogs(std::chrono::milliseconds(50));
}

}  // namespace

void attachFeatureWindows(MainWindow& window, Trainer& trainer, const DataPaths& paths) {
    QObject::connect(&window, &MainWindow::manualRequested, &window,
                     [&window] { openManual(&window); });
    QObject::connect(&window, &MainWindow::resultsRequested, &window, [&window, &trainer, paths] {
        flushLogsBriefly(trainer);
        openHistoryWindow(&window, paths, [&trainer] {
            const RunTally tally = trainer.scoring().runTally();
            RunStats run;
            run.judgedCount = tally.judgedCount;
            run.correctCount = tally.correctCount;
            run.wrongCount = tally.wrongCount;
            run.seconds = std::max(1, trainer.scoring().elapsedSeconds());
            run.wpm = PracticeSettings::get(trainer.settings().WPM);
            run.charStats = tally.charStats;
            return run;
        });
    });
    QObject::connect(&window, &MainWindow::homeRequested, &window, [&window, &trainer, paths] {
        flushLogsBriefly(trainer);
        showDashboard(&window, paths, trainer);
    });
    QObject::connect(&window, &MainWindow::achievementsRequested, &window,
                     [&window, &trainer, paths] {
                         flushLogsBriefly(trainer);
                         showAchievements(&window, paths);
                     });
    QObject::connect(&window, &MainWindow::examRequested, &window, [&window, &trainer] {
        runExamMode(&window, trainer, [&window, &trainer] {
            showSettings(trainer.settings(), window.controls());
            // The status line repeats the speed: it must not keep the old one.
            trainer.scoring().refreshStatusLines();
        });
    });
}

}  // namespace quorvel::ui
