#include "ui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QWheelEvent>

#include "engine/trainer.h"
#include "storage/settings_file.h"
#include "ui/audio_export_dialog.h"
#include "ui/design_grid.h"
#include "ui/key_filter.h"
#include "ui/paper_slot.h"
#include "ui/paper_widget.h"
#include "ui/paper_zoom.h"
#include "ui/result_handover.h"
#include "ui/settings_binding.h"
#include "ui/settings_writer.h"
#include "ui/view_adapter.h"

namespace quorvel::ui {
namespace {

constexpr int kStatusRefreshMs = 50;

QSize workArea() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->availableGeometry().size();
    return {kDesignWidth, kDesignHeight};
}

QString fromView(std::u16string_view s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

MainWindow::MainWindow(Trainer& trainer, ViewAdapter& view, DataPaths paths, QSize client,
                       QWidget* parent)
    : QWidget(parent),
      trainer_(trainer),
      view_(view),
      paths_(std::move(paths)),
      grid_(new DesignGridLayout(this)),
      keyFilter_(new KeyFilter(trainer.flags(), this, this)),
      writer_(new SettingsWriter(trainer.settings(), paths_.settingsFile(), this)) {
    if (!client.isValid())
        client = workArea();
    resize(client);
    setWindowTitle(QStringLiteral("Quorvel"));
    panel_ = buildControlPanel(this, grid_, client);
    installAudioExport(this, grid_, panel_.controlFont, trainer_);
    fillPorts();

    PracticeSettings& s = trainer_.settings();
    loadSettings(paths_.settingsFile(), s, {static_cast<int>(ports_.size())});
    showSettings(s, panel_);
    if (PracticeSettings::get(s.Lang) == 0)
        trainer_.switchLanguage(true);
    trainer_.flags().keyboardKeyingEnabled.store(0, std::memory_order_relaxed);

    connectPapers();
    connectView();
    connectCommands();
    connectShortcuts();
    trainer_.reset();

    statusTimer_.setInterval(kStatusRefreshMs);
    connect(&statusTimer_, &QTimer::timeout, this,
            [this] { trainer_.scoring().refreshStatusLines(); });
    qApp->installEventFilter(keyFilter_);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(keyFilter_);
}

void MainWindow::connectView() {
    // Queued even from the GUI thread: a report may come while the document lock is held.
    constexpr auto queued = Qt::QueuedConnection;
    ControlPanel& p = panel_;
    connect(&view_, &ViewAdapter::messageShown, p.message, &QLabel::setText, queued);
    connect(
        &view_, &ViewAdapter::statusLinesShown, this,
        [&p](const QString& a, const QString& b) {
            p.statusLine1->setText(a);
            p.statusLine2->setText(b);
        },
        queued);
    connect(
        &view_, &ViewAdapter::pageLabelsShown, this,
        [&p](const QString& paper, const QString& centre) {
            p.modelPageLabel->setText(paper);
            p.inputPageLabel->setText(paper);
            p.centrePageLabel->setText(centre);
        },
        queued);
    connect(&view_, &ViewAdapter::scoreLineShown, p.score, &QLabel::setText, queued);
    connect(&view_, &ViewAdapter::resultLabelShown, p.accuracy, &QLabel::setText, queued);
    connect(&view_, &ViewAdapter::papersNeedRepaint, this, &MainWindow::repaintPapers, queued);
    connect(&view_, &ViewAdapter::inputPaperNeedsRepaint, this, &MainWindow::repaintPapers, queued);
    connect(
        &view_, &ViewAdapter::languageShown, this,
        [this, &p](bool latin) {
            const QSignalBlocker a(p.latin), b(p.wabun);
            (latin ? p.latin : p.wabun)->setChecked(true);
            // A telegram file may switch the language; the save writes what the radio shows.
            PracticeSettings::set(trainer_.settings().Lang, latin ? 0 : 1);
        },
        queued);
    connect(
        &view_, &ViewAdapter::speedShown, this,
        [this](int wpm) {
            const QSignalBlocker block(panel_.speed);
            panel_.speed->setValue(wpm);
            showSliderLabels(trainer_.settings(), panel_);
        },
        queued);
    connect(
        &view_, &ViewAdapter::pauseShown, this,
        [&p](bool paused) {
            p.pause->setText(paused ? QStringLiteral("再開") : QStringLiteral("一旦停止"));
        },
        queued);
    connect(
        &view_, &ViewAdapter::sendModeShown, this,
        [&p](bool send) {
            const QSignalBlocker a(p.receiveMode), b(p.sendMode);
            (send ? p.sendMode : p.receiveMode)->setChecked(true);
        },
        queued);
    connect(
        &view_, &ViewAdapter::levelShown, this,
        [&p](int level) {
            const QSignalBlocker block(p.level);
            p.level->setCurrentIndex(level);
        },
        queued);
    connect(
        &view_, &ViewAdapter::messageBoxRequested, this,
        [this](const QString& title, const QString& text, int icon) {
            const auto kind = static_cast<MessageIcon>(icon);
            QMessageBox box(kind == MessageIcon::Error     ? QMessageBox::Critical
                            : kind == MessageIcon::Warning ? QMessageBox::Warning
                                                           : QMessageBox::Information,
                            title, text, QMessageBox::Ok, this);
            box.exec();
        },
        queued);
    connect(&view_, &ViewAdapter::resultReady, this, &MainWindow::showResult, queued);
}

void MainWindow::command(const std::function<void()>& action) {
    trainer_.stopDemo();
    action();
}

void MainWindow::connectCommands() {
    ControlPanel& p = panel_;
    auto onClick = [this](QPushButton* b, std::function<void()> f) {
        connect(b, &QPushButton::clicked, this, [this, f = std::move(f)] { command(f); });
    };
    connect(p.rxStart, &QPushButton::clicked, this, [this] { command([this] { rxStart(); }); });
    connect(p.rxStop, &QPushButton::clicked, this, &MainWindow::rxStop);
    connect(p.pause, &QPushButton::clicked, this, [this] {
        trainer_.togglePause();
        setFocus();
    });
    connect(p.demo, &QPushButton::clicked, this, [this] { trainer_.startDemo(); });
    onClick(p.reset, [this] { trainer_.reset(); });
    onClick(p.loadFile, [this] { loadTelegramFile(); });
    onClick(p.random, [this] { trainer_.generateRandomSet(paths_); });
    onClick(p.fullScreen, [this] { toggleFullScreen(); });
    onClick(p.previousPage, [this] { trainer_.previousPage(); });
    onClick(p.nextPage, [this] { trainer_.nextPage(); });
    onClick(p.manual, [this] { emit manualRequested(); });
    onClick(p.results, [this] { emit resultsRequested(); });
    onClick(p.home, [this] { emit homeRequested(); });
    onClick(p.exam, [this] { emit examRequested(); });
    onClick(p.achievements, [this] { emit achievementsRequested(); });

    PracticeSettings& s = trainer_.settings();
    connect(p.latin, &QRadioButton::toggled, this,
            [this](bool on) { command([this, on] { trainer_.switchLanguage(on); }); });
    connect(p.sendMode, &QRadioButton::toggled, this, [this, &s](bool on) {
        command([&s, on] { PracticeSettings::set(s.Mode, on ? 1 : 0); });
    });
    connect(p.ports, &QComboBox::currentIndexChanged, this, [this, &s](int index) {
        command([&s, index] { PracticeSettings::set(s.ComIndex, index); });
    });
    bindSettings(
        p, s,
        {[this] { trainer_.stopDemo(); }, [this] { trainer_.scoring().refreshStatusLines(); }});
}

void MainWindow::connectShortcuts() {
    auto shortcut = [this](QKeySequence key, QPushButton* button) {
        auto* sc = new QShortcut(key, this);  // owned by the window
        connect(sc, &QShortcut::activated, button, &QPushButton::click);
    };
    shortcut(QKeySequence(Qt::Key_F5), panel_.rxStart);
    shortcut(QKeySequence(Qt::Key_F6), panel_.rxStop);
    shortcut(QKeySequence(Qt::Key_Escape), panel_.rxStop);
    shortcut(QKeySequence(Qt::Key_F7), panel_.pause);
    panel_.rxStart->setToolTip(QStringLiteral("F5"));
    panel_.rxStop->setToolTip(QStringLiteral("Esc / F6"));
    panel_.pause->setToolTip(QStringLiteral("F7"));
}

void MainWindow::rxStart() {
    setFocus();
    SharedFlags& f = trainer_.flags();
    f.keyboardDot.store(0, std::memory_order_relaxed);
    f.keyboardDash.store(0, std::memory_order_relaxed);
    f.keyboardKeyingEnabled.store(panel_.keyKeyer->isChecked() ? 1 : 0, std::memory_order_relaxed);
    f.keyingWake.notify();
    trainer_.setSerialPort(selectedPort());
    statusTimer_.start();
    trainer_.rxStart();
}

void MainWindow::rxStop() {
    trainer_.rxStop();
    statusTimer_.stop();
    trainer_.flags().keyboardKeyingEnabled.store(0, std::memory_order_relaxed);
    keyFilter_->releaseContacts();
}

void MainWindow::loadTelegramFile() {
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("和文電報テキストファイルを選択"),
        QString::fromStdString(paths_.dataDirectory().string()),
        QStringLiteral("和文電報テキスト (*.txt);;すべてのファイル (*.*)"));
    if (!file.isEmpty())
        trainer_.loadTelegramFile(std::filesystem::path(file.toStdU16String()));
}

void MainWindow::toggleFullScreen() {
    const bool full = !grid_->fullScreen();
    grid_->setFullScreen(full);
    panel_.fullScreen->setText(full ? QStringLiteral("通常表示") : QStringLiteral("用紙全画面"));
    repaintPapers();
    update();
}

void MainWindow::connectPapers() {
    PracticeSettings& s = trainer_.settings();
    PaperZoom* zoom = paperZoomOf(this);
    zoom->loadFromSettings(PracticeSettings::get(s.PaperZoom1000),
                           PracticeSettings::get(s.PaperOffsetX),
                           PracticeSettings::get(s.PaperOffsetY));
    // Each step reaches the settings at once; the file write is coalesced by the writer.
    connect(zoom, &PaperZoom::changed, this, [this, zoom] {
        PracticeSettings& settings = trainer_.settings();
        PracticeSettings::set(settings.PaperZoom1000, zoom->paperZoom1000());
        PracticeSettings::set(settings.PaperOffsetX, zoom->paperOffsetX());
        PracticeSettings::set(settings.PaperOffsetY, zoom->paperOffsetY());
        paperViewStepped(false);
    });
}

void MainWindow::repaintPapers() {
    // The latest published snapshot, taken without the document lock; painting never reads
    // the document itself.
    snapshot_ = trainer_.snapshot();
    for (QWidget* w : {panel_.modelPaper, panel_.inputPaper}) {
        if (auto* paper = qobject_cast<PaperWidget*>(w))
            paper->setContent(paperContent(*snapshot_, trainer_.settings(), paper->kind()));
        else
            w->update();
    }
}

// A drag that starts on the window's background moves the papers as one on a paper does.
void MainWindow::mousePressEvent(QMouseEvent* event) {
    auto* paper = qobject_cast<PaperWidget*>(panel_.modelPaper);
    if (paper && event->button() == Qt::LeftButton)
        paper->beginDrag(event->globalPosition());
    QWidget::mousePressEvent(event);
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    auto* paper = qobject_cast<PaperWidget*>(panel_.modelPaper);
    if (paper && paper->dragging())
        paper->dragTo(event->globalPosition());
    QWidget::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
    auto* paper = qobject_cast<PaperWidget*>(panel_.modelPaper);
    if (paper && paper->dragging() && event->button() == Qt::LeftButton) {
        paper->endDrag();
        paperViewStepped(true);
    }
    QWidget::mouseReleaseEvent(event);
}

// The wheel over the background zooms both papers; with no point to hold, the offsets stay.
void MainWindow::wheelEvent(QWheelEvent* event) {
    constexpr int kWheelStep = 120;  // eighths of a degree per notch
    wheelRemainder_ += event->angleDelta().y();
    const int steps = wheelRemainder_ / kWheelStep;
    wheelRemainder_ -= steps * kWheelStep;
    if (steps != 0)
        paperZoomOf(this)->zoomBy(steps);
    event->accept();
}

void MainWindow::showResult(const TelegramResult& result) {
    if (closed_)
        return;  // the engine's shutdown releases it
    card_ = openResultCard(this, result, [this] {
        card_ = nullptr;
        if (!closed_)
            trainer_.dismissResult();
    });
    emit resultShown(result);
}

void MainWindow::fillPorts() {
    ports_ = listSerialPorts();
    const QSignalBlocker block(panel_.ports);
    panel_.ports->clear();
    for (const SerialPortInfo& port : ports_)
        panel_.ports->addItem(fromView(port.displayName));
    if (!ports_.empty())
        panel_.ports->setCurrentIndex(0);
}

std::optional<SerialPortInfo> MainWindow::selectedPort() const {
    const int index = panel_.ports->currentIndex();
    if (index < 0 || index >= static_cast<int>(ports_.size()))
        return std::nullopt;
    return ports_[static_cast<std::size_t>(index)];
}

void MainWindow::showFirstRunGuideIfDue() {
    showFirstRunGuide(trainer_.settings(), paths_.settingsFile(),
                      [this](std::u16string_view title, std::u16string_view text) {
                          QString body = fromView(text);
                          body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                          auto* box = new QMessageBox(QMessageBox::Information, fromView(title),
                                                      body, QMessageBox::Ok, this);
                          box->setAttribute(Qt::WA_DeleteOnClose);
                          box->open();
                      });
}

void MainWindow::paperViewStepped(bool finished) {
    if (finished)
        writer_->saveNow();
    else
        writer_->requestSave();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (!isActiveWindow()) {
        keyFilter_->releaseContacts();
        return;
    }
    // A click on the blocked window activates it; the keyboard belongs to the pop-up over it.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this) {
        modal->raise();
        modal->activateWindow();
    }
}

void MainWindow::requestClose() {
    dismissPopups();
    close();
}

void MainWindow::dismissPopups() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == this || !w->isVisible())
            continue;
        if (auto* dialog = qobject_cast<QDialog*>(w))
            dialog->reject();  // ends its modal loop too
        else
            w->close();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        dismissPopups();
        statusTimer_.stop();
        trainer_.flags().keyboardKeyingEnabled.store(0, std::memory_order_relaxed);
        keyFilter_->releaseContacts();
        trainer_.sending().closeKeying();
        writer_->saveNow();
    }
    event->accept();
}

}  // namespace quorvel::ui
