#include "ui/control_panel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QWidget>
#include <algorithm>

#include "generation/japanese_generator.h"
#include "storage/settings_file.h"
#include "ui/design_grid.h"
#include "ui/fonts.h"
#include "ui/paper_slot.h"

namespace quorvel::ui {
namespace {

QString q(std::u16string_view s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

// Closed height of a list on the grid: the design gives the height of the opened list.
constexpr int kListHeight = 28;

const std::array<const char16_t*, kBandFlagCount> kBandCaptions = {u"空電雑音",
                                                                   u"局間混信",
                                                                   u"フェージング",
                                                                   u"フラッター",
                                                                   u"不安定送信",
                                                                   u"チャープ",
                                                                   u"符号長ばらつき",
                                                                   u"AGC",
                                                                   u"IFフィルタ",
                                                                   u"CWピッチドリフト",
                                                                   u"エコー",
                                                                   u"マルチパス",
                                                                   u"雷ノイズ",
                                                                   u"隣接局混信",
                                                                   u"スプリット運用風混信",
                                                                   u"大気雑音",
                                                                   u"電源ハム",
                                                                   u"点火パルス雑音",
                                                                   u"AGCポンピング",
                                                                   u"狭帯域リンギング",
                                                                   u"受信機飽和"};

const std::array<const char16_t*, kBandFlagCount> kBandTips = {
    u"空電によるザーという雑音と、時折のクラッシュ音",
    u"近くの周波数で送信する他局の符号（数は混雑度）",
    u"受信信号の強さがゆっくり上下するフェージング",
    u"信号の音程が速く揺れるフラッター",
    u"送信側の出力が不安定で、キーダウン中の音量が荒れる",
    u"キーダウンのたびに音程が跳ねるチャープ",
    u"受信練習で送られる短点・長点の長さがばらつく",
    u"AGC による音量の圧縮",
    u"IF フィルタによる信号の軽いひずみ",
    u"音程がゆっくり変わっていくドリフト",
    u"約 0.2 秒遅れて聞こえるエコー",
    u"約 1/14 秒遅れて重なるマルチパス",
    u"ときどき入る大きな雷ノイズ",
    u"信号のすぐ上に居座る隣接局の搬送波",
    u"信号のすぐ下に居座る、スプリット運用のような混信",
    u"絶え間なく続く大気雑音",
    u"電源から乗るハム音",
    u"自動車の点火系のようなパルス雑音",
    u"AGC が周期的に音量を上下させるポンピング",
    u"狭帯域フィルタのリンギング（キーダウン中の響き）",
    u"強い信号で受信機が飽和したようなひずみ"};

struct Builder {
    QWidget* window;
    DesignGridLayout* grid;
    std::vector<QWidget*> large;  // widgets that take the large font

    template <class W>
    W* add(W* w, int x, int y, int width, int height) {
        grid->addWidgetAt(w, QRect(x, y, width, height));
        return w;
    }
    QPushButton* button(const char16_t* caption, int x, int y, int width, int height) {
        return add(new QPushButton(q(caption), window), x, y, width, height);
    }
    QCheckBox* check(const char16_t* caption, int x, int y, int width, int height) {
        return add(new QCheckBox(q(caption), window), x, y, width, height);
    }
    QRadioButton* radio(const char16_t* caption, int x, int y, int width, int height) {
        return add(new QRadioButton(q(caption), window), x, y, width, height);
    }
    QLabel* label(const char16_t* text, int x, int y, int width, int height) {
        auto* l = add(new QLabel(q(text), window), x, y, width, height);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return l;
    }
    QComboBox* list(int x, int y, int width, int height = kListHeight) {
        auto* c = add(new QComboBox(window), x, y, width, height);
        c->setMaxVisibleItems(10);
        return c;
    }
    QSlider* slider(int low, int high, int x, int y, int width, int height) {
        auto* s = add(new QSlider(Qt::Horizontal, window), x, y, width, height);
        s->setRange(low, high);
        return s;
    }
    QSlider* tolerance(int x, int y, int width) {
        QSlider* s = slider(0, 100, x, y, width, 34);
        s->setTickInterval(10);
        s->setTickPosition(QSlider::TicksBelow);
        s->setValue(50);
        return s;
    }
};

void buildLeftColumn(Builder& b, ControlPanel& p) {
    p.loadFile = b.button(u"電報読込", 10, 8, 240, 29);
    p.manual = b.button(u"取扱説明", 10, 41, 240, 29);
    p.fullScreen = new QPushButton(q(u"用紙全画面"), b.window);
    // The one control of the paper layout besides the papers: its way back.
    b.grid->addWidgetAt(p.fullScreen, QRect(10, 74, 240, 29), QRect(10, 8, 180, 30));
    p.results = b.button(u"現在の成績", 10, 107, 240, 29);
    p.home = b.button(u"ホーム", 10, 140, 240, 29);
    p.exam = b.button(u"国家試験", 10, 173, 240, 29);
    p.achievements = b.button(u"実績", 10, 206, 240, 29);
    p.previousPage = b.button(u"前ページ", 10, 239, 240, 29);
    p.nextPage = b.button(u"次ページ", 10, 272, 240, 29);
    for (int i = 0; i < kBandFlagCount; ++i) {
        const int y = i < 5 ? 309 + 31 * i : i == 5 ? 464 : i == 6 ? 495 : 684 + 24 * (i - 7);
        QCheckBox* box =
            b.check(kBandCaptions[static_cast<std::size_t>(i)], 10, y, 240, i < 7 ? 28 : 23);
        box->setToolTip(q(kBandTips[static_cast<std::size_t>(i)]));
        p.band[static_cast<std::size_t>(i)] = box;
    }
    // These keep the control font: a 28-pixel cell would not fit boxes 23 high and 24 apart.
    b.label(u"混雑度", 10, 530, 105, 22);
    p.activity = b.list(120, 526, 130);
    for (int i = 0; i <= 5; ++i)
        p.activity->addItem(QString::number(i));
    p.activity->setCurrentIndex(3);
    b.label(u"受信環境・無線機効果", 10, 560, 240, 24);
    b.label(u"ノイズレベル 0～100", 10, 586, 240, 20);
    p.noise = b.slider(0, 100, 10, 606, 240, 27);
    p.noise->setValue(30);
    b.label(u"受信フィルタ幅", 10, 635, 240, 20);
    // Closed, the list must end above the first effect box at 684.
    p.filterWidth = b.list(10, 655, 240, 27);
    p.filterWidth->addItems(
        {QStringLiteral("250 Hz"), QStringLiteral("500 Hz"), QStringLiteral("1 kHz")});
    p.filterWidth->setCurrentIndex(1);
}

void buildTopRows(Builder& b, ControlPanel& p) {
    p.rxStart = b.button(u"RX START", 270, 8, 120, 28);
    p.rxStop = b.button(u"RX STOP", 395, 8, 120, 28);
    p.pause = b.button(u"一旦停止", 520, 8, 125, 28);
    p.reset = b.button(u"RESET", 650, 8, 95, 28);
    p.demo = b.button(u"デモ送信", 750, 8, 115, 28);
    p.random = b.button(u"ランダム生成", 870, 8, 145, 28);
    p.autoKeyer = b.check(u"AUTO", 1025, 8, 75, 28);
    p.keyKeyer = b.check(u"キー電鍵", 1105, 8, 105, 28);
    p.weakTelegram = b.check(u"苦手電報", 1215, 8, 145, 28);
    p.goOn = b.check(u"間違っても先へ進む", 1365, 8, 155, 28);

    p.receiveMode = b.radio(u"受信", 270, 44, 110, 28);
    p.sendMode = b.radio(u"送信", 385, 44, 110, 28);
    p.latin = b.radio(u"欧文", 500, 44, 85, 28);
    p.wabun = b.radio(u"和文", 590, 44, 85, 28);
    // Two exclusive pairs among siblings: each needs its own group.
    for (QRadioButton* pair : {p.receiveMode, p.latin}) {
        auto* group = new QButtonGroup(b.window);  // owned by the window
        group->addButton(pair);
        group->addButton(pair == p.latin ? p.wabun : p.sendMode);
    }
    p.ports = b.list(680, 44, 320);
    p.message = b.label(u"次: 入: 判:", 1010, 43, 510, 32);

    b.label(u"カテゴリ", 270, 83, 85, 24);
    p.category = b.list(355, 80, 285);
    for (const std::u16string_view name : kCategoryNames)
        p.category->addItem(q(name));
    p.secondGeneration = b.check(u"第2世代ランダム", 650, 80, 185, 28);
    p.secondGeneration->setChecked(true);
    p.autoDifficulty = b.check(u"自動難易度", 840, 80, 145, 28);
    b.label(u"音色", 995, 83, 55, 24);
    p.timbre = b.list(1050, 80, 235);
    for (int i = 0; i < kTimbreCount; ++i)
        p.timbre->addItem(q(timbreName(i)));
    b.label(u"学習レベル", 1295, 83, 90, 24);
    p.level = b.list(1385, 80, 135);
    for (int i = 0; i < kLearningLevelCount; ++i)
        p.level->addItem(q(learningLevelName(i)));
}

void buildSliders(Builder& b, ControlPanel& p) {
    p.speedLabel = b.label(u"速度 15 WPM", 270, 119, 95, 24);
    p.speed = b.slider(5, 40, 365, 114, 230, 34);
    p.speed->setValue(15);
    p.frequencyLabel = b.label(u"周波数 800 Hz", 605, 119, 105, 24);
    p.frequency = b.slider(300, 1200, 710, 114, 230, 34);
    p.frequency->setValue(800);
    p.score = b.label(u"得点 0 / 0  減点 0", 950, 115, 570, 32);
    p.judgeEaseLabel = b.label(u"判定しやすさ 50 標準", 270, 155, 170, 24);
    p.judgeEase = b.tolerance(440, 150, 300);
    p.elementToleranceLabel = b.label(u"符号長許容度 50 標準", 760, 155, 190, 24);
    p.elementTolerance = b.tolerance(950, 150, 250);
    p.keySoftnessLabel = b.label(u"打鍵の甘さ 50 標準", 270, 191, 170, 24);
    p.keySoftness = b.tolerance(440, 186, 300);
    p.charSpeedToleranceLabel = b.label(u"文字速度許容度 50 標準", 760, 191, 210, 24);
    p.charSpeedTolerance = b.tolerance(970, 186, 360);
    // Not placed by the grid of the original dialog: the free row above the paper captions.
    p.totalEaseLabel = b.label(u"総合判定度 50 標準", 270, 227, 170, 24);
    p.totalEase = b.tolerance(440, 222, 300);
    p.showNextHint = b.check(u"次入力文字を薄灰色表示", 760, 224, 300, 28);
    p.autoSpeedAdjust = b.check(u"正答率で速度自動調整", 1070, 224, 300, 28);
}

void buildPapers(Builder& b, ControlPanel& p) {
    // 28 high rather than 24, ending where the papers begin: the large font's cell is 28.
    p.modelCaption = new QLabel(q(u"お手本"), b.window);
    b.grid->addWidgetAt(p.modelCaption, QRect(520, 284, 120, 28), QRect(360, 8, 160, 30));
    p.inputCaption = new QLabel(q(u"ユーザー入力"), b.window);
    b.grid->addWidgetAt(p.inputCaption, QRect(1160, 284, 160, 28), QRect(1050, 8, 180, 30));
    p.modelPaper = createPaper(PaperSide::Model, b.window);
    b.grid->addWidgetAt(p.modelPaper, QRect(270, 312, 610, 650), QRect(10, 44, 750, 1026));
    p.inputPaper = createPaper(PaperSide::Input, b.window);
    b.grid->addWidgetAt(p.inputPaper, QRect(900, 312, 610, 650), QRect(780, 44, 750, 1026));
    b.large.push_back(p.modelCaption);
    b.large.push_back(p.inputCaption);

    p.modelPageLabel = b.label(u"1/1", 470, 975, 90, 28);
    p.centrePageLabel = b.label(u"1通目 1/1ページ", 610, 975, 290, 28);
    p.accuracy = b.label(u"正答率 0%  誤答率 0%  CPM 0", 920, 975, 490, 28);
    // Right of the accuracy label, which the key-type text can fill.
    p.inputPageLabel = b.label(u"1/1", 1420, 975, 90, 28);
    p.statusLine1 =
        b.label(u"入力[　　] 状態[OFF] 経過[000:00] 設定[015WPM 0800Hz]", 270, 1010, 610, 34);
    p.statusLine2 =
        b.label(u"直前符号[0000 ms] 間隔[0000 ms] 瞬時[000 WPM/0000 CPM]", 900, 1010, 610, 34);
    for (QLabel* l : {p.modelPageLabel, p.inputPageLabel, p.centrePageLabel, p.accuracy,
                      p.statusLine1, p.statusLine2})
        b.large.push_back(l);
}

}  // namespace

QFont cellHeightFont(int cellHeight) {
    QFont font = pixelFont(FontRole::Gothic, cellHeight, QFont::Bold);
    // The family's ascent plus descent is larger than its em: shrink the em until the cell fits.
    for (int px = cellHeight; px > 1; --px) {
        font.setPixelSize(px);
        if (QFontMetrics(font).height() <= cellHeight)
            break;
    }
    return font;
}

const std::array<const char16_t*, kBandFlagCount>& bandCaptions() {
    return kBandCaptions;
}

ControlPanel buildControlPanel(QWidget* window, DesignGridLayout* grid, const QSize& client) {
    ControlPanel p;
    Builder b{window, grid, {}};
    buildTopRows(b, p);
    buildSliders(b, p);
    buildLeftColumn(b, p);
    buildPapers(b, p);

    p.scalePercent = scalePercentFor(client);
    p.controlFont = cellHeightFont(controlFontHeight(p.scalePercent));
    p.largeFont = cellHeightFont(largeFontHeight(p.scalePercent));
    for (QWidget* w : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        w->setFont(p.controlFont);
    for (QWidget* w : b.large)
        w->setFont(p.largeFont);
    // The style's indicators do not scale with the font: at half scale they would crowd out
    // the captions.
    const int indicator = std::max(7, controlFontHeight(p.scalePercent) * 7 / 10);
    window->setStyleSheet(QStringLiteral("QCheckBox::indicator, QRadioButton::indicator "
                                         "{ width: %1px; height: %1px; }")
                              .arg(indicator));
    return p;
}

}  // namespace quorvel::ui
