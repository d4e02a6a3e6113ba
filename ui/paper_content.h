// What one telegram paper shows, copied out of the engine so painting never touches the document.
#pragma once

#include <array>
#include <string>

#include "practice/document.h"
#include "practice/telegram.h"
#include "storage/settings.h"

namespace quorvel::ui {

enum class PaperKind { Model, Input };

struct PaperContent {
    bool latin = false;
    // Model paper: practice forms of the six fields. Input paper: the entered texts.
    std::array<std::u16string, kSectionCount> fields;
    // Judgement marks per field ("1" right); empty on the model paper.
    std::array<std::u16string, kSectionCount> marks;
    // Practice form of the model text, for the next-character hint of the input paper.
    std::u16string modelText;
    int page = 0;  // 0-based; a page holds 60 (Japanese) or 208 (Latin) text characters
    bool sendMode = false;
    bool showNextHint = true;
    int section = 0;
    int textCursor = 0;
};

PaperContent paperContent(PaperKind kind, const TelegramModel& model,
                          const TelegramProgress& progress, const PracticePosition& position,
                          bool latin, const PracticeSettings& settings);
PaperContent paperContent(const PracticeSnapshot& snapshot, const PracticeSettings& settings,
                          PaperKind kind);

}  // namespace quorvel::ui
