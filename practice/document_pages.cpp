// Page counts and labels, paging back and forth (browsing while a telegram is received), and
// the snapshot published at each release of the lock.
#include "morse/code_tables.h"
#include "practice/document.h"
#include "storage/text_util.h"

#include <algorithm>

namespace quorvel {
namespace {

int pagesFor(int characters, int capacity) {
    return std::max(1, (characters + capacity - 1) / capacity);
}

}  // namespace

void TelegramDocument::ensurePages() const {
    const bool latin = latinMode();
    const int count = telegramCountLocked();
    if (pages_.setGeneration != pos_.setGeneration || pages_.latin != latin ||
        static_cast<int>(pages_.modelPages.size()) != count) {
        const SharedTelegramList set = currentSetLocked();
        const auto current = static_cast<std::size_t>(currentIndexLocked());
        pages_.modelPages.assign(static_cast<std::size_t>(count), 1);
        for (std::size_t i = 0; i < pages_.modelPages.size() && i < set->size(); ++i) {
            // The current telegram's form is at hand; another's is made and dropped at once.
            const int length = i == current ? textLength(cachedModel().text())
                                            : textLength(toPracticeForm((*set)[i].text, latin));
            pages_.modelPages[i] = pagesFor(length, pageCapacity());
        }
        pages_.setGeneration = pos_.setGeneration;
        pages_.latin = latin;
        resetPageSums();
    }
}

void TelegramDocument::resetPageSums() const {
    std::vector<int> pages = pages_.modelPages;
    for (std::size_t i = 0; i < pages.size() && i < saved_.size(); ++i)
        pages[i] = std::max(pages[i], inputPagesOf(saved_[i]));
    pages_.pages.assign(std::move(pages));
    pages_.lastCurrent = -1;
}

const TelegramDocument::SetPages& TelegramDocument::syncedPages() const {
    ensurePages();
    // Only the telegram being keyed changes its count, and only while it is current.
    const int current = currentIndexLocked();
    for (int i : {pages_.lastCurrent, current})
        if (i >= 0)
            pages_.pages.set(static_cast<std::size_t>(i), telegramPagesOf(i));
    pages_.lastCurrent = current;
    return pages_;
}

int TelegramDocument::modelPagesOf(int index) const {
    ensurePages();
    return index >= 0 && index < static_cast<int>(pages_.modelPages.size())
               ? pages_.modelPages[static_cast<std::size_t>(index)]
               : 1;
}

int TelegramDocument::inputPagesOf(const TelegramProgress& progress) const {
    return pagesFor(textLength(progress.sections[Text].enteredText), pageCapacity());
}

int TelegramDocument::modelPagesLocked() {
    return modelPagesOf(currentIndexLocked());
}

int TelegramDocument::inputPagesLocked() const {
    return inputPagesOf(live());
}

int TelegramDocument::telegramPagesOf(int index) const {
    const auto i = static_cast<std::size_t>(index);
    const int input = index >= 0 && i < saved_.size() ? inputPagesOf(saved_[i]) : 1;
    return std::max(modelPagesOf(index), input);
}

int TelegramDocument::telegramPages(int index) {
    Lock l = lock();
    return telegramPagesOf(index);
}

int TelegramDocument::totalPages() {
    Lock l = lock();
    return std::max(1, syncedPages().pages.total());
}

int TelegramDocument::globalPage() {
    Lock l = lock();
    return syncedPages().pages.before(static_cast<std::size_t>(currentIndexLocked())) + pos_.page +
           1;
}

std::u16string TelegramDocument::pageSlice(std::u16string_view fieldText) const {
    Lock l = lock();
    const auto start =
        static_cast<std::size_t>(std::max(0, pos_.page)) * static_cast<std::size_t>(pageCapacity());
    if (start >= fieldText.size())
        return {};
    return std::u16string(fieldText.substr(start, static_cast<std::size_t>(pageCapacity())));
}

void TelegramDocument::clampPageLocked() {
    const int pages = std::max(modelPagesLocked(), inputPagesLocked());
    pos_.page = std::clamp(pos_.page, 0, pages - 1);
}

PageLabels TelegramDocument::labelsOf() const {
    if (browse_)
        return labelsFor(browse_->telegramNumber - 1, browse_->page);
    return labelsFor(currentIndexLocked(), pos_.page);
}

PageLabels TelegramDocument::labelsFor(int index, int page) const {
    const PageSums& sums = syncedPages().pages;
    const auto i = static_cast<std::size_t>(std::max(0, index));
    const std::u16string global = decimalText(sums.before(i) + page + 1);
    const std::u16string all = decimalText(std::max(1, sums.total()));
    const int pages = telegramPagesOf(index);
    PageLabels labels;
    labels.paper = global + u"/" + all;
    labels.centre = decimalText(index + 1) + u"通目 " + decimalText(page + 1) + u"/" +
                    decimalText(pages) + u"ページ  全体 " + global + u"/" + all;
    return labels;
}

PageLabels TelegramDocument::pageLabelsLocked() {
    return labelsOf();
}

void TelegramDocument::publishLocked() const {
    auto s = std::make_shared<PracticeSnapshot>();
    s->latinMode = latinMode();
    s->setActive = setActive_;
    s->set = currentSetLocked();
    s->position = pos_;
    s->telegramCount = telegramCountLocked();
    s->pageCapacity = pageCapacity();
    s->model = cachedModelPtr();
    s->progress = live();
    s->labels = labelsOf();
    if (browse_ && browse_->telegramNumber != pos_.telegramNumber) {
        const int index = browse_->telegramNumber - 1;
        s->position.telegramNumber = browse_->telegramNumber;
        s->model = std::make_shared<const TelegramModel>(modelOf(index));
        s->progress = savedProgressLocked(index);
    }
    if (browse_)
        s->position.page = browse_->page;
    std::lock_guard g(publishMutex_);
    published_ = std::move(s);
}

SharedSnapshot TelegramDocument::snapshot() const {
    std::lock_guard g(publishMutex_);
    return published_;
}

void TelegramDocument::refreshPageLabelsLocked() {
    clampPageLocked();
    view().pageLabelsChanged(pageLabelsLocked());
}

bool TelegramDocument::browse(int step) {
    Browse b = browse_.value_or(Browse{pos_.telegramNumber, pos_.page});
    const int pages = telegramPagesOf(b.telegramNumber - 1);
    if (step < 0 && b.page > 0) {
        b.page = std::min(b.page, pages) - 1;
    } else if (step < 0 && b.telegramNumber >= 2) {
        b.telegramNumber -= 1;
        b.page = telegramPagesOf(b.telegramNumber - 1) - 1;
    } else if (step > 0 && b.page + 1 < pages) {
        b.page += 1;
    } else if (step > 0 && b.telegramNumber < telegramCountLocked()) {
        b.telegramNumber += 1;
        b.page = 0;
    } else {
        return false;
    }
    if (b.telegramNumber == pos_.telegramNumber && b.page == pos_.page)
        browse_.reset();
    else
        browse_ = b;
    return true;
}

void TelegramDocument::adoptBrowse() {
    if (!browse_)
        return;
    const Browse b = *browse_;
    browse_.reset();
    if (b.telegramNumber != pos_.telegramNumber) {
        pos_.telegramNumber = b.telegramNumber;
        loadProgressLocked();
    }
    pos_.page = b.page;
}

void TelegramDocument::previousPage() {
    Lock l = writeLock();
    saveProgressLocked();
    if (receiving()) {
        if (browse(-1)) {
            refreshPageLabelsLocked();
            repaintBoth();
        }
        return;
    }
    adoptBrowse();
    if (pos_.page > 0) {
        pos_.page -= 1;
    } else if (pos_.telegramNumber >= 2) {
        pos_.telegramNumber -= 1;
        loadProgressLocked();
        pos_.page = std::max(modelPagesLocked(), inputPagesLocked()) - 1;
    } else {
        return;
    }
    pos_.pageFollow = false;
    refreshPageLabelsLocked();
    repaintBoth();
}

void TelegramDocument::nextPage() {
    Lock l = writeLock();
    saveProgressLocked();
    if (receiving()) {
        if (browse(+1)) {
            refreshPageLabelsLocked();
            repaintBoth();
        }
        return;
    }
    adoptBrowse();
    if (pos_.page + 1 < std::max(modelPagesLocked(), inputPagesLocked())) {
        pos_.page += 1;
    } else if (pos_.telegramNumber < telegramCountLocked()) {
        pos_.telegramNumber += 1;
        loadProgressLocked();
        pos_.page = 0;
    } else {
        return;
    }
    pos_.pageFollow = false;
    refreshPageLabelsLocked();
    repaintBoth();
}

int TelegramDocument::modelPages() {
    Lock l = lock();
    return modelPagesLocked();
}

int TelegramDocument::inputPages() const {
    Lock l = lock();
    return inputPagesLocked();
}

void TelegramDocument::clampPage() {
    Lock l = writeLock();
    clampPageLocked();
}

PageLabels TelegramDocument::pageLabels() {
    Lock l = lock();
    return pageLabelsLocked();
}

void TelegramDocument::refreshPageLabels() {
    Lock l = writeLock();
    refreshPageLabelsLocked();
}

}  // namespace quorvel
