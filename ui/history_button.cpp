#include "ui/history_button.h"

#include <QPainter>
#include <algorithm>

#include "ui/fonts.h"

namespace quorvel::ui {

HistoryButton::HistoryButton(const QString& caption, QColor colour, QWidget* parent)
    : QAbstractButton(parent), colour_(colour) {
    setText(caption);
    setFont(pixelFont(FontRole::Interface, 18, QFont::Bold));
    setCursor(Qt::PointingHandCursor);
}

void HistoryButton::setCurrent(bool current) {
    current_ = current;
    update();
}

void HistoryButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QColor fill = colour_;
    if (isDown()) {
        auto darker = [](int v) { return std::max(0, v - 28); };
        fill = QColor(darker(fill.red()), darker(fill.green()), darker(fill.blue()));
    }
    const QRect r = rect();
    p.fillRect(r, fill);
    p.setPen(Qt::white);
    p.setFont(font());
    p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, text());
    // One-pixel frames: the outline, and on the current tab two more inset by 3 and 5.
    p.drawRect(r.adjusted(0, 0, -1, -1));
    if (current_) {
        p.drawRect(r.adjusted(3, 3, -4, -4));
        p.drawRect(r.adjusted(5, 5, -6, -6));
    }
}

}  // namespace quorvel::ui
