#include "engine/dashboard_report.h"

#include "engine/trainer.h"
#include "generation/japanese_generator.h"
#include "storage/char_log.h"

namespace quorvel {

namespace {
constexpr int kWeakCharacterCount = 5;
}

std::int64_t unloggedRunCharacters(const RunTally& tally) {
    return tally.finishedSets > 0 ? 0 : tally.judgedCount;
}

DashboardFigures readDashboard(const DataPaths& paths, const LocalDateTime& today,
                               std::int64_t runChars) {
    const PracticeSums sums = sumPracticeLog(paths.practiceLog(), today);
    CharLogTable table;
    readCharLog(paths.charLog(), table);
    return dashboardFigures(sums.today, runChars,
                            weakCharacters(table, kWeakCharacterCount, false));
}

AchievementFigures readAchievements(const DataPaths& paths) {
    return achievementFigures(sumPracticeLogAllDays(paths.practiceLog()));
}

int applyExamChoice(Trainer& trainer, const ExamChoice& choice) {
    trainer.stopDemo();
    return applyExamSettings(trainer.settings(), choice);
}

}  // namespace quorvel
