// The window on its design grid: scale and fonts fixed at creation, stretching on resize, the
// paper layout toggle, and no two controls on top of each other at either size.
#include <QAbstractButton>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "gui_support.h"
#include "ui/design_grid.h"
#include "ui/main_window.h"
#include "ui/session.h"

using namespace quorvel;
using namespace quorvel::ui;

namespace {

// Widgets that are placed on the grid and visible, with their captions.
QList<QWidget*> placedControls(MainWindow& w) {
    QList<QWidget*> out;
    for (QWidget* c : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (c->isVisibleTo(&w) && !w.grid().designRect(c).isNull())
            out.push_back(c);
    }
    return out;
}

QString captionOf(const QWidget* w) {
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    return w->objectName();
}

void expectNoOverlap(MainWindow& w, int atLeast) {
    const QList<QWidget*> controls = placedControls(w);
    QVERIFY2(controls.size() >= atLeast, qPrintable(QString::number(controls.size())));
    for (int i = 0; i < controls.size(); ++i) {
        for (int j = i + 1; j < controls.size(); ++j) {
            const QRect a = w.grid().designRect(controls[i]);
            const QRect b = w.grid().designRect(controls[j]);
            QVERIFY2(!a.intersects(b), qPrintable(captionOf(controls[i]) + QStringLiteral(" / ") +
                                                  captionOf(controls[j])));
        }
    }
}

// Every caption fits its control: a check box or radio button also needs its indicator.
void expectCaptionsFit(MainWindow& w) {
    for (QWidget* c : placedControls(w)) {
        const QString text = captionOf(c);
        const bool captioned = qobject_cast<QPushButton*>(c) || qobject_cast<QCheckBox*>(c) ||
                               qobject_cast<QRadioButton*>(c) || qobject_cast<QLabel*>(c);
        if (text.isEmpty() || !captioned)
            continue;
        const QFontMetrics m(c->font());
        const int indicator =
            qobject_cast<QLabel*>(c) || qobject_cast<QPushButton*>(c) ? 0 : m.height() + 4;
        QVERIFY2(
            m.horizontalAdvance(text) + indicator <= c->width(),
            qPrintable(text + QStringLiteral(" is wider than ") + QString::number(c->width())));
        QVERIFY2(m.height() <= c->height() + 2, qPrintable(text));
    }
}

void saveShot(MainWindow& w, const char* name) {
    const QByteArray dir = qgetenv("QUORVEL_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        w.grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name));
}

}  // namespace

class MainWindowLayoutTest : public QObject {
    Q_OBJECT
  private slots:
    void gridArithmetic() {
        // Rounds half away from zero, like the platform's multiply-divide.
        QCOMPARE(mulDiv(1, 770, 1540), 1);  // 0.5
        QCOMPARE(mulDiv(3, 1, 2), 2);
        QCOMPARE(mulDiv(-3, 1, 2), -2);
        QCOMPARE(mulDiv(5, 7, 0), -1);
        QCOMPARE(scalePercentFor({770, 560}), 50);
        QCOMPARE(scalePercentFor({300, 200}), 50);     // clamped below
        QCOMPARE(scalePercentFor({4000, 3000}), 130);  // clamped above
        QCOMPARE(scalePercentFor({1540, 560}), 50);    // the smaller ratio counts
        QCOMPARE(controlFontHeight(50), 10);
        QCOMPARE(largeFontHeight(50), 14);
        QCOMPARE(controlFontHeight(30), 10);  // never below 10
        QCOMPARE(largeFontHeight(130), 36);
    }

    void halfScaleAtCreationAndWidening() {
        auto dir = test::scratchDir();
        Session session(test::pathsIn(*dir), QSize(770, 560), {false});
        MainWindow& w = session.window();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        ControlPanel& p = w.controls();
        QCOMPARE(p.scalePercent, 50);
        QVERIFY(QFontMetrics(p.controlFont).height() <= 10);
        QVERIFY(QFontMetrics(p.largeFont).height() <= 14);
        QVERIFY(QFontMetrics(p.largeFont).height() >= 11);
        QCOMPARE(p.rxStart->font(), p.controlFont);
        QCOMPARE(p.statusLine1->font(), p.largeFont);
        QCOMPARE(p.accuracy->font(), p.largeFont);
        QCOMPARE(p.rxStart->geometry(), QRect(135, 4, 60, 14));
        QCOMPARE(p.inputPaper->geometry(), QRect(450, 156, 305, 325));
        QCOMPARE(w.windowTitle(), QStringLiteral("Quorvel"));
        expectCaptionsFit(w);
        saveShot(w, "main_window_770x560.png");

        w.resize(1540, 560);
        QTRY_COMPARE(p.rxStart->geometry(), QRect(270, 4, 120, 14));
        QCOMPARE(p.inputPaper->geometry(), QRect(900, 156, 610, 325));
        QCOMPARE(p.rxStart->font(), p.controlFont);
        QVERIFY(QFontMetrics(p.rxStart->font()).height() <= 10);
    }

    void fullScreenToggleHidesAndRestores() {
        auto dir = test::scratchDir();
        Session session(test::pathsIn(*dir), QSize(1540, 1120), {false});
        MainWindow& w = session.window();
        w.show();
        ControlPanel& p = w.controls();
        const QRect normalModel = p.modelPaper->geometry();
        p.fullScreen->click();
        QCOMPARE(p.fullScreen->text(), QStringLiteral("通常表示"));
        QVERIFY(!p.rxStart->isVisible());
        QVERIFY(!p.band[0]->isVisible());
        QVERIFY(!p.statusLine1->isVisible());
        QVERIFY(p.modelCaption->isVisible());
        QCOMPARE(p.fullScreen->geometry(), QRect(10, 8, 180, 30));
        QCOMPARE(p.modelPaper->geometry(), QRect(10, 44, 750, 1026));
        QCOMPARE(p.inputPaper->geometry(), QRect(780, 44, 750, 1026));
        QCOMPARE(p.inputCaption->geometry(), QRect(1050, 8, 180, 30));
        p.fullScreen->click();
        QCOMPARE(p.fullScreen->text(), QStringLiteral("用紙全画面"));
        QVERIFY(p.rxStart->isVisible());
        QVERIFY(p.statusLine2->isVisible());
        QCOMPARE(p.modelPaper->geometry(), normalModel);
    }

    void nothingOverlapsAndCaptionsFit() {
        auto dir = test::scratchDir();
        QElapsedTimer started;
        started.start();
        Session session(test::pathsIn(*dir), QSize(1540, 1120));
        MainWindow& w = session.window();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.repaint();
        qInfo("start-up to a painted window: %lld ms", started.elapsed());
        expectNoOverlap(w, 85);
        if (QTest::currentTestFailed())
            return;
        expectCaptionsFit(w);
        if (QTest::currentTestFailed())
            return;
        saveShot(w, "main_window_1540x1120.png");
        w.controls().fullScreen->click();
        expectNoOverlap(w, 5);
    }
};

QTEST_MAIN(MainWindowLayoutTest)
#include "main_window_layout_test.moc"
