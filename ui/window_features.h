// The windows the main window opens by its buttons: manual, history, dashboard, achievements
// and the exam selector, attached to its signals.
#pragma once

#include "storage/paths.h"

namespace quorvel {
class Trainer;
}

namespace quorvel::ui {

class MainWindow;

void attachFeatureWindows(MainWindow& window, Trainer& trainer, const DataPaths& paths);

}  // namespace quorvel::ui
