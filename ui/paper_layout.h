// Where every character of a telegram paper goes: the form's placement in the widget and the
// glyph list of the fields. Pure geometry, so the tests check it without painting.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QtGui/QRgb>
#include <string_view>
#include <vector>

#include "ui/paper_content.h"

namespace quorvel::ui {

inline constexpr QSize kJapaneseFormSize{708, 1000};
inline constexpr QSize kLatinFormSize{1458, 1032};
inline constexpr double kJapaneseFormScale = 1.6;
inline constexpr double kLatinFormScale = 1.02;
inline constexpr int kJapaneseFormLift = 135;  // px, the Japanese form sits higher
inline constexpr int kLatinLineLength = 52;
inline constexpr int kLatinLineCount = 4;

inline constexpr QRgb kInkBlack = qRgb(0, 0, 0);
inline constexpr QRgb kInkRed = qRgb(220, 0, 0);
inline constexpr QRgb kHintGrey = qRgb(185, 185, 185);

enum class GlyphKind { Normal, Rotated, VerticalStroke, VoicingMark, Hint };
// How pos relates to the glyph: Centre of its text extent, top centre, top left. Rotated glyphs
// put their baseline centre on pos, strokes their centre.
enum class GlyphAnchor { Centre, TopCentre, TopLeft };
enum class GlyphFont { Brush, Gothic };

struct PaperGlyph {
    char16_t ch = 0;
    GlyphKind kind = GlyphKind::Normal;
    GlyphAnchor anchor = GlyphAnchor::Centre;
    GlyphFont font = GlyphFont::Brush;
    QPoint pos;
    int size = 0;  // px: font height, or the stroke size
    QRgb colour = kInkBlack;
    bool operator==(const PaperGlyph&) const = default;
};

// The rectangle the form image is drawn into; empty for a zero-size widget.
QRect paperRect(QSize client, bool latin, double zoom, QPoint offset);

// Lines of a Latin text page as (start, length) within the slice, at most four. A word-wrapped
// page that would need a fifth line is cut in fixed lines instead, so no character goes unseen.
struct LatinLine {
    int start = 0;
    int length = 0;
    bool operator==(const LatinLine&) const = default;
};
std::vector<LatinLine> latinTextLines(std::u16string_view slice, bool sendMode);

// Every glyph of the paper drawn into `form`. latinAdvance is the Gothic font's average
// character width at the Latin text height (the painter measures it).
std::vector<PaperGlyph> layoutPaper(const PaperContent& content, PaperKind kind, QRect form,
                                    int latinAdvance);

// The Latin text height for a form drawn `formHeight` px high.
int latinFontHeight(int formHeight);

}  // namespace quorvel::ui
