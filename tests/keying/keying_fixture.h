// Shared pieces of the keying tests: a document wired to a recording view and scoring.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "keying/shared_flags.h"
#include "practice/document.h"
#include "storage/settings.h"
#include "tests/support/recording_view.h"

namespace quorvel::test {

// Records what scoring was told. Called under the document lock.
struct RecordingScoring : ScoringSink {
    std::u16string keyed;  // every keyed character in order
    std::vector<std::uint32_t> elements;
    int finishedSets = 0;
    int telegramClears = 0;
    void scoreCharacter(char16_t, char16_t k, bool) override { keyed.push_back(k); }
    void showJudgement(char16_t, char16_t, bool) override {}
    void resetScores() override { keyed.clear(); }
    void clearTelegramScore() override { ++telegramClears; }
    void reportElement(char16_t, std::uint32_t duration, std::uint32_t) override {
        elements.push_back(duration);
    }
    void finishSet() override { ++finishedSets; }
};

struct DocumentFixture {
    DocumentFixture() {
        document.setView(&view);
        document.setScoring(&scoring);
        document.reset();
    }
    static TelegramRecord japanese(std::u16string text) {
        return {u"一", u"ア", u"二", u"セ一、二", u"イ」", std::move(text)};
    }
    static TelegramRecord latin(std::u16string preamble, std::u16string address,
                                std::u16string text) {
        return {std::move(preamble), u"", u"", u"", std::move(address), std::move(text)};
    }
    std::u16string entered(int section) const {
        return document.progress().sections[static_cast<std::size_t>(section)].enteredText;
    }

    PracticeSettings settings;
    SharedFlags flags;
    RecordingView view;
    RecordingScoring scoring;
    TelegramDocument document{settings, flags};
};

}  // namespace quorvel::test
