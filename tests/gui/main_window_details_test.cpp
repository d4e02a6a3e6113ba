// Details a learner meets in the window: the language a telegram file chose is the one saved,
// the wheel over the background zooms without moving the papers, the status line follows an
// exam choice, a result card keeps the keyboard, and a close request is never lost to a pop-up.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>

#include "engine/trainer.h"
#include "gui_support.h"
#include "tests/gui/render_support.h"
#include "ui/exam_select.h"
#include "ui/info_window.h"
#include "ui/info_window_style.h"
#include "ui/main_window.h"
#include "ui/paper_slot.h"
#include "ui/paper_zoom.h"
#include "ui/session.h"

using namespace quorvel;
using namespace quorvel::ui;

namespace {

constexpr int kCloseDeadlineMs = 1500;

struct Fixture {
    std::unique_ptr<QTemporaryDir> dir = quorvel::test::scratchDir();
    std::unique_ptr<Session> session;

    explicit Fixture(const QByteArray& settings = "[Settings]\r\nFirstRun=0\r\n") {
        quorvel::test::writeFile(paths().settingsFile(), settings);
        session = std::make_unique<Session>(paths(), QSize(770, 560), SessionOptions{false});
        window().show();
        window().activateWindow();
    }
    DataPaths paths() const { return quorvel::test::pathsIn(*dir); }
    MainWindow& window() { return session->window(); }
    QByteArray savedSettings() const { return quorvel::test::readFile(paths().settingsFile()); }
};

void wheel(QWidget* w, QPoint at, int delta) {
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

TelegramResult firstTelegram() {
    TelegramResult r;
    r.telegramNumber = 1;
    r.scoredCount = 10;
    r.scoredCorrect = 9;
    r.scoredWrong = 1;
    r.rate = 90;
    r.hasNext = true;
    return r;
}

// ms until the window has closed after `request`; the wait gives up after 5 s.
qint64 closeTimed(MainWindow& window, const std::function<void()>& request) {
    QElapsedTimer t;
    t.start();
    request();
    while (window.isVisible() && t.elapsed() < 5000)
        QTest::qWait(10);
    return t.elapsed();
}

}  // namespace

class MainWindowDetailsTest : public QObject {
    Q_OBJECT
  private slots:
    void languageOfALatinFileIsSaved() {
        Fixture f;
        const std::filesystem::path file = f.paths().dataDirectory() / "latin.txt";
        quorvel::test::writeFile(file, "[Preamble]\n1 A\n[To]\nB\n[Text]\nE T\n");
        QVERIFY(f.session->trainer().loadTelegramFile(file));
        QTRY_VERIFY(f.window().controls().latin->isChecked());
        f.session.reset();
        QVERIFY2(f.savedSettings().contains("Lang=0\r\n"), f.savedSettings().constData());
    }

    void wheelOverBackgroundZoomsAndKeepsOffsets() {
        Fixture f("[Settings]\r\nFirstRun=0\r\nPaperOffsetX=30\r\nPaperOffsetY=-12\r\n");
        PaperZoom* zoom = paperZoomOf(&f.window());
        // Below the papers, between the page labels: nothing but the window there.
        const QPoint background(5, f.window().height() - 3);
        QCOMPARE(f.window().childAt(background), nullptr);
        wheel(&f.window(), background, 120);
        QCOMPARE(zoom->paperZoom1000(), 1100);
        QCOMPARE(zoom->offset(), QPoint(30, -12));
        wheel(&f.window(), background, -60);  // half a notch: nothing yet
        QCOMPARE(zoom->paperZoom1000(), 1100);
        wheel(&f.window(), background, -60);
        QCOMPARE(zoom->paperZoom1000(), 1000);
        QCOMPARE(zoom->offset(), QPoint(30, -12));
        wheel(&f.window(), background, 120);
        f.session.reset();
        QVERIFY(f.savedSettings().contains("PaperZoom1000=1100\r\n"));
        QVERIFY(f.savedSettings().contains("PaperOffsetX=30\r\n"));
    }

    void examChoiceRewritesTheStatusLine() {
        Fixture f;
        QTRY_VERIFY(f.window().controls().statusLine1->text().contains(QStringLiteral("015WPM")));
        ui::test::onNextModal([](QWidget* w) {
            auto* selector = qobject_cast<ExamSelector*>(w);
            QVERIFY(selector);
            selector->examButtons()[0]->click();  // 40 CPM receiving: 8 WPM
            ui::test::onNextModal([](QWidget* info) { qobject_cast<QDialog*>(info)->accept(); });
        });
        emit f.window().examRequested();
        QCOMPARE(f.window().controls().speedLabel->text(), QStringLiteral("速度 8 WPM"));
        QTRY_VERIFY2(f.window().controls().statusLine1->text().contains(QStringLiteral("008WPM")),
                     qPrintable(f.window().controls().statusLine1->text()));
    }

    void resultCardTakesTheKeyboardBack() {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowActive(&f.window()));
        f.session->view().telegramResultReady(firstTelegram());
        QTRY_VERIFY(f.window().pendingResultCard());
        QWidget* card = f.window().pendingResultCard();
        QTRY_VERIFY(card->isActiveWindow());
        // The learner clicks the blocked main window: it is activated for a moment.
        f.window().activateWindow();
        QTRY_VERIFY(card->isActiveWindow());
        QTest::keyClick(QApplication::activeWindow(), Qt::Key_Return);
        QTRY_VERIFY(!f.window().pendingResultCard());
    }

    void closeWithAPopUpOpenIsNeverIgnored() {
        {
            Fixture f;
            f.window().controls().speed->setValue(23);
            f.session->view().telegramResultReady(firstTelegram());
            QTRY_VERIFY(f.window().pendingResultCard());
            const qint64 ms = closeTimed(f.window(), [&] { f.window().requestClose(); });
            qInfo("close with a result card open: %lld ms", ms);
            QVERIFY(ms < kCloseDeadlineMs);
            QVERIFY(!f.window().pendingResultCard());
            QVERIFY(f.savedSettings().contains("WPM=23\r\n"));
        }
        {
            Fixture f("");  // the first-run guide is due
            f.window().showFirstRunGuideIfDue();
            QTRY_VERIFY(f.window().findChild<QMessageBox*>());
            const qint64 ms = closeTimed(f.window(), [&] { f.window().requestClose(); });
            QVERIFY(ms < kCloseDeadlineMs);
        }
        {
            // A pop-up with its own modal loop (the information window) ends with the window.
            Fixture f;
            f.window().controls().speed->setValue(31);
            ui::test::onNextModal([&f](QWidget*) { f.window().requestClose(); });
            emit f.window().homeRequested();
            QVERIFY(!f.window().isVisible());
            QVERIFY(!QApplication::activeModalWidget());
            QVERIFY(f.savedSettings().contains("WPM=31\r\n"));
        }
    }
};

QTEST_MAIN(MainWindowDetailsTest)
#include "main_window_details_test.moc"
