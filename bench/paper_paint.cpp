// Paint time of a full telegram page on a 4K paper: the repaint that follows every keyed
// character (form already rendered) and the repaint of a drag step (form rendered anew).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include "morse/code_tables.h"
#include "ui/paper_widget.h"

using namespace quorvel;
using namespace quorvel::ui;

namespace {

QApplication& app() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench_paper_paint";
    static char* argv[] = {name, nullptr};
    static QApplication a(argc, argv);
    return a;
}

// A page filled to the last cell or line, with wrong characters on the way.
PaperContent fullPage(bool latin) {
    const TelegramRecord& r = builtInSamples(latin)[1];
    PaperContent c;
    c.latin = latin;
    c.sendMode = true;  // sending practice: keyed by the learner, fixed Latin lines
    for (int s = 0; s < kSectionCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        c.fields[i] = toPracticeForm(r.field(s), latin);
        c.marks[i] = std::u16string(c.fields[i].size(), u'1');
    }
    std::u16string& text = c.fields[Text];
    const std::size_t page = latin ? 208 : 60;
    while (text.size() < page)
        text += text;
    text.resize(page);
    text.back() = latin ? u'E' : u'ア';  // a blank last character would change nothing
    c.marks[Text] = std::u16string(page, u'1');
    for (std::size_t i = 3; i < page; i += 17)
        c.marks[Text][i] = u'0';
    return c;
}

void paint(benchmark::State& state, bool latin, bool moveForm) {
    app();
    PaperZoom zoom;
    PaperWidget w(PaperKind::Input, &zoom);
    w.resize(3840, 2160);
    const PaperContent full = fullPage(latin);
    w.setContent(full);
    QImage target(w.size(), QImage::Format_ARGB32_Premultiplied);
    w.render(&target);
    PaperContent shorter = full;
    shorter.fields[Text].pop_back();
    shorter.marks[Text].pop_back();
    int step = 0;
    for (auto _ : state) {
        if (moveForm) {
            // A drag step repaints the whole paper.
            zoom.panBy(QPoint((step++ & 1) ? 1 : -1, 0));
            w.render(&target);
        } else {
            // A keyed character: the page gains its last character, and the widget repaints
            // what changed.
            w.setContent(shorter);
            const QRegion dirty = w.setContent(full);
            if (!dirty.isEmpty())  // an empty region would mean the whole widget
                w.render(&target, dirty.boundingRect().topLeft(), dirty);
        }
        benchmark::DoNotOptimize(target.constBits());
    }
}

void BM_PaintJapaneseKeying(benchmark::State& s) {
    paint(s, false, false);
}
void BM_PaintLatinKeying(benchmark::State& s) {
    paint(s, true, false);
}
void BM_PaintJapaneseDrag(benchmark::State& s) {
    paint(s, false, true);
}
void BM_PaintLatinDrag(benchmark::State& s) {
    paint(s, true, true);
}

}  // namespace

BENCHMARK(BM_PaintJapaneseKeying)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintLatinKeying)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintJapaneseDrag)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintLatinDrag)->Unit(benchmark::kMillisecond);
