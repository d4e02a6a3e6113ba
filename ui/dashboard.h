// The home dashboard ("ホーム"): today's practice, level and weak characters in the
// information window.
#pragma once

#include <cstdint>

#include "storage/dashboard.h"
#include "storage/paths.h"
#include "ui/info_window.h"

namespace quorvel {
class Trainer;
}

namespace quorvel::ui {

InfoContent dashboardContent(const DashboardFigures& figures);

// Reads the logs of `paths` now; `runChars` are the current run's characters not yet logged.
void showDashboard(QWidget* parent, const DataPaths& paths, std::int64_t runChars);
// The same with the trainer's run in progress.
void showDashboard(QWidget* parent, const DataPaths& paths, Trainer& trainer);

}  // namespace quorvel::ui
