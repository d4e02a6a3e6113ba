#include "callouts.h"

#include <QPainter>
#include <QPainterPath>

#include "ui/fonts.h"

namespace manualpictures {
namespace {

const QColor kAccent(214, 40, 40);

void numberDisc(QPainter& p, QPoint centre, int n) {
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(kAccent);
    p.drawEllipse(centre, 17, 17);
    p.setFont(quorvel::ui::pixelFont(quorvel::ui::FontRole::Interface, 20, QFont::Bold));
    p.drawText(QRect(centre.x() - 17, centre.y() - 17, 34, 34), Qt::AlignCenter,
               QString::number(n));
}

}  // namespace

QImage canvas(const QString& heading) {
    QImage page(kWidth, kHeight, QImage::Format_ARGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRect(0, 0, kWidth, 64), QColor(32, 58, 96));
    p.setPen(Qt::white);
    p.setFont(quorvel::ui::pixelFont(quorvel::ui::FontRole::Interface, 30, QFont::Bold));
    p.drawText(QRect(28, 0, kWidth - 56, 64), Qt::AlignVCenter | Qt::AlignLeft, heading);
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

void drawCallouts(QImage& page, const std::vector<Callout>& callouts, QRect listArea) {
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    int y = listArea.top() + 20;
    for (std::size_t i = 0; i < callouts.size(); ++i) {
        const Callout& c = callouts[i];
        const int n = static_cast<int>(i) + 1;
        p.setPen(QPen(kAccent, 3));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(c.target.adjusted(-3, -3, 3, 3), 6, 6);
        numberDisc(p, QPoint(c.target.left() + 2, c.target.top() + 2), n);

        numberDisc(p, QPoint(listArea.left() + 20, y), n);
        p.setPen(QColor(30, 30, 30));
        p.setFont(quorvel::ui::pixelFont(quorvel::ui::FontRole::Interface, 22, QFont::Bold));
        const QRect text(listArea.left() + 46, y - 15, listArea.width() - 46, 120);
        QRect used;
        p.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, c.label, &used);
        y += std::max(56, used.height() + 26);
    }
}

}  // namespace manualpictures
