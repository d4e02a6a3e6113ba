// Where the manual's controls go for a client size and screen DPI, and how a picture fits
// its area. Pure geometry, so it is tested without a window.
#pragma once

#include <QRect>
#include <QSize>

namespace quorvel::ui {

struct ManualLayout {
    QRect title;
    QRect picture;
    QRect text;
    QRect previous;
    QRect next;
    QRect close;
    bool narrow = false;
};

struct ManualDpi {
    int x = 96;
    int y = 96;
};

// Empty rectangles for a client area of zero or negative size.
ManualLayout manualLayout(QSize client, ManualDpi dpi);
// The dialog size for a work area: 980 × 700 scaled, at most 94 % × 92 % of the area.
QSize manualDialogSize(QSize workArea, ManualDpi dpi);
// The picture drawn into `area`: scaled by the smaller ratio, aspect kept, centred.
QRect fittedPicture(QSize image, QRect area);
// Pixel height of a font of `points` on a screen of `dpiY`, rounded as MulDiv rounds.
int fontPixelHeight(int points, int dpiY);

}  // namespace quorvel::ui
