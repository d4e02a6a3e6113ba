#include "ui/exam_select.h"

#include <QTest>

#include "engine/trainer.h"
#include "tests/gui/render_support.h"
#include "ui/info_window.h"
#include "ui/info_window_style.h"

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::ui::test::at;
using quorvel::ui::test::onNextModal;
using quorvel::ui::test::render;

class ExamSelectTest : public QObject {
    Q_OBJECT
  private slots:
    void paintsHeaderColumnsAndButtons();
    void eachButtonRecordsItsChoice();
    void choiceSetsSpeedModeAndConfirms_data();
    void choiceSetsSpeedModeAndConfirms();
    void noChoiceChangesNothingAndShowsNoConfirmation();
};

void ExamSelectTest::paintsHeaderColumnsAndButtons() {
    ExamSelector s(nullptr);
    s.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s));
    QCOMPARE(s.size(), QSize(840, 670));
    QCOMPARE(s.windowTitle(), QStringLiteral("国家試験モード"));
    const QImage image = render(s, QStringLiteral("exam.png"));
    QCOMPARE(at(image, 3, 3), QColor(105, 70, 190));
    QCOMPARE(at(image, 425, 300), QColor(210, 220, 235));  // divider
    QCOMPARE(at(image, 425, 530), QColor(241, 246, 252));
    QCOMPARE(at(image, 57, 192), QColor(35, 115, 210));   // 40 CPM receiving
    QCOMPARE(at(image, 457, 447), QColor(180, 70, 155));  // 100 CPM sending
    QCOMPARE(at(image, 307, 552), QColor(90, 100, 115));  // 閉じる
    QCOMPARE(s.closeButton()->geometry(), QRect(305, 550, 280, 56));
    QCOMPARE(s.examButtons().size(), std::size_t(8));
    QCOMPARE(s.examButtons()[3]->text(), QStringLiteral("100 CPM 受信練習"));
    QCOMPARE(s.examButtons()[4]->text(), QStringLiteral("40 CPM 送信練習"));
}

void ExamSelectTest::eachButtonRecordsItsChoice() {
    const int speeds[] = {40, 60, 80, 100};
    for (std::size_t i = 0; i < 8; ++i) {
        ExamSelector s(nullptr);
        s.show();
        QTest::mouseClick(s.examButtons()[i], Qt::LeftButton);
        QVERIFY(s.choice().has_value());
        QCOMPARE(s.choice()->targetCpm, speeds[i % 4]);
        QCOMPARE(s.choice()->type, i < 4 ? ExamType::Receiving : ExamType::Sending);
        QVERIFY(!s.isVisible());
    }
    ExamSelector s(nullptr);
    s.show();
    QTest::mouseClick(s.closeButton(), Qt::LeftButton);
    QVERIFY(!s.choice().has_value());
}

void ExamSelectTest::choiceSetsSpeedModeAndConfirms_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("wpm");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("subtitle");
    QTest::addColumn<QColor>("accent");
    QTest::newRow("100 receive") << 3 << 20 << 0 << QStringLiteral("受信練習を選択しました")
                                 << QColor(35, 115, 210);
    QTest::newRow("40 send") << 4 << 8 << 1 << QStringLiteral("送信練習を選択しました")
                             << QColor(220, 85, 45);
}

void ExamSelectTest::choiceSetsSpeedModeAndConfirms() {
    QFETCH(int, button);
    QFETCH(int, wpm);
    QFETCH(int, mode);
    QFETCH(QString, subtitle);
    QFETCH(QColor, accent);
    Trainer trainer;
    PracticeSettings::set(trainer.settings().Mode, 1 - mode);
    int wpmWhenRefreshed = 0;
    InfoContent confirmation;
    onNextModal([button, &confirmation](QWidget* w) {
        QTest::mouseClick(qobject_cast<ExamSelector*>(w)->examButtons()[std::size_t(button)],
                          Qt::LeftButton);
        onNextModal([&confirmation](QWidget* info) {
            confirmation = qobject_cast<InfoWindow*>(info)->content();
            info->close();
        });
    });
    QVERIFY(runExamMode(nullptr, trainer,
                        [&] { wpmWhenRefreshed = PracticeSettings::get(trainer.settings().WPM); }));
    QCOMPARE(PracticeSettings::get(trainer.settings().WPM), wpm);
    QCOMPARE(PracticeSettings::get(trainer.settings().Mode), mode);
    QCOMPARE(wpmWhenRefreshed, wpm);  // the controls refresh before the confirmation
    QCOMPARE(confirmation.title, QStringLiteral("国家試験モード設定完了"));
    QCOMPARE(confirmation.subtitle, subtitle);
    QCOMPARE(confirmation.accent, accent);
    QCOMPARE(confirmation.second, QColor(105, 70, 190));
    QVERIFY(confirmation.body.contains(QStringLiteral("現在の設定    %1 WPM").arg(wpm)));
}

void ExamSelectTest::noChoiceChangesNothingAndShowsNoConfirmation() {
    Trainer trainer;
    PracticeSettings::set(trainer.settings().WPM, 17);
    PracticeSettings::set(trainer.settings().Mode, 1);
    bool refreshed = false;
    int modalsAfterClose = 0;
    onNextModal([&modalsAfterClose](QWidget* w) {
        w->close();  // the window's close box, no button
        // Counts any window that opens after the selector, then dismisses it.
        QTimer::singleShot(0, [&modalsAfterClose] {
            if (QWidget* next = QApplication::activeModalWidget()) {
                ++modalsAfterClose;
                next->close();
            }
        });
    });
    QVERIFY(!runExamMode(nullptr, trainer, [&] { refreshed = true; }));
    QCoreApplication::processEvents();
    QCOMPARE(modalsAfterClose, 0);
    QVERIFY(!refreshed);
    QCOMPARE(PracticeSettings::get(trainer.settings().WPM), 17);
    QCOMPARE(PracticeSettings::get(trainer.settings().Mode), 1);
}

QTEST_MAIN(ExamSelectTest)
#include "exam_select_test.moc"
