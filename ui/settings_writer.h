// Saves of the settings file off the GUI thread: a zoom or pan drag asks for many saves, and
// a slow disk must not make it stutter. Requests are coalesced; the latest values win.
#pragma once

#include <QObject>
#include <QTimer>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

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
    ~SettingsWriter() override;

    // A step of a drag: written at most every kCoalesceMs.
    void requestSave();
    // The end of a drag, or the close: the current values, written before this returns.
    bool saveNow();
    int writesDone() const;

  private:
    void snapshotToWorker();
    void run();

    const PracticeSettings& settings_;
    const std::filesystem::path file_;
    QTimer timer_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::unique_ptr<PracticeSettings> pending_;  // the values of the next write
    bool writing_ = false;
    bool stop_ = false;
    int writes_ = 0;
    std::thread worker_;
};

}  // namespace quorvel::ui
