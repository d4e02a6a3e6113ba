// The main window: the controls on the design grid, the dispatch of each control to the
// engine, and the engine's reports shown. Everything runs on the GUI thread.
#pragma once

#include <QTimer>
#include <QWidget>
#include <optional>
#include <vector>

#include "keying/port_list.h"
#include "practice/document.h"
#include "practice/practice_view.h"
#include "storage/paths.h"
#include "ui/control_panel.h"
#include "ui/view_adapter.h"  // the result type of the signals

namespace quorvel {
class Trainer;
}

namespace quorvel::ui {

class DesignGridLayout;
class KeyFilter;
class SettingsWriter;

class MainWindow final : public QWidget {
    Q_OBJECT
  public:
    // `client`: the client area the fonts are scaled for (the work area when empty). The
    // settings are loaded here, before the first reset.
    MainWindow(Trainer& trainer, ViewAdapter& view, DataPaths paths, QSize client = {},
               QWidget* parent = nullptr);
    ~MainWindow() override;

    ControlPanel& controls() { return panel_; }
    DesignGridLayout& grid() { return *grid_; }
    SettingsWriter& settingsWriter() { return *writer_; }
    bool statusRefreshRunning() const { return statusTimer_.isActive(); }
    // What the papers were last painted from.
    const PracticeSnapshot& paperSnapshot() const { return *snapshot_; }
    // The card of the telegram result waiting to be dismissed, if any.
    QWidget* pendingResultCard() const { return card_; }

    // Ends the program as the close button does, whatever pop-up is open: each is dismissed
    // as its own button would, then the window closes.
    void requestClose();
    // Once the window is on screen: the first-run guide when it is due.
    void showFirstRunGuideIfDue();
    // A zoom or pan step of the papers (the holder of the zoom has written the settings);
    // `finished` at the end of a drag.
    void paperViewStepped(bool finished);

  signals:
    // Windows that other parts of the program provide.
    void manualRequested();
    void resultsRequested();
    void homeRequested();
    void examRequested();
    void achievementsRequested();
    // A result card was shown for this telegram.
    void resultShown(const quorvel::TelegramResult& result);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void connectPapers();
    void connectView();
    void connectCommands();
    void connectShortcuts();
    // A command other than RX STOP, デモ送信 and 一旦停止: a running demo ends first.
    void command(const std::function<void()>& action);
    void rxStart();
    void rxStop();
    void loadTelegramFile();
    void toggleFullScreen();
    void repaintPapers();
    void showResult(const TelegramResult& result);
    void fillPorts();
    void dismissPopups();
    std::optional<SerialPortInfo> selectedPort() const;

    Trainer& trainer_;
    ViewAdapter& view_;
    DataPaths paths_;
    DesignGridLayout* grid_;
    ControlPanel panel_;
    KeyFilter* keyFilter_;
    SettingsWriter* writer_;
    QTimer statusTimer_;
    std::vector<SerialPortInfo> ports_;
    SharedSnapshot snapshot_ = std::make_shared<const PracticeSnapshot>();
    QWidget* card_ = nullptr;
    bool closed_ = false;
    int wheelRemainder_ = 0;  // eighths of a degree short of a whole step
};

}  // namespace quorvel::ui
