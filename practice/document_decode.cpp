// The decoder's steps on the document: a decoded character code or a word gap, each decided and
// applied under one hold of the lock, so no other thread's change lands between the reading and
// the writing.
#include "morse/code_tables.h"
#include "practice/document.h"

namespace quorvel {

void TelegramDocument::enterWordGap() {
    Lock l = writeLock();
    if (spaceExpectedLocked())
        enterCharacterLocked(u' ');
}

void TelegramDocument::reportElement(char16_t mark, std::uint32_t durationMs, std::uint32_t time) {
    Lock l = lock();
    scoring_->reportElement(mark, durationMs, time);
}

std::optional<TelegramResult> TelegramDocument::enterCode(std::string_view code) {
    Lock l = writeLock();
    // A finished set takes nothing more: an end signal would open its last card again and a
    // correction would cut characters off the finished telegram.
    if (pos_.telegramFinished)
        return std::nullopt;
    const bool latin = latinMode();
    if (latin) {
        if (flags_.leadInActive())
            return std::nullopt;
        if (code == kSignalCorrection && goOn()) {
            stepBackLocked();
            return std::nullopt;
        }
        if (code == kSignalBT) {
            separator();
            return std::nullopt;
        }
        if (code == kSignalAR) {
            const int textEnd = fieldLengthLocked(currentIndexLocked(), Text);
            if (pos_.section == Text && pos_.textCursor >= textEnd)
                return endOfTelegram();
            misplaced();
            return std::nullopt;
        }
        // Sending practice has no use for the page-turn request in Latin.
        if (code == kSignalPageTurn && PracticeSettings::get(settings_.Mode) == 1) {
            misplaced();
            return std::nullopt;
        }
    } else {
        // The numerals below depend on the section, so it must already be past any section
        // that is empty or complete (entering would skip them only at the next character).
        skipCompleteSections();
        if (pos_.section == FilingTime) {
            if (auto numeral = cutNumeralCharacter(code)) {
                enterCharacterLocked(*numeral);
                return std::nullopt;
            }
        }
        // Sent by the receive playback between telegrams; as "?" it would open every later
        // telegram with a wrong character.
        if (code == kSignalTelegramSeparator)
            return std::nullopt;
    }
    if (code == kSignalPageTurn) {
        pageTurnRequest();
        return std::nullopt;
    }
    if (code == kSignalVE) {
        if (pos_.section == Text && pos_.textCursor >= textLength(cachedModel().text()))
            return endOfTelegram();
        if (goOn())
            stepBackLocked();
        return std::nullopt;
    }
    enterCharacterLocked(decodeCode(activeDecodeTable(latin), code));
    return std::nullopt;
}

void TelegramDocument::misplaced() {
    if (goOn())
        enterCharacterLocked(kUnknownCharacter);
}

void TelegramDocument::skipCompleteSections() {
    while (pos_.section < Text &&
           sectionPositionLocked(pos_.section) >= textLength(cachedModel().field(pos_.section)))
        pos_.section += 1;
}

void TelegramDocument::separator() {
    const int index = currentIndexLocked();
    int next = -1;
    if (pos_.section == Preamble &&
        sectionPositionLocked(Preamble) >= fieldLengthLocked(index, Preamble))
        next = Address;
    else if (pos_.section == Address &&
             sectionPositionLocked(Address) >= fieldLengthLocked(index, Address))
        next = Text;
    if (next < 0) {
        misplaced();
        return;
    }
    pos_.section = next;
    rebuildSavedIfNeeded();
    refreshPageLabelsLocked();
    view().papersChanged();
}

void TelegramDocument::pageTurnRequest() {
    const int cursor = pos_.textCursor;
    const int capacity = pageCapacity();
    if (pos_.section != Text || cursor <= 0 || cursor % capacity != 0 || !pos_.pageFollow)
        return;
    pos_.page = cursor / capacity;
    clampPageLocked();
    refreshPageLabelsLocked();
    view().papersChanged();
}

TelegramResult TelegramDocument::endOfTelegram() {
    TelegramResult result = scoring_->resultSnapshot();
    result.telegramNumber = pos_.telegramNumber;
    result.latinMode = latinMode();
    result.hasNext = result.telegramNumber < telegramCountLocked();
    pending_ = PendingResult{result.telegramNumber, generation_};
    resultPending_.store(true, std::memory_order_release);
    return result;
}

}  // namespace quorvel
