// A trainer recording what it reports, for whole receive runs in simulated time.
#pragma once

#include <gtest/gtest.h>

#include "engine/simulated_run.h"
#include "tests/support/recording_view.h"

namespace quorvel::test {

// A whole receive run in simulated time; the reception is the decoder's reading of it.
struct ReceiveRun {
    explicit ReceiveRun(bool latin, int wpm) {
        trainer.setView(&view);
        if (latin)
            trainer.switchLanguage(true);
        trainer.settings().WPM = wpm;
    }
    ManualScoringClock clock;
    RecordingView view;  // outlives the trainer, which reports to it
    Trainer trainer{options()};
    TrainerOptions options() {
        TrainerOptions o;
        o.clock = &clock;
        return o;
    }
};

inline void expectBothTelegramsReceived(ReceiveRun& run, bool latin, int wpm) {
    TelegramDocument& doc = run.trainer.document();
    ASSERT_EQ(run.view.results.size(), 2u) << "wpm " << wpm;
    EXPECT_TRUE(doc.telegramFinished());
    const int sections[] = {Preamble, Office, Serial, FilingTime, Address, Text};
    for (int t = 0; t < 2; ++t) {
        const TelegramRecord r = doc.record(t);
        const TelegramProgress p = doc.savedProgress(t);
        for (int s : sections) {
            if (latin && s != Preamble && s != Address && s != Text)
                continue;
            const auto& sp = p.sections[static_cast<std::size_t>(s)];
            EXPECT_EQ(sp.enteredText, toPracticeForm(r.field(s), latin))
                << "wpm " << wpm << " telegram " << t + 1 << " section " << s;
            EXPECT_EQ(sp.judgementMarks.find(u'0'), std::u16string::npos);
            EXPECT_EQ(sp.enteredText.find(u'?'), std::u16string::npos);
        }
    }
}

}  // namespace quorvel::test
