// The history window ("現在の成績"): nine report tabs, the bar graph and the report text built
// from the current run and the practice logs. A dialog of its own; the owner runs it modally.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "storage/local_time.h"
#include "storage/paths.h"
#include "storage/stats_report.h"

class QPlainTextEdit;

namespace quorvel::ui {

class HistoryButton;
class HistoryGraph;

class HistoryWindow : public QDialog {
    Q_OBJECT
  public:
    using RunSource = std::function<RunStats()>;
    using Clock = std::function<LocalDateTime()>;
    // False when no file browser could be started.
    using FolderOpener = std::function<bool(const QString& directory)>;

    // `run` supplies the tallies of the current run at each tab press; `clock` the local date
    // the periods are counted from.
    HistoryWindow(const DataPaths& paths, RunSource run, QWidget* parent = nullptr,
                  Clock clock = currentLocalTime);

    void showTab(int tab);
    int currentTab() const { return tab_; }
    QString reportText() const;
    const HistoryGraph& graph() const { return *graph_; }
    HistoryButton& tabButton(int tab) { return *tabs_[static_cast<std::size_t>(tab)]; }
    HistoryButton& openFolderButton() { return *openFolder_; }
    HistoryButton& closeButton() { return *close_; }
    // "CSV保存先を開く" opens the desktop's file browser unless told otherwise (tests).
    void setFolderOpener(FolderOpener opener) { opener_ = std::move(opener); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void layoutChildren();

    StatsReports reports_;
    std::filesystem::path directory_;
    RunSource run_;
    Clock clock_;
    FolderOpener opener_;
    int tab_ = 0;
    std::array<HistoryButton*, kStatsTabCount> tabs_{};
    HistoryButton* openFolder_ = nullptr;
    HistoryButton* close_ = nullptr;
    HistoryGraph* graph_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
};

// For "現在の成績": runs the window modally over `owner` (centred on it) until it is closed.
void openHistoryWindow(QWidget* owner, const DataPaths& paths, HistoryWindow::RunSource run);

}  // namespace quorvel::ui
