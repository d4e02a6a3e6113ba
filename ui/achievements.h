// The achievements page ("実績"): badges and lifetime totals in the information window.
#pragma once

#include "storage/dashboard.h"
#include "storage/paths.h"
#include "ui/info_window.h"

namespace quorvel::ui {

InfoContent achievementsContent(const AchievementFigures& figures);

// Reads the practice log of `paths` now.
void showAchievements(QWidget* parent, const DataPaths& paths);

}  // namespace quorvel::ui
