#include "practice/document.h"

#include <algorithm>
#include <cstdlib>

#include "morse/code_tables.h"

namespace quorvel {
namespace {

// Compared a slice at a time, so a long text never has a second whole copy even briefly.
bool formIsSource(const std::u16string& source, bool latin) {
    constexpr std::size_t kSlice = 4096;
    const std::u16string_view all(source);
    for (std::size_t at = 0; at < all.size(); at += kSlice) {
        const std::u16string_view slice = all.substr(at, kSlice);
        if (toPracticeForm(slice, latin) != slice)
            return false;
    }
    return true;
}

}  // namespace

const std::u16string& TelegramModel::field(int section) const {
    static const std::u16string kEmpty;
    if (section < 0 || section >= kSectionCount)
        return kEmpty;
    const auto& form = fields_[static_cast<std::size_t>(section)];
    return form ? *form : kEmpty;
}

void TelegramModel::setField(int section, std::shared_ptr<const std::u16string> form) {
    if (section >= 0 && section < kSectionCount)
        fields_[static_cast<std::size_t>(section)] = std::move(form);
}

TelegramDocument::TelegramDocument(const PracticeSettings& settings, const SharedFlags& flags)
    : settings_(settings), flags_(flags) {
    Lock l = writeLock();  // the first snapshot
}

void TelegramDocument::setView(PracticeView* view) {
    view_.store(view ? view : &nullView_, std::memory_order_release);
}

void TelegramDocument::setScoring(ScoringSink* scoring) {
    scoring_ = scoring ? scoring : &nullScoring_;
}

bool TelegramDocument::goOn() const {
    return PracticeSettings::get(settings_.goOnAfterMistakes) != 0;
}

void TelegramDocument::Lock::lock() {
    // Taken twice by one thread it would deadlock: fail at once instead.
    if (document_.heldHere())
        std::abort();
    document_.mutex_.lock();
    document_.owner_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    owns_ = true;
}

void TelegramDocument::Lock::unlock() {
    const TelegramDocument& d = document_;
    std::vector<std::function<void(PracticeView&)>> told;
    d.spaceExpected_.store(d.spaceExpectedLocked(), std::memory_order_release);
    d.telegramNumber_.store(d.pos_.telegramNumber, std::memory_order_release);
    if (d.changed_) {
        d.publishLocked();
        d.changed_ = false;
    }
    told.swap(d.told_);
    d.owner_.store(std::thread::id{}, std::memory_order_relaxed);
    owns_ = false;
    d.mutex_.unlock();
    // Published first: a view that reads the snapshot on a report finds what it reports.
    for (const auto& report : told)
        report(d.target());
}

void TelegramDocument::ToldView::tell(std::function<void(PracticeView&)> report) {
    if (document_.heldHere())
        document_.told_.push_back(std::move(report));
    else
        report(document_.target());
}

void TelegramDocument::ToldView::showMessage(const std::u16string& text) {
    tell([text](PracticeView& v) { v.showMessage(text); });
}
void TelegramDocument::ToldView::inputPaperChanged() {
    tell([](PracticeView& v) { v.inputPaperChanged(); });
}
void TelegramDocument::ToldView::papersChanged() {
    tell([](PracticeView& v) { v.papersChanged(); });
}
void TelegramDocument::ToldView::pageLabelsChanged(const PageLabels& labels) {
    if (!document_.heldHere()) {
        document_.target().pageLabelsChanged(labels);
        return;
    }
    // The labels published at the release, not these: a report made late, after another
    // thread's change, then never puts older labels back.
    const TelegramDocument& d = document_;
    d.told_.push_back([&d](PracticeView& v) { v.pageLabelsChanged(d.snapshot()->labels); });
}
void TelegramDocument::ToldView::judgementLineChanged(const std::u16string& text) {
    tell([text](PracticeView& v) { v.judgementLineChanged(text); });
}
void TelegramDocument::ToldView::statusLinesChanged(const std::u16string& line1,
                                                    const std::u16string& line2) {
    tell([line1, line2](PracticeView& v) { v.statusLinesChanged(line1, line2); });
}
void TelegramDocument::ToldView::scoreLineChanged(const std::u16string& text) {
    tell([text](PracticeView& v) { v.scoreLineChanged(text); });
}
void TelegramDocument::ToldView::resultLabelChanged(const std::u16string& text) {
    tell([text](PracticeView& v) { v.resultLabelChanged(text); });
}
void TelegramDocument::ToldView::languageChanged(bool latin) {
    tell([latin](PracticeView& v) { v.languageChanged(latin); });
}
void TelegramDocument::ToldView::speedChanged(int wpm) {
    tell([wpm](PracticeView& v) { v.speedChanged(wpm); });
}
void TelegramDocument::ToldView::pauseChanged(bool paused) {
    tell([paused](PracticeView& v) { v.pauseChanged(paused); });
}
void TelegramDocument::ToldView::sendModeChanged(bool send) {
    tell([send](PracticeView& v) { v.sendModeChanged(send); });
}
void TelegramDocument::ToldView::levelChanged(int level) {
    tell([level](PracticeView& v) { v.levelChanged(level); });
}
void TelegramDocument::ToldView::keyTypeChanged(const std::u16string& label) {
    tell([label](PracticeView& v) { v.keyTypeChanged(label); });
}
void TelegramDocument::ToldView::messageBox(const std::u16string& title, const std::u16string& text,
                                            MessageIcon icon) {
    tell([title, text, icon](PracticeView& v) { v.messageBox(title, text, icon); });
}
void TelegramDocument::ToldView::telegramResultReady(const TelegramResult& result) {
    tell([result](PracticeView& v) { v.telegramResultReady(result); });
}
bool TelegramDocument::ToldView::dismissesResultsItself() const {
    return document_.target().dismissesResultsItself();
}

bool TelegramDocument::spaceExpected() const {
    Lock l = lock();
    return spaceExpectedLocked();
}

bool TelegramDocument::spaceExpectedLocked() const {
    if (!latinMode() || pos_.telegramFinished)
        return false;
    const int section = pos_.section;
    int position = 0;
    if (section == Preamble || section == Address)
        position = sectionPositionLocked(section);
    else if (section == Text)
        position = pos_.textCursor;
    else
        return false;
    // Read in place: no copy of the field on every release of the lock.
    const SharedTelegramList set = currentSetLocked();
    const auto index = static_cast<std::size_t>(currentIndexLocked());
    if (!set || index >= set->size())
        return false;
    const std::u16string& field = (*set)[index].field(section);
    return position >= 0 && position < textLength(field) &&
           isModelBlank(field[static_cast<std::size_t>(position)]);
}

// --- state -------------------------------------------------------------------------------

bool TelegramDocument::setActive() const {
    Lock l = lock();
    return setActive_;
}

PracticePosition TelegramDocument::position() const {
    Lock l = lock();
    return pos_;
}

int TelegramDocument::telegramNumber() const {
    return position().telegramNumber;
}
int TelegramDocument::section() const {
    return position().section;
}
int TelegramDocument::textCursor() const {
    return position().textCursor;
}
int TelegramDocument::page() const {
    return position().page;
}
bool TelegramDocument::pageFollow() const {
    return position().pageFollow;
}
bool TelegramDocument::telegramFinished() const {
    return position().telegramFinished;
}
int TelegramDocument::setGeneration() const {
    return position().setGeneration;
}

int TelegramDocument::pageCapacity() const {
    return latinMode() ? kLatinPageCapacity : kJapanesePageCapacity;
}

void TelegramDocument::setSection(int section) {
    Lock l = writeLock();
    pos_.section = std::clamp(section, 0, kSectionCount - 1);
}

void TelegramDocument::setPage(int page) {
    Lock l = writeLock();
    pos_.page = page;
    clampPageLocked();
}

void TelegramDocument::setPageFollow(bool follow) {
    Lock l = writeLock();
    pos_.pageFollow = follow;
}

void TelegramDocument::setTelegramFinished(bool finished) {
    Lock l = writeLock();
    pos_.telegramFinished = finished;
}

// --- telegrams ---------------------------------------------------------------------------

SharedTelegramList TelegramDocument::currentSetLocked() const {
    if (setActive_ && set_)
        return set_;
    // The samples are static; alias them without ownership.
    return SharedTelegramList(SharedTelegramList{}, &builtInSamples(latinMode()));
}

int TelegramDocument::telegramCountLocked() const {
    if (!setActive_ || !set_)
        return 2;
    return std::max(1, static_cast<int>(set_->size()));
}

int TelegramDocument::currentIndexLocked() const {
    if (pos_.telegramNumber < 1)
        return 0;
    const int count = telegramCountLocked();
    return pos_.telegramNumber <= count ? pos_.telegramNumber - 1 : count - 1;
}

TelegramRecord TelegramDocument::record(int index) const {
    Lock l = lock();
    const SharedTelegramList set = currentSetLocked();
    if (index < 0 || index >= static_cast<int>(set->size()))
        return {};
    return (*set)[static_cast<std::size_t>(index)];
}

std::u16string TelegramDocument::fieldLocked(int index, int n) const {
    if (n < 0 || n >= kSectionCount)
        return {};
    // Only the field: the record's other fields may be as long as a whole text.
    const SharedTelegramList set = currentSetLocked();
    if (index < 0 || index >= static_cast<int>(set->size()))
        return {};
    return (*set)[static_cast<std::size_t>(index)].field(n);
}

int TelegramDocument::fieldLengthLocked(int index, int n) const {
    if (n < 0 || n >= kSectionCount)
        return 0;
    const SharedTelegramList set = currentSetLocked();
    if (index < 0 || index >= static_cast<int>(set->size()))
        return 0;
    return textLength((*set)[static_cast<std::size_t>(index)].field(n));
}

int TelegramDocument::modelLength(int section) const {
    if (section < 0 || section >= kSectionCount)
        return 0;
    Lock l = lock();
    return textLength(cachedModel().field(section));
}

std::shared_ptr<const TelegramModel> TelegramDocument::cachedModelPtr() const {
    const bool latin = latinMode();
    if (!cache_.model || cache_.telegramNumber != pos_.telegramNumber ||
        cache_.setGeneration != pos_.setGeneration || cache_.latin != latin) {
        cache_.model = std::make_shared<const TelegramModel>(modelOf(currentIndexLocked()));
        cache_.telegramNumber = pos_.telegramNumber;
        cache_.setGeneration = pos_.setGeneration;
        cache_.latin = latin;
    }
    return cache_.model;
}

TelegramModel TelegramDocument::modelOf(int index) const {
    TelegramModel m;
    const SharedTelegramList set = currentSetLocked();
    if (index < 0 || index >= static_cast<int>(set->size()))
        return m;
    const TelegramRecord& r = (*set)[static_cast<std::size_t>(index)];
    const bool latin = latinMode();
    for (int s = 0; s < kSectionCount; ++s) {
        const std::u16string& source = r.field(s);
        if (formIsSource(source, latin))
            m.setField(s, std::shared_ptr<const std::u16string>(set, &source));
        else
            m.setField(s, std::make_shared<const std::u16string>(toPracticeForm(source, latin)));
    }
    return m;
}

TelegramModel TelegramDocument::model() {
    Lock l = lock();
    return cachedModel();
}

// --- progress ----------------------------------------------------------------------------

TelegramProgress& TelegramDocument::live() {
    rebuildSavedIfNeeded();
    return saved_[static_cast<std::size_t>(currentIndexLocked())];
}

const TelegramProgress& TelegramDocument::live() const {
    static const TelegramProgress kNone;
    const auto i = static_cast<std::size_t>(currentIndexLocked());
    return i < saved_.size() ? saved_[i] : kNone;
}

TelegramProgress TelegramDocument::progress() const {
    Lock l = lock();
    return live();
}

TelegramProgress TelegramDocument::savedProgressLocked(int index) const {
    if (index < 0 || index >= static_cast<int>(saved_.size()))
        return {};
    return saved_[static_cast<std::size_t>(index)];
}

int TelegramDocument::sectionPositionLocked(int section) const {
    if (section < 0 || section >= kSectionCount)
        return 0;
    const auto& marks = live().sections[static_cast<std::size_t>(section)].judgementMarks;
    if (goOn())
        return textLength(marks);
    return static_cast<int>(std::count(marks.begin(), marks.end(), u'1'));
}

void TelegramDocument::rebuildSavedIfNeeded() {
    const auto count = static_cast<std::size_t>(telegramCountLocked());
    if (saved_.size() != count) {
        saved_.assign(count, TelegramProgress{});
        pages_.setGeneration = -1;
    }
}

// The current telegram's progress is kept in place, so saving and loading only make sure
// there is a place for every telegram of the set.
void TelegramDocument::saveProgressLocked() {
    rebuildSavedIfNeeded();
}

void TelegramDocument::loadProgressLocked() {
    rebuildSavedIfNeeded();
}

void TelegramDocument::clearAllProgressLocked() {
    const auto count = static_cast<std::size_t>(telegramCountLocked());
    saved_.assign(count, TelegramProgress{});
    // The model's pages stay those of the set; only the entries' are gone.
    if (pages_.modelPages.size() == count)
        resetPageSums();
    else
        pages_.setGeneration = -1;
}

// --- result hand-over --------------------------------------------------------------------

int TelegramDocument::practiceGeneration() const {
    Lock l = lock();
    return generation_;
}

void TelegramDocument::startNewPractice() {
    generation_ += 1;
    browse_.reset();
    pending_.reset();
    resultPending_.store(false, std::memory_order_release);
}

void TelegramDocument::holdResult(const TelegramResult& result) {
    Lock l = writeLock();
    pending_ = PendingResult{result.telegramNumber, generation_};
    resultPending_.store(true, std::memory_order_release);
}

bool TelegramDocument::dismissResult() {
    Lock l = writeLock();
    if (!pending_)
        return false;
    const PendingResult done = *pending_;
    pending_.reset();
    resultPending_.store(false, std::memory_order_release);
    if (done.generation != generation_)
        return true;  // reset or replaced while the card was open: nothing to finish
    if (done.telegramNumber < telegramCountLocked())
        advanceToTelegramLocked(done.telegramNumber + 1);
    else
        finishSet();
    return true;
}

void TelegramDocument::finishSet() {
    pos_.telegramFinished = true;
    pos_.pageFollow = false;
    scoring_->finishSet();
    view().showMessage(u"終了");
    refreshPageLabelsLocked();
    repaintBoth();
}

void TelegramDocument::repaintBoth() {
    view().papersChanged();
}

// --- operations --------------------------------------------------------------------------

bool TelegramDocument::receiving() const {
    return flags_.PlaybackRunning.load(std::memory_order_acquire) != 0 &&
           flags_.DemoMode.load(std::memory_order_relaxed) == 0;
}

void TelegramDocument::nextTelegram() {
    Lock l = writeLock();
    browse_.reset();
    saveProgressLocked();
    scoring_->clearTelegramScore();
    pos_.section = 0;
    pos_.textCursor = 0;
    pos_.page = 0;
    pos_.pageFollow = true;
    if (pos_.telegramNumber < telegramCountLocked())
        pos_.telegramNumber += 1;
    loadProgressLocked();
    refreshPageLabelsLocked();
    repaintBoth();
}

void TelegramDocument::reset() {
    Lock l = writeLock();
    startNewPractice();
    clearAllProgressLocked();
    scoring_->resetScores();
    pos_.telegramNumber = 1;
    pos_.pageFollow = true;
    pos_.section = 0;
    pos_.textCursor = 0;
    pos_.page = 0;
    pos_.telegramFinished = false;
    view().showMessage(u"");
    repaintBoth();
    refreshPageLabelsLocked();
}

void TelegramDocument::switchLanguage(bool latin) {
    Lock l = writeLock();
    switchLanguageLocked(latin);
}

void TelegramDocument::switchLanguageLocked(bool latin) {
    startNewPractice();
    latinMode_.store(latin, std::memory_order_relaxed);
    pos_.telegramNumber = 1;
    setActive_ = false;
    set_.reset();
    pos_.page = 0;
    // The progress belongs to the other language's telegrams: drop it all, so no Japanese
    // entry is shown on a Latin telegram (or the reverse) after paging.
    clearAllProgressLocked();
    pos_.setGeneration += 1;
    pos_.section = 0;
    pos_.textCursor = 0;
    pos_.telegramFinished = false;
    refreshPageLabelsLocked();
    repaintBoth();
}

bool TelegramDocument::installSet(TelegramList records, bool latin) {
    if (records.empty())
        return false;
    auto set = std::make_shared<const TelegramList>(std::move(records));
    Lock l = writeLock();
    installSetLocked(std::move(set), latin);
    return true;
}

bool TelegramDocument::installFileSet(TelegramList records, bool latin) {
    if (records.empty())
        return false;
    auto set = std::make_shared<const TelegramList>(std::move(records));
    Lock l = writeLock();
    if (!latin && latinMode()) {
        switchLanguageLocked(false);
        view().languageChanged(false);
    }
    installSetLocked(std::move(set), latin);
    return true;
}

void TelegramDocument::installSetLocked(SharedTelegramList set, bool latin) {
    startNewPractice();
    set_ = std::move(set);
    setActive_ = true;
    pos_.setGeneration += 1;
    if (latin && !latinMode()) {
        latinMode_.store(true, std::memory_order_relaxed);
        view().languageChanged(true);
    }
    clearAllProgressLocked();
    pos_.telegramNumber = 1;
    pos_.section = 0;
    pos_.textCursor = 0;
    pos_.page = 0;
    pos_.telegramFinished = false;
    loadProgressLocked();
    refreshPageLabelsLocked();
    repaintBoth();
}

void TelegramDocument::advanceToTelegramLocked(int number) {
    browse_.reset();
    number = std::clamp(number, 1, telegramCountLocked());
    if (number != pos_.telegramNumber) {
        saveProgressLocked();
        scoring_->clearTelegramScore();
        pos_.section = 0;
        pos_.textCursor = 0;
        pos_.pageFollow = true;
        pos_.telegramNumber = number;
        loadProgressLocked();
    }
    pos_.page = 0;
    refreshPageLabelsLocked();
    repaintBoth();
}

void TelegramDocument::enterPlaybackBlank(int run, const std::function<bool()>& spaceExpected) {
    // Asked and entered under one lock, so the decoder's own word gap cannot add a second
    // blank in between.
    Lock l = writeLock();
    const bool expected = spaceExpected && spaceExpected();
    if (expected && flags_.runCurrent(run))
        enterCharacterLocked(u' ');
}

void TelegramDocument::showPlaybackTelegram(int run, int number) {
    Lock l = writeLock();
    if (flags_.runCurrent(run))
        advanceToTelegramLocked(number);
}

void TelegramDocument::showPlaybackMessage(int run, const std::u16string& text) {
    Lock l = lock();
    if (flags_.runCurrent(run))
        view().showMessage(text);
}

// --- public entries: one hold of the lock each ------------------------------------------

SharedTelegramList TelegramDocument::currentSet() const {
    Lock l = lock();
    return currentSetLocked();
}

int TelegramDocument::telegramCount() const {
    Lock l = lock();
    return telegramCountLocked();
}

int TelegramDocument::currentIndex() const {
    Lock l = lock();
    return currentIndexLocked();
}

int TelegramDocument::fieldLength(int index, int n) const {
    Lock l = lock();
    return fieldLengthLocked(index, n);
}

std::u16string TelegramDocument::field(int index, int n) const {
    Lock l = lock();
    return fieldLocked(index, n);
}

int TelegramDocument::sectionPosition(int section) const {
    Lock l = lock();
    return sectionPositionLocked(section);
}

TelegramProgress TelegramDocument::savedProgress(int index) const {
    Lock l = lock();
    return savedProgressLocked(index);
}

void TelegramDocument::saveProgress() {
    Lock l = writeLock();
    saveProgressLocked();
}

void TelegramDocument::loadProgress() {
    Lock l = writeLock();
    loadProgressLocked();
}

void TelegramDocument::clearAllProgress() {
    Lock l = writeLock();
    clearAllProgressLocked();
}

void TelegramDocument::advanceToTelegram(int number) {
    Lock l = writeLock();
    advanceToTelegramLocked(number);
}

}  // namespace quorvel
