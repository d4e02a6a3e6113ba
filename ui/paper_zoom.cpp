#include "ui/paper_zoom.h"

#include <algorithm>
#include <cmath>

#include "ui/paper_layout.h"

namespace quorvel::ui {

PaperZoom::PaperZoom(QObject* parent) : QObject(parent) {}

void PaperZoom::loadFromSettings(int paperZoom1000, int paperOffsetX, int paperOffsetY) {
    zoom_ = std::clamp(paperZoom1000, 100, 5000) / 1000.0;
    offset_ = QPoint(paperOffsetX, paperOffsetY);
    emit viewChanged();
}

int PaperZoom::paperZoom1000() const {
    // The small bias keeps 1.1 × ÷1.1 from storing 999 through rounding error.
    return static_cast<int>(zoom_ * 1000.0 + 1e-6);
}

double PaperZoom::stepped(int steps) const {
    double z = zoom_;
    for (int i = 0; i < std::abs(steps); ++i)
        z = steps > 0 ? z * kStep : z / kStep;
    return std::clamp(z, kMin, kMax);
}

void PaperZoom::zoomBy(int steps) {
    const double z = stepped(steps);
    if (z == zoom_)
        return;
    zoom_ = z;
    emit viewChanged();
    emit changed();
}

void PaperZoom::zoomAt(int steps, QPoint cursor, QSize client, bool latin) {
    const double z = stepped(steps);
    if (z == zoom_)
        return;
    const QRect before = paperRect(client, latin, zoom_, offset_);
    const QRect centred = paperRect(client, latin, z, QPoint());
    zoom_ = z;
    if (before.width() > 0 && before.height() > 0) {
        // The form point under the cursor keeps its place: same fraction of the drawn form.
        const double fx = static_cast<double>(cursor.x() - before.x()) / before.width();
        const double fy = static_cast<double>(cursor.y() - before.y()) / before.height();
        const int x0 = cursor.x() - static_cast<int>(std::lround(fx * centred.width()));
        const int y0 = cursor.y() - static_cast<int>(std::lround(fy * centred.height()));
        offset_ = QPoint(x0 - centred.x(), y0 - centred.y());
    }
    emit viewChanged();
    emit changed();
}

void PaperZoom::panBy(QPoint delta) {
    if (delta.isNull())
        return;
    offset_ += delta;
    emit viewChanged();
    emit changed();
}

}  // namespace quorvel::ui
