// What the dashboard, achievements and exam windows read and change: the logs of a data
// directory, the run in progress and the trainer's settings.
#pragma once

#include <cstdint>

#include "practice/scoring.h"
#include "storage/dashboard.h"
#include "storage/local_time.h"
#include "storage/paths.h"

namespace quorvel {

class Trainer;

// Characters of the run that no completed-set row holds yet: a finished set has logged them all.
std::int64_t unloggedRunCharacters(const RunTally& tally);

// Today's practice log sums, the five weakest characters of the character log (Latin ones too:
// the dashboard ranks, it builds no kana telegram) and the run.
DashboardFigures readDashboard(const DataPaths& paths, const LocalDateTime& today,
                               std::int64_t runChars);
// Lifetime totals of the practice log.
AchievementFigures readAchievements(const DataPaths& paths);

// Ends a running demo first (it would key at the old speed), then sets speed and mode. The
// decode table follows the document's language, so it needs no step of its own.
int applyExamChoice(Trainer& trainer, const ExamChoice& choice);

}  // namespace quorvel
