// The consumer side of the keying decoder: character codes, procedure signals and word gaps
// applied to the telegram document, and the end of a telegram with its result card.
#pragma once

#include <string_view>

#include "keying/shared_flags.h"
#include "morse/character_assembler.h"
#include "practice/document.h"
#include "storage/settings.h"

namespace quorvel {

class KeyingDecoder {
  public:
    KeyingDecoder(const PracticeSettings& settings, const SharedFlags& flags,
                  TelegramDocument& document);

    // Applies one dequeued event: elements to scoring, characters and word gaps to the document.
    void handle(const KeyingEvent& event);
    void decodeCharacter(std::string_view code);
    void wordGap();

  private:
    void misplaced();
    void separator();
    void pageTurnRequest();
    void skipCompleteSections();
    // Records the telegram's result as pending and reports it to the view without the
    // document lock; the next-telegram step runs when the result is dismissed.
    void endOfTelegram(TelegramDocument::Lock& lock);
    bool goOn() const;

    const PracticeSettings& settings_;
    const SharedFlags& flags_;
    TelegramDocument& document_;
};

}  // namespace quorvel
