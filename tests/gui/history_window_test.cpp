// The history window: its layout, tab presses, its buttons, and a picture of a month of
// practice (written where QUORVEL_HISTORY_SHOT points, for the documentation).
#include <QDir>
#include <QImage>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "storage/char_log.h"
#include "storage/practice_log.h"
#include "storage/utf.h"
#include "tests/support/temp_dir.h"
#include "ui/history_button.h"
#include "ui/history_graph.h"
#include "ui/history_window.h"

using namespace quorvel;

namespace {

const LocalDateTime kNow{2024, 6, 28, 21, 0, 0};

// Four weeks of evening practice: two or three sets a day, most days, getting better.
void writeMonth(const std::filesystem::path& dir) {
    std::ofstream out(dir / kPracticeLogFileName, std::ios::binary);
    out << kUtf8Mark << kPracticeLogHeader;
    unsigned seed = 5;
    auto next = [&seed] { return (seed = seed * 214013u + 2531011u) >> 16 & 0x7FFF; };
    for (int day = 1; day <= 28; ++day) {
        if (day % 7 == 3)
            continue;  // a day off each week
        const int sets = 2 + static_cast<int>(next() % 2);
        for (int s = 0; s < sets; ++s) {
            PracticeRow r;
            r.wpm = 12 + day / 7;
            r.time = {2024, 6, day, 20, s * 12, 0};
            for (int c = 1; c <= 40; ++c) {
                const bool wrong = next() % 100 < static_cast<unsigned>(20 - day / 2);
                r.judgedCount = c;
                (wrong ? r.wrongCount : r.correctCount) += 1;
                if (wrong)
                    r.wrongPairs += u"ネ→レ ";
                r.seconds = c * (60 - day) / 25 + 1;  // CPM from about 25 to 45
                r.cpm = r.judgedCount * 60 / r.seconds;
                r.rate = 100 * r.correctCount / r.judgedCount;
                r.status = std::u16string(c == 40 ? kStatusFinished : kStatusInProgress);
                r.finishedSets = c == 40 ? 1 : 0;
                out << toUtf8(formatPracticeRow(r));
            }
        }
    }
    CharLogTable table;
    const std::u16string kana = u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホ";
    for (std::size_t i = 0; i < kana.size(); ++i) {
        const int asked = 40 + static_cast<int>(next() % 60);
        const int wrong = static_cast<int>(next() % 12);
        table[kana[i]] = {asked, asked - wrong, wrong, {}};
        if (wrong)
            table[kana[i]].confusions[kana[(i + 5) % kana.size()]] = wrong;
    }
    std::ofstream(dir / kCharLogFileName, std::ios::binary) << formatCharLog(table);
}

RunStats sampleRun() {
    RunStats run;
    run.judgedCount = 84;
    run.correctCount = 79;
    run.wrongCount = 5;
    run.seconds = 312;
    run.wpm = 16;
    run.charStats[u'ネ'] = {4, 2, 2, {{u'レ', 2}}};
    run.charStats[u'ア'] = {6, 6, 0, {}};
    return run;
}

}  // namespace

class HistoryWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void opensOnTheCurrentTabWithItsLayout() {
        const auto dir = test::scratchDir("gui", "history_layout");
        writeMonth(dir);
        ui::HistoryWindow w(DataPaths(dir), sampleRun, nullptr, [] { return kNow; });
        QCOMPARE(w.windowTitle(), QStringLiteral("Quorvel - 現在の成績・CSV履歴"));
        QCOMPARE(w.size(), QSize(1000, 720));
        QCOMPARE(w.currentTab(), 0);
        QCOMPARE(w.graph().geometry(), QRect(10, 58, 980, 220));
        QCOMPARE(w.tabButton(4).geometry(), QRect(410, 10, 110, 34));
        QCOMPARE(w.closeButton().geometry(), QRect(890, 10, 100, 34));
        QCOMPARE(w.openFolderButton().geometry(), QRect(10, 672, 170, 34));
        QVERIFY(w.reportText().contains(
            QStringLiteral("現在練習中\n練習時間 5分12秒  CPM 16  WPM 16")));
        QCOMPARE(w.graph().entries().size(), std::size_t{4});

        w.show();
        w.resize(1200, 800);  // resizable: everything follows the client size
        QCOMPARE(w.graph().geometry(), QRect(10, 58, 1180, 220));
        QCOMPARE(w.closeButton().geometry(), QRect(1090, 10, 100, 34));
        QCOMPARE(w.openFolderButton().geometry(), QRect(10, 752, 170, 34));
    }

    void tabPressesRebuildTextGraphAndFrames() {
        const auto dir = test::scratchDir("gui", "history_tabs");
        writeMonth(dir);
        ui::HistoryWindow w(DataPaths(dir), sampleRun, nullptr, [] { return kNow; });
        w.show();
        QTest::mouseClick(&w.tabButton(1), Qt::LeftButton);
        QCOMPARE(w.currentTab(), 1);
        QVERIFY(w.reportText().startsWith(QStringLiteral("日毎の成績\n")));
        QCOMPARE(w.graph().entries().size(), std::size_t{14});
        QCOMPARE(w.graph().entries().front().label, std::u16string(u"2024/06/28"));

        QTest::mouseClick(&w.tabButton(6), Qt::LeftButton);
        QVERIFY(w.reportText().startsWith(QStringLiteral("文字別の成績\n")));
        QVERIFY(w.graph().entries().empty());

        // The current tab has white frames inset by 3 and 5 pixels; the others only the edge.
        const QImage img = w.grab().toImage();
        const QRect current = w.tabButton(6).geometry();
        const QRect other = w.tabButton(5).geometry();
        const QColor white(Qt::white);
        QCOMPARE(img.pixelColor(current.left() + 3, current.center().y()), white);
        QCOMPARE(img.pixelColor(current.left() + 5, current.center().y()), white);
        QCOMPARE(img.pixelColor(current.left() + 4, current.center().y()), QColor(190, 145, 0));
        QCOMPARE(img.pixelColor(other.left(), other.center().y()), white);
        QCOMPARE(img.pixelColor(other.left() + 3, other.center().y()), QColor(0, 145, 165));
        QCOMPARE(img.pixelColor(500, 5), QColor(28, 55, 92));       // top band
        QCOMPARE(img.pixelColor(500, 700), QColor(224, 235, 248));  // bottom band
    }

    void buttonsOpenTheFolderAndClose() {
        const auto dir = test::scratchDir("gui", "history_buttons");
        ui::HistoryWindow w(DataPaths(dir), {}, nullptr, [] { return kNow; });
        QString opened;
        bool browserStarts = true;
        w.setFolderOpener([&](const QString& d) {
            opened = d;
            return browserStarts;
        });
        w.show();
        QTest::mouseClick(&w.openFolderButton(), Qt::LeftButton);
        QCOMPARE(opened, QString::fromStdString(std::filesystem::absolute(dir).string()));
        QVERIFY(!w.findChild<QMessageBox*>());
        // No file browser: the learner is told, and told where the files are.
        browserStarts = false;
        QTest::mouseClick(&w.openFolderButton(), Qt::LeftButton);
        auto* box = w.findChild<QMessageBox*>();
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QVERIFY(box->text().contains(QStringLiteral("開けませんでした")));
        QVERIFY(box->text().contains(QDir::toNativeSeparators(opened)));
        box->accept();
        // No logs at all: the placeholders, not a message box.
        QVERIFY(w.reportText().contains(QStringLiteral("まだ履歴CSVがありません。")));
        QTest::mouseClick(&w.closeButton(), Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted));
    }

    void pictureOfAMonth() {
        const char* shot = std::getenv("QUORVEL_HISTORY_SHOT");
        if (!shot || !*shot)
            QSKIP("QUORVEL_HISTORY_SHOT not set");
        const auto dir = test::scratchDir("gui", "history_shot");
        writeMonth(dir);
        ui::HistoryWindow w(DataPaths(dir), sampleRun, nullptr, [] { return kNow; });
        w.show();
        w.showTab(std::getenv("QUORVEL_HISTORY_TAB") ? std::atoi(std::getenv("QUORVEL_HISTORY_TAB"))
                                                     : 1);
        QVERIFY(w.grab().save(QString::fromUtf8(shot)));
    }
};

QTEST_MAIN(HistoryWindowTest)
#include "history_window_test.moc"
