// One telegram paper: the reception form of the language with the telegram written into it,
// zoomed and panned with the other paper through a shared PaperZoom.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QPixmap>
#include <QPointF>
#include <QRegion>
#include <QSvgRenderer>
#include <QWidget>
#include <vector>

#include "ui/paper_content.h"
#include "ui/paper_layout.h"
#include "ui/paper_zoom.h"

namespace quorvel::ui {

class PaperWidget : public QWidget {
    Q_OBJECT

  public:
    PaperWidget(PaperKind kind, PaperZoom* zoom, QWidget* parent = nullptr);

    // Repaints only the glyphs that changed (a keyed character is one cell); returns that area.
    QRegion setContent(const PaperContent& content);
    const PaperContent& content() const { return content_; }
    PaperKind kind() const { return kind_; }

    // A left-button drag that began on the main window's background, handed on in global
    // coordinates; it pans both papers as a drag on this one would.
    void beginDrag(QPointF globalPos);
    void dragTo(QPointF globalPos);
    void endDrag();
    bool dragging() const { return dragging_; }

    // Replaces a form image (tests, other forms); a file that does not load leaves the paper white.
    void setFormFile(bool latin, const QString& path);
    bool formLoaded(bool latin) const;

    // The glyphs as the next paint draws them.
    std::vector<PaperGlyph> glyphs();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    struct FontEntry {
        GlyphFont font;
        int size;
        QFont qfont;
        QFontMetrics metrics;
    };

    QSvgRenderer& form(bool latin) { return latin ? latinForm_ : japaneseForm_; }
    // Draws the form for `drawn` and whites out the rest of `area`.
    void drawForm(QPainter& p, QRect drawn, QRect area);
    const FontEntry& font(GlyphFont font, int size);
    int latinAdvance(int formHeight);
    void drawGlyph(QPainter& p, const PaperGlyph& g);

    PaperKind kind_;
    PaperZoom* zoom_;
    PaperContent content_;
    QSvgRenderer japaneseForm_;
    QSvgRenderer latinForm_;
    // The rendered form: the whole of it while that is small enough, so that a drag only moves
    // it; else the part the widget shows at the current placement. Keying repaints blit it.
    QPixmap formCache_;
    QRect formCacheRect_;
    bool formCacheWhole_ = false;
    bool formCacheLatin_ = false;
    // Fonts resolve their family chain once, not per paint.
    std::vector<FontEntry> fonts_;
    int advanceHeight_ = -1;
    int advance_ = 0;
    int wheelRemainder_ = 0;  // eighths of a degree short of a whole step
    bool dragging_ = false;
    QPointF lastDrag_;
};

}  // namespace quorvel::ui
