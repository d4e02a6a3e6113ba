// Settings through the window: values survive a close and reopen, out-of-range values load
// clamped, the first-run guide shows once, and drag saves are coalesced.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include "engine/trainer.h"
#include "gui_support.h"
#include "ui/main_window.h"
#include "ui/session.h"
#include "ui/settings_writer.h"

using namespace quorvel;
using namespace quorvel::ui;

class MainWindowSettingsTest : public QObject {
    Q_OBJECT
  private slots:
    void survivesCloseAndReopen() {
        auto dir = test::scratchDir();
        {
            Session session(test::pathsIn(*dir), QSize(770, 560), {false});
            ControlPanel& p = session.window().controls();
            p.speed->setValue(27);
            p.band[3]->setChecked(true);  // フラッター
            p.timbre->setCurrentIndex(4);
            p.totalEase->setValue(80);  // moves the four tolerances with it
            QCOMPARE(PracticeSettings::get(session.trainer().settings().KeySoftness), 80);
        }
        const QByteArray file = test::readFile(test::pathsIn(*dir).settingsFile());
        QVERIFY(file.contains("WPM=27"));
        QVERIFY(file.contains("BandFlutter=1"));
        QVERIFY(file.contains("SoundType=4"));
        Session session(test::pathsIn(*dir), QSize(770, 560), {false});
        ControlPanel& p = session.window().controls();
        QCOMPARE(p.speed->value(), 27);
        QCOMPARE(p.speedLabel->text(), QStringLiteral("速度 27 WPM"));
        QVERIFY(p.band[3]->isChecked());
        QVERIFY(!p.band[4]->isChecked());
        QCOMPARE(p.timbre->currentIndex(), 4);
        QCOMPARE(p.judgeEase->value(), 80);
        QCOMPARE(p.charSpeedTolerance->value(), 80);
        QCOMPARE(PracticeSettings::get(session.trainer().settings().SoundType), 4);
    }

    void outOfRangeValuesLoadClamped() {
        auto dir = test::scratchDir();
        test::writeFile(test::pathsIn(*dir).settingsFile(),
                        "[Settings]\r\nWPM=3\r\nFreq=2000\r\nSoundType=6\r\nLang=0\r\nMode=2\r\n");
        Session session(test::pathsIn(*dir), QSize(770, 560), {false});
        ControlPanel& p = session.window().controls();
        QCOMPARE(p.speed->value(), 5);
        QCOMPARE(p.frequency->value(), 1200);
        QCOMPARE(p.speedLabel->text(), QStringLiteral("速度 5 WPM"));
        QCOMPARE(p.frequencyLabel->text(), QStringLiteral("周波数 1200 Hz"));
        QCOMPARE(p.timbre->currentIndex(), 0);
        QVERIFY(p.latin->isChecked());
        QVERIFY(session.trainer().document().latinMode());
        QVERIFY(p.receiveMode->isChecked());
    }

    void firstRunGuideOnce() {
        auto dir = test::scratchDir();
        {
            Session session(test::pathsIn(*dir), QSize(770, 560), {false});
            session.window().showFirstRunGuideIfDue();
            auto* box = session.window().findChild<QMessageBox*>();
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QStringLiteral("Quorvel 初回起動ガイド"));
            QVERIFY(box->text().contains(QStringLiteral("① RX START を押してください")));
            QVERIFY(test::readFile(test::pathsIn(*dir).settingsFile()).contains("FirstRun=0"));
            box->accept();
        }
        // The save at close keeps the flag it does not own.
        QVERIFY(test::readFile(test::pathsIn(*dir).settingsFile()).contains("FirstRun=0"));
        Session session(test::pathsIn(*dir), QSize(770, 560), {false});
        session.window().showFirstRunGuideIfDue();
        QVERIFY(!session.window().findChild<QMessageBox*>());
    }

    void dragSavesCoalescedAndReleaseWritesLatest() {
        auto dir = test::scratchDir();
        Session session(test::pathsIn(*dir), QSize(770, 560), {false});
        PracticeSettings& s = session.trainer().settings();
        SettingsWriter& writer = session.window().settingsWriter();
        const int before = writer.writesDone();
        for (int i = 0; i < 50; ++i) {
            PracticeSettings::set(s.PaperOffsetX, i);
            session.window().paperViewStepped(false);
        }
        session.window().paperViewStepped(true);
        // One write at the start of the drag, one at the release; the steps between coalesce.
        QVERIFY(writer.writesDone() - before <= 3);
        QVERIFY(test::readFile(test::pathsIn(*dir).settingsFile()).contains("PaperOffsetX=49"));
    }
};

QTEST_MAIN(MainWindowSettingsTest)
#include "main_window_settings_test.moc"
