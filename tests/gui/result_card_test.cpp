#include "ui/result_card.h"

#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include "tests/gui/render_support.h"
#include "ui/info_window_style.h"

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::ui::test::anyPixel;
using quorvel::ui::test::at;
using quorvel::ui::test::render;

namespace {

TelegramResult result(int number, int count, int correct, int points, bool hasNext) {
    TelegramResult r;
    r.telegramNumber = number;
    r.scoredCount = count;
    r.scoredCorrect = correct;
    r.scoredWrong = count - correct;
    r.rate = count > 0 ? correct * 100 / count : 0;
    r.points = points;
    r.maxPoints = count * 3;
    r.penalty = (count - correct) * 2;
    r.hasNext = hasNext;
    return r;
}

}  // namespace

class ResultCardTest : public QObject {
    Q_OBJECT
  private slots:
    void accentColourAndGradeFollowTheRate_data();
    void accentColourAndGradeFollowTheRate();
    void noScoredCharactersShowsZeroPercent();
    void buttonCaptionsAcrossThreeTelegrams();
    void negativePointsKeepTheirMinus();
    void tilesShowTheCounts();
    void buttonAndKeysDismiss_data();
    void buttonAndKeysDismiss();
};

void ResultCardTest::accentColourAndGradeFollowTheRate_data() {
    QTest::addColumn<int>("correct");
    QTest::addColumn<QColor>("accent");
    QTest::addColumn<QString>("grade");
    QTest::addColumn<QString>("png");
    QTest::newRow("95") << 95 << QColor(0, 150, 95) << QStringLiteral("評価  S")
                        << QStringLiteral("result_card_95.png");
    QTest::newRow("39") << 39 << QColor(215, 55, 65) << QStringLiteral("評価  D")
                        << QStringLiteral("result_card_39.png");
}

void ResultCardTest::accentColourAndGradeFollowTheRate() {
    QFETCH(int, correct);
    QFETCH(QColor, accent);
    QFETCH(QString, grade);
    QFETCH(QString, png);
    ResultCard card(result(2, 100, correct, correct * 3 - 20, true), nullptr);
    card.show();
    QVERIFY(QTest::qWaitForWindowExposed(&card));
    QCOMPARE(card.size(), QSize(880, 630));
    QCOMPARE(card.windowTitle(), QStringLiteral("電報受信結果"));
    QCOMPARE(card.gradeText(), grade);
    const QImage image = render(card, png);

    QCOMPARE(at(image, 4, 4), accent);                // header band
    QCOMPARE(at(image, 875, 100), accent);            // across the full width
    QCOMPARE(at(image, 143, 150), accent);            // disc, above its text
    QCOMPARE(at(image, 143, 295), accent);            // disc, below its text
    QCOMPARE(at(image, 40, 140), QColor(Qt::white));  // left card around the disc
    QCOMPARE(at(image, 5, 200), QColor(241, 246, 252));
    // Rate in white inside the disc, grade in the accent colour on the right card.
    QVERIFY(anyPixel(image, QRect(90, 190, 106, 60), Qt::white));
    QVERIFY(anyPixel(image, QRect(292, 140, 528, 78), accent));

    const QRect b = card.button()->geometry();
    QCOMPARE(b, QRect(295, 554, 290, 58));
    QCOMPARE(at(image, b.left() + 2, b.center().y()), accent);
    QCOMPARE(at(image, b.left(), b.center().y()), QColor(Qt::white));  // frame
}

void ResultCardTest::noScoredCharactersShowsZeroPercent() {
    ResultCard card(result(1, 0, 0, 0, false), nullptr);
    QCOMPARE(card.rateText(), QStringLiteral("0%"));
    QCOMPARE(card.gradeText(), QStringLiteral("評価  D"));
    QCOMPARE(card.accent(), QColor(215, 55, 65));
    card.show();
    const QImage image = render(card);
    QVERIFY(anyPixel(image, QRect(90, 190, 106, 60), Qt::white));
}

void ResultCardTest::buttonCaptionsAcrossThreeTelegrams() {
    // With three telegrams loaded, another follows after the first and the second.
    const int telegramCount = 3;
    QStringList captions;
    for (int n = 1; n <= telegramCount; ++n) {
        ResultCard card(result(n, 10, 10, 30, n < telegramCount), nullptr);
        captions << card.buttonCaption();
        QCOMPARE(card.button()->text(), card.buttonCaption());
        QCOMPARE(card.headerText(), QStringLiteral("第%1通　和文電報 結果").arg(n));
    }
    QCOMPARE(captions, QStringList({QStringLiteral("次の電報へ"), QStringLiteral("次の電報へ"),
                                    QStringLiteral("結果を閉じる")}));
    TelegramResult latin = result(3, 10, 10, 30, false);
    latin.latinMode = true;
    QCOMPARE(ResultCard(latin, nullptr).headerText(), QStringLiteral("第3通　欧文電報 結果"));
}

void ResultCardTest::negativePointsKeepTheirMinus() {
    ResultCard card(result(1, 10, 2, -14, true), nullptr);
    QCOMPARE(card.scoreText(), QStringLiteral("得点  -14 / 30　　減点  16"));
}

void ResultCardTest::tilesShowTheCounts() {
    ResultCard card(result(1, 40, 30, 70, true), nullptr);
    card.show();
    const QImage image = render(card);
    // Tile fills at their left edges, below the caption and value text.
    QCOMPARE(at(image, 28, 470), QColor(45, 125, 215));
    QCOMPARE(at(image, 232, 470), QColor(0, 165, 105));
    QCOMPARE(at(image, 436, 470), QColor(220, 65, 75));
    QCOMPARE(at(image, 640, 470), QColor(235, 135, 20));
    QCOMPARE(at(image, 225, 400), QColor(241, 246, 252));  // the gap between two tiles
}

void ResultCardTest::buttonAndKeysDismiss_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("button") << 0;
    QTest::newRow("enter") << int(Qt::Key_Return);
    QTest::newRow("space") << int(Qt::Key_Space);
    QTest::newRow("escape") << int(Qt::Key_Escape);
}

void ResultCardTest::buttonAndKeysDismiss() {
    QFETCH(int, key);
    ResultCard card(result(1, 10, 10, 30, true), nullptr);
    card.show();
    QVERIFY(QTest::qWaitForWindowExposed(&card));
    QSignalSpy closed(&card, &QDialog::finished);
    if (key == 0)
        QTest::mouseClick(card.button(), Qt::LeftButton);
    else
        QTest::keyClick(&card, Qt::Key(key));
    QCOMPARE(closed.count(), 1);
    QVERIFY(!card.isVisible());
}

QTEST_MAIN(ResultCardTest)
#include "result_card_test.moc"
