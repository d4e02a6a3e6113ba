#include "keying/decoder.h"

#include "morse/code_tables.h"

namespace quorvel {
KeyingDecoder::KeyingDecoder(const PracticeSettings& settings, const SharedFlags& flags,
                             TelegramDocument& document)
    : settings_(settings), flags_(flags), document_(document) {}

bool KeyingDecoder::goOn() const {
    return PracticeSettings::get(settings_.goOnAfterMistakes) != 0;
}

void KeyingDecoder::handle(const KeyingEvent& event) {
    switch (event.kind) {
        case KeyingEventKind::Element: {
            // Scoring is serialised by the document lock like every other scoring call.
            TelegramDocument::Lock lock = document_.lock();
            document_.scoring().reportElement(event.mark, event.duration, event.time);
            break;
        }
        case KeyingEventKind::Character:
            decodeCharacter(event.code());
            break;
        case KeyingEventKind::WordGap:
            wordGap();
            break;
    }
}

void KeyingDecoder::wordGap() {
    TelegramDocument::Lock lock = document_.lock();
    if (document_.spaceExpected())
        document_.enterCharacter(u' ');
}

void KeyingDecoder::misplaced() {
    if (goOn())
        document_.enterCharacter(kUnknownCharacter);
}

void KeyingDecoder::decodeCharacter(std::string_view code) {
    TelegramDocument::Lock lock = document_.lock();
    // A finished set takes nothing more: an end signal would open its last card again and a
    // correction would cut characters off the finished telegram.
    if (document_.telegramFinished())
        return;
    const bool latin = document_.latinMode();
    if (latin) {
        if (flags_.leadInActive())
            return;
        if (code == kSignalCorrection && goOn()) {
            document_.stepBack();
            return;
        }
        if (code == kSignalBT) {
            separator();
            return;
        }
        if (code == kSignalAR) {
            const int textEnd = document_.fieldLength(document_.currentIndex(), Text);
            if (document_.section() == Text && document_.textCursor() >= textEnd)
                endOfTelegram(lock);
            else
                misplaced();
            return;
        }
        // Sending practice has no use for the page-turn request in Latin.
        if (code == kSignalPageTurn && PracticeSettings::get(settings_.Mode) == 1) {
            misplaced();
            return;
        }
    } else {
        // The numerals below depend on the section, so it must already be past any section
        // that is empty or complete (the document would skip them only at the next entry).
        skipCompleteSections();
        if (document_.section() == FilingTime) {
            if (auto numeral = cutNumeralCharacter(code)) {
                document_.enterCharacter(*numeral);
                return;
            }
        }
        // Sent by the receive playback between telegrams; as "?" it would open every later
        // telegram with a wrong character.
        if (code == kSignalTelegramSeparator)
            return;
    }
    if (code == kSignalPageTurn) {
        pageTurnRequest();
        return;
    }
    if (code == kSignalVE) {
        const int modelLength = document_.modelLength(Text);
        if (document_.section() == Text && document_.textCursor() >= modelLength)
            endOfTelegram(lock);
        else if (goOn())
            document_.stepBack();
        return;
    }
    document_.enterCharacter(decodeCode(activeDecodeTable(latin), code));
}

void KeyingDecoder::skipCompleteSections() {
    int section = document_.section();
    while (section < Text && document_.sectionPosition(section) >= document_.modelLength(section))
        ++section;
    if (section != document_.section())
        document_.setSection(section);
}

void KeyingDecoder::separator() {
    const int index = document_.currentIndex();
    const int section = document_.section();
    int next = -1;
    if (section == Preamble &&
        document_.sectionPosition(Preamble) >= document_.fieldLength(index, Preamble))
        next = Address;
    else if (section == Address &&
             document_.sectionPosition(Address) >= document_.fieldLength(index, Address))
        next = Text;
    if (next < 0) {
        misplaced();
        return;
    }
    document_.setSection(next);
    document_.saveProgress();
    document_.refreshPageLabels();
    document_.view().papersChanged();
}

void KeyingDecoder::pageTurnRequest() {
    const int cursor = document_.textCursor();
    const int capacity = document_.pageCapacity();
    if (document_.section() != Text || cursor <= 0 || cursor % capacity != 0)
        return;
    if (!document_.pageFollow())
        return;
    document_.setPage(cursor / capacity);
    document_.refreshPageLabels();
    document_.view().papersChanged();
}

void KeyingDecoder::endOfTelegram(TelegramDocument::Lock& lock) {
    TelegramResult result = document_.scoring().resultSnapshot();
    result.telegramNumber = document_.telegramNumber();
    result.latinMode = document_.latinMode();
    result.hasNext = result.telegramNumber < document_.telegramCount();
    document_.holdResult(result);
    // The view may read the document while it reports the card.
    lock.unlock();
    PracticeView& view = document_.view();
    view.telegramResultReady(result);
    if (view.dismissesResultsItself())
        document_.dismissResult();
}

}  // namespace quorvel
