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
    // The settings and flags are the document's own now; kept so every caller wires it alike.
    KeyingDecoder(const PracticeSettings& settings, const SharedFlags& flags,
                  TelegramDocument& document);

    // Applies one dequeued event: elements to scoring, characters and word gaps to the document.
    void handle(const KeyingEvent& event);
    void decodeCharacter(std::string_view code);
    void wordGap();

  private:
    TelegramDocument& document_;
};

}  // namespace quorvel
