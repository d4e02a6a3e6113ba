// The telegram document: the current set, the learner's progress, the position and the pages.
// One object per engine context; every operation takes the document lock, and every change is
// published as an immutable snapshot that readers take without it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "keying/shared_flags.h"
#include "practice/document_pages.h"
#include "practice/practice_view.h"
#include "practice/scoring_sink.h"
#include "practice/telegram.h"
#include "storage/settings.h"

namespace quorvel {

struct SectionProgress {
    std::u16string enteredText;     // model character where right, keyed character where wrong
    std::u16string judgementMarks;  // "1" right, "0" wrong, one per position
    bool operator==(const SectionProgress&) const = default;
};

struct TelegramProgress {
    std::array<SectionProgress, kSectionCount> sections;
    bool operator==(const TelegramProgress&) const = default;
};

struct PracticePosition {
    int telegramNumber = 1;  // 1-based
    int section = 0;         // 0-5
    int textCursor = 0;      // index into the practice form of the text
    int page = 0;            // 0-based page of the current telegram
    bool pageFollow = true;
    bool telegramFinished = false;
    int setGeneration = 0;
};

// Practice forms of the current telegram's six fields. A field whose practice form is its own
// source (a Latin text, as a rule) is the set's string, shared rather than copied.
class TelegramModel {
  public:
    const std::u16string& field(int section) const;
    const std::u16string& text() const { return field(Text); }
    void setField(int section, std::shared_ptr<const std::u16string> form);

  private:
    std::array<std::shared_ptr<const std::u16string>, kSectionCount> fields_;
};

// A blank of a Latin model: a space or a tab, filled in by the document itself.
inline bool isModelBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}
inline int textLength(const std::u16string& s) {
    return static_cast<int>(s.size());
}

inline constexpr int kJapanesePageCapacity = 60;
inline constexpr int kLatinPageCapacity = 208;

// Everything the papers and labels need, as of one change of the document. Never changed once
// published; the model is shared with the document and the snapshots before it.
struct PracticeSnapshot {
    bool latinMode = false;
    bool setActive = false;
    SharedTelegramList set;  // the installed set, or the samples of the language
    PracticePosition position;
    int telegramCount = 0;
    int pageCapacity = kJapanesePageCapacity;
    std::shared_ptr<const TelegramModel> model = std::make_shared<const TelegramModel>();
    TelegramProgress progress;
    PageLabels labels;
};
using SharedSnapshot = std::shared_ptr<const PracticeSnapshot>;

class TelegramDocument {
  public:
    TelegramDocument(const PracticeSettings& settings, const SharedFlags& flags);
    TelegramDocument(const TelegramDocument&) = delete;
    TelegramDocument& operator=(const TelegramDocument&) = delete;

    // Wiring, before any worker thread starts; the view may also be detached (null) while
    // threads still run, as shutdown does: they then report to no one.
    void setView(PracticeView* view);
    void setScoring(ScoringSink* scoring);
    // The view as the engine reports to it: a report made under the document lock is held
    // until the release has published the change, and made after it.
    PracticeView& view() const { return toldView_; }
    ScoringSink& scoring() const { return *scoring_; }

    // Whether a Latin word gap would fill a blank of the model at the cursor, as of the last
    // change. Takes no lock: the keying thread asks it on every sample of a pause.
    bool spaceExpectedNow() const { return spaceExpected_.load(std::memory_order_acquire); }
    // The same answer computed now, under the lock.
    bool spaceExpected() const;
    // The practice's telegram number as of the last release (not the browsed one); takes no
    // lock, so scoring may ask it while the document holds the lock to score.
    int telegramNumberNow() const { return telegramNumber_.load(std::memory_order_acquire); }

    // State.
    bool latinMode() const { return latinMode_.load(std::memory_order_relaxed); }
    bool setActive() const;
    PracticePosition position() const;
    int telegramNumber() const;
    int section() const;
    int textCursor() const;
    int page() const;
    bool pageFollow() const;
    bool telegramFinished() const;
    int setGeneration() const;
    int pageCapacity() const;
    void setSection(int section);
    void setPage(int page);
    void setPageFollow(bool follow);
    void setTelegramFinished(bool finished);

    // Telegrams.
    int telegramCount() const;
    int currentIndex() const;
    std::u16string field(int index, int n) const;
    // Lengths without a copy: the decoder asks them on every character.
    int fieldLength(int index, int n) const;
    int modelLength(int section) const;
    TelegramRecord record(int index) const;
    // The installed set, or the samples of the language while none is active. A reader keeps
    // it alive however often the set is replaced meanwhile.
    SharedTelegramList currentSet() const;
    // Practice forms of the current telegram, cached by (telegramNumber, setGeneration).
    TelegramModel model();

    // Progress.
    TelegramProgress progress() const;
    TelegramProgress savedProgress(int index) const;
    int sectionPosition(int section) const;
    void saveProgress();
    void loadProgress();
    void clearAllProgress();

    // Pages.
    int modelPages();
    int inputPages() const;
    int telegramPages(int index);
    int totalPages();
    int globalPage();
    std::u16string pageSlice(std::u16string_view fieldText) const;
    void clampPage();
    PageLabels pageLabels();
    void refreshPageLabels();

    // The latest published snapshot; takes no document lock.
    SharedSnapshot snapshot() const;

    // The result card hand-over. A completed telegram's result stays pending until it is
    // dismissed; the consumer handles no keying event meanwhile.
    void holdResult(const TelegramResult& result);
    bool resultPending() const { return resultPending_.load(std::memory_order_acquire); }
    // Releases a pending result and runs the next-telegram step: the next telegram, or the end
    // of the set after the last. Nothing moves when the practice was reset, replaced or
    // switched since the result was recorded. False when nothing was pending.
    bool dismissResult();
    // Counts resets, new sets and language switches: a pending result of an older practice
    // is dropped.
    int practiceGeneration() const;

    // Operations of the window, the decoder and the playback.
    void previousPage();
    void nextPage();
    void nextTelegram();
    void reset();
    void switchLanguage(bool latin);
    void enterCharacter(char16_t c);
    void stepBack();
    void followCursor(int modelLength);
    // Installs a loaded or generated set; latin switches the practice to Latin (a Japanese set
    // leaves the language as it is). An empty list changes nothing and returns false.
    bool installSet(TelegramList records, bool latin);
    // The same for a set read from a file, which also switches a Latin practice to Japanese
    // for a Japanese set: kana have no Latin codes, so it could not be keyed.
    bool installFileSet(TelegramList records, bool latin);
    // Moves the practice to telegram `number` (1-based, clamped to the set): the current
    // telegram's progress saved, the telegram score cleared, the cursor at the start of
    // telegram `number`, page 0. Already there, only the page returns to 0. The playback and
    // the closing of a result card both use it, in either order.
    void advanceToTelegram(int number);

    // The decoder's operations, each decided and applied under one hold of the lock.
    // A word gap: a blank where the Latin model has one at the reception.
    void enterWordGap();
    void reportElement(char16_t mark, std::uint32_t durationMs, std::uint32_t time);
    // One decoded character code, procedure signals included. When it completes the telegram,
    // the result is held pending and returned, for the caller to report as a card after the
    // release.
    std::optional<TelegramResult> enterCode(std::string_view code);

    // A playback run's commands. Each carries its run and is dropped unless that run is still
    // the current one when the lock is held, so a playback that stalled anywhere in a step
    // writes nothing into the run started meanwhile.
    // A blank of the Latin model, entered when spaceExpected() says the reception is at one.
    void enterPlaybackBlank(int run, const std::function<bool()>& spaceExpected);
    void showPlaybackTelegram(int run, int number);
    void showPlaybackMessage(int run, const std::u16string& text);

  private:
    // The document lock, held once by each public operation and never taken again inside one.
    // Its release publishes what lock-free readers need (spaceExpectedNow, the snapshot), so
    // every change, by whichever operation, is published, and only then tells the view what the
    // holder reported meanwhile.
    class Lock {
      public:
        explicit Lock(const TelegramDocument& document) : document_(document) { lock(); }
        ~Lock() {
            if (owns_)
                unlock();
        }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
        void lock();
        void unlock();

      private:
        friend class TelegramDocument;
        enum class Write { Yes };
        // A holder that changes the document: its release publishes a new snapshot.
        Lock(const TelegramDocument& document, Write) : document_(document) {
            lock();
            document_.changed_ = true;
        }
        const TelegramDocument& document_;
        bool owns_ = false;
    };

    Lock lock() const { return Lock(*this); }
    // Holds the view's reports made under the lock for its release.
    class ToldView final : public PracticeView {
      public:
        explicit ToldView(const TelegramDocument& document) : document_(document) {}
        void showMessage(const std::u16string& text) override;
        void inputPaperChanged() override;
        void papersChanged() override;
        void pageLabelsChanged(const PageLabels& labels) override;
        void judgementLineChanged(const std::u16string& text) override;
        void statusLinesChanged(const std::u16string& line1, const std::u16string& line2) override;
        void scoreLineChanged(const std::u16string& text) override;
        void resultLabelChanged(const std::u16string& text) override;
        void languageChanged(bool latin) override;
        void speedChanged(int wpm) override;
        void pauseChanged(bool paused) override;
        void sendModeChanged(bool send) override;
        void levelChanged(int level) override;
        void keyTypeChanged(const std::u16string& label) override;
        void messageBox(const std::u16string& title, const std::u16string& text,
                        MessageIcon icon) override;
        void telegramResultReady(const TelegramResult& result) override;
        bool dismissesResultsItself() const override;

      private:
        void tell(std::function<void(PracticeView&)> report);
        const TelegramDocument& document_;
    };
    PracticeView& target() const { return *view_.load(std::memory_order_acquire); }
    bool heldHere() const {
        return owner_.load(std::memory_order_relaxed) == std::this_thread::get_id();
    }
    Lock writeLock() { return Lock(*this, Lock::Write::Yes); }
    void publishLocked() const;

    struct Cache {
        int telegramNumber = -1;
        int setGeneration = -1;
        bool latin = false;
        std::shared_ptr<const TelegramModel> model;
    };
    // Page counts of every telegram, made once per set generation; only the current
    // telegram's count moves while it is keyed.
    struct SetPages {
        int setGeneration = -1;
        bool latin = false;
        std::vector<int> modelPages;
        PageSums pages;
        int lastCurrent = -1;  // index whose count may be stale since the last sync
    };

    bool goOn() const;
    // Parts of enterCode (document_decode.cpp).
    void misplaced();
    void skipCompleteSections();
    void separator();
    void pageTurnRequest();
    TelegramResult endOfTelegram();
    struct PendingResult {
        int telegramNumber = 0;
        int generation = 0;
    };

    // While a receive run plays, paging only browses: the practice position stays on the
    // telegram being received, and the papers show this page until the next character.
    struct Browse {
        int telegramNumber = 1;
        int page = 0;
    };
    bool receiving() const;
    // Moves the browsed page; false at either end of the set.
    bool browse(int step);
    // Makes the browsed page the practice's own (paging after the run).
    void adoptBrowse();
    PageLabels labelsFor(int index, int page) const;
    TelegramModel modelOf(int index) const;

    bool spaceExpectedLocked() const;
    // The bodies of the public entries, for callers already holding the lock.
    SharedTelegramList currentSetLocked() const;
    int telegramCountLocked() const;
    int currentIndexLocked() const;
    int fieldLengthLocked(int index, int n) const;
    std::u16string fieldLocked(int index, int n) const;
    int sectionPositionLocked(int section) const;
    TelegramProgress savedProgressLocked(int index) const;
    void saveProgressLocked();
    void loadProgressLocked();
    void clearAllProgressLocked();
    int modelPagesLocked();
    int inputPagesLocked() const;
    void clampPageLocked();
    PageLabels pageLabelsLocked();
    void refreshPageLabelsLocked();
    void advanceToTelegramLocked(int number);
    void enterCharacterLocked(char16_t c);
    void followCursorLocked(int modelLength);
    void stepBackLocked();
    void switchLanguageLocked(bool latin);
    void installSetLocked(SharedTelegramList set, bool latin);
    const TelegramModel& cachedModel() const { return *cachedModelPtr(); }
    std::shared_ptr<const TelegramModel> cachedModelPtr() const;
    void rebuildSavedIfNeeded();
    // The progress of the current telegram: kept in place among the others, so moving on
    // copies nothing.
    TelegramProgress& live();
    const TelegramProgress& live() const;
    void ensurePages() const;
    void resetPageSums() const;
    const SetPages& syncedPages() const;
    int inputPagesOf(const TelegramProgress& progress) const;
    int modelPagesOf(int index) const;
    int telegramPagesOf(int index) const;
    PageLabels labelsOf() const;
    void startNewPractice();
    void finishSet();
    void enterInSection(int section, char16_t c);
    void enterInText(char16_t c);
    void store(SectionProgress& sp, int pos, char16_t c, char16_t mark);
    void repaintBoth();

    const PracticeSettings& settings_;
    const SharedFlags& flags_;
    NullScoring nullScoring_;
    PracticeView nullView_;
    std::atomic<PracticeView*> view_{&nullView_};
    mutable ToldView toldView_{*this};
    ScoringSink* scoring_ = &nullScoring_;

    mutable std::mutex mutex_;
    mutable std::atomic<std::thread::id> owner_{};  // the holder of mutex_
    mutable bool changed_ = false;                  // under mutex_: publish at the release
    mutable std::vector<std::function<void(PracticeView&)>> told_;  // under mutex_
    mutable std::mutex publishMutex_;                               // only for the swap
    mutable SharedSnapshot published_;                              // under publishMutex_
    mutable std::atomic<bool> spaceExpected_{false};
    mutable std::atomic<int> telegramNumber_{1};  // the practice's, as of the last release
    std::atomic<bool> latinMode_{false};
    bool setActive_ = false;
    SharedTelegramList set_;
    PracticePosition pos_;
    std::vector<TelegramProgress> saved_;  // one per telegram of the set, the current one live
    mutable Cache cache_;
    mutable SetPages pages_;
    int generation_ = 0;
    std::optional<PendingResult> pending_;
    std::optional<Browse> browse_;
    // Mirrors pending_ for readers that take no lock (the consumer's hold, the window).
    std::atomic<bool> resultPending_{false};
};

}  // namespace quorvel
