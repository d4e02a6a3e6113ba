// Whole runs through the window with the real threads and SDL's dummy device: a receive run
// at 40 WPM, the result hand-over, a demo ended by another command, and closing mid-run.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "engine/trainer.h"
#include "gui_support.h"
#include "morse/code_tables.h"
#include "ui/main_window.h"
#include "ui/session.h"

using namespace quorvel;
using namespace quorvel::ui;

namespace {

constexpr int kRunDeadlineMs = 90000;  // hang guard only

using test::kTwoTelegrams;

struct RunFixture {
    std::unique_ptr<QTemporaryDir> dir = test::scratchDir();
    std::unique_ptr<Session> session;

    RunFixture() {
        const DataPaths paths = test::pathsIn(*dir);
        test::writeFile(paths.settingsFile(), "[Settings]\r\nFirstRun=0\r\n");
        const std::filesystem::path file = paths.dataDirectory() / "two.txt";
        test::writeFile(file, kTwoTelegrams);
        session = std::make_unique<Session>(paths, QSize(770, 560));
        session->window().show();
        session->window().controls().speed->setValue(40);
        session->trainer().loadTelegramFile(file);
    }
    MainWindow& window() { return session->window(); }
    Trainer& trainer() { return session->trainer(); }
    bool playing() { return trainer().flags().PlaybackRunning.load() != 0; }
    // ms from the close to the engine's workers and the device gone
    qint64 closeTimed() {
        QElapsedTimer t;
        t.start();
        session.reset();
        return t.elapsed();
    }
};

void acceptCard(MainWindow& w) {
    if (auto* card = qobject_cast<QDialog*>(w.pendingResultCard()))
        card->accept();
}

}  // namespace

class MainWindowRunTest : public QObject {
    Q_OBJECT
  private slots:
    void receiveRunFillsReceptionAndHandsOverOncePerTelegram() {
        RunFixture f;
        QSignalSpy shown(&f.window(), &MainWindow::resultShown);
        f.window().controls().rxStart->click();
        QVERIFY(f.window().statusRefreshRunning());
        QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 1, kRunDeadlineMs);
        QVERIFY(f.trainer().resultPending());
        {
            const PracticeSnapshot s = *f.trainer().snapshot();
            const TelegramRecord r = f.trainer().document().record(0);
            // Telegram 1 as the decoder read it: current while the card is up, saved otherwise.
            const TelegramProgress p = s.position.telegramNumber == 1
                                           ? s.progress
                                           : f.trainer().document().savedProgress(0);
            if (s.position.telegramNumber != 1)
                qWarning("the document moved to telegram %d before the card was dismissed",
                         s.position.telegramNumber);
            for (int section = 0; section < kSectionCount; ++section) {
                const auto& sp = p.sections[static_cast<std::size_t>(section)];
                QCOMPARE(sp.enteredText, toPracticeForm(r.field(section), false));
                QCOMPARE(sp.judgementMarks.find(u'0'), std::u16string::npos);
            }
        }
        QTest::qWait(200);
        QCOMPARE(shown.count(), 1);  // held until the card is dismissed
        acceptCard(f.window());
        QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 2, kRunDeadlineMs);
        QCOMPARE(shown[0][0].value<TelegramResult>().telegramNumber, 1);
        QCOMPARE(shown[1][0].value<TelegramResult>().telegramNumber, 2);
        acceptCard(f.window());
        f.window().controls().rxStop->click();
        QVERIFY(!f.window().statusRefreshRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!f.playing(), 5000);
        QCOMPARE(f.trainer().flags().BandEffectsActive.load(), 0);
    }

    void commandDuringDemoStopsItFirst() {
        RunFixture f;
        int demoAtHome = -1;
        connect(&f.window(), &MainWindow::homeRequested, this,
                [&] { demoAtHome = f.trainer().flags().DemoMode.load(); });
        f.window().controls().demo->click();
        QTRY_VERIFY_WITH_TIMEOUT(f.trainer().flags().DemoMode.load() != 0, 5000);
        // The dashboard it opens is modal: close it as a learner would.
        QTimer::singleShot(300, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        f.window().controls().home->click();
        QCOMPARE(demoAtHome, 0);
        QVERIFY(!f.playing());
    }

    void closeDuringRunAndWithPendingCard() {
        {
            RunFixture f;
            f.window().controls().rxStart->click();
            QTRY_VERIFY_WITH_TIMEOUT(f.playing(), 5000);
            QTest::qWait(300);
            const qint64 ms = f.closeTimed();
            qInfo("close during a receive run: %lld ms", ms);
            QVERIFY(ms < 10000);
        }
        {
            RunFixture f;
            QSignalSpy shown(&f.window(), &MainWindow::resultShown);
            f.window().controls().rxStart->click();
            QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 1, kRunDeadlineMs);
            const qint64 ms = f.closeTimed();
            qInfo("close with a result card pending: %lld ms", ms);
            QVERIFY(ms < 10000);
        }
    }
};

QTEST_MAIN(MainWindowRunTest)
#include "main_window_run_test.moc"
