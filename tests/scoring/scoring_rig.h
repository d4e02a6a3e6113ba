// A document with scoring attached, a recording view, a hand-set clock and log files in a
// fresh directory.
#pragma once

#include "practice/document.h"
#include "practice/scoring.h"
#include "tests/support/recording_view.h"
#include "tests/support/temp_dir.h"

namespace quorvel::test {

class CountingView : public RecordingView {
  public:
    void judgementLineChanged(const std::u16string& text) override {
        ++judgementWrites;
        RecordingView::judgementLineChanged(text);
    }
    int judgementWrites = 0;
};

struct ScoringRig {
    ScoringRig() {
        document.setView(&view);
        document.setScoring(&scoring);
    }

    // A set of Japanese telegrams holding only a text, so entry starts in the text.
    void installTexts(std::initializer_list<std::u16string> texts, bool latin = false) {
        TelegramList list;
        for (const auto& t : texts) {
            TelegramRecord r;
            if (latin)
                r.preamble = t;
            else
                r.text = t;
            list.push_back(r);
        }
        document.installSet(list, latin);
    }

    void score(int correct, int wrong, char16_t model = u'ア') {
        for (int i = 0; i < correct; ++i)
            scoring.scoreCharacter(model, model, true);
        for (int i = 0; i < wrong; ++i)
            scoring.scoreCharacter(model, u'イ', false);
    }

    TempDir dir;
    PracticeSettings settings;
    SharedFlags flags;
    TelegramDocument document{settings, flags};
    CountingView view;
    ManualScoringClock clock{5000, {2024, 5, 6, 7, 8, 9}};
    ScoringFiles files{dir / "telegram_practice_log.csv", dir / "telegram_practice_char_log.csv",
                       dir / "telegram_practice_log.txt", false};
    Scoring scoring{settings, flags, document, clock, files};
};

}  // namespace quorvel::test
