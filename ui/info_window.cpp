#include "ui/info_window.h"

#include <QPainter>

#include "ui/info_window_style.h"

namespace quorvel::ui {

namespace {

const QColor kBackground(240, 246, 253);
const QColor kBodyText(35, 50, 70);
constexpr int kHeaderHeight = 105;
constexpr int kButtonWidth = 280;
constexpr int kButtonHeight = 58;
constexpr int kButtonFromBottom = 76;
constexpr int kPressedDrop = 28;

QRect box(int left, int top, int right, int bottom) {
    return {left, top, right - left, bottom - top};
}

QString q(const std::u16string& s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

InfoContent infoContent(const InfoText& text, const Rgb& accent, const Rgb& second) {
    return {q(text.title), q(text.subtitle), q(text.body), toColor(accent), toColor(second)};
}

InfoWindow::InfoWindow(const InfoContent& content, QWidget* owner)
    : QDialog(owner),
      content_(content),
      headerFont_(cellFont(42)),
      subtitleFont_(cellFont(24)),
      bodyFont_(cellFont(19)) {
    content_.body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setWindowTitle(content_.title);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setModal(true);
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    button_ = new ColourButton(QStringLiteral("閉じる"), content_.accent, kPressedDrop,
                               cellFont(25), this);
    button_->resize(kButtonWidth, kButtonHeight);
    button_->setDefault(true);
    button_->setFocus();
    connect(button_, &QPushButton::clicked, this, &QDialog::accept);
    centreInWorkArea(this, owner);
}

void InfoWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    const int w = width();
    const int h = height();

    p.fillRect(rect(), kBackground);
    p.fillRect(QRect(0, 0, w, kHeaderHeight), content_.accent);
    p.setPen(Qt::white);
    p.setFont(headerFont_);
    p.drawText(box(24, 0, w - 24, kHeaderHeight), Qt::AlignCenter | Qt::TextSingleLine,
               content_.title);

    p.fillRect(box(24, 122, 214, 140), content_.accent);
    p.fillRect(box(224, 122, 414, 140), content_.second);
    p.fillRect(box(424, 122, 614, 140), QColor(235, 135, 20));
    p.fillRect(box(624, 122, 814, 140), QColor(185, 75, 155));

    p.setPen(content_.accent);
    p.setFont(subtitleFont_);
    p.drawText(box(32, 145, w - 32, 188), Qt::AlignCenter | Qt::TextSingleLine, content_.subtitle);

    const QRect panel = box(24, 196, w - 24, h - 96);
    p.fillRect(panel, Qt::white);
    p.fillRect(QRect(panel.left(), panel.top(), 12, panel.height()), content_.second);
    p.setPen(kBodyText);
    p.setFont(bodyFont_);
    p.drawText(
        box(panel.left() + 30, panel.top() + 18, panel.right() + 1 - 22, panel.bottom() + 1 - 16),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, content_.body);
}

void InfoWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    button_->move((width() - kButtonWidth) / 2, height() - kButtonFromBottom);
}

void showInfo(const InfoContent& content, QWidget* owner) {
    InfoWindow window(content, owner);
    window.exec();
}

}  // namespace quorvel::ui
