// Off-screen renders of the pop-ups for the GUI tests, kept as PNGs when QUORVEL_RENDER_DIR is
// set (that is how the pictures under docs/ are made).
#pragma once

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace quorvel::ui::test {

inline QImage render(QWidget& w, const QString& pngName = {}) {
    w.ensurePolished();
    QImage image(w.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    w.render(&image);
    const QByteArray dir = qgetenv("QUORVEL_RENDER_DIR");
    if (!dir.isEmpty() && !pngName.isEmpty())
        image.save(QDir(QString::fromLocal8Bit(dir)).filePath(pngName));
    return image;
}

inline QColor at(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

// Whether any pixel of the rectangle has the colour (text drawn in it, for example).
inline bool anyPixel(const QImage& image, const QRect& r, const QColor& c) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.pixelColor(x, y) == c)
                return true;
    return false;
}

// Runs `step` on the modal window that opens next, from inside its own event loop.
inline void onNextModal(std::function<void(QWidget*)> step) {
    QTimer::singleShot(0, [step = std::move(step)] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) {
            onNextModal(step);
            return;
        }
        step(w);
    });
}

}  // namespace quorvel::ui::test
