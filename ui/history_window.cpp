#include "ui/history_window.h"

#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QUrl>

#include "storage/utf.h"
#include "ui/fonts.h"
#include "ui/history_button.h"
#include "ui/history_graph.h"

namespace quorvel::ui {
namespace {

struct TabSpec {
    const char* caption;
    QColor colour;
    int x;
    int width;
};

const TabSpec kTabs[kStatsTabCount] = {
    {"現在", {35, 115, 210}, 10, 90},    {"日毎", {0, 160, 105}, 110, 90},
    {"週間", {135, 80, 195}, 210, 90},   {"月間", {235, 135, 20}, 310, 90},
    {"文字別", {215, 65, 80}, 410, 110}, {"DB", {0, 145, 165}, 530, 60},
    {"目標", {190, 145, 0}, 600, 70},    {"教材", {185, 75, 155}, 680, 70},
    {"CSV", {35, 155, 205}, 760, 70},
};

constexpr int kTabY = 10;
constexpr int kButtonHeight = 34;

}  // namespace

HistoryWindow::HistoryWindow(const DataPaths& paths, RunSource run, QWidget* parent, Clock clock)
    : QDialog(parent),
      reports_(paths.practiceLog(), paths.charLog()),
      directory_(paths.dataDirectory()),
      run_(std::move(run)),
      clock_(std::move(clock)),
      opener_(
          [](const QString& dir) { return QDesktopServices::openUrl(QUrl::fromLocalFile(dir)); }) {
    setWindowTitle(QStringLiteral("Quorvel - 現在の成績・CSV履歴"));
    setSizeGripEnabled(true);
    for (int i = 0; i < kStatsTabCount; ++i) {
        const TabSpec& t = kTabs[i];
        auto* b = new HistoryButton(QString::fromUtf8(t.caption), t.colour, this);
        connect(b, &QAbstractButton::clicked, this, [this, i] { showTab(i); });
        tabs_[static_cast<std::size_t>(i)] = b;
    }
    openFolder_ = new HistoryButton(QStringLiteral("CSV保存先を開く"), QColor(95, 90, 190), this);
    connect(openFolder_, &QAbstractButton::clicked, this, [this] {
        std::error_code ec;
        const auto dir = std::filesystem::absolute(directory_, ec);
        const QString path = QString::fromStdU16String(pathText(ec ? directory_ : dir));
        if (opener_(path))
            return;
        // Without a file browser the learner still needs to know where the files are.
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("ERROR"),
                                    QStringLiteral("CSV保存先のフォルダを開けませんでした。\n"
                                                   "ファイルは次のフォルダにあります:\n") +
                                        QDir::toNativeSeparators(path),
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setTextInteractionFlags(Qt::TextSelectableByMouse);
        box->open();
    });
    close_ = new HistoryButton(QStringLiteral("閉じる"), QColor(90, 100, 115), this);
    connect(close_, &QAbstractButton::clicked, this, &QDialog::accept);

    graph_ = new HistoryGraph(this);
    text_ = new QPlainTextEdit(this);
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(pixelFont(FontRole::Gothic, 22, QFont::Bold));
    QPalette pal = text_->palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, QColor(35, 50, 70));
    text_->setPalette(pal);

    resize(1000, 720);
    layoutChildren();  // a hidden dialog gets its resize event only when shown
    showTab(0);
}

void HistoryWindow::showTab(int tab) {
    if (tab < 0 || tab >= kStatsTabCount)
        return;
    tab_ = tab;
    for (int i = 0; i < kStatsTabCount; ++i)
        tabs_[static_cast<std::size_t>(i)]->setCurrent(i == tab);
    StatsPage page = reports_.page(tab, run_ ? run_() : RunStats{}, clock_());
    graph_->setEntries(std::move(page.graph));
    QString text = QString::fromStdU16String(page.report);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text_->setPlainText(text);
    update();
}

QString HistoryWindow::reportText() const {
    return text_->toPlainText();
}

void HistoryWindow::layoutChildren() {
    const int w = width();
    const int h = height();
    for (int i = 0; i < kStatsTabCount; ++i)
        tabs_[static_cast<std::size_t>(i)]->setGeometry(kTabs[i].x, kTabY, kTabs[i].width,
                                                        kButtonHeight);
    close_->setGeometry(w - 110, kTabY, 100, kButtonHeight);
    graph_->setGeometry(10, 58, std::max(0, w - 20), 220);
    text_->setGeometry(10, 290, std::max(0, w - 20), std::max(0, h - 350));
    openFolder_->setGeometry(10, h - 48, 170, kButtonHeight);
}

void HistoryWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layoutChildren();
}

void HistoryWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(237, 244, 252));
    p.fillRect(QRect(0, 0, width(), 52), QColor(28, 55, 92));
    p.fillRect(QRect(0, height() - 58, width(), 58), QColor(224, 235, 248));
}

void openHistoryWindow(QWidget* owner, const DataPaths& paths, HistoryWindow::RunSource run) {
    HistoryWindow window(paths, std::move(run), owner);
    window.exec();
    if (owner) {
        owner->raise();
        owner->activateWindow();
    }
}

}  // namespace quorvel::ui
