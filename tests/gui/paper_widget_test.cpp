// The painted papers: ink colours in the image, the failure rules, zoom and pan. With
// QUORVEL_PAPER_PNG_DIR set it also writes the pictures of both papers used in the README.
#include <QMouseEvent>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>

#include "morse/code_tables.h"
#include "ui/paper_widget.h"

using namespace quorvel;
using namespace quorvel::ui;

namespace {

bool isRed(QRgb p) {
    return qRed(p) > 150 && qGreen(p) < 90 && qBlue(p) < 90;
}
bool isDark(QRgb p) {
    return qRed(p) < 70 && qGreen(p) < 70 && qBlue(p) < 70;
}

// Counts pixels of a kind around a glyph's anchor.
int countAround(const QImage& img, const PaperGlyph& g, bool (*pred)(QRgb)) {
    const QRect box = g.anchor == GlyphAnchor::TopLeft
                          ? QRect(g.pos, QSize(g.size, g.size))
                          : QRect(g.pos - QPoint(g.size / 2, g.size / 2), QSize(g.size, g.size));
    int n = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (img.rect().contains(x, y) && pred(img.pixel(x, y)))
                ++n;
    return n;
}

// A whole telegram, keyed through with two mistakes in the text.
PaperContent sample(PaperKind kind, bool latin) {
    const TelegramRecord& r = builtInSamples(latin)[0];
    PaperContent c;
    c.latin = latin;
    for (int s = 0; s < kSectionCount; ++s)
        c.fields[static_cast<std::size_t>(s)] = toPracticeForm(r.field(s), latin);
    c.modelText = c.fields[Text];
    c.section = Text;
    c.textCursor = static_cast<int>(c.modelText.size());
    if (kind == PaperKind::Input) {
        for (int s = 0; s < kSectionCount; ++s)
            c.marks[static_cast<std::size_t>(s)] =
                std::u16string(c.fields[static_cast<std::size_t>(s)].size(), u'1');
        std::u16string& text = c.fields[Text];
        for (std::size_t i : {std::size_t{6}, std::size_t{23}}) {
            text[i] = latin ? u'X' : u'ネ';
            c.marks[Text][i] = u'0';
        }
    }
    return c;
}

void wheel(QWidget& w, QPoint at, int delta) {
    QWheelEvent e(at, w.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &e);
}

void mouse(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButton button,
           Qt::MouseButtons held) {
    QMouseEvent e(type, at, w.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

}  // namespace

class PaperWidgetTest : public QObject {
    Q_OBJECT

  private slots:
    void wrongInkIsRedRightInkBlack() {
        for (bool latin : {false, true}) {
            PaperZoom zoom;
            PaperWidget w(PaperKind::Input, &zoom);
            w.resize(700, 900);
            PaperContent c;
            c.latin = latin;
            // Apart, so that no stroke of one reaches the other's box.
            c.fields[Text] = latin ? u"A    B" : u"ア         イ";
            c.marks[Text] = latin ? u"011111" : u"01111111111";
            w.setContent(c);
            QVERIFY(w.formLoaded(latin));
            const QImage img = w.grab().toImage();
            const auto gs = w.glyphs();
            auto find = [&](char16_t ch) {
                return *std::find_if(gs.begin(), gs.end(),
                                     [&](const PaperGlyph& g) { return g.ch == ch; });
            };
            const PaperGlyph wrong = find(latin ? u'A' : u'ア');
            const PaperGlyph right = find(latin ? u'B' : u'イ');
            QVERIFY2(countAround(img, wrong, isRed) > 20, latin ? "Latin" : "Japanese");
            QCOMPARE(countAround(img, wrong, isDark), 0);
            QVERIFY(countAround(img, right, isDark) > 20);
            QCOMPARE(countAround(img, right, isRed), 0);
        }
    }

    void aKeyedCharacterRepaintsItsCellOnly() {
        PaperZoom zoom;
        PaperWidget w(PaperKind::Input, &zoom);
        w.resize(700, 900);
        PaperContent c = sample(PaperKind::Input, false);
        c.fields[Text].resize(20);
        c.marks[Text].resize(20);
        w.setContent(c);
        PaperContent next = c;
        next.fields[Text] += u'ア';
        next.marks[Text] += u'0';
        const QRegion dirty = w.setContent(next);
        const PaperGlyph added = w.glyphs()[20];
        QVERIFY(dirty.contains(added.pos));
        QVERIFY(dirty.boundingRect().width() < w.width() / 4);
        // Another language repaints all.
        next.latin = true;
        QCOMPARE(w.setContent(next), QRegion(w.rect()));
    }

    void missingFormLeavesThePaperWhite() {
        PaperZoom zoom;
        PaperWidget w(PaperKind::Model, &zoom);
        w.resize(400, 500);
        w.setContent(sample(PaperKind::Model, false));
        w.setFormFile(false, QStringLiteral("/nonexistent/form.svg"));
        QVERIFY(!w.formLoaded(false));
        QVERIFY(w.glyphs().empty());
        QImage img = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QImage white(img.size(), QImage::Format_RGB32);
        white.fill(Qt::white);
        QCOMPARE(img, white);
        // The other language still draws.
        PaperContent latin = sample(PaperKind::Model, true);
        w.setContent(latin);
        QVERIFY(!w.glyphs().empty());
    }

    void zeroSizeDrawsNothing() {
        PaperZoom zoom;
        PaperWidget w(PaperKind::Input, &zoom);
        w.setContent(sample(PaperKind::Input, false));
        for (QSize s : {QSize(0, 0), QSize(300, 0), QSize(0, 300)}) {
            w.resize(s);
            QVERIFY(w.glyphs().empty());
            w.repaint();
            QImage img(QSize(1, 1), QImage::Format_RGB32);
            w.render(&img);
        }
    }

    void wheelZoomsAndClamps() {
        PaperZoom zoom;
        PaperWidget w(PaperKind::Model, &zoom);
        w.resize(600, 800);
        QSignalSpy saves(&zoom, &PaperZoom::changed);
        for (int i = 0; i < 5; ++i)
            wheel(w, QPoint(300, 400), 120);
        QVERIFY(std::abs(zoom.zoom() - std::pow(1.1, 5)) < 1e-9);
        QCOMPARE(saves.count(), 5);
        QCOMPARE(zoom.paperZoom1000(), 1610);
        for (int i = 0; i < 40; ++i)
            wheel(w, QPoint(300, 400), 120);
        QCOMPARE(zoom.zoom(), PaperZoom::kMax);
        const int atMax = static_cast<int>(saves.count());
        wheel(w, QPoint(300, 400), 120);
        QCOMPARE(saves.count(), atMax);  // nothing changed, nothing to save
        // Half notches of a fine wheel add up to one step.
        wheel(w, QPoint(300, 400), -60);
        QCOMPARE(zoom.zoom(), PaperZoom::kMax);
        wheel(w, QPoint(300, 400), -60);
        QVERIFY(std::abs(zoom.zoom() - 5.0 / 1.1) < 1e-9);
        zoom.zoomBy(-200);
        QCOMPARE(zoom.zoom(), PaperZoom::kMin);
        QCOMPARE(zoom.paperZoom1000(), 100);
    }

    void wheelKeepsThePointUnderTheCursor() {
        PaperZoom zoom;
        zoom.loadFromSettings(1000, 30, -40);
        const QSize client(600, 800);
        const QPoint cursor(150, 620);
        for (bool latin : {false, true}) {
            const QRect before = paperRect(client, latin, zoom.zoom(), zoom.offset());
            zoom.zoomAt(3, cursor, client, latin);
            const QRect after = paperRect(client, latin, zoom.zoom(), zoom.offset());
            const double fxBefore = double(cursor.x() - before.x()) / before.width();
            const double fxAfter = double(cursor.x() - after.x()) / after.width();
            const double fyBefore = double(cursor.y() - before.y()) / before.height();
            const double fyAfter = double(cursor.y() - after.y()) / after.height();
            QVERIFY(std::abs(fxBefore - fxAfter) * after.width() <= 1.0);
            QVERIFY(std::abs(fyBefore - fyAfter) * after.height() <= 1.0);
        }
        // With no anchor (the window's background) the offsets stay.
        const QPoint kept = zoom.offset();
        zoom.zoomBy(-2);
        QCOMPARE(zoom.offset(), kept);
    }

    void settingsRoundTrip() {
        PaperZoom zoom;
        QSignalSpy saves(&zoom, &PaperZoom::changed);
        zoom.loadFromSettings(50, -7, 12345);
        QCOMPARE(zoom.zoom(), 0.1);
        QCOMPARE(zoom.paperZoom1000(), 100);
        QCOMPARE(zoom.paperOffsetX(), -7);
        QCOMPARE(zoom.paperOffsetY(), 12345);
        QCOMPARE(saves.count(), 0);  // a load is not a change to write back
        zoom.loadFromSettings(90000, 0, 0);
        QCOMPARE(zoom.zoom(), 5.0);
        zoom.loadFromSettings(1000, 0, 0);
        zoom.zoomBy(1);
        zoom.zoomBy(-1);
        QCOMPARE(zoom.paperZoom1000(), 1000);
    }

    void dragPansBothPapers() {
        PaperZoom zoom;
        PaperWidget left(PaperKind::Model, &zoom);
        PaperWidget right(PaperKind::Input, &zoom);
        left.resize(400, 500);
        right.resize(400, 500);
        mouse(right, QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton, Qt::LeftButton);
        mouse(right, QEvent::MouseMove, QPoint(130, 90), Qt::NoButton, Qt::LeftButton);
        mouse(right, QEvent::MouseMove, QPoint(125, 95), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(zoom.offset(), QPoint(25, -5));
        mouse(right, QEvent::MouseButtonRelease, QPoint(125, 95), Qt::LeftButton, Qt::NoButton);
        mouse(right, QEvent::MouseMove, QPoint(200, 200), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(zoom.offset(), QPoint(25, -5));  // no drag after the release
        // A move without the button ends a drag whose release was lost.
        mouse(left, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
        mouse(left, QEvent::MouseMove, QPoint(20, 20), Qt::NoButton, Qt::NoButton);
        QVERIFY(!left.dragging());
        // Handed on from the window's background, in global coordinates.
        left.beginDrag(QPointF(500, 500));
        left.dragTo(QPointF(490, 530));
        left.endDrag();
        left.dragTo(QPointF(0, 0));
        QCOMPARE(zoom.offset(), QPoint(15, 25));
        QCOMPARE(right.grab().toImage(), left.grab().toImage());  // both show the same form
    }

    // The full sample telegram on both papers, as in the README pictures.
    void fullTelegramPictures() {
        const QByteArray dir = qgetenv("QUORVEL_PAPER_PNG_DIR");
        for (bool latin : {false, true}) {
            PaperZoom zoom;
            // The whole form: undo the enlargement and the lift of the Japanese paper.
            if (latin)
                zoom.loadFromSettings(1000 * 100 / 102, 0, 0);
            else
                zoom.loadFromSettings(625, 0, 135);
            for (PaperKind kind : {PaperKind::Model, PaperKind::Input}) {
                PaperWidget w(kind, &zoom);
                w.resize(latin ? QSize(1020, 722) : QSize(708, 1000));
                w.setContent(sample(kind, latin));
                const QImage img = w.grab().toImage();
                const auto gs = w.glyphs();
                const int wrong = static_cast<int>(std::count_if(
                    gs.begin(), gs.end(), [](const PaperGlyph& g) { return g.colour == kInkRed; }));
                QCOMPARE(wrong, kind == PaperKind::Input ? 2 : 0);
                if (!dir.isEmpty()) {
                    const QString name =
                        QStringLiteral("%1/paper_%2_%3.png")
                            .arg(QString::fromLocal8Bit(dir), latin ? "latin" : "japanese",
                                 kind == PaperKind::Model ? "model" : "input");
                    QVERIFY(img.save(name));
                }
            }
        }
    }
};

QTEST_MAIN(PaperWidgetTest)
#include "paper_widget_test.moc"
