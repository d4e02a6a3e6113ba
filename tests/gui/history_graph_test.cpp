// The bar graph's geometry, read back from the pixels it draws.
#include <QImage>
#include <QPainter>
#include <QTest>

#include "ui/history_graph.h"

using quorvel::GraphEntry;

namespace {

const QColor kBlue(90, 150, 240), kGreen(70, 190, 110), kRed(240, 110, 90);

QImage render(QSize size, const std::vector<GraphEntry>& entries) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    quorvel::ui::paintHistoryGraph(p, size, entries);
    return img;
}

QColor at(const QImage& img, int x, int y) {
    return img.pixelColor(x, y);
}

// The rows of column x painted in `colour`, as [first, last] (last < first when none).
std::pair<int, int> columnRun(const QImage& img, int x, QColor colour) {
    int first = -1, last = -2;
    for (int y = 0; y < img.height(); ++y)
        if (at(img, x, y) == colour) {
            if (first < 0)
                first = y;
            last = y;
        }
    return {first, last};
}

// The columns of row y painted in `colour`.
std::pair<int, int> rowRun(const QImage& img, int y, QColor colour) {
    int first = -1, last = -2;
    for (int x = 0; x < img.width(); ++x)
        if (at(img, x, y) == colour) {
            if (first < 0)
                first = x;
            last = x;
        }
    return {first, last};
}

}  // namespace

class HistoryGraphTest : public QObject {
    Q_OBJECT
  private slots:
    void axesAndBarsFollowTheGeometry() {
        // Panel 600 x 220: xr = 582, y0 = 184, two slots of 260, bars 22 wide, centre 130.
        const QImage img = render({600, 220}, {{u"A", 100, 80, 20}, {u"B", 50, 50, 0}});
        const QColor axis(20, 20, 20);
        QCOMPARE(at(img, 62, 184), axis);
        QCOMPARE(at(img, 581, 184), axis);
        QCOMPARE(at(img, 582, 184), QColor(Qt::white));
        QCOMPARE(at(img, 62, 30), axis);
        QCOMPARE(at(img, 62, 183), axis);
        QCOMPARE(at(img, 62, 29), QColor(Qt::white));

        // Entry 0 at x 62: blue 148-169, green 170-191, red 192-213 (right edges exclusive).
        QCOMPARE(rowRun(img, 183, kBlue), std::make_pair(148, 429));  // both entries' blue
        QCOMPARE(at(img, 147, 183), QColor(Qt::white));
        QCOMPARE(at(img, 169, 183), kBlue);
        QCOMPARE(at(img, 170, 183), kGreen);
        QCOMPARE(at(img, 191, 183), kGreen);
        QCOMPARE(at(img, 192, 183), kRed);
        QCOMPARE(at(img, 213, 183), kRed);
        QCOMPARE(at(img, 214, 183), QColor(Qt::white));
        // Heights over 154 px for a maximum of 100: 154, 123 (123.2), 31 (30.8).
        QCOMPARE(columnRun(img, 150, kBlue), std::make_pair(30, 183));
        QCOMPARE(columnRun(img, 180, kGreen), std::make_pair(61, 183));
        QCOMPARE(columnRun(img, 200, kRed), std::make_pair(153, 183));
        // Entry 1 at x 322: blue 408-429 and green 430-451 at 77 px, no red bar.
        QCOMPARE(columnRun(img, 408, kBlue), std::make_pair(107, 183));
        QCOMPARE(columnRun(img, 451, kGreen), std::make_pair(107, 183));
        QCOMPARE(columnRun(img, 460, kRed).first, -1);
    }

    void heightsRoundToTheNearestPixel() {
        // 154 x 2 / 3 = 102.67 is 103 px, 154 / 3 = 51.33 is 51 px.
        const QImage img = render({600, 220}, {{u"x", 3, 2, 1}});
        // One slot of 520: bars 22 wide from x 62 + 260 - 44 = 278.
        QCOMPARE(columnRun(img, 278, kBlue), std::make_pair(30, 183));
        QCOMPARE(columnRun(img, 300, kGreen), std::make_pair(81, 183));
        QCOMPARE(columnRun(img, 322, kRed), std::make_pair(133, 183));
    }

    void narrowSlotsKeepTheirMinimumWidth() {
        // 30 entries in 200 px: slots of 18 (not 4), bars 3 wide, centre 9.
        std::vector<GraphEntry> many(30, GraphEntry{u"長いラベルの項目", 1, 1, 1});
        const QImage img = render({280, 220}, many);
        QCOMPARE(rowRun(img, 183, kBlue).first, 62 + 9 - 6);
        QCOMPARE(at(img, 62 + 18 + 9 - 6, 183), kBlue);
        QCOMPARE(at(img, 62 + 18 + 9 - 7, 183), QColor(Qt::white));
    }

    void noEntriesDrawOnlyTheMessage() {
        const QImage img = render({600, 220}, {});
        QCOMPARE(at(img, 62, 184), QColor(Qt::white));
        QCOMPARE(at(img, 62, 100), QColor(Qt::white));
        bool text = false;
        for (int x = 100; x < 500 && !text; ++x)
            for (int y = 100; y < 120 && !text; ++y)
                text = at(img, x, y) != QColor(Qt::white);
        QVERIFY(text);
    }

    void aPanelTooSmallStaysBlank() {
        const QImage img = render({80, 60}, {{u"A", 1, 1, 1}});
        for (int x = 0; x < 80; ++x)
            for (int y = 0; y < 60; ++y)
                QCOMPARE(at(img, x, y), QColor(Qt::white));
    }
};

QTEST_MAIN(HistoryGraphTest)
#include "history_graph_test.moc"
