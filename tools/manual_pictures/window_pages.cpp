#include "window_pages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPainter>
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
// The manual shows a page at about a third of its size; the window's 20-pixel control font
// needs about twice its size on the page to stay readable there.
constexpr double kMaxScale = 2.0;
// The caption "音色" beside its list, on the design grid (the window is drawn at design size).
const QRect kTimbreCaption(995, 83, 55, 24);
constexpr int kMargin = 24;
constexpr int kGap = 18;
constexpr int kColumns = 2;

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

struct Tile {
    QRect inWindow;
    QRect onPage;
    double scale = 1;
};

// The parts of the window a page explains (`crops`, window coordinates), one under the other,
// each as large as fits, and the call-out list below them.
QImage compose(Scene& scene, const QString& heading, const std::vector<QRect>& crops,
               const std::vector<Mark>& marks) {
    QImage page = canvas(heading, kWindowPageWidth);
    const int listHeight = calloutListHeight(static_cast<int>(marks.size()), kColumns);
    const QRect listArea(kMargin, kHeight - kMargin - listHeight, kWindowPageWidth - 2 * kMargin,
                         listHeight);
    const QRect shotArea(kMargin, 84, kWindowPageWidth - 2 * kMargin, listArea.top() - kGap - 84);

    std::vector<Tile> tiles;
    double height = 0;
    for (const QRect& crop : crops) {
        const double s = std::min(kMaxScale, static_cast<double>(shotArea.width()) / crop.width());
        tiles.push_back({crop, {}, s});
        height += crop.height() * s;
    }
    const double room = shotArea.height() - kGap * (static_cast<double>(tiles.size()) - 1);
    const double shrink = std::min(1.0, room / height);
    QPainter p(&page);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setPen(QPen(QColor(150, 150, 150), 1));
    int y = shotArea.top();
    for (Tile& t : tiles) {
        t.scale *= shrink;
        const QSize size(static_cast<int>(t.inWindow.width() * t.scale),
                         static_cast<int>(t.inWindow.height() * t.scale));
        t.onPage = QRect(QPoint(shotArea.left() + (shotArea.width() - size.width()) / 2, y), size);
        p.drawImage(t.onPage, scene.window().grab(t.inWindow).toImage());
        p.drawRect(t.onPage.adjusted(0, 0, -1, -1));
        y += size.height() + kGap;
    }
    p.end();

    std::vector<Callout> callouts;
    for (const Mark& m : marks) {
        const Tile* tile = nullptr;
        for (const Tile& t : tiles) {
            if (!tile && t.inWindow.contains(m.inWindow))
                tile = &t;
        }
        if (!tile || m.inWindow.isEmpty())
            continue;
        const QRect r = m.inWindow.translated(-tile->inWindow.topLeft());
        callouts.push_back({QRect(tile->onPage.x() + static_cast<int>(r.x() * tile->scale),
                                  tile->onPage.y() + static_cast<int>(r.y() * tile->scale),
                                  static_cast<int>(r.width() * tile->scale),
                                  static_cast<int>(r.height() * tile->scale)),
                            m.caption});
    }
    drawCallouts(page, callouts, listArea, kColumns);
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
                {QRect(260, 0, 500, 80), QRect(260, 280, 1260, 700)},
                {{rectOf(w, c.receiveMode).united(rectOf(w, c.sendMode)),
                  QStringLiteral("受信・送信を選ぶ")},
                 {rectOf(w, c.rxStart), QStringLiteral("RX STARTで練習開始")},
                 {unite({rectOf(w, c.rxStop), rectOf(w, c.reset)}),
                  QStringLiteral("RX STOPで停止、RESETでやり直し")},
                 {rectOf(w, c.modelPaper), QStringLiteral("お手本（モールス音声で再生）")},
                 {rectOf(w, c.inputPaper), QStringLiteral("模擬受信された内容")}});
    c.rxStop->click();
    return page;
}

QImage screenParts() {
    Scene scene;
    auto& c = scene.c();
    QWidget* w = &scene.window();
    return compose(
        scene, QStringLiteral("画面の説明"), {QRect(0, 0, 760, 310), QRect(590, 0, 710, 160)},
        {{rectOf(w, c.loadFile), QStringLiteral("電報読込")},
         {unite({rectOf(w, c.previousPage), rectOf(w, c.nextPage)}),
          QStringLiteral("前ページ／次ページ")},
         {unite({rectOf(w, c.speedLabel), rectOf(w, c.speed)}), QStringLiteral("速度（WPM）")},
         {unite({rectOf(w, c.judgeEaseLabel), rectOf(w, c.judgeEase)}),
          QStringLiteral("判定しやすさ")},
         {unite({rectOf(w, c.frequencyLabel), rectOf(w, c.frequency)}),
          QStringLiteral("周波数（Hz）")},
         {rectOf(w, c.ports), QStringLiteral("シリアルポート（ttyUSB0 など）")},
         {rectOf(w, c.autoKeyer), QStringLiteral("AUTO（オートキー）")},
         {rectOf(w, c.timbre).united(kTimbreCaption), QStringLiteral("音色")}});
}

QImage practiceTips() {
    Scene scene;
    auto& c = scene.c();
    QWidget* w = &scene.window();
    c.speed->setValue(25);  // through the slider, so its label and the status line agree
    c.receiveMode->click();
    c.rxStart->click();
    settle(3000);
    const QImage page =
        compose(scene, QStringLiteral("練習のコツ：成績を見ながら練習"),
                {QRect(0, 0, 620, 160), QRect(900, 0, 640, 160), QRect(260, 965, 1280, 85)},
                {{rectOf(w, c.results), QStringLiteral("現在の成績で履歴を確認")},
                 {unite({rectOf(w, c.speedLabel), rectOf(w, c.speed)}),
                  QStringLiteral("最初は低い速度から")},
                 {rectOf(w, c.weakTelegram), QStringLiteral("苦手電報で苦手な文字を復習")},
                 {rectOf(w, c.score), QStringLiteral("得点・減点")},
                 {rectOf(w, c.accuracy), QStringLiteral("正答率・誤答率・CPM")},
                 {unite({rectOf(w, c.statusLine1), rectOf(w, c.statusLine2)}),
                  QStringLiteral("打鍵と判定の状況")}});
    c.rxStop->click();
    return page;
}

QImage soundSettings() {
    Scene scene;
    auto& c = scene.c();
    QWidget* w = &scene.window();
    return compose(
        scene, QStringLiteral("音色・速度・周波数・設定"),
        {QRect(260, 36, 700, 152), QRect(985, 74, 310, 40)},
        {{rectOf(w, c.receiveMode).united(rectOf(w, c.sendMode)), QStringLiteral("受信／送信")},
         {rectOf(w, c.latin).united(rectOf(w, c.wabun)), QStringLiteral("欧文／和文")},
         {unite({rectOf(w, c.speedLabel), rectOf(w, c.speed)}), QStringLiteral("速度（WPM）")},
         {unite({rectOf(w, c.frequencyLabel), rectOf(w, c.frequency)}),
          QStringLiteral("周波数（Hz）")},
         {unite({rectOf(w, c.judgeEaseLabel), rectOf(w, c.judgeEase)}),
          QStringLiteral("判定しやすさ（0 厳密～100 寛容）")},
         {rectOf(w, c.timbre).united(kTimbreCaption), QStringLiteral("音色")}});
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
                   {QRect(0, 0, 760, 310), QRect(260, 965, 700, 45)},
                   {{rectOf(w, c.loadFile), QStringLiteral("電報読込：テキストファイルを選ぶ")},
                    {unite({rectOf(w, c.previousPage), rectOf(w, c.nextPage)}),
                     QStringLiteral("前ページ／次ページ")},
                    {rectOf(w, c.reset), QStringLiteral("RESETで練習をやり直す")},
                    {rectOf(w, c.centrePageLabel), QStringLiteral("通数・ページ数")}});
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
    return compose(scene, QStringLiteral("AUTO機能：横振り電鍵のオートキー"),
                   {QRect(370, 0, 850, 80)},
                   {{rectOf(w, c.sendMode), QStringLiteral("送信モード")},
                    {rectOf(w, c.ports), QStringLiteral("外部電鍵のシリアルポート")},
                    {rectOf(w, c.autoKeyer), QStringLiteral("AUTO：短点 DSR/J・長点 CTS/K")},
                    {rectOf(w, c.keyKeyer), QStringLiteral("キー電鍵：J・Kキーで打鍵")}});
}

QImage troubleshooting() {
    Scene scene;  // the scene has no sound device: what a learner sees when none is found
    auto& c = scene.c();
    QWidget* w = &scene.window();
    return compose(scene, QStringLiteral("トラブル対処"),
                   {QRect(490, 36, 520, 116), QRect(985, 36, 550, 76)},
                   {{rectOf(w, c.latin).united(rectOf(w, c.wabun)),
                     QStringLiteral("文字が合わない：欧文／和文")},
                    {rectOf(w, c.ports), QStringLiteral("COMが反応しない：ポートと配線")},
                    {unite({rectOf(w, c.frequencyLabel), rectOf(w, c.frequency)}),
                     QStringLiteral("音が出ない：周波数・PCの音量")},
                    {rectOf(w, c.timbre).united(kTimbreCaption), QStringLiteral("音色")},
                    {rectOf(w, c.message), QStringLiteral("メッセージ行")}});
}

}  // namespace manualpictures
