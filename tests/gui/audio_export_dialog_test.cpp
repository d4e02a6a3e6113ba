// "音声保存" driven as a learner would: the button, the dialog's path, 保存 or 中止, and the
// practice in the window left as it was.
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include "engine/trainer.h"
#include "gui_support.h"
#include "ui/audio_export_dialog.h"
#include "ui/main_window.h"
#include "ui/session.h"

using namespace quorvel;
using namespace quorvel::ui;

namespace {

constexpr int kExportDeadlineMs = 90000;  // hang guard only

using test::kTwoTelegrams;

struct Fixture {
    std::unique_ptr<QTemporaryDir> dir = test::scratchDir();
    DataPaths paths = test::pathsIn(*dir);
    std::unique_ptr<Session> session;

    Fixture() {
        test::writeFile(paths.settingsFile(), "[Settings]\r\nFirstRun=0\r\n");
        const std::filesystem::path file = paths.dataDirectory() / "two.txt";
        test::writeFile(file, kTwoTelegrams);
        session = std::make_unique<Session>(paths, QSize(770, 560));
        session->window().show();
        session->window().controls().speed->setValue(40);
        session->trainer().loadTelegramFile(file);
    }
    QString out(const char* name) const { return dir->filePath(QString::fromUtf8(name)); }

    AudioExportDialog* openDialog() {
        QPushButton* button = nullptr;
        for (auto* b : session->window().findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("音声保存"))
                button = b;
        if (!button)
            return nullptr;
        button->click();
        return session->window().findChild<AudioExportDialog*>();
    }
    QStringList filesLike(const char* stem) const {
        return QDir(dir->path()).entryList({QString::fromUtf8(stem) + QLatin1Char('*')});
    }
};

}  // namespace

class AudioExportDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void exportsTheSetInPracticeToMp3WithoutTouchingThePractice() {
        Fixture f;
        const PracticePosition before = f.session->trainer().document().position();
        AudioExportDialog* d = f.openDialog();
        QVERIFY(d);
        QVERIFY(d->isVisible());
        d->pathEdit()->setText(f.out("two.mp3"));
        QVERIFY(d->qualityBox()->isEnabled());
        QSignalSpy ended(d, &AudioExportDialog::exportEnded);
        d->saveButton()->click();
        QVERIFY(d->exporting());
        QVERIFY(ended.wait(kExportDeadlineMs));
        QVERIFY2(ended.at(0).at(0).toBool(), qPrintable(ended.at(0).at(1).toString()));
        const QByteArray mp3 = test::readFile(f.paths.dataDirectory() / "two.mp3");
        QVERIFY(mp3.startsWith("ID3"));
        QVERIFY(mp3.size() > 10000);
        // Both telegrams' texts are in its tag (UTF-16).
        for (const char16_t* text : {u"アキタ", u"ミト」"}) {
            const QString s = QString::fromUtf16(text);
            QVERIFY(mp3.contains(QByteArray(reinterpret_cast<const char*>(s.utf16()),
                                            static_cast<qsizetype>(s.size() * 2))));
        }
        // Nothing judged, nothing logged, the practice where it was.
        QVERIFY(!std::filesystem::exists(f.paths.dataDirectory() / "telegram_practice_log.csv"));
        QCOMPARE(f.session->trainer().document().position().telegramNumber, before.telegramNumber);
        QCOMPARE(f.filesLike("two.mp3"), QStringList{QStringLiteral("two.mp3")});
    }

    void stoppedExportLeavesNoFile() {
        Fixture f;
        f.session->window().controls().speed->setValue(5);  // minutes of audio
        AudioExportDialog* d = f.openDialog();
        QVERIFY(d);
        d->pathEdit()->setText(f.out("slow.flac"));
        QVERIFY(!d->qualityBox()->isEnabled());
        QSignalSpy ended(d, &AudioExportDialog::exportEnded);
        d->saveButton()->click();
        QVERIFY(d->stopButton()->isEnabled());
        d->stopButton()->click();
        QVERIFY(ended.wait(kExportDeadlineMs));
        QVERIFY(!ended.at(0).at(0).toBool());
        QVERIFY(!d->exporting());
        QVERIFY(f.filesLike("slow").isEmpty());
        QVERIFY(d->saveButton()->isEnabled());
    }

    void nameWithoutAnAudioExtensionIsExplainedNotExported() {
        Fixture f;
        AudioExportDialog* d = f.openDialog();
        QVERIFY(d);
        d->pathEdit()->setText(f.out("notes.txt"));
        d->saveButton()->click();
        QVERIFY(!d->exporting());
        QVERIFY(d->statusLabel()->text().contains(QStringLiteral(".mp3")));
        QVERIFY(f.filesLike("notes").isEmpty());
    }
};

QTEST_MAIN(AudioExportDialogTest)
#include "audio_export_dialog_test.moc"
