// A PracticeView that records what the engine showed, for tests. Thread-safe.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "practice/practice_view.h"

namespace quorvel::test {

class RecordingView : public PracticeView {
  public:
    struct Box {
        std::u16string title;
        std::u16string text;
        MessageIcon icon;
    };

    void showMessage(const std::u16string& text) override {
        std::lock_guard l(m_);
        messages.push_back(text);
    }
    void inputPaperChanged() override {
        std::lock_guard l(m_);
        ++inputRepaints;
    }
    void papersChanged() override {
        std::lock_guard l(m_);
        ++repaints;
    }
    void pageLabelsChanged(const PageLabels& labels) override {
        std::lock_guard l(m_);
        lastLabels = labels;
        ++labelUpdates;
    }
    void judgementLineChanged(const std::u16string& text) override {
        std::lock_guard l(m_);
        judgementLine = text;
    }
    void statusLinesChanged(const std::u16string& a, const std::u16string& b) override {
        std::lock_guard l(m_);
        statusLine1 = a;
        statusLine2 = b;
    }
    void scoreLineChanged(const std::u16string& text) override {
        std::lock_guard l(m_);
        scoreLine = text;
    }
    void resultLabelChanged(const std::u16string& text) override {
        std::lock_guard l(m_);
        resultLabel = text;
    }
    void languageChanged(bool latin) override {
        std::lock_guard l(m_);
        languageChanges.push_back(latin);
    }
    void speedChanged(int wpm) override {
        std::lock_guard l(m_);
        speeds.push_back(wpm);
    }
    void levelChanged(int level) override {
        std::lock_guard l(m_);
        levels.push_back(level);
    }
    void keyTypeChanged(const std::u16string& label) override {
        std::lock_guard l(m_);
        keyTypes.push_back(label);
    }
    void messageBox(const std::u16string& title, const std::u16string& text,
                    MessageIcon icon) override {
        std::lock_guard l(m_);
        boxes.push_back({title, text, icon});
    }
    void telegramResultReady(const TelegramResult& result) override {
        std::lock_guard l(m_);
        results.push_back(result);
    }
    // A test that plays the learner with the card open clears it and dismisses by itself.
    bool dismissesResultsItself() const override { return autoDismiss; }
    std::atomic<bool> autoDismiss{true};

    std::u16string lastMessage() const {
        std::lock_guard l(m_);
        return messages.empty() ? std::u16string() : messages.back();
    }

    // Public for direct inspection once the threads that report here have stopped.
    std::vector<std::u16string> messages;
    int inputRepaints = 0;
    int repaints = 0;
    int labelUpdates = 0;
    PageLabels lastLabels;
    std::u16string judgementLine, statusLine1, statusLine2, scoreLine, resultLabel;
    std::vector<bool> languageChanges;
    std::vector<int> speeds, levels;
    std::vector<std::u16string> keyTypes;
    std::vector<Box> boxes;
    std::vector<TelegramResult> results;

  private:
    mutable std::mutex m_;
};

}  // namespace quorvel::test
