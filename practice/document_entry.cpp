// Keyed characters entered on the document: judged against the model, stored, the cursor and
// the page following them, and the step back of a correction.
#include "morse/code_tables.h"
#include "practice/document.h"

#include <algorithm>

namespace quorvel {

void TelegramDocument::store(SectionProgress& sp, int pos, char16_t c, char16_t mark) {
    const auto p = static_cast<std::size_t>(pos);
    if (!goOn() && p < sp.enteredText.size()) {
        sp.enteredText[p] = c;
        if (p < sp.judgementMarks.size())
            sp.judgementMarks[p] = mark;
        else
            sp.judgementMarks.push_back(mark);
    } else {
        sp.enteredText.push_back(c);
        sp.judgementMarks.push_back(mark);
    }
}

void TelegramDocument::enterCharacterLocked(char16_t c) {
    if (pos_.telegramFinished)
        return;
    if (browse_) {
        // The papers follow the reception again.
        browse_.reset();
        repaintBoth();
    }
    const bool latin = latinMode();
    if (latin && flags_.leadInActive())
        return;
    if (!latin) {
        // An empty or already complete section would otherwise hold the cursor for ever.
        while (pos_.section < Text &&
               sectionPositionLocked(pos_.section) >= textLength(cachedModel().field(pos_.section)))
            pos_.section += 1;
    }
    if (pos_.section < Text)
        enterInSection(pos_.section, c);
    else
        enterInText(c);
}

void TelegramDocument::enterInSection(int section, char16_t c) {
    const bool latin = latinMode();
    if (!latin && (c == u' ' || c == u'\u3000'))
        return;
    // Held, not copied: the cache may move on while scoring reports, the model stays.
    const std::shared_ptr<const TelegramModel> held = cachedModelPtr();
    const std::u16string& model = held->field(section);
    SectionProgress& sp = live().sections[static_cast<std::size_t>(section)];
    const int len = textLength(model);
    int p = sectionPositionLocked(section);
    bool entered = false;

    if (latin && !isModelBlank(c)) {
        while (p < len && isModelBlank(model[static_cast<std::size_t>(p)])) {
            store(sp, p, u' ', u'1');
            scoring_->scoreCharacter(u' ', u' ', true);
            entered = true;
            ++p;
        }
    }
    if (p < len) {
        const char16_t m = model[static_cast<std::size_t>(p)];
        const bool correct = foldForCompare(m) == foldForCompare(c);
        store(sp, p, correct ? m : c, correct ? u'1' : u'0');
        scoring_->scoreCharacter(m, c, correct);
        scoring_->showJudgement(c, m, correct);
        entered = true;
    }
    if (!entered)
        return;
    saveProgressLocked();
    view().inputPaperChanged();
    refreshPageLabelsLocked();
    if (!latin && sectionPositionLocked(section) >= len)
        pos_.section = section + 1;
}

void TelegramDocument::enterInText(char16_t c) {
    const std::shared_ptr<const TelegramModel> held = cachedModelPtr();
    const std::u16string& model = held->text();
    SectionProgress& sp = live().sections[Text];
    const int len = textLength(model);
    bool entered = false;

    auto storeAtCursor = [&](char16_t ch, char16_t mark) {
        const auto p = static_cast<std::size_t>(pos_.textCursor);
        if (p < sp.enteredText.size()) {
            sp.enteredText[p] = ch;
            sp.judgementMarks.resize(std::max(sp.judgementMarks.size(), p + 1), u'0');
            sp.judgementMarks[p] = mark;
        } else {
            sp.enteredText.push_back(ch);
            sp.judgementMarks.push_back(mark);
        }
    };

    if (latinMode() && !isModelBlank(c)) {
        while (pos_.textCursor < len &&
               isModelBlank(model[static_cast<std::size_t>(pos_.textCursor)])) {
            storeAtCursor(u' ', u'1');
            scoring_->scoreCharacter(u' ', u' ', true);
            entered = true;
            pos_.textCursor += 1;
            followCursorLocked(len);
        }
    }
    if (pos_.textCursor < len) {
        const char16_t m = model[static_cast<std::size_t>(pos_.textCursor)];
        const bool correct = foldForCompare(m) == foldForCompare(c);
        storeAtCursor(correct ? m : c, correct ? u'1' : u'0');
        scoring_->scoreCharacter(m, c, correct);
        scoring_->showJudgement(c, m, correct);
        entered = true;
        if (correct || goOn()) {
            pos_.textCursor += 1;
            followCursorLocked(len);
        }
    }
    if (!entered)
        return;
    saveProgressLocked();
    view().inputPaperChanged();
    refreshPageLabelsLocked();
}

void TelegramDocument::followCursorLocked(int modelLength) {
    if (!pos_.pageFollow)
        return;
    const int c = pos_.textCursor;
    const int capacity = pageCapacity();
    const int before = pos_.page;
    if (c <= 0) {
        pos_.page = 0;
    } else if (c < modelLength && c % capacity == 0) {
        pos_.page = c / capacity;
        view().showMessage(u"自動改ページ");
    } else {
        pos_.page = (c - 1) / capacity;
    }
    if (pos_.page != before) {
        refreshPageLabelsLocked();
        repaintBoth();
    }
}

void TelegramDocument::stepBackLocked() {
    if (!goOn())
        return;
    if (pos_.section < Text) {
        SectionProgress& sp = live().sections[static_cast<std::size_t>(pos_.section)];
        const std::size_t n = std::min<std::size_t>(3, sp.enteredText.size());
        // erase, not resize: GCC 12 at -O3 reports a false -Wrestrict inside a shrinking resize.
        sp.enteredText.erase(sp.enteredText.size() - n);
        if (sp.judgementMarks.size() < n)
            sp.judgementMarks.clear();
        else
            sp.judgementMarks.erase(sp.judgementMarks.size() - n);
    } else {
        SectionProgress& sp = live().sections[Text];
        pos_.textCursor = std::max(0, pos_.textCursor - 3);
        const auto keep = static_cast<std::size_t>(pos_.textCursor);
        if (sp.enteredText.size() > keep)
            sp.enteredText.resize(keep);
        if (sp.judgementMarks.size() > keep)
            sp.judgementMarks.resize(keep);
        if (pos_.pageFollow)
            pos_.page = pos_.textCursor / pageCapacity();
    }
    saveProgressLocked();
    refreshPageLabelsLocked();
    repaintBoth();
    view().showMessage(u"訂正：3文字戻しました");
}

void TelegramDocument::enterCharacter(char16_t c) {
    Lock l = writeLock();
    enterCharacterLocked(c);
}

void TelegramDocument::followCursor(int modelLength) {
    Lock l = writeLock();
    followCursorLocked(modelLength);
}

void TelegramDocument::stepBack() {
    Lock l = writeLock();
    stepBackLocked();
}

}  // namespace quorvel
