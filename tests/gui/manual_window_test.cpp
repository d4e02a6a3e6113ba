#include <QImage>
#include <QPushButton>
#include <QTest>

#include "ui/manual_layout.h"
#include "ui/manual_pages.h"
#include "ui/manual_window.h"

using namespace quorvel::ui;

namespace {

QString missingPicture(int) {
    return QStringLiteral(":/manual/no-such-page.png");
}

int redPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 120 && c.green() < 90 && c.blue() < 90)
                ++n;
        }
    return n;
}

}  // namespace

class ManualWindowTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void pagesClampAndButtonsFollow() {
        ManualWindow w(nullptr, &missingPicture);
        QCOMPARE(w.page(), 0);
        QVERIFY(!w.previousButton()->isEnabled());
        QVERIFY(w.nextButton()->isEnabled());
        for (int i = 0; i < 12; ++i)
            QTest::mouseClick(w.nextButton(), Qt::LeftButton);
        QCOMPARE(w.page(), 8);
        QVERIFY(!w.nextButton()->isEnabled());
        QVERIFY(w.previousButton()->isEnabled());
        w.setPage(-5);
        QCOMPARE(w.page(), 0);
        w.setPage(99);
        QCOMPARE(w.page(), 8);
    }

    // QUORVEL_MANUAL_PNG=docs/manual.png saves the manual at its first page, as the README shows
    // (at page QUORVEL_MANUAL_PAGE + 1 when that is set).
    void firstPageRenders() {
        ManualWindow w;
        w.resize(980, 700);
        w.setPage(qEnvironmentVariableIntValue("QUORVEL_MANUAL_PAGE"));
        QImage image(w.size(), QImage::Format_ARGB32);
        w.render(&image);
        QVERIFY(w.picture()->imageLoaded());
        const QByteArray out = qgetenv("QUORVEL_MANUAL_PNG");
        if (!out.isEmpty())
            QVERIFY(image.save(QString::fromLocal8Bit(out)));
    }

    void reopeningStartsAtPageZero() {
        ManualWindow first(nullptr, &missingPicture);
        first.setPage(5);
        ManualWindow second(nullptr, &missingPicture);
        QCOMPARE(second.page(), 0);
    }

    void everyPictureDecodes() {
        for (int page = 0; page < kManualPageCount; ++page) {
            QImage image(manualPicturePath(page));
            QVERIFY2(!image.isNull(), qPrintable(manualPicturePath(page)));
            QVERIFY(image.width() >= 1200 && image.height() >= 700);
        }
    }

    void missingPictureShowsRedText() {
        ManualPicture picture;
        picture.resize(400, 300);
        picture.setImagePath(QStringLiteral(":/manual/no-such-page.png"));
        QVERIFY(!picture.imageLoaded());
        QImage image(picture.size(), QImage::Format_ARGB32);
        picture.render(&image);
        QVERIFY(redPixels(image) > 20);
    }

    void narrowLayoutKeepsItsMinimums() {
        const ManualLayout l = manualLayout(QSize(300, 260), {});
        QVERIFY(l.narrow);
        QVERIFY(l.text.height() >= 110);
        QVERIFY(l.picture.height() >= 80);
        // The content band (picture, gap, text) is at least 120 high.
        QVERIFY(l.text.bottom() - l.picture.top() + 1 >= 120);
        QVERIFY(l.previous.left() >= 0);  // buttons moved to the left when they do not fit
        QCOMPARE(l.previous.left(), l.title.left());
    }

    void wideLayoutPutsTheTextRight() {
        const ManualLayout l = manualLayout(QSize(980, 700), {});
        QVERIFY(!l.narrow);
        QCOMPARE(l.picture.top(), l.text.top());
        QVERIFY(l.text.left() > l.picture.right());
        QVERIFY(l.text.width() >= 320 && l.text.width() <= 470);
        QCOMPARE(l.close.right(), 980 - 12 - 1);  // m = 980 / 80
        QVERIFY(manualLayout(QSize(0, 500), {}).title.isEmpty());
    }

    void dialogSizeFollowsTheWorkArea() {
        QCOMPARE(manualDialogSize(QSize(1920, 1080), {}), QSize(980, 700));
        QCOMPARE(manualDialogSize(QSize(800, 600), {}), QSize(752, 552));
        QCOMPARE(manualDialogSize(QSize(1920, 1080), {144, 144}), QSize(1470, 993));
        QCOMPARE(fontPixelHeight(20, 96), 27);
        QCOMPARE(fontPixelHeight(17, 120), 28);
    }

    void picturesKeepTheirAspectAndAreCentred() {
        const QRect area(10, 20, 400, 300);
        const QRect wide = fittedPicture(QSize(4000, 1000), area);  // width ratio wins
        QCOMPARE(wide, QRect(10, 20 + (300 - 100) / 2, 400, 100));
        const QRect tall = fittedPicture(QSize(500, 3000), area);  // height ratio wins
        QCOMPARE(tall, QRect(10 + (400 - 50) / 2, 20, 50, 300));
        QVERIFY(fittedPicture(QSize(0, 10), area).isEmpty());
    }
};

QTEST_MAIN(ManualWindowTest)
#include "manual_window_test.moc"
