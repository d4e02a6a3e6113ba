#include "ui/paper_content.h"

namespace quorvel::ui {

PaperContent paperContent(PaperKind kind, const TelegramModel& model,
                          const TelegramProgress& progress, const PracticePosition& position,
                          bool latin, const PracticeSettings& settings) {
    PaperContent c;
    c.latin = latin;
    if (kind == PaperKind::Model) {
        for (int s = 0; s < kSectionCount; ++s)
            c.fields[static_cast<std::size_t>(s)] = model.field(s);
    } else {
        for (int s = 0; s < kSectionCount; ++s) {
            const auto i = static_cast<std::size_t>(s);
            c.fields[i] = progress.sections[i].enteredText;
            c.marks[i] = progress.sections[i].judgementMarks;
        }
    }
    c.modelText = model.text();
    c.page = position.page;
    c.sendMode = PracticeSettings::get(settings.Mode) == 1;
    c.showNextHint = PracticeSettings::get(settings.ShowNextHint) != 0;
    c.section = position.section;
    c.textCursor = position.textCursor;
    return c;
}

PaperContent paperContent(const PracticeSnapshot& snapshot, const PracticeSettings& settings,
                          PaperKind kind) {
    return paperContent(kind, *snapshot.model, snapshot.progress, snapshot.position,
                        snapshot.latinMode, settings);
}

}  // namespace quorvel::ui
