#include "ui/result_card.h"

#include <QKeyEvent>
#include <QPainter>
#include <array>

#include "ui/info_window_style.h"

namespace quorvel::ui {

namespace {

const QColor kBackground(241, 246, 252);
const QColor kScoreText(40, 55, 75);
constexpr int kHeaderHeight = 108;
constexpr int kButtonWidth = 290;
constexpr int kButtonHeight = 58;
constexpr int kButtonFromBottom = 76;
constexpr int kPressedDrop = 25;
constexpr int kTileTop = 350;
constexpr int kTileBottom = 474;

// GDI rectangles: right and bottom are exclusive.
QRect box(int left, int top, int right, int bottom) {
    return {left, top, right - left, bottom - top};
}

struct Tile {
    int left;
    int right;
    QColor colour;
    const char16_t* caption;
};

QString q(std::u16string_view s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

ResultCard::ResultCard(const TelegramResult& result, QWidget* parent)
    : QDialog(parent),
      result_(result),
      class_(classifyResult(result.rate)),
      accent_(toColor(class_.colour)),
      headerFont_(cellFont(44)),
      largeFont_(cellFont(82)),
      captionFont_(cellFont(24)),
      tileFont_(cellFont(38)),
      lineFont_(cellFont(25)) {
    setWindowTitle(QStringLiteral("電報受信結果"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setModal(true);
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    button_ = new ColourButton(buttonCaption(), accent_, kPressedDrop, cellFont(27), this);
    button_->setGeometry(285, 500, kButtonWidth, kButtonHeight);
    button_->setDefault(true);
    button_->setFocus();
    connect(button_, &QPushButton::clicked, this, &QDialog::accept);
    centreInWorkArea(this, parent);
}

QString ResultCard::headerText() const {
    return QStringLiteral("第%1通　%2電報 結果")
        .arg(result_.telegramNumber)
        .arg(result_.latinMode ? QStringLiteral("欧文") : QStringLiteral("和文"));
}

QString ResultCard::rateText() const {
    return QStringLiteral("%1%").arg(result_.rate);
}

QString ResultCard::gradeText() const {
    return QStringLiteral("評価  ") + q(class_.grade);
}

QString ResultCard::scoreText() const {
    return QStringLiteral("得点  %1 / %2　　減点  %3")
        .arg(result_.points)
        .arg(result_.maxPoints)
        .arg(result_.penalty);
}

QString ResultCard::messageText() const {
    return q(class_.message);
}

QString ResultCard::buttonCaption() const {
    return result_.hasNext ? QStringLiteral("次の電報へ") : QStringLiteral("結果を閉じる");
}

void ResultCard::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    constexpr int kLine = Qt::AlignCenter | Qt::TextSingleLine;
    const int w = width();

    p.fillRect(rect(), kBackground);
    p.fillRect(QRect(0, 0, w, kHeaderHeight), accent_);
    p.setPen(Qt::white);
    p.setFont(headerFont_);
    p.drawText(box(18, 0, w - 18, kHeaderHeight), kLine, headerText());

    p.fillRect(box(26, 126, 260, 326), Qt::white);
    p.setPen(QPen(accent_, 3));
    p.setBrush(accent_);
    p.drawEllipse(box(60, 139, 226, 305));
    p.setBrush(Qt::NoBrush);
    p.setPen(Qt::white);
    p.setFont(largeFont_);
    p.drawText(box(60, 139, 226, 305), kLine, rateText());
    p.setPen(accent_);
    p.setFont(captionFont_);
    // Centred, the caption's top would sink into the disc it shares rows with.
    p.drawText(box(32, 292, 254, 326), Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine,
               QStringLiteral("正答率"));

    p.fillRect(box(278, 126, 834, 326), Qt::white);
    p.setFont(largeFont_);
    p.drawText(box(292, 140, 820, 218), kLine, gradeText());
    p.setPen(kScoreText);
    p.setFont(lineFont_);
    p.drawText(box(292, 220, 820, 275), kLine, scoreText());
    p.setPen(accent_);
    p.drawText(box(292, 274, 820, 316), kLine, messageText());

    const std::array<Tile, 4> tiles = {{
        {26, 220, QColor(45, 125, 215), u"入力文字数"},
        {230, 424, QColor(0, 165, 105), u"正解"},
        {434, 628, QColor(220, 65, 75), u"誤答"},
        {638, 834, QColor(235, 135, 20), u"減点"},
    }};
    const std::array<int, 4> values = {result_.scoredCount, result_.scoredCorrect,
                                       result_.scoredWrong, result_.penalty};
    p.setPen(Qt::white);
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        const Tile& t = tiles[i];
        p.fillRect(box(t.left, kTileTop, t.right, kTileBottom), t.colour);
        p.setFont(captionFont_);
        p.drawText(box(t.left, kTileTop + 12, t.right, kTileTop + 46), kLine,
                   QString::fromUtf16(t.caption));
        p.setFont(tileFont_);
        p.drawText(box(t.left, kTileTop + 48, t.right, kTileBottom - 8), kLine,
                   QString::number(values[i]));
    }
}

void ResultCard::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    button_->move((width() - kButtonWidth) / 2, height() - kButtonFromBottom);
}

void ResultCard::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
        case Qt::Key_Escape:
            // The card has one answer, whichever key the learner reaches for.
            accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void showResultCard(const TelegramResult& result, QWidget* parent) {
    ResultCard card(result, parent);
    card.exec();
}

}  // namespace quorvel::ui
