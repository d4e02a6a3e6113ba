#include "ui/manual_layout.h"

#include <algorithm>

namespace quorvel::ui {
namespace {

int mulDiv(int a, int b, int c) {
    const long long p = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(p >= 0 ? (p + half) / c : (p - half) / c);
}

int scaled(int n, int dpi) {
    return n * dpi / 96;
}

}  // namespace

int fontPixelHeight(int points, int dpiY) {
    return mulDiv(points, dpiY, 72);
}

QSize manualDialogSize(QSize workArea, ManualDpi dpi) {
    const int w = std::min(scaled(980, dpi.x), workArea.width() * 94 / 100);
    const int h = std::min(scaled(700, dpi.y), workArea.height() * 92 / 100);
    return {w, h};
}

ManualLayout manualLayout(QSize client, ManualDpi dpi) {
    ManualLayout l;
    const int W = client.width();
    const int H = client.height();
    if (W <= 0 || H <= 0)
        return l;
    const int m = std::clamp(W / 80, 10, 22);
    const int t = std::clamp(scaled(44, dpi.y), 40, 62);
    const int b = std::clamp(scaled(42, dpi.y), 38, 56);
    const int c = std::clamp(scaled(120, dpi.x), 105, 160);

    l.title = QRect(m, m, W - 2 * m, t);
    const int y0 = t + 2 * m;
    const int e = std::max(120, H - b - t - 4 * m);
    const int iw = W - 2 * m;

    l.narrow = W < scaled(820, dpi.x) || H < scaled(560, dpi.y);
    if (l.narrow) {
        int p = e * 52 / 100;
        if (p < 110)
            p = e / 2;
        int q = e - p - m;
        if (q < 110) {
            q = 110;
            p = std::max(80, e - m - 110);
        }
        l.picture = QRect(m, y0, iw, p);
        l.text = QRect(m, y0 + p + m, iw, q);
    } else {
        int tw = std::clamp(iw * 38 / 100, scaled(320, dpi.x), scaled(470, dpi.x));
        int pw = iw - tw - m;
        if (pw < scaled(360, dpi.x)) {
            pw = iw * 56 / 100;
            tw = iw - pw - m;
        }
        l.picture = QRect(m, y0, pw, e);
        l.text = QRect(pw + 2 * m, y0, tw, e);
    }

    const int top = H - b - m;
    int closeX = W - c - m;
    int nextX = W - 2 * m - 2 * c;
    int previousX = W - 3 * m - 3 * c;
    if (previousX < m) {
        previousX = m;
        nextX = 2 * m + c;
        closeX = 3 * m + 2 * c;
    }
    l.previous = QRect(previousX, top, c, b);
    l.next = QRect(nextX, top, c, b);
    l.close = QRect(closeX, top, c, b);
    return l;
}

QRect fittedPicture(QSize image, QRect area) {
    if (image.width() <= 0 || image.height() <= 0 || area.width() <= 0 || area.height() <= 0)
        return {};
    const double s = std::min(static_cast<double>(area.height()) / image.height(),
                              static_cast<double>(area.width()) / image.width());
    const int w = static_cast<int>(image.width() * s);
    const int h = static_cast<int>(image.height() * s);
    return QRect(area.x() + (area.width() - w) / 2, area.y() + (area.height() - h) / 2, w, h);
}

}  // namespace quorvel::ui
