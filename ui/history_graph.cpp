#include "ui/history_graph.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "ui/fonts.h"

namespace quorvel::ui {
namespace {

constexpr int kLeft = 62;  // the y axis
constexpr int kTop = 30;   // top of the y axis

}  // namespace

void paintHistoryGraph(QPainter& p, QSize size, const std::vector<GraphEntry>& entries) {
    const int wd = size.width();
    const int ht = size.height();
    p.fillRect(QRect(0, 0, wd, ht), Qt::white);
    p.setPen(QColor(20, 20, 20));
    p.setFont(pixelFont(FontRole::Interface, 13));
    if (entries.empty()) {
        p.drawText(QRect(0, 0, wd, ht), Qt::AlignCenter | Qt::TextSingleLine,
                   QStringLiteral("CSV履歴がまだありません。練習すると表とグラフに反映されます。"));
        return;
    }
    const int xr = wd - 18;
    const int y0 = ht - 36;
    if (xr <= kLeft || y0 <= kTop)
        return;
    // End points excluded, as the lines of the original drawing calls are.
    p.drawLine(kLeft, y0, xr - 1, y0);
    p.drawLine(kLeft, kTop, kLeft, y0 - 1);

    std::int64_t top = 1;
    for (const GraphEntry& e : entries)
        top = std::max({top, e.inputValue, e.correctValue, e.wrongValue});
    const int n = static_cast<int>(entries.size());
    const int w = std::max(18, (xr - kLeft) / n);
    const int b = std::min(22, w / 5);
    const int c = w / 2;
    const std::int64_t span = ht - 66;
    auto height = [&](std::int64_t v) {
        // rounded to the nearest pixel; 64 bits so that long histories cannot overflow
        return static_cast<int>((std::max<std::int64_t>(v, 0) * span + top / 2) / top);
    };
    const QColor blue(90, 150, 240), green(70, 190, 110), red(240, 110, 90);
    const QFontMetrics metrics(p.font());
    for (int k = 0; k < n; ++k) {
        const GraphEntry& e = entries[static_cast<std::size_t>(k)];
        const int x = kLeft + k * w;
        const struct {
            int left;
            std::int64_t value;
            const QColor& colour;
        } bars[] = {{x + c - 2 * b, e.inputValue, blue},
                    {x + c - b, e.correctValue, green},
                    {x + c, e.wrongValue, red}};
        for (const auto& bar : bars) {
            const int h = height(bar.value);
            if (h > 0 && b > 0)
                p.fillRect(QRect(bar.left, y0 - h, b, h), bar.colour);
        }
        const QRect label(x, ht - 34, w, 32);
        p.drawText(label, Qt::AlignCenter | Qt::TextSingleLine,
                   metrics.elidedText(QString::fromStdU16String(e.label), Qt::ElideRight, w));
    }
    p.drawText(QRect(kLeft, 4, xr - kLeft, 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("青=入力数　緑=正解数　赤=誤答数"));
}

HistoryGraph::HistoryGraph(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void HistoryGraph::setEntries(std::vector<GraphEntry> entries) {
    entries_ = std::move(entries);
    update();
}

void HistoryGraph::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintHistoryGraph(p, size(), entries_);
}

}  // namespace quorvel::ui
