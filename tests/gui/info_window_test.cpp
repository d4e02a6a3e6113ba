#include "ui/info_window.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "tests/gui/render_support.h"
#include "ui/achievements.h"
#include "ui/dashboard.h"
#include "ui/info_window_style.h"

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::ui::test::anyPixel;
using quorvel::ui::test::at;
using quorvel::ui::test::onNextModal;
using quorvel::ui::test::render;

namespace {

PracticeAggregate aggregate(std::int64_t chars, std::int64_t correct, std::int64_t seconds,
                            std::int64_t telegrams) {
    PracticeAggregate a;
    a.chars = chars;
    a.correct = correct;
    a.wrong = chars - correct;
    a.seconds = seconds;
    a.telegrams = telegrams;
    return a;
}

}  // namespace

class InfoWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void paintsBandChipsPanelAndButton();
    void dashboardRender();
    void achievementsRender();
    void dashboardWithoutHistoryShowsZerosAndLevelOne();
};

void InfoWindowTest::paintsBandChipsPanelAndButton() {
    const QColor accent(35, 115, 210);
    const QColor second(0, 165, 105);
    InfoWindow w({QStringLiteral("題"), QStringLiteral("副題"), QStringLiteral("一行目\r\n二行目"),
                  accent, second},
                 nullptr);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.size(), QSize(880, 720));
    QCOMPARE(w.windowTitle(), QStringLiteral("題"));
    QCOMPARE(w.content().body, QStringLiteral("一行目\n二行目"));
    const QImage image = render(w);

    QCOMPARE(at(image, 3, 3), accent);
    QCOMPARE(at(image, 876, 104), accent);
    QCOMPARE(at(image, 3, 106), QColor(240, 246, 253));
    QCOMPARE(at(image, 25, 130), accent);  // the four chips
    QCOMPARE(at(image, 225, 130), second);
    QCOMPARE(at(image, 425, 130), QColor(235, 135, 20));
    QCOMPARE(at(image, 813, 139), QColor(185, 75, 155));
    QCOMPARE(at(image, 219, 130), QColor(240, 246, 253));  // between chips
    QCOMPARE(at(image, 30, 400), second);                  // bar along the panel
    QCOMPARE(at(image, 40, 600), QColor(Qt::white));       // panel
    QCOMPARE(at(image, 855, 400), QColor(Qt::white));
    QCOMPARE(at(image, 856, 400), QColor(240, 246, 253));
    QVERIFY(anyPixel(image, QRect(54, 214, 200, 50), QColor(35, 50, 70)));  // body text

    const QRect b = w.button()->geometry();
    QCOMPARE(b, QRect(300, 644, 280, 58));
    QCOMPARE(w.button()->text(), QStringLiteral("閉じる"));
    QCOMPARE(at(image, b.left() + 2, b.center().y()), accent);
    QSignalSpy closed(&w, &QDialog::finished);
    QTest::mouseClick(w.button(), Qt::LeftButton);
    QCOMPARE(closed.count(), 1);
}

void InfoWindowTest::dashboardRender() {
    InfoWindow w(
        dashboardContent(dashboardFigures(aggregate(1234, 1180, 1500, 6), 120, u"ヲヰヱネム")),
        nullptr);
    QCOMPARE(w.windowTitle(), QStringLiteral("ホームダッシュボード"));
    QCOMPARE(w.content().accent, QColor(35, 115, 210));
    QCOMPARE(w.content().second, QColor(0, 165, 105));
    w.show();
    const QImage image = render(w, QStringLiteral("dashboard.png"));
    // The last body line stays inside the white panel.
    QVERIFY(anyPixel(image, QRect(54, 560, 300, 64), QColor(35, 50, 70)));
}

void InfoWindowTest::achievementsRender() {
    InfoWindow w(achievementsContent(achievementFigures(aggregate(1520, 1495, 1700, 42))), nullptr);
    QCOMPARE(w.windowTitle(), QStringLiteral("実績・レベル"));
    QCOMPARE(w.content().accent, QColor(0, 155, 105));
    QCOMPARE(w.content().second, QColor(235, 135, 20));
    w.show();
    render(w, QStringLiteral("achievements.png"));
}

void InfoWindowTest::dashboardWithoutHistoryShowsZerosAndLevelOne() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const DataPaths empty(
        std::filesystem::path(dir.filePath(QStringLiteral("empty")).toStdString()));
    QString body;
    onNextModal([&body](QWidget* w) {
        auto* info = qobject_cast<InfoWindow*>(w);
        QVERIFY(info);
        body = info->content().body;
        info->close();
    });
    showDashboard(nullptr, empty, 0);
    QVERIFY(body.contains(QStringLiteral("文字数    0\n電報数    0\n平均CPM   0\n正答率    0%\n")));
    QVERIFY(body.contains(QStringLiteral("Lv.1   EXP 0\n")));
    QVERIFY(body.contains(QStringLiteral("苦手文字\nまだありません\n")));

    onNextModal([&body](QWidget* w) {
        body = qobject_cast<InfoWindow*>(w)->content().body;
        w->close();
    });
    showAchievements(nullptr, empty);
    QCOMPARE(body.count(QStringLiteral("□ ")), 6);
}

QTEST_MAIN(InfoWindowTest)
#include "info_window_test.moc"
