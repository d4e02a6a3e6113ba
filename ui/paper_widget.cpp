#include "ui/paper_widget.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "ui/fonts.h"

// Resources of a static library are registered by hand, from the global namespace.
static void initFormResources() {
    Q_INIT_RESOURCE(forms);
}

namespace quorvel::ui {

namespace {

constexpr int kWheelStep = 120;  // eighths of a degree per notch

}  // namespace

void PaperWidget::drawGlyph(QPainter& p, const PaperGlyph& g) {
    const QColor colour = QColor::fromRgb(g.colour);
    if (g.kind == GlyphKind::VerticalStroke) {
        const int width = std::max(g.size / 8, 2);
        const int length = std::max(7 * g.size / 10, 8);
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
        const QPointF top(g.pos.x(), g.pos.y() - length / 2.0);
        p.drawLine(top, top + QPointF(0, length));
        return;
    }
    const FontEntry& f = font(g.font, g.size);
    const QString s(QChar(g.ch));
    p.setFont(f.qfont);
    p.setPen(colour);
    const int w = f.metrics.horizontalAdvance(s);
    if (g.kind == GlyphKind::Rotated) {
        // Turned a quarter clockwise, as vertical writing sets brackets.
        p.save();
        p.translate(g.pos);
        p.rotate(90);
        p.drawText(QPointF(-w / 2.0, 0), s);
        p.restore();
        return;
    }
    QPointF at(g.pos);
    switch (g.anchor) {
        case GlyphAnchor::Centre:
            at += QPointF(-w / 2.0, -f.metrics.height() / 2.0 + f.metrics.ascent());
            break;
        case GlyphAnchor::TopCentre:
            at += QPointF(-w / 2.0, f.metrics.ascent());
            break;
        case GlyphAnchor::TopLeft:
            at += QPointF(0, f.metrics.ascent());
            break;
    }
    p.drawText(at, s);
}

PaperWidget::PaperWidget(PaperKind kind, PaperZoom* zoom, QWidget* parent)
    : QWidget(parent), kind_(kind), zoom_(zoom) {
    initFormResources();
    japaneseForm_.load(QStringLiteral(":/forms/japanese_form.svg"));
    latinForm_.load(QStringLiteral(":/forms/latin_form.svg"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(zoom_, &PaperZoom::viewChanged, this, qOverload<>(&QWidget::update));
}

QRegion PaperWidget::setContent(const PaperContent& content) {
    const bool sameForm = content.latin == content_.latin;
    const std::vector<PaperGlyph> before = glyphs();
    content_ = content;
    if (!sameForm) {
        update();
        return QRegion(rect());
    }
    const std::vector<PaperGlyph> after = glyphs();
    // Generous boxes: brush strokes, turned brackets and voicing marks overhang the anchor.
    auto box = [](const PaperGlyph& g) {
        return QRect(g.pos - QPoint(g.size * 3 / 2, g.size * 3 / 2), QSize(g.size * 3, g.size * 3));
    };
    QRegion dirty;
    auto addMissing = [&](const std::vector<PaperGlyph>& from, const std::vector<PaperGlyph>& in) {
        for (const PaperGlyph& g : from) {
            if (std::find(in.begin(), in.end(), g) == in.end())
                dirty += box(g);
        }
    };
    addMissing(before, after);
    addMissing(after, before);
    dirty &= rect();
    if (!dirty.isEmpty())
        update(dirty);
    return dirty;
}

void PaperWidget::setFormFile(bool latin, const QString& path) {
    QSvgRenderer& r = form(latin);
    if (!r.load(path))
        r.load(QByteArray());  // a renderer left valid by the old form would still draw it
    formCache_ = QPixmap();
    update();
}

bool PaperWidget::formLoaded(bool latin) const {
    return (latin ? latinForm_ : japaneseForm_).isValid();
}

std::vector<PaperGlyph> PaperWidget::glyphs() {
    const QRect drawn = paperRect(size(), content_.latin, zoom_->zoom(), zoom_->offset());
    if (!formLoaded(content_.latin) || drawn.isEmpty())
        return {};
    return layoutPaper(content_, kind_, drawn, latinAdvance(drawn.height()));
}

const PaperWidget::FontEntry& PaperWidget::font(GlyphFont kind, int size) {
    for (const FontEntry& e : fonts_) {
        if (e.font == kind && e.size == size)
            return e;
    }
    if (fonts_.size() > 16)  // zooming walks through many sizes
        fonts_.clear();
    QFont f =
        pixelFont(kind == GlyphFont::Brush ? FontRole::Brush : FontRole::Gothic, size, QFont::Bold);
    if (kind == GlyphFont::Gothic)
        f.setFixedPitch(true);
    fonts_.push_back({kind, size, f, QFontMetrics(f)});
    return fonts_.back();
}

int PaperWidget::latinAdvance(int formHeight) {
    if (formHeight != advanceHeight_) {
        // CJK mono fonts report a full-width average; the Latin pitch is what a letter advances.
        const QFontMetrics& m = font(GlyphFont::Gothic, latinFontHeight(formHeight)).metrics;
        advance_ = std::min(m.averageCharWidth(), m.horizontalAdvance(QLatin1Char('M')));
        advanceHeight_ = formHeight;
    }
    return advance_;
}

void PaperWidget::drawForm(QPainter& p, QRect drawn, QRect area) {
    const qreal dpr = devicePixelRatioF();
    const double widgetArea = double(width()) * height();
    const bool whole = double(drawn.width()) * drawn.height() <= 3 * widgetArea;
    const bool stale =
        formCache_.isNull() || formCacheWhole_ != whole || formCacheLatin_ != content_.latin ||
        formCache_.devicePixelRatio() != dpr ||
        (whole ? formCacheRect_.size() != drawn.size()
               : formCacheRect_ != drawn || formCache_.deviceIndependentSize() != QSizeF(size()));
    if (stale) {
        formCache_ = QPixmap((whole ? drawn.size() : size()) * dpr);
        formCache_.setDevicePixelRatio(dpr);
        formCache_.fill(Qt::white);
        QPainter fp(&formCache_);
        fp.setRenderHint(QPainter::Antialiasing);
        fp.setRenderHint(QPainter::SmoothPixmapTransform);
        form(content_.latin).render(&fp, whole ? QRectF(QPointF(), drawn.size()) : QRectF(drawn));
        formCacheRect_ = drawn;
        formCacheWhole_ = whole;
        formCacheLatin_ = content_.latin;
    }
    const QPoint origin = whole ? drawn.topLeft() : QPoint();
    const QRect covered = (whole ? drawn : rect()) & area;
    for (const QRect& r : QRegion(area).subtracted(covered))
        p.fillRect(r, Qt::white);
    const QRect source = covered.translated(-origin);
    p.drawPixmap(
        covered, formCache_,
        QRectF(source.x() * dpr, source.y() * dpr, source.width() * dpr, source.height() * dpr));
}

void PaperWidget::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect drawn = paperRect(size(), content_.latin, zoom_->zoom(), zoom_->offset());
    if (drawn.isEmpty() || !form(content_.latin).isValid()) {
        p.fillRect(event->rect(), Qt::white);
        return;
    }
    drawForm(p, drawn, event->rect());
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    for (const PaperGlyph& g : layoutPaper(content_, kind_, drawn, latinAdvance(drawn.height())))
        drawGlyph(p, g);
}

void PaperWidget::wheelEvent(QWheelEvent* event) {
    wheelRemainder_ += event->angleDelta().y();
    const int steps = wheelRemainder_ / kWheelStep;
    wheelRemainder_ -= steps * kWheelStep;
    if (steps != 0)
        zoom_->zoomAt(steps, event->position().toPoint(), size(), content_.latin);
    event->accept();
}

void PaperWidget::beginDrag(QPointF globalPos) {
    dragging_ = true;
    lastDrag_ = globalPos;
    // Moves without the button must arrive too: they end a drag whose release went elsewhere.
    setMouseTracking(true);
}

void PaperWidget::dragTo(QPointF globalPos) {
    if (!dragging_)
        return;
    const QPoint delta = (globalPos - lastDrag_).toPoint();
    // Keep the fraction the rounding dropped, so a slow drag still moves.
    lastDrag_ += QPointF(delta);
    zoom_->panBy(delta);
}

void PaperWidget::endDrag() {
    dragging_ = false;
    setMouseTracking(false);
}

void PaperWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        beginDrag(event->globalPosition());
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void PaperWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        endDrag();
        QWidget::mouseMoveEvent(event);
        return;
    }
    dragTo(event->globalPosition());
    event->accept();
}

void PaperWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        endDrag();
    QWidget::mouseReleaseEvent(event);
}

void PaperWidget::changeEvent(QEvent* event) {
    // Losing the mouse grab (another window, a dialog) ends the drag.
    if (event->type() == QEvent::ActivationChange || event->type() == QEvent::EnabledChange)
        endDrag();
    QWidget::changeEvent(event);
}

}  // namespace quorvel::ui
