#include "ui/info_window_style.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "ui/fonts.h"

namespace quorvel::ui {

QColor toColor(const Rgb& c) {
    return QColor(c.r, c.g, c.b);
}

QColor pressedColor(const QColor& c, int by) {
    return QColor(std::max(c.red() - by, 0), std::max(c.green() - by, 0),
                  std::max(c.blue() - by, 0));
}

QFont cellFont(int cellHeight) {
    QFont font = pixelFont(FontRole::Interface, cellHeight, QFont::Bold);
    const qreal line = QFontMetricsF(font).height();
    if (line > 0) {
        const int em = static_cast<int>(std::lround(cellHeight * cellHeight / line));
        font.setPixelSize(std::max(em, 1));
    }
    return font;
}

void centreInWorkArea(QWidget* window, const QWidget* owner) {
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

ColourButton::ColourButton(const QString& caption, const QColor& colour, int pressedDrop,
                           const QFont& font, QWidget* parent)
    : QPushButton(caption, parent), colour_(colour), pressedDrop_(pressedDrop) {
    setFont(font);
    setCursor(Qt::PointingHandCursor);
}

void ColourButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, isDown() ? pressedColor(colour_, pressedDrop_) : colour_);
    p.setPen(Qt::white);
    p.setFont(font());
    p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, text());
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    if (hasFocus()) {
        // Keyboard users need to see which button Enter and Space press.
        QPen dots(Qt::white, 1, Qt::DotLine);
        p.setPen(dots);
        p.drawRect(r.adjusted(4, 4, -5, -5));
    }
}

}  // namespace quorvel::ui
