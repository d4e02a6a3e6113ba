#include "ui/paper_layout.h"

#include <algorithm>
#include <cstdint>

namespace quorvel::ui {

namespace {

// Japanese text grid, in form pixels.
constexpr int kGridX[] = {176, 219, 262, 305, 348, 391, 433};
constexpr int kGridY[] = {482, 525, 568, 611, 653, 696, 739, 782, 825, 867, 910};
constexpr int kGridRows = 10;
constexpr int kGridCells = 60;
constexpr int kHeaderTop = 350;
constexpr int kAddressTop = 510;
constexpr int kAddressX = 560;
constexpr int kAddressColumns = 4;
constexpr int kOfficeFirstColumn = 5;

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view pageOf(std::u16string_view s, int page, int capacity) {
    const auto start = static_cast<std::int64_t>(std::max(0, page)) * capacity;
    if (start >= static_cast<std::int64_t>(s.size()))
        return {};
    return s.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(capacity));
}

QRgb inkAt(std::u16string_view marks, std::size_t i, PaperKind kind) {
    if (kind == PaperKind::Model || i >= marks.size())
        return kInkBlack;
    return marks[i] == u'1' ? kInkBlack : kInkRed;
}

// Maps form pixels of the Japanese form onto the drawn rectangle.
struct JapaneseMap {
    QRect r;
    int x(int px) const { return r.x() + static_cast<int>(std::int64_t{px} * r.width() / 708); }
    int y(int py) const { return r.y() + static_cast<int>(std::int64_t{py} * r.height() / 1000); }
    int permille(int n) const { return static_cast<int>(std::int64_t{n} * r.height() / 1000); }
};

bool isRotatedBracket(char16_t c) {
    return c == u'(' || c == u')' || c == u'（' || c == u'）';
}

void addGridCharacter(std::vector<PaperGlyph>& out, const JapaneseMap& m, int i, char16_t ch,
                      QRgb colour, bool hint) {
    const int c = i / kGridRows;
    const int r = i % kGridRows;
    const int left = m.x(kGridX[5 - c]);
    const int right = m.x(kGridX[6 - c]);
    const int top = m.y(kGridY[r]);
    const int bottom = m.y(kGridY[r + 1]);
    const QPoint centre((left + right) / 2, (top + bottom) / 2);
    PaperGlyph g;
    g.ch = ch;
    g.size = m.permille(38);
    g.colour = colour;
    g.pos = centre;
    if (hint) {
        g.kind = GlyphKind::Hint;
    } else if (ch == u'゛' || ch == u'゜') {
        g.kind = GlyphKind::VoicingMark;
        g.pos = centre + QPoint(m.permille(5), -m.permille(4));
    } else if (isRotatedBracket(ch)) {
        g.kind = GlyphKind::Rotated;
        g.pos = QPoint(left + (right - left) / 4, top + (bottom - top) / 2);
    } else if (ch == u'」') {
        g.kind = GlyphKind::Rotated;
        g.pos = centre + QPoint(-m.permille(8), m.permille(12));
    } else if (ch == u'ー') {
        g.kind = GlyphKind::VerticalStroke;
    }
    out.push_back(g);
}

// One vertical column of a header field or an address part; s is the step in px.
void addColumn(std::vector<PaperGlyph>& out, std::u16string_view text, std::u16string_view marks,
               std::size_t markOffset, PaperKind kind, int x, int top, int fontHeight, int s) {
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char16_t ch = text[k];
        const int y = top + static_cast<int>(k) * s;
        PaperGlyph g;
        g.ch = ch;
        g.colour = inkAt(marks, markOffset + k, kind);
        if (isRotatedBracket(ch) || ch == u'」') {
            g.kind = GlyphKind::Rotated;
            g.size = s + s / 8;
            g.pos = QPoint(x - s / 3, y + 3 * s / 5);
        } else if (ch == u'ー') {
            g.kind = GlyphKind::VerticalStroke;
            g.size = s;
            g.pos = QPoint(x, y + s / 2);
        } else {
            g.anchor = GlyphAnchor::TopCentre;
            g.size = fontHeight;
            g.pos = QPoint(x, y);
        }
        out.push_back(g);
    }
}

void layoutJapanese(std::vector<PaperGlyph>& out, const PaperContent& c, PaperKind kind,
                    const JapaneseMap& m) {
    const std::u16string_view text = pageOf(c.fields[Text], c.page, kGridCells);
    const std::u16string_view textMarks = pageOf(c.marks[Text], c.page, kGridCells);
    for (std::size_t i = 0; i < text.size(); ++i)
        addGridCharacter(out, m, static_cast<int>(i), text[i], inkAt(textMarks, i, kind), false);

    if (kind == PaperKind::Input && c.showNextHint && c.sendMode && c.section == Text) {
        const int p = c.textCursor - c.page * kGridCells;
        const auto next = static_cast<std::size_t>(std::max(0, c.textCursor));
        if (p >= 0 && p < kGridCells && p >= static_cast<int>(text.size()) &&
            next < c.modelText.size())
            addGridCharacter(out, m, p, c.modelText[next], kHintGrey, true);
    }

    const int headerFont = m.permille(27);
    const int headerStep = m.permille(22);
    const int headerTop = m.y(kHeaderTop);
    auto header = [&](int section, std::size_t from, std::size_t count, int px) {
        const std::u16string_view f(c.fields[static_cast<std::size_t>(section)]);
        if (from >= f.size())
            return;
        addColumn(out, f.substr(from, count), c.marks[static_cast<std::size_t>(section)], from,
                  kind, m.x(px), headerTop, headerFont, headerStep);
    };
    header(Preamble, 0, std::u16string_view::npos, 529);
    header(Office, 0, kOfficeFirstColumn, 490);
    header(Office, kOfficeFirstColumn, std::u16string_view::npos, 460);
    header(Serial, 0, std::u16string_view::npos, 400);
    header(FilingTime, 0, std::u16string_view::npos, 357);

    const std::u16string_view address(c.fields[Address]);
    const int addressFont = m.permille(35);
    const int addressStep = m.permille(28);
    std::size_t start = 0;
    for (int part = 0; part < kAddressColumns && start < address.size(); ++part) {
        const std::size_t end = address.find(u'」', start);
        const std::size_t len =
            end == std::u16string_view::npos ? address.size() - start : end + 1 - start;
        addColumn(out, address.substr(start, len), c.marks[Address], start, kind,
                  m.x(kAddressX) - part * m.permille(36), m.y(kAddressTop), addressFont,
                  addressStep);
        start += len;
    }
}

void addLatinLine(std::vector<PaperGlyph>& out, std::u16string_view text, std::u16string_view marks,
                  std::size_t markOffset, PaperKind kind, int x, int y, int fontHeight,
                  int advance) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isBlank(text[i]))
            continue;
        PaperGlyph g;
        g.ch = text[i];
        g.anchor = GlyphAnchor::TopLeft;
        g.font = GlyphFont::Gothic;
        g.pos = QPoint(x + static_cast<int>(i) * advance, y);
        g.size = fontHeight;
        g.colour = inkAt(marks, markOffset + i, kind);
        out.push_back(g);
    }
}

void layoutLatin(std::vector<PaperGlyph>& out, const PaperContent& c, PaperKind kind, QRect r,
                 int advance) {
    const int h = latinFontHeight(r.height());
    const int x = r.x() + static_cast<int>(0.12 * r.width());
    auto lineY = [&](double fraction) { return r.y() + static_cast<int>(fraction * r.height()); };
    addLatinLine(out, c.fields[Preamble], c.marks[Preamble], 0, kind, x, lineY(0.25), h, advance);
    addLatinLine(out, c.fields[Address], c.marks[Address], 0, kind, x, lineY(0.388), h, advance);

    const std::u16string_view text = pageOf(c.fields[Text], c.page, kLatinPageCapacity);
    const std::u16string_view marks = pageOf(c.marks[Text], c.page, kLatinPageCapacity);
    const std::vector<LatinLine> lines = latinTextLines(text, c.sendMode);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const auto start = static_cast<std::size_t>(lines[k].start);
        addLatinLine(out, text.substr(start, static_cast<std::size_t>(lines[k].length)), marks,
                     start, kind, x, lineY(0.525 + 0.068 * static_cast<double>(k)), h, advance);
    }

    if (kind == PaperKind::Input && c.showNextHint && c.sendMode && c.section == Text) {
        const int p = c.textCursor - c.page * kLatinPageCapacity;
        const auto next = static_cast<std::size_t>(std::max(0, c.textCursor));
        if (p >= 0 && p < kLatinPageCapacity && p >= static_cast<int>(text.size()) &&
            next < c.modelText.size()) {
            PaperGlyph g;
            g.ch = c.modelText[next];
            g.kind = GlyphKind::Hint;
            g.anchor = GlyphAnchor::TopLeft;
            g.font = GlyphFont::Gothic;
            g.pos = QPoint(x + (p % kLatinLineLength) * advance,
                           lineY(0.525 + 0.068 * static_cast<double>(p / kLatinLineLength)));
            g.size = h;
            g.colour = kHintGrey;
            out.push_back(g);
        }
    }
}

std::vector<LatinLine> fixedLines(int length) {
    std::vector<LatinLine> lines;
    for (int s = 0; s < length && lines.size() < kLatinLineCount; s += kLatinLineLength)
        lines.push_back({s, std::min(kLatinLineLength, length - s)});
    return lines;
}

}  // namespace

int latinFontHeight(int formHeight) {
    return static_cast<int>(0.038 * formHeight);
}

QRect paperRect(QSize client, bool latin, double zoom, QPoint offset) {
    if (client.width() <= 0 || client.height() <= 0)
        return {};
    const QSize image = latin ? kLatinFormSize : kJapaneseFormSize;
    const double fit = std::min(static_cast<double>(client.height()) / image.height(),
                                static_cast<double>(client.width()) / image.width());
    const double s = fit * zoom * (latin ? kLatinFormScale : kJapaneseFormScale);
    const int w = static_cast<int>(image.width() * s);
    const int h = static_cast<int>(image.height() * s);
    const int x0 = (client.width() - w) / 2 + offset.x();
    const int y0 = (client.height() - h) / 2 + offset.y() - (latin ? 0 : kJapaneseFormLift);
    return {x0, y0, w, h};
}

std::vector<LatinLine> latinTextLines(std::u16string_view slice, bool sendMode) {
    const int length = static_cast<int>(slice.size());
    if (sendMode)
        return fixedLines(length);
    std::vector<LatinLine> lines;
    int start = 0;
    while (start < length) {
        if (lines.size() == kLatinLineCount)
            return fixedLines(length);
        if (length - start <= kLatinLineLength) {
            lines.push_back({start, length - start});
            break;
        }
        int blank = start + kLatinLineLength;
        while (blank > start && !isBlank(slice[static_cast<std::size_t>(blank)]))
            --blank;
        const int end = blank > start ? blank : start + kLatinLineLength;
        lines.push_back({start, end - start});
        start = end;
        while (start < length && isBlank(slice[static_cast<std::size_t>(start)]))
            ++start;
    }
    return lines;
}

std::vector<PaperGlyph> layoutPaper(const PaperContent& content, PaperKind kind, QRect form,
                                    int latinAdvance) {
    std::vector<PaperGlyph> out;
    if (form.width() <= 0 || form.height() <= 0)
        return out;
    if (content.latin)
        layoutLatin(out, content, kind, form, latinAdvance);
    else
        layoutJapanese(out, content, kind, JapaneseMap{form});
    return out;
}

}  // namespace quorvel::ui
