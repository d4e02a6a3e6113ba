// The glyph lists of both papers, laid into a form drawn at its own pixel size so that form
// coordinates read directly.
#include <QtTest>
#include <algorithm>
#include <set>

#include "morse/code_tables.h"
#include "ui/paper_layout.h"

using namespace quorvel;
using namespace quorvel::ui;

namespace {

const QRect kJapaneseForm(0, 0, 708, 1000);
const QRect kLatinForm(0, 0, 1458, 1032);
constexpr int kAdvance = 20;

PaperContent japanese(std::u16string text) {
    PaperContent c;
    c.fields[Text] = std::move(text);
    return c;
}

QRect cell(int i) {
    constexpr int xs[] = {176, 219, 262, 305, 348, 391, 433};
    constexpr int ys[] = {482, 525, 568, 611, 653, 696, 739, 782, 825, 867, 910};
    const int c = i / 10, r = i % 10;
    return QRect(QPoint(xs[5 - c], ys[r]), QPoint(xs[6 - c] - 1, ys[r + 1] - 1));
}

int countColour(const std::vector<PaperGlyph>& gs, QRgb colour) {
    return static_cast<int>(std::count_if(gs.begin(), gs.end(),
                                          [&](const PaperGlyph& g) { return g.colour == colour; }));
}

}  // namespace

class PaperLayoutTest : public QObject {
    Q_OBJECT

  private slots:
    void textGridRunsRightToLeftAndPages() {
        const PaperContent c = japanese(std::u16string(60, u'ア') + u"イ");
        const auto page1 = layoutPaper(c, PaperKind::Model, kJapaneseForm, kAdvance);
        QCOMPARE(page1.size(), 60u);
        QVERIFY(cell(0).contains(page1.front().pos));
        QVERIFY(cell(10).contains(page1[10].pos));
        QCOMPARE(page1[10].pos.y(), page1[0].pos.y());
        QVERIFY(page1[10].pos.x() < page1[0].pos.x());
        QVERIFY(cell(59).contains(page1.back().pos));  // the grid's bottom left

        PaperContent second = c;
        second.page = 1;
        const auto page2 = layoutPaper(second, PaperKind::Model, kJapaneseForm, kAdvance);
        QCOMPARE(page2.size(), 1u);
        QCOMPARE(page2[0].ch, u'イ');
        QVERIFY(cell(0).contains(page2[0].pos));

        second.page = 2;
        QVERIFY(layoutPaper(second, PaperKind::Model, kJapaneseForm, kAdvance).empty());
    }

    void specialGridGlyphs() {
        const PaperContent c = japanese(toPracticeForm(u"ダイ", false) + u"ー（」");
        const auto gs = layoutPaper(c, PaperKind::Model, kJapaneseForm, kAdvance);
        QCOMPARE(gs.size(), 6u);
        QCOMPARE(gs[0].ch, u'タ');
        QCOMPARE(gs[1].ch, u'゛');
        QCOMPARE(gs[2].ch, u'イ');
        QCOMPARE(gs[1].kind, GlyphKind::VoicingMark);
        // Upper right of its own cell, clear of the centre.
        const QPoint centre = cell(1).center();
        QVERIFY(cell(1).contains(gs[1].pos));
        QVERIFY(gs[1].pos.x() > centre.x() && gs[1].pos.y() < centre.y());
        QCOMPARE(gs[3].kind, GlyphKind::VerticalStroke);
        QCOMPARE(gs[4].kind, GlyphKind::Rotated);
        QCOMPARE(gs[4].pos, QPoint(cell(4).left() + 43 / 4, cell(4).top() + cell(4).height() / 2));
        QCOMPARE(gs[5].kind, GlyphKind::Rotated);
        QCOMPARE(gs[0].size, 38);
    }

    void headerColumnsAndOfficeSplit() {
        PaperContent c;
        c.fields[Preamble] = u"ウナ";
        c.fields[Office] = u"センダイキヨク";
        c.fields[Serial] = u"三九";
        const auto gs = layoutPaper(c, PaperKind::Model, kJapaneseForm, kAdvance);
        auto atX = [&](int x) {
            return std::count_if(gs.begin(), gs.end(),
                                 [&](const PaperGlyph& g) { return g.pos.x() == x; });
        };
        QCOMPARE(atX(529), 2);
        QCOMPARE(atX(490), 5);
        QCOMPARE(atX(460), 2);
        QCOMPARE(atX(400), 2);
        QCOMPARE(atX(357), 0);  // no filing time, no column
        const auto sixth = std::find_if(gs.begin(), gs.end(),
                                        [](const PaperGlyph& g) { return g.pos.x() == 460; });
        QCOMPARE(sixth->ch, u'ヨ');
        QCOMPARE(sixth->pos.y(), 350);  // the second column starts at the top again
        QCOMPARE(sixth->size, 27);
        QCOMPARE((sixth + 1)->pos.y(), 372);
    }

    void addressShowsFourParts() {
        PaperContent c;
        c.fields[Address] = u"ア」イ」ウ」エ」オ」";
        const auto gs = layoutPaper(c, PaperKind::Model, kJapaneseForm, kAdvance);
        QCOMPARE(gs.size(), 8u);  // the fifth part is dropped
        std::set<int> columns;
        for (const PaperGlyph& g : gs) {
            if (g.kind == GlyphKind::Normal)
                columns.insert(g.pos.x());
        }
        QCOMPARE(columns, (std::set<int>{452, 488, 524, 560}));
        // A closing bracket turns and stays with its part; a remainder is a part of its own.
        QCOMPARE(gs[1].kind, GlyphKind::Rotated);
        QCOMPARE(gs[1].pos, QPoint(560 - 28 / 3, 510 + 28 + 3 * 28 / 5));
        c.fields[Address] = u"ア」イウ";
        const auto rest = layoutPaper(c, PaperKind::Model, kJapaneseForm, kAdvance);
        QCOMPARE(rest[2].pos, QPoint(524, 510));
        QCOMPARE(rest[3].pos, QPoint(524, 538));
    }

    void marksColourTheInputOnly() {
        PaperContent c = japanese(u"アイウ");
        c.marks[Text] = u"10";  // the third has no mark yet
        c.fields[Serial] = u"一二";
        c.marks[Serial] = u"01";
        const auto input = layoutPaper(c, PaperKind::Input, kJapaneseForm, kAdvance);
        QCOMPARE(input[0].colour, kInkBlack);
        QCOMPARE(input[1].colour, kInkRed);
        QCOMPARE(input[2].colour, kInkBlack);
        QCOMPARE(countColour(input, kInkRed), 2);
        QCOMPARE(countColour(layoutPaper(c, PaperKind::Model, kJapaneseForm, kAdvance), kInkRed),
                 0);

        PaperContent latin;
        latin.latin = true;
        latin.fields[Text] = u"AB CD";
        latin.marks[Text] = u"10110";
        const auto lg = layoutPaper(latin, PaperKind::Input, kLatinForm, kAdvance);
        QCOMPARE(lg.size(), 4u);  // the blank advances but is not drawn
        QCOMPARE(lg[1].colour, kInkRed);
        QCOMPARE(lg[3].colour, kInkRed);
        QCOMPARE(lg[2].pos.x() - lg[0].pos.x(), 3 * kAdvance);
    }

    void nextCharacterHint() {
        PaperContent c = japanese(u"アイ");
        c.modelText = u"アイウエ";
        c.sendMode = true;
        c.section = Text;
        c.textCursor = 2;
        auto hints = [&](const PaperContent& x, PaperKind k, QRect r) {
            return countColour(layoutPaper(x, k, r, kAdvance), kHintGrey);
        };
        const auto gs = layoutPaper(c, PaperKind::Input, kJapaneseForm, kAdvance);
        QCOMPARE(gs.back().kind, GlyphKind::Hint);
        QCOMPARE(gs.back().ch, u'ウ');
        QCOMPARE(gs.back().pos, QPoint((391 + 433) / 2, (568 + 611) / 2));
        QCOMPARE(hints(c, PaperKind::Model, kJapaneseForm), 0);
        PaperContent off = c;
        off.showNextHint = false;
        QCOMPARE(hints(off, PaperKind::Input, kJapaneseForm), 0);
        PaperContent receive = c;
        receive.sendMode = false;
        QCOMPARE(hints(receive, PaperKind::Input, kJapaneseForm), 0);
        PaperContent address = c;
        address.section = Address;
        QCOMPARE(hints(address, PaperKind::Input, kJapaneseForm), 0);
        PaperContent end = c;
        end.textCursor = 4;  // past the model's last character
        QCOMPARE(hints(end, PaperKind::Input, kJapaneseForm), 0);

        PaperContent latin = c;
        latin.latin = true;
        latin.fields[Text] = std::u16string(52, u'E');
        latin.modelText = std::u16string(60, u'E') + u"T";
        latin.textCursor = 52;
        const auto lg = layoutPaper(latin, PaperKind::Input, kLatinForm, kAdvance);
        QCOMPARE(lg.back().kind, GlyphKind::Hint);
        QCOMPARE(lg.back().pos, QPoint(174, static_cast<int>((0.525 + 0.068) * 1032)));
    }

    void latinLinesWrapWhenReceiving() {
        std::u16string text(60, u'X');
        text[50] = u' ';
        const auto receive = latinTextLines(text, false);
        QCOMPARE(receive.size(), 2u);
        QCOMPARE(receive[0], (LatinLine{0, 50}));
        QCOMPARE(receive[1], (LatinLine{51, 9}));
        const auto send = latinTextLines(text, true);
        QCOMPARE(send.size(), 2u);
        QCOMPARE(send[0], (LatinLine{0, 52}));
        QCOMPARE(send[1], (LatinLine{52, 8}));
        // No blank in reach: a hard cut at 52.
        QCOMPARE(latinTextLines(std::u16string(60, u'X'), false)[0], (LatinLine{0, 52}));

        PaperContent c;
        c.latin = true;
        c.fields[Text] = text;
        const auto gs = layoutPaper(c, PaperKind::Model, kLatinForm, kAdvance);
        const auto second = std::find_if(
            gs.begin(), gs.end(), [&](const PaperGlyph& g) { return g.pos.y() != gs[0].pos.y(); });
        QCOMPARE(second - gs.begin(), 50);
        QCOMPARE(second->pos.x(), 174);
        QCOMPARE(gs[0].pos.y(), static_cast<int>(0.525 * 1032));
        QCOMPARE(gs[0].size, 39);
    }

    void wrappedPageNeverHidesCharacters() {
        // Words of 40 letters: four wrapped lines hold only 164 of the page's 208 characters.
        std::u16string word(40, u'W');
        std::u16string page;
        while (page.size() < 208)
            page += word + u" ";
        page.resize(208);
        const auto lines = latinTextLines(page, false);
        QCOMPARE(lines.size(), 4u);
        QCOMPARE(lines[3].start + lines[3].length, 208);
        // A page that fits keeps its word wrap.
        const auto fits = latinTextLines(std::u16string(word + u" " + word), false);
        QCOMPARE(fits.size(), 2u);
        QCOMPARE(fits[1], (LatinLine{41, 40}));
    }

    void placementOfTheForm() {
        QVERIFY(paperRect(QSize(0, 500), false, 1.0, {}).isEmpty());
        QVERIFY(paperRect(QSize(500, -3), true, 1.0, {}).isEmpty());
        // 708 x 1000 in a 708 x 1000 widget: 1.6 times larger, centred, lifted 135 px.
        const QRect j = paperRect(QSize(708, 1000), false, 1.0, QPoint(10, 20));
        QCOMPARE(j.size(), QSize(1132, 1600));
        QCOMPARE(j.topLeft(), QPoint((708 - 1132) / 2 + 10, (1000 - 1600) / 2 + 20 - 135));
        const QRect l = paperRect(QSize(1458, 2000), true, 0.5, {});
        QCOMPARE(l.width(), static_cast<int>(1458 * 0.5 * 1.02));
        QCOMPARE(l.y(), (2000 - l.height()) / 2);
    }
};

QTEST_APPLESS_MAIN(PaperLayoutTest)
#include "paper_layout_test.moc"
