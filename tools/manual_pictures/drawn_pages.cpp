#include "drawn_pages.h"

#include <QPainter>
#include <QPainterPath>

#include "callouts.h"
#include "morse/code_tables.h"
#include "ui/fonts.h"

namespace manualpictures {
namespace {

using quorvel::ui::FontRole;
using quorvel::ui::pixelFont;

const QColor kInk(30, 30, 30);
const QColor kGnd(40, 40, 40);
const QColor kDot(30, 110, 200);
const QColor kDash(214, 90, 20);

// Pin centres of a female 9-pin D-sub seen from the solder side: 1-5 on top, 6-9 below.
QPoint pinCentre(QRect shell, int pin) {
    const int top = shell.top() + shell.height() * 36 / 100;
    const int bottom = shell.top() + shell.height() * 68 / 100;
    const int pitch = shell.width() / 7;
    if (pin <= 5)
        return {shell.left() + pitch + (pin - 1) * pitch + pitch / 2 - pitch / 2, top};
    return {shell.left() + pitch + pitch / 2 + (pin - 6) * pitch, bottom};
}

void connector(QPainter& p, QRect shell) {
    QPainterPath outline;
    const int inset = shell.width() / 12;
    outline.moveTo(shell.left(), shell.top());
    outline.lineTo(shell.right(), shell.top());
    outline.lineTo(shell.right() - inset, shell.bottom());
    outline.lineTo(shell.left() + inset, shell.bottom());
    outline.closeSubpath();
    p.setPen(QPen(kInk, 4));
    p.setBrush(QColor(210, 214, 220));
    p.drawPath(outline);
    p.setFont(pixelFont(FontRole::Interface, 18, QFont::Bold));
    for (int pin = 1; pin <= 9; ++pin) {
        const QPoint c = pinCentre(shell, pin);
        const bool used = pin == 5 || pin == 6 || pin == 8;
        p.setPen(QPen(kInk, 2));
        p.setBrush(used ? QColor(250, 220, 90) : QColor(245, 245, 245));
        p.drawEllipse(c, 16, 16);
        p.drawText(QRect(c.x() - 16, c.y() - 16, 32, 32), Qt::AlignCenter, QString::number(pin));
    }
}

void wire(QPainter& p, QColor colour, const std::vector<QPoint>& points) {
    p.setPen(QPen(colour, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (std::size_t i = 1; i < points.size(); ++i)
        p.drawLine(points[i - 1], points[i]);
}

void label(QPainter& p, QRect r, const QString& text, QColor colour, int px = 24) {
    p.setPen(colour);
    p.setFont(pixelFont(FontRole::Interface, px, QFont::Bold));
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, text);
}

void terminal(QPainter& p, QPoint c) {
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(230, 200, 120));
    p.drawEllipse(c, 9, 9);
}

void junction(QPainter& p, QPoint c, QColor colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(c, 9, 9);
}

// A straight key whose contact terminals sit at `signal` and `ground`.
void straightKey(QPainter& p, QRect r) {
    p.setPen(QPen(kInk, 3));
    p.setBrush(QColor(120, 80, 50));
    p.drawRoundedRect(QRect(r.left(), r.top() + 120, r.width(), 50), 8, 8);  // base
    p.setBrush(QColor(190, 150, 60));
    p.drawRect(QRect(r.left() + 30, r.top() + 90, r.width() - 90, 16));  // lever
    p.setBrush(QColor(20, 20, 20));
    p.drawEllipse(QPoint(r.right() - 50, r.top() + 78), 36, 20);  // knob
    label(p, QRect(r.left(), r.top() + 180, r.width() + 40, 40),
          QStringLiteral("縦振り電鍵（ストレートキー）"), kInk, 22);
}

void paddle(QPainter& p, QRect r) {
    p.setPen(QPen(kInk, 3));
    p.setBrush(QColor(70, 70, 80));
    p.drawRoundedRect(QRect(r.left(), r.top() + 120, r.width(), 50), 8, 8);
    p.setBrush(QColor(200, 200, 210));
    const int cx = r.center().x();
    p.drawRect(QRect(cx - 30, r.top() + 60, 18, 60));  // dot paddle
    p.drawRect(QRect(cx + 12, r.top() + 60, 18, 60));  // dash paddle
    label(p, QRect(r.left(), r.top() + 180, r.width(), 40), QStringLiteral("横振り電鍵（パドル）"),
          kInk, 22);
}

}  // namespace

QImage wiringDiagram() {
    QImage page = canvas(QStringLiteral("D-sub 9ピン（メス・はんだ面）と電鍵の接続"), kWidth);
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);

    const QRect shell(120, 160, 560, 220);
    const QPoint gnd = pinCentre(shell, 5);
    const QPoint dsr = pinCentre(shell, 6);
    const QPoint cts = pinCentre(shell, 8);
    // Terminals of the two keys: paddle dot, common, dash; straight key signal and ground.
    const QPoint padDot(820, 680), padCommon(940, 680), padDash(1060, 680);
    const QPoint keySignal(1260, 680), keyGround(1480, 680);

    // Wires first, so the pins, terminals and labels stay readable on top of them.
    wire(p, kGnd, {gnd, {gnd.x(), 110}, {keyGround.x(), 110}, keyGround});
    wire(p, kGnd, {{keyGround.x(), 610}, {padCommon.x(), 610}, padCommon});
    wire(p, kDot, {dsr, {dsr.x(), 470}, {keySignal.x(), 470}, keySignal});
    wire(p, kDot, {{padDot.x(), 470}, padDot});
    wire(p, kDash, {cts, {cts.x(), 540}, {padDash.x(), 540}, padDash});
    junction(p, {keyGround.x(), 610}, kGnd);
    junction(p, {padDot.x(), 470}, kDot);

    connector(p, shell);
    paddle(p, QRect(760, 560, 360, 240));
    straightKey(p, QRect(1200, 560, 330, 240));
    for (const QPoint& t : {padDot, padCommon, padDash, keySignal, keyGround})
        terminal(p, t);

    label(p, QRect(400, 392, 700, 40),
          QStringLiteral("シリアルポート（COM / Linux: /dev/ttyUSB0）"), kInk, 22);
    // Legend of the three lines used.
    const struct {
        QColor colour;
        const char* text;
    } legend[] = {{kGnd, "5番ピン：GND（SG）＝電鍵の共通点"},
                  {kDot, "6番ピン：DSR＝短点（DIT）"},
                  {kDash, "8番ピン：CTS＝長点（DAH）"}};
    int y = 170;
    for (const auto& l : legend) {
        p.setPen(Qt::NoPen);
        p.setBrush(l.colour);
        p.drawRoundedRect(QRect(760, y + 12, 44, 16), 4, 4);
        label(p, QRect(820, y, 620, 40), QString::fromUtf8(l.text), l.colour, 26);
        y += 60;
    }

    label(p, QRect(80, 640, 640, 280),
          QStringLiteral("電鍵を押すと信号線がGNDに短絡され、\n"
                         "DSRが短点、CTSが長点になります。\n"
                         "縦振り電鍵：6番（DSR）と5番（GND）\n"
                         "パドル：短点を6番、長点を8番、共通を5番\n"
                         "USBシリアル変換器も同じ配線です。"),
          kInk, 24);
    return page;
}

QImage keysAndCodes() {
    QImage page = canvas(QStringLiteral("Jキー＝短点・Kキー＝長点 と モールス符号"), kWidth);
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    const auto key = [&](QRect r, const QString& cap, const QString& meaning, QColor colour) {
        p.setPen(QPen(kInk, 4));
        p.setBrush(QColor(248, 248, 248));
        p.drawRoundedRect(r, 18, 18);
        p.setFont(pixelFont(FontRole::Interface, 96, QFont::Bold));
        p.drawText(r, Qt::AlignCenter, cap);
        label(p, QRect(r.left(), r.bottom() + 12, r.width() + 200, 40), meaning, colour, 28);
    };
    key(QRect(140, 140, 200, 200), QStringLiteral("J"), QStringLiteral("短点（DIT）"), kDot);
    key(QRect(420, 140, 200, 200), QStringLiteral("K"), QStringLiteral("長点（DAH）"), kDash);
    label(p, QRect(140, 420, 620, 140),
          QStringLiteral("長点は短点3個分の長さ。\n送信モードで「キー電鍵」を有効にすると\nJ・Kキー"
                         "で打鍵できます。"),
          kInk, 26);

    struct Row {
        const char16_t* text;
        bool latin;
    };
    // Codes come from the program's own tables, so the picture cannot disagree with them.
    const Row rows[] = {{u"イ", false}, {u"ロ", false}, {u"ハ", false}, {u"ニ", false},
                        {u"ホ", false}, {u"ヘ", false}, {u"ト", false}, {u"チ", false},
                        {u"A", true},   {u"B", true},   {u"C", true},   {u"E", true},
                        {u"Q", true},   {u"1", true},   {u"5", true},   {u"0", true}};
    p.setFont(pixelFont(FontRole::Gothic, 30, QFont::Bold));
    int i = 0;
    for (const Row& r : rows) {
        const int col = i / 8;
        const int row = i % 8;
        const QRect cell(860 + col * 360, 120 + row * 100, 340, 88);
        p.setPen(QPen(QColor(200, 200, 200), 2));
        p.setBrush(row % 2 ? QColor(246, 248, 252) : Qt::white);
        p.drawRect(cell);
        p.setPen(kInk);
        const QString ch = QString::fromUtf16(r.text);
        p.drawText(cell.adjusted(20, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, ch);
        const auto code = quorvel::codeFor(r.text[0], r.latin);
        QString shown = QString::fromStdString(code ? std::string(*code) : std::string());
        shown.replace(QLatin1Char('.'), QStringLiteral("・"))
            .replace(QLatin1Char('-'), QStringLiteral("－"));
        p.setPen(kDot);
        p.drawText(cell.adjusted(110, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, shown);
        ++i;
    }
    return page;
}

}  // namespace manualpictures
