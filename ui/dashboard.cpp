#include "ui/dashboard.h"

#include "engine/dashboard_report.h"
#include "engine/trainer.h"

namespace quorvel::ui {

InfoContent dashboardContent(const DashboardFigures& figures) {
    return infoContent(dashboardText(figures), Rgb{35, 115, 210}, Rgb{0, 165, 105});
}

void showDashboard(QWidget* parent, const DataPaths& paths, std::int64_t runChars) {
    showInfo(dashboardContent(readDashboard(paths, currentLocalTime(), runChars)), parent);
}

void showDashboard(QWidget* parent, const DataPaths& paths, Trainer& trainer) {
    showDashboard(parent, paths, unloggedRunCharacters(trainer.scoring().runTally()));
}

}  // namespace quorvel::ui
