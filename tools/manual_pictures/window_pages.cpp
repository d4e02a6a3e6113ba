#include "window_pages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

#include "callouts.h"
#include "engine/trainer.h"
#include "ui/control_panel.h"
#include "ui/main_window.h"
#include "ui/session.h"

namespace manualpictures {
namespace {

using quorvel::ui::ControlPanel;

// The design size of the window: every picture shows it as a learner first sees it.
const QSize kWindow(1540, 1120);
// Where the window's picture goes on the page, and the list of call-outs beside it.
const QRect kShotArea(24, 84, 1130, 900);
const QRect kListArea(1180, 90, 400, 900);

void settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

// A session of its own for each picture, with a scratch data directory and no sound.
struct Scene {
    QTemporaryDir data;
    std::unique_ptr<quorvel::ui::Session> session;

    Scene() {
        QFile ini(data.filePath(QStringLiteral("telegram_practice.ini")));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[Settings]\r\nFirstRun=0\r\n");
        ini.close();
        session =
            std::make_unique<quorvel::ui::Session>(quorvel::DataPaths(data.path().toStdString()),
                                                   kWindow, quorvel::ui::SessionOptions{false});
        auto& w = session->window();
        w.resize(kWindow);
        w.show();
        settle(300);
    }
    quorvel::ui::MainWindow& window() { return session->window(); }
    ControlPanel& c() { return session->window().controls(); }
    quorvel::Trainer& trainer() { return session->trainer(); }
};

QRect rectOf(QWidget* window, QWidget* w) {
    if (!w || !w->isVisible())
        return {};
    return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}

QRect unite(std::initializer_list<QRect> rects) {
    QRect r;
    for (const QRect& x : rects)
        r = r.united(x);
    return r;
}

struct Mark {
    QRect inWindow;
    QString caption;
};

// Grabs the window, places it on a page and draws the call-outs scaled with it.
QImage compose(Scene& scene, const QString& heading, const std::vector<Mark>& marks) {
    QImage page = canvas(heading);
    const QImage shot = scene.window().grab().toImage();
    const double s = placeShot(page, shot, kShotArea);
    // grab() is in device pixels; the marks are in window coordinates.
    const double k = s * shot.devicePixelRatio();
    std::vector<Callout> callouts;
    for (const Mark& m : marks) {
        if (m.inWindow.isEmpty())
            continue;
        const QRect r(kShotArea.x() + static_cast<int>(m.inWindow.x() * k),
                      kShotArea.y() + static_cast<int>(m.inWindow.y() * k),
                      static_cast<int>(m.inWindow.width() * k),
                      static_cast<int>(m.inWindow.height() * k));
        callouts.push_back({r, m.caption});
    }
    drawCallouts(page, callouts, kListArea);
    return page;
}

}  // namespace

QImage basicOperation() {
    Scene scene;
    auto& c = scene.c();
    QWidget* w = &scene.window();
    c.receiveMode->click();
    c.rxStart->click();
    settle(4000);  // the playback fills the input paper for a few seconds
    const QImage page =
        compose(scene, QStringLiteral("基本操作：受信練習の実行中"),
                {{rectOf(w, c.receiveMode).united(rectOf(w, c.sendMode)),
                  QStringLiteral("受信・送信を選ぶ")},
                 {rectOf(w, c.rxStart), QStringLiteral("RX STARTで練習開始")},
                 {rectOf(w, c.modelPaper), QStringLiteral("お手本の電報（モールス音声で再生）")},
                 {rectOf(w, c.inputPaper), QStringLiteral("模擬受信された内容")},
                 {unite({rectOf(w, c.rxStop), rectOf(w, c.reset)}),
                  QStringLiteral("RX STOPで停止、RESETでやり直し")}});
    c.rxStop->click();
    return page;
}

QImage screenParts() {
    Scene scene;
    auto& c = scene.c();
    QWidget* w = &scene.window();
    return compose(
        scene, QStringLiteral("画面の説明"),
        {{unite({rectOf(w, c.speedLabel), rectOf(w, c.speed)}), QStringLiteral("速度（WPM）")},
         {unite({rectOf(w, c.frequencyLabel), rectOf(w, c.frequency)}),
          QStringLiteral("周波数（Hz）")},
         {unite({rectOf(w, c.judgeEaseLabel), rectOf(w, c.judgeEase)}),
          QStringLiteral("判定しやすさ")},
         {rectOf(w, c.timbre), QStringLiteral("音色")},
         {rectOf(w, c.loadFile), QStringLiteral("電報読込")},
         {unite({rectOf(w, c.previousPage), rectOf(w, c.nextPage)}),
          QStringLiteral("前ページ／次ページ")},
         {rectOf(w, c.autoKeyer), QStringLiteral("AUTO（オートキー）")},
         {rectOf(w, c.ports), QStringLiteral("シリアルポート（Linuxでは /dev/ttyUSB0 など）")}});
}

QImage practiceTips() {
    Scene scene;
    auto& c = scene.c();
    QWidget* w = &scene.window();
    scene.trainer().settings().WPM = 25;
    c.receiveMode->click();
    c.rxStart->click();
    settle(3000);
    const QImage page = compose(
        scene, QStringLiteral("練習のコツ：成績を見ながら練習"),
        {{unite({rectOf(w, c.speedLabel), rectOf(w, c.speed)}),
          QStringLiteral("最初は低い速度から")},
         {unite({rectOf(w, c.statusLine1), rectOf(w, c.statusLine2)}),
          QStringLiteral("打鍵と判定の状況")},
         {unite({rectOf(w, c.score), rectOf(w, c.accuracy)}), QStringLiteral("正答率・得点")},
         {rectOf(w, c.weakTelegram), QStringLiteral("苦手電報で苦手な文字を復習")},
         {rectOf(w, c.results), QStringLiteral("現在の成績で履歴を確認")}});
    c.rxStop->click();
    return page;
}

QImage soundSettings() {
    Scene scene;
    auto& c = scene.c();
    QWidget* w = &scene.window();
    return compose(
        scene, QStringLiteral("音色・速度・周波数・設定"),
        {{unite({rectOf(w, c.speedLabel), rectOf(w, c.speed)}), QStringLiteral("速度（WPM）")},
         {unite({rectOf(w, c.frequencyLabel), rectOf(w, c.frequency)}),
          QStringLiteral("周波数（Hz）")},
         {unite({rectOf(w, c.judgeEaseLabel), rectOf(w, c.judgeEase)}),
          QStringLiteral("判定しやすさ 0 厳密・50 標準・100 寛容")},
         {rectOf(w, c.timbre), QStringLiteral("音色")},
         {rectOf(w, c.latin).united(rectOf(w, c.wabun)), QStringLiteral("欧文／和文")},
         {rectOf(w, c.receiveMode).united(rectOf(w, c.sendMode)), QStringLiteral("受信／送信")}});
}

QImage loadingAndPages() {
    Scene scene;
    auto& c = scene.c();
    QWidget* w = &scene.window();
    // A file of three telegrams, as a learner would write one.
    const QString file = scene.data.filePath(QStringLiteral("three.txt"));
    QFile out(file);
    if (out.open(QIODevice::WriteOnly)) {
        const char* one =
            "[VALA]\r\n一\r\n[VALB]\r\nトウキヨウ\r\n[VALC]\r\n二\r\n[VALD]\r\n"
            "コ一〇、三〇\r\n[VALE]\r\nヤマダ　タロウ\r\n[TEXT]\r\n"
            "ゴケツコンオイワイモウシアゲマス」\r\n";
        for (int i = 0; i < 3; ++i)
            out.write(one);
    }
    out.close();
    scene.trainer().loadTelegramFile(file.toStdString());
    settle(300);
    return compose(scene, QStringLiteral("読み込み・ページ操作"),
                   {{rectOf(w, c.loadFile), QStringLiteral("電報読込：テキストファイルを選ぶ")},
                    {unite({rectOf(w, c.previousPage), rectOf(w, c.nextPage)}),
                     QStringLiteral("前ページ／次ページ")},
                    {rectOf(w, c.centrePageLabel), QStringLiteral("通数・ページ数")},
                    {rectOf(w, c.reset), QStringLiteral("RESETで練習をやり直す")}});
}

QImage autoKeyer() {
    Scene scene;
    auto& c = scene.c();
    QWidget* w = &scene.window();
    c.sendMode->click();
    if (!c.autoKeyer->isChecked())
        c.autoKeyer->click();
    if (!c.keyKeyer->isChecked())
        c.keyKeyer->click();
    settle(300);
    return compose(
        scene, QStringLiteral("AUTO機能：横振り電鍵のオートキー"),
        {{rectOf(w, c.sendMode), QStringLiteral("送信モード")},
         {rectOf(w, c.autoKeyer), QStringLiteral("AUTO：短点側＝DSR／Jキー、長点側＝CTS／Kキー")},
         {rectOf(w, c.keyKeyer), QStringLiteral("キー電鍵：J・Kキーで打鍵")},
         {rectOf(w, c.ports), QStringLiteral("外部電鍵のシリアルポート")}});
}

QImage troubleshooting() {
    Scene scene;  // the scene has no sound device: what a learner sees when none is found
    auto& c = scene.c();
    QWidget* w = &scene.window();
    return compose(scene, QStringLiteral("トラブル対処"),
                   {{unite({rectOf(w, c.frequencyLabel), rectOf(w, c.frequency)}),
                     QStringLiteral("音が出ない：周波数・音色・PCの音量")},
                    {rectOf(w, c.timbre), QStringLiteral("音色")},
                    {rectOf(w, c.ports),
                     QStringLiteral("COMが反応しない：ポート（Linux: /dev/ttyUSB0）と配線")},
                    {rectOf(w, c.latin).united(rectOf(w, c.wabun)),
                     QStringLiteral("文字が合わない：欧文／和文")},
                    {rectOf(w, c.message), QStringLiteral("メッセージ行")}});
}

}  // namespace manualpictures
