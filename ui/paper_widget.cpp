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

struct FontCache {
    struct Entry {
        GlyphFont font;
        int size;
        QFont qfont;
        QFontMetrics metrics;
    };
    std::vector<Entry> entries;

    const Entry& get(GlyphFont font, int size) {
        for (const Entry& e : entries) {
            if (e.font == font && e.size == size)
                return e;
        }
        QFont f = pixelFont(font == GlyphFont::Brush ? FontRole::Brush : FontRole::Gothic, size,
                            QFont::Bold);
        if (font == GlyphFont::Gothic)
            f.setFixedPitch(true);
        entries.push_back({font, size, f, QFontMetrics(f)});
        return entries.back();
    }
};

int latinAdvanceFor(int formHeight) {
    QFont f = pixelFont(FontRole::Gothic, latinFontHeight(formHeight), QFont::Bold);
    f.setFixedPitch(true);
    // CJK mono fonts report a full-width average; the Latin pitch is what a letter advances.
    const QFontMetrics m(f);
    return std::min(m.averageCharWidth(), m.horizontalAdvance(QLatin1Char('M')));
}

void drawGlyph(QPainter& p, FontCache& fonts, const PaperGlyph& g) {
    const QColor colour = QColor::fromRgb(g.colour);
    if (g.kind == GlyphKind::VerticalStroke) {
        const int width = std::max(g.size / 8, 2);
        const int length = std::max(7 * g.size / 10, 8);
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
        const QPointF top(g.pos.x(), g.pos.y() - length / 2.0);
        p.drawLine(top, top + QPointF(0, length));
        return;
    }
    const FontCache::Entry& f = fonts.get(g.font, g.size);
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

}  // namespace

PaperWidget::PaperWidget(PaperKind kind, PaperZoom* zoom, QWidget* parent)
    : QWidget(parent), kind_(kind), zoom_(zoom) {
    initFormResources();
    japaneseForm_.load(QStringLiteral(":/forms/japanese_form.svg"));
    latinForm_.load(QStringLiteral(":/forms/latin_form.svg"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(zoom_, &PaperZoom::viewChanged, this, qOverload<>(&QWidget::update));
}

void PaperWidget::setContent(const PaperContent& content) {
    content_ = content;
    update();
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

std::vector<PaperGlyph> PaperWidget::glyphs() const {
    const QRect drawn = paperRect(size(), content_.latin, zoom_->zoom(), zoom_->offset());
    if (!formLoaded(content_.latin) || drawn.isEmpty())
        return {};
    return layoutPaper(content_, kind_, drawn, latinAdvanceFor(drawn.height()));
}

const QPixmap& PaperWidget::formPixmap(QRect drawn) {
    const qreal dpr = devicePixelRatioF();
    if (formCache_.isNull() || formCacheRect_ != drawn || formCacheLatin_ != content_.latin ||
        formCache_.devicePixelRatio() != dpr || formCache_.deviceIndependentSize() != size()) {
        formCache_ = QPixmap(size() * dpr);
        formCache_.setDevicePixelRatio(dpr);
        formCache_.fill(Qt::white);
        QPainter p(&formCache_);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        form(content_.latin).render(&p, QRectF(drawn));
        formCacheRect_ = drawn;
        formCacheLatin_ = content_.latin;
    }
    return formCache_;
}

void PaperWidget::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), Qt::white);
    const QRect drawn = paperRect(size(), content_.latin, zoom_->zoom(), zoom_->offset());
    if (drawn.isEmpty() || !form(content_.latin).isValid())
        return;
    p.drawPixmap(0, 0, formPixmap(drawn));
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    FontCache fonts;
    for (const PaperGlyph& g : layoutPaper(content_, kind_, drawn, latinAdvanceFor(drawn.height())))
        drawGlyph(p, fonts, g);
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
