// What the engine reports to the window. Every call may come from any thread; the front end
// moves it to its own thread. Default bodies do nothing, so a view overrides what it shows.
#pragma once

#include <string>

namespace quorvel {

enum class MessageIcon { Information, Warning, Error };

// Snapshot of the telegram just completed, shown on the result card.
struct TelegramResult {
    int telegramNumber = 0;
    int scoredCount = 0;
    int scoredCorrect = 0;
    int scoredWrong = 0;
    int rate = 0;  // percent
    int points = 0;
    int maxPoints = 0;
    int penalty = 0;
    bool latinMode = false;
    bool hasNext = false;
};

struct PageLabels {
    std::u16string paper;   // "%d/%d" under each paper
    std::u16string centre;  // "%d通目 %d/%dページ  全体 %d/%d"
};

class PracticeView {
  public:
    virtual ~PracticeView() = default;

    // The one-line message label ("自動改ページ", "終了", ...). Empty text clears it.
    virtual void showMessage(const std::u16string& /*text*/) {}
    // Repaint requests for the papers.
    virtual void inputPaperChanged() {}
    virtual void papersChanged() {}
    virtual void pageLabelsChanged(const PageLabels& /*labels*/) {}
    // The judgement line above the papers ("次:%s 入:%s 判:%s").
    virtual void judgementLineChanged(const std::u16string& /*text*/) {}
    // The two status lines (speed/element report and run tally).
    virtual void statusLinesChanged(const std::u16string& /*line1*/,
                                    const std::u16string& /*line2*/) {}
    virtual void scoreLineChanged(const std::u16string& /*text*/) {}
    virtual void resultLabelChanged(const std::u16string& /*text*/) {}
    // The practice language changed without a language button (a Latin set was installed).
    virtual void languageChanged(bool /*latin*/) {}
    virtual void speedChanged(int /*wpm*/) {}
    // The pause button shows "再開" while paused, else "一旦停止".
    virtual void pauseChanged(bool /*paused*/) {}
    // The practice mode radio buttons: true selects "送信" (a demo selects it).
    virtual void sendModeChanged(bool /*send*/) {}
    virtual void levelChanged(int /*level*/) {}
    virtual void keyTypeChanged(const std::u16string& /*label*/) {}
    virtual void messageBox(const std::u16string& /*title*/, const std::u16string& /*text*/,
                            MessageIcon /*icon*/) {}
    // A telegram was completed and its result card is pending. Returns at once: the engine
    // holds further keying events until the front end calls Trainer::dismissResult().
    virtual void telegramResultReady(const TelegramResult& /*result*/) {}
    // A view with no card to show (a printer, a recorder) answers true: the engine then
    // dismisses each result itself as soon as it was reported.
    virtual bool dismissesResultsItself() const { return false; }
};

}  // namespace quorvel
