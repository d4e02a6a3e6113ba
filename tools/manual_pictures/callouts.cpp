#include "callouts.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "ui/fonts.h"

namespace manualpictures {
namespace {

const QColor kAccent(214, 40, 40);

constexpr int kDisc = 20;  // radius
constexpr int kRowHeight = kCaptionPixels + 22;

void numberDisc(QPainter& p, QPoint centre, int n) {
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(kAccent);
    p.drawEllipse(centre, kDisc, kDisc);
    p.setFont(quorvel::ui::pixelFont(quorvel::ui::FontRole::Interface, 26, QFont::Bold));
    p.drawText(QRect(centre.x() - kDisc, centre.y() - kDisc, 2 * kDisc, 2 * kDisc), Qt::AlignCenter,
               QString::number(n));
}

// Beside the frame, never on what it frames: left of it, or right where the page ends.
QPoint discBeside(const QRect& target) {
    const int y = target.center().y();
    // Into the page margin when the frame is at the picture's edge: the right is taken by
    // the next control's number.
    if (target.left() >= kDisc + 8)
        return {std::max(kDisc + 1, target.left() - 6 - kDisc), y};
    return {target.right() + 6 + kDisc, y};
}

}  // namespace

QImage canvas(const QString& heading, int width) {
    QImage page(width, kHeight, QImage::Format_ARGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRect(0, 0, width, 64), QColor(32, 58, 96));
    p.setPen(Qt::white);
    p.setFont(quorvel::ui::pixelFont(quorvel::ui::FontRole::Interface, 30, QFont::Bold));
    p.drawText(QRect(28, 0, width - 56, 64), Qt::AlignVCenter | Qt::AlignLeft, heading);
    return page;
}

double placeShot(QImage& page, const QImage& shot, QRect area) {
    if (shot.isNull())
        return 0;
    const double s = std::min(static_cast<double>(area.width()) / shot.width(),
                              static_cast<double>(area.height()) / shot.height());
    const QSize size(static_cast<int>(shot.width() * s), static_cast<int>(shot.height() * s));
    QPainter p(&page);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect at(area.topLeft(), size);
    p.drawImage(at, shot);
    p.setPen(QPen(QColor(150, 150, 150), 1));
    p.drawRect(at.adjusted(0, 0, -1, -1));
    return s;
}

int calloutListHeight(int count, int columns) {
    const int rows = (count + columns - 1) / columns;
    return rows * kRowHeight;
}

void drawCallouts(QImage& page, const std::vector<Callout>& callouts, QRect listArea, int columns) {
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    const int rows = (static_cast<int>(callouts.size()) + columns - 1) / columns;
    const int columnWidth = listArea.width() / columns;
    for (std::size_t i = 0; i < callouts.size(); ++i) {
        const Callout& c = callouts[i];
        const int n = static_cast<int>(i) + 1;
        p.setPen(QPen(kAccent, 4));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(c.target.adjusted(-4, -4, 4, 4), 6, 6);
        numberDisc(p, discBeside(c.target.adjusted(-4, -4, 4, 4)), n);

        const int row = static_cast<int>(i) % rows;
        const int column = static_cast<int>(i) / rows;
        const int x = listArea.left() + column * columnWidth;
        const int y = listArea.top() + row * kRowHeight + kRowHeight / 2;
        numberDisc(p, QPoint(x + kDisc, y), n);
        p.setPen(QColor(30, 30, 30));
        p.setFont(
            quorvel::ui::pixelFont(quorvel::ui::FontRole::Interface, kCaptionPixels, QFont::Bold));
        p.drawText(
            QRect(x + 2 * kDisc + 14, y - kRowHeight / 2, columnWidth - 2 * kDisc - 20, kRowHeight),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, c.label);
    }
}

}  // namespace manualpictures
