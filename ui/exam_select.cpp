#include "ui/exam_select.h"

#include <QPainter>
#include <array>

#include "engine/dashboard_report.h"
#include "engine/trainer.h"
#include "ui/info_window.h"
#include "ui/info_window_style.h"

namespace quorvel::ui {

namespace {

const QColor kBackground(241, 246, 252);
const QColor kHeader(105, 70, 190);
const QColor kReceiveCaption(35, 115, 210);
const QColor kSendCaption(220, 85, 45);
const QColor kDivider(210, 220, 235);
constexpr int kHeaderHeight = 105;
constexpr int kPressedDrop = 28;

QRect box(int left, int top, int right, int bottom) {
    return {left, top, right - left, bottom - top};
}

struct ExamButton {
    int x;
    int y;
    QColor colour;
    ExamChoice choice;
};

const std::array<ExamButton, 8>& examButtonTable() {
    static const std::array<ExamButton, 8> table = {{
        {55, 190, QColor(35, 115, 210), {40, ExamType::Receiving}},
        {55, 275, QColor(0, 155, 120), {60, ExamType::Receiving}},
        {55, 360, QColor(105, 85, 195), {80, ExamType::Receiving}},
        {55, 445, QColor(0, 135, 180), {100, ExamType::Receiving}},
        {455, 190, QColor(235, 135, 20), {40, ExamType::Sending}},
        {455, 275, QColor(220, 85, 45), {60, ExamType::Sending}},
        {455, 360, QColor(205, 65, 95), {80, ExamType::Sending}},
        {455, 445, QColor(180, 70, 155), {100, ExamType::Sending}},
    }};
    return table;
}

QString examCaption(const ExamChoice& c) {
    return QStringLiteral("%1 CPM %2")
        .arg(c.targetCpm)
        .arg(c.type == ExamType::Sending ? QStringLiteral("送信練習") : QStringLiteral("受信練習"));
}

}  // namespace

ExamSelector::ExamSelector(QWidget* owner)
    : QDialog(owner), headerFont_(cellFont(42)), captionFont_(cellFont(25)) {
    setWindowTitle(QStringLiteral("国家試験モード"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setModal(true);
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    const QFont buttonFont = cellFont(24);
    for (const ExamButton& b : examButtonTable()) {
        auto* button =
            new ColourButton(examCaption(b.choice), b.colour, kPressedDrop, buttonFont, this);
        button->setGeometry(b.x, b.y, 330, 66);
        button->setAutoDefault(false);
        const ExamChoice choice = b.choice;
        connect(button, &QPushButton::clicked, this, [this, choice] {
            choice_ = choice;
            accept();
        });
        examButtons_.push_back(button);
    }
    closeButton_ = new ColourButton(QStringLiteral("閉じる"), QColor(90, 100, 115), kPressedDrop,
                                    buttonFont, this);
    closeButton_->setGeometry(305, 550, 280, 56);
    closeButton_->setAutoDefault(false);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);
    examButtons_.front()->setFocus();
    centreInWorkArea(this, owner);
}

void ExamSelector::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    constexpr int kLine = Qt::AlignCenter | Qt::TextSingleLine;
    p.fillRect(rect(), kBackground);
    p.fillRect(QRect(0, 0, width(), kHeaderHeight), kHeader);
    p.setPen(Qt::white);
    p.setFont(headerFont_);
    p.drawText(QRect(0, 0, width(), kHeaderHeight), kLine, QStringLiteral("国家試験モード"));
    p.setFont(captionFont_);
    p.setPen(kReceiveCaption);
    p.drawText(box(55, 118, 385, 168), kLine, QStringLiteral("受信練習"));
    p.setPen(kSendCaption);
    p.drawText(box(455, 118, 785, 168), kLine, QStringLiteral("送信練習"));
    p.fillRect(box(420, 125, 430, 520), kDivider);
}

std::optional<ExamChoice> chooseExam(QWidget* owner) {
    ExamSelector selector(owner);
    selector.exec();
    return selector.choice();
}

void showExamConfirmation(QWidget* owner, const ExamChoice& choice, int wpm) {
    const Rgb accent = choice.type == ExamType::Sending ? Rgb{220, 85, 45} : Rgb{35, 115, 210};
    showInfo(infoContent(examConfirmationText(choice, wpm), accent, Rgb{105, 70, 190}), owner);
}

bool runExamMode(QWidget* owner, Trainer& trainer, const std::function<void()>& refreshControls) {
    const std::optional<ExamChoice> choice = chooseExam(owner);
    if (!choice)
        return false;
    const int wpm = applyExamChoice(trainer, *choice);
    if (refreshControls)
        refreshControls();
    showExamConfirmation(owner, *choice, wpm);
    return true;
}

}  // namespace quorvel::ui
