// "音声保存": the telegram set in practice written to an audio file with the settings of the
// moment. The export runs on a thread of its own with a trainer of its own, so the practice
// in the window goes on undisturbed meanwhile.
#pragma once

#include <QDialog>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <thread>

#include "storage/settings.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace quorvel {
class Trainer;
}

namespace quorvel::ui {

class DesignGridLayout;

class AudioExportDialog final : public QDialog {
    Q_OBJECT
  public:
    AudioExportDialog(Trainer& trainer, QWidget* parent = nullptr);
    ~AudioExportDialog() override;  // an export in progress is stopped, its file not kept

    QLineEdit* pathEdit() const { return path_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* stopButton() const { return stop_; }
    QSpinBox* qualityBox() const { return quality_; }
    QProgressBar* progressBar() const { return progress_; }
    QLabel* statusLabel() const { return status_; }
    bool exporting() const { return worker_.joinable(); }

  signals:
    // An export ended: the file is in place, or (with the reason) it was not written.
    void exportEnded(bool written, const QString& message);

  protected:
    void reject() override;

  private:
    void browse();
    void start();
    void ended(bool written, const QString& message);
    void pathChanged();
    void showProgress();

    Trainer& trainer_;
    PracticeSettings settings_;  // a copy taken when the export starts
    QLineEdit* path_;
    QSpinBox* quality_;
    QProgressBar* progress_;
    QLabel* status_;
    QPushButton* save_;
    QPushButton* stop_;
    QPushButton* close_;
    QTimer poll_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<std::uint64_t> framesDone_{0};
    std::atomic<std::uint64_t> framesTotal_{0};  // 0 while still being counted
};

// The "音声保存" button at the foot of the left column; a click opens the one dialog.
void installAudioExport(QWidget* window, DesignGridLayout* grid, const QFont& font,
                        Trainer& trainer);

}  // namespace quorvel::ui
