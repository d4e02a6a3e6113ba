#include "ui/achievements.h"

#include "engine/dashboard_report.h"

namespace quorvel::ui {

InfoContent achievementsContent(const AchievementFigures& figures) {
    return infoContent(achievementsText(figures), Rgb{0, 155, 105}, Rgb{235, 135, 20});
}

void showAchievements(QWidget* parent, const DataPaths& paths) {
    showInfo(achievementsContent(readAchievements(paths)), parent);
}

}  // namespace quorvel::ui
