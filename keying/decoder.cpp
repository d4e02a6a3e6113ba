#include "keying/decoder.h"

namespace quorvel {
KeyingDecoder::KeyingDecoder(const PracticeSettings&, const SharedFlags&,
                             TelegramDocument& document)
    : document_(document) {}

void KeyingDecoder::handle(const KeyingEvent& event) {
    switch (event.kind) {
        case KeyingEventKind::Element:
            document_.reportElement(event.mark, event.duration, event.time);
            break;
        case KeyingEventKind::Character:
            decodeCharacter(event.code());
            break;
        case KeyingEventKind::WordGap:
            wordGap();
            break;
    }
}

void KeyingDecoder::wordGap() {
    document_.enterWordGap();
}

void KeyingDecoder::decodeCharacter(std::string_view code) {
    const std::optional<TelegramResult> result = document_.enterCode(code);
    if (!result)
        return;
    // Reported after the document is released: the view may read it while it shows the card.
    PracticeView& view = document_.view();
    view.telegramResultReady(*result);
    if (view.dismissesResultsItself())
        document_.dismissResult();
}

}  // namespace quorvel
