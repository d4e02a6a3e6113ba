// Saves of the settings file off the GUI thread: a zoom or pan drag asks for many saves, and
// a slow disk must not make it stutter. Requests are coalesced; the latest values win.
#pragma once

#include <QObject>
#include <QTimer>
#include <filesystem>

#include "storage/settings_writer.h"

namespace quorvel {
struct PracticeSettings;
}

namespace quorvel::ui {

class SettingsWriter final : public QObject {
    Q_OBJECT
  public:
    // ms between two writes of a drag
    static constexpr int kCoalesceMs = 100;

    SettingsWriter(const PracticeSettings& settings, std::filesystem::path file,
                   QObject* parent = nullptr);

    // A step of a drag: written at most every kCoalesceMs.
    void requestSave();
    // The end of a drag, or the close: the current values, written before this returns.
    bool saveNow();
    int writesDone() const { return writer_.writesDone(); }

  private:
    const PracticeSettings& settings_;
    SettingsFileWriter writer_;
    QTimer timer_;  // after the writer, so it is gone before the writer ends
};

}  // namespace quorvel::ui
