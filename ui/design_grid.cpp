#include "ui/design_grid.h"

#include <QWidget>
#include <algorithm>
#include <cstdint>

namespace quorvel::ui {

int mulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const std::int64_t p = static_cast<std::int64_t>(a) * b;
    const bool negative = (p < 0) != (c < 0);
    const std::int64_t n = p < 0 ? -p : p;
    const std::int64_t d = c < 0 ? -static_cast<std::int64_t>(c) : c;
    const std::int64_t q = (n + d / 2) / d;
    return static_cast<int>(negative ? -q : q);
}

QRect scaleDesignRect(const QRect& d, const QSize& client) {
    const int w = client.width();
    const int h = client.height();
    return {mulDiv(d.x(), w, kDesignWidth), mulDiv(d.y(), h, kDesignHeight),
            mulDiv(d.width(), w, kDesignWidth), mulDiv(d.height(), h, kDesignHeight)};
}

int scalePercentFor(const QSize& client) {
    const int byWidth = client.width() * 100 / kDesignWidth;
    const int byHeight = client.height() * 100 / kDesignHeight;
    return std::clamp(std::min(byWidth, byHeight), 50, 130);
}

int controlFontHeight(int scalePercent) {
    return std::max(10, mulDiv(20, scalePercent, 100));
}

int largeFontHeight(int scalePercent) {
    return std::max(10, mulDiv(28, scalePercent, 100));
}

DesignGridLayout::DesignGridLayout(QWidget* parent) : QLayout(parent) {
    setContentsMargins(0, 0, 0, 0);
    setSizeConstraint(QLayout::SetNoConstraint);
}

DesignGridLayout::~DesignGridLayout() = default;

void DesignGridLayout::addWidgetAt(QWidget* widget, const QRect& normal,
                                   std::optional<QRect> full) {
    addChildWidget(widget);
    entries_.push_back({std::make_unique<QWidgetItem>(widget), normal, full});
    invalidate();
}

void DesignGridLayout::setFullScreen(bool full) {
    fullScreen_ = full;
    for (const Entry& e : entries_) {
        if (QWidget* w = e.item->widget())
            w->setVisible(!full || e.full.has_value());
    }
    invalidate();
    if (QWidget* parent = parentWidget())
        setGeometry(parent->rect());
}

QRect DesignGridLayout::designRect(const QWidget* widget) const {
    for (const Entry& e : entries_) {
        if (e.item->widget() != widget)
            continue;
        if (!fullScreen_)
            return e.normal;
        return e.full.value_or(QRect());
    }
    return {};
}

void DesignGridLayout::addItem(QLayoutItem* item) {
    // Items without a design rectangle are kept (Qt may add them) but never placed.
    entries_.push_back({std::unique_ptr<QLayoutItem>(item), QRect(), std::nullopt});
}

QLayoutItem* DesignGridLayout::itemAt(int index) const {
    if (index < 0 || index >= count())
        return nullptr;
    return entries_[static_cast<std::size_t>(index)].item.get();
}

QLayoutItem* DesignGridLayout::takeAt(int index) {
    if (index < 0 || index >= count())
        return nullptr;
    auto it = entries_.begin() + index;
    QLayoutItem* item = it->item.release();
    entries_.erase(it);
    return item;
}

int DesignGridLayout::count() const {
    return static_cast<int>(entries_.size());
}

QSize DesignGridLayout::sizeHint() const {
    return {kDesignWidth, kDesignHeight};
}

QSize DesignGridLayout::minimumSize() const {
    return {0, 0};
}

void DesignGridLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    for (const Entry& e : entries_) {
        const QRect design = fullScreen_ ? e.full.value_or(QRect()) : e.normal;
        if (design.isNull())
            continue;
        const QRect placed = scaleDesignRect(design, rect.size()).translated(rect.topLeft());
        if (QWidget* w = e.item->widget())
            w->setGeometry(placed);
        else
            e.item->setGeometry(placed);
    }
}

}  // namespace quorvel::ui
