#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "practice/document.h"
#include "tests/support/recording_view.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;

// Counts what scoring was told, to check the document's calls into it.
struct CountingScoring : ScoringSink {
    int scored = 0, judged = 0, resets = 0, telegramClears = 0, blanks = 0;
    void scoreCharacter(char16_t model, char16_t keyed, bool) override {
        ++scored;
        if (model == u' ' && keyed == u' ')
            ++blanks;
    }
    void showJudgement(char16_t, char16_t, bool) override { ++judged; }
    void resetScores() override { ++resets; }
    void clearTelegramScore() override { ++telegramClears; }
};

class DocumentTest : public ::testing::Test {
  protected:
    DocumentTest() {
        doc.setView(&view);
        doc.setScoring(&scoring);
        doc.reset();
    }

    void enter(std::u16string_view text) {
        for (char16_t c : text)
            doc.enterCharacter(c);
    }
    static TelegramRecord japanese(std::u16string text) {
        return {u"一", u"ア", u"二", u"セ一、二", u"イ」", std::move(text)};
    }
    static TelegramRecord latin(std::u16string preamble, std::u16string address,
                                std::u16string text) {
        return {std::move(preamble), u"", u"", u"", std::move(address), std::move(text)};
    }
    // Moves to the text section of the current Japanese telegram by keying its head fields.
    void keyJapaneseHead() {
        const TelegramModel m = doc.model();
        for (int s = 0; s < Text; ++s)
            enter(m.field(s));
        ASSERT_EQ(doc.section(), Text);
    }

    PracticeSettings settings;
    SharedFlags flags;
    TelegramDocument doc{settings, flags};
    test::RecordingView view;
    CountingScoring scoring;
};

TEST_F(DocumentTest, BuiltInSamplesAreTwoTelegramsInBothLanguages) {
    EXPECT_EQ(doc.telegramCount(), 2);
    EXPECT_EQ(doc.field(0, Preamble), u"一五八");
    EXPECT_EQ(doc.field(1, FilingTime), u"コ一二、一八");
    doc.switchLanguage(true);
    EXPECT_EQ(doc.telegramCount(), 2);
    EXPECT_EQ(doc.field(1, Preamble), u"49 NAGASAKIRADIO 19 16 6 34 M");
    EXPECT_EQ(doc.pageCapacity(), 208);
    // Last page of the last telegram: next page does nothing.
    doc.nextPage();
    EXPECT_EQ(doc.telegramNumber(), 2);
    doc.nextPage();
    EXPECT_EQ(doc.telegramNumber(), 2);
    EXPECT_EQ(doc.page(), 0);
}

TEST_F(DocumentTest, PagesOfSixtyAndSixtyOneCharacters) {
    doc.installSet({japanese(std::u16string(60, u'ア')), japanese(std::u16string(61, u'ア'))},
                   false);
    EXPECT_EQ(doc.modelPages(), 1);
    EXPECT_EQ(doc.totalPages(), 3);
    doc.nextPage();
    EXPECT_EQ(doc.telegramNumber(), 2);
    EXPECT_EQ(doc.modelPages(), 2);
    EXPECT_EQ(doc.globalPage(), 2);
    doc.nextPage();
    EXPECT_EQ(doc.page(), 1);
    EXPECT_EQ(doc.pageSlice(doc.model().text()), u"ア");
    doc.refreshPageLabels();
    EXPECT_EQ(view.lastLabels.paper, u"3/3");
    EXPECT_EQ(view.lastLabels.centre, u"2通目 2/2ページ  全体 3/3");
    // Voiced kana count twice in the practice form: 30 ガ make 60 cells, one page.
    doc.installSet({japanese(std::u16string(30, u'ガ'))}, false);
    EXPECT_EQ(doc.modelPages(), 1);
}

// The labels count the pages of every telegram before and after the one shown, as the
// practice moves through the set and when the set is replaced.
TEST_F(DocumentTest, PageLabelsCountEveryTelegramOfTheSet) {
    doc.installSet({japanese(std::u16string(61, u'イ')), japanese(std::u16string(10, u'イ')),
                    japanese(std::u16string(130, u'イ')), japanese(std::u16string(60, u'イ'))},
                   false);
    doc.advanceToTelegram(3);
    EXPECT_EQ(view.lastLabels.centre, u"3通目 1/3ページ  全体 4/7");
    keyJapaneseHead();
    enter(std::u16string(60, u'イ'));
    EXPECT_EQ(view.lastLabels.centre, u"3通目 2/3ページ  全体 5/7");
    doc.nextTelegram();
    EXPECT_EQ(view.lastLabels.centre, u"4通目 1/1ページ  全体 7/7");
    doc.previousPage();
    EXPECT_EQ(view.lastLabels.centre, u"3通目 3/3ページ  全体 6/7");
    doc.reset();
    EXPECT_EQ(view.lastLabels.centre, u"1通目 1/2ページ  全体 1/7");
    doc.installSet({japanese(std::u16string(60, u'イ'))}, false);
    EXPECT_EQ(view.lastLabels.paper, u"1/1");
    doc.switchLanguage(true);
    EXPECT_EQ(doc.totalPages(), 2);
}

// The view hears of a change only once the published snapshot shows it, and with the lock
// free: a report may read the document from any thread.
TEST_F(DocumentTest, ViewIsToldAfterTheChangeIsPublishedAndWithTheLockFree) {
    struct ReadingView : PracticeView {
        explicit ReadingView(TelegramDocument& d) : doc(d) {}
        void inputPaperChanged() override {
            seen.push_back(doc.snapshot()->progress.sections[Text].enteredText);
            others.push_back(std::async(std::launch::async, [this] { return doc.section(); }));
            // Hang guard only: the lock is free at once unless the report came under it.
            if (others.back().wait_for(10s) != std::future_status::ready)
                underLock = true;
        }
        TelegramDocument& doc;
        std::vector<std::u16string> seen;
        std::vector<std::future<int>> others;
        bool underLock = false;
    };
    doc.installSet({japanese(u"イロ")}, false);
    keyJapaneseHead();
    ReadingView reading(doc);
    doc.setView(&reading);
    enter(u"イロ");
    doc.setView(&view);
    EXPECT_FALSE(reading.underLock);
    EXPECT_EQ(reading.seen, (std::vector<std::u16string>{u"イ", u"イロ"}));
}

TEST_F(DocumentTest, CursorTurnsThePageWhenItEntersANewOne) {
    doc.installSet({japanese(std::u16string(120, u'イ')), japanese(std::u16string(60, u'イ'))},
                   false);
    keyJapaneseHead();
    enter(std::u16string(59, u'イ'));
    EXPECT_EQ(doc.page(), 0);
    view.messages.clear();
    doc.enterCharacter(u'イ');  // 60th
    EXPECT_EQ(doc.page(), 1);
    EXPECT_EQ(view.lastMessage(), u"自動改ページ");

    doc.nextTelegram();
    keyJapaneseHead();
    enter(std::u16string(60, u'イ'));  // the last character does not turn the page
    EXPECT_EQ(doc.page(), 0);
    EXPECT_EQ(doc.textCursor(), 60);
    // Beyond the end nothing is entered.
    const int judged = scoring.judged;
    doc.enterCharacter(u'イ');
    EXPECT_EQ(scoring.judged, judged);
}

TEST_F(DocumentTest, WrongCharacterIsOverwrittenUnlessGoOn) {
    doc.installSet({japanese(u"アイウ」")}, false);
    keyJapaneseHead();
    enter(u"アカ");
    EXPECT_EQ(doc.textCursor(), 1);
    EXPECT_EQ(doc.progress().sections[Text].enteredText, u"アカ");
    EXPECT_EQ(doc.progress().sections[Text].judgementMarks, u"10");
    doc.enterCharacter(u'い');  // hiragana matches the katakana model; the model is stored
    EXPECT_EQ(doc.progress().sections[Text].enteredText, u"アイ");
    EXPECT_EQ(doc.progress().sections[Text].judgementMarks, u"11");

    PracticeSettings::set(settings.goOnAfterMistakes, 1);
    doc.enterCharacter(u'カ');
    EXPECT_EQ(doc.textCursor(), 3);
    EXPECT_EQ(doc.progress().sections[Text].judgementMarks, u"110");
}

TEST_F(DocumentTest, HeadSectionsAdvanceAndIgnoreSpacesInJapanese) {
    doc.enterCharacter(u' ');
    doc.enterCharacter(u'\u3000');
    EXPECT_TRUE(doc.progress().sections[Preamble].enteredText.empty());
    EXPECT_EQ(scoring.scored, 0);
    enter(u"1五八");  // a keyed digit matches the kanji numeral; the model is stored
    EXPECT_EQ(doc.progress().sections[Preamble].enteredText, u"一五八");
    EXPECT_EQ(doc.section(), Office);
    // Wrong characters are overwritten in place without go on.
    enter(u"カカ");
    EXPECT_EQ(doc.progress().sections[Office].enteredText, u"カ");
    EXPECT_EQ(doc.progress().sections[Office].judgementMarks, u"0");
}

TEST_F(DocumentTest, EmptyHeadFieldDoesNotHoldTheCursor) {
    doc.installSet({{u"一", u"", u"二", u"コ一、二", u"イ」", u"アイ」"}}, false);
    enter(u"一二");
    EXPECT_EQ(doc.progress().sections[Serial].enteredText, u"二");
}

TEST_F(DocumentTest, LatinBlanksAreFilledBeforeTheNextCharacter) {
    doc.installSet({latin(u"1 AB", u"X Y", u"CQ DE JA")}, true);
    EXPECT_TRUE(doc.latinMode());
    ASSERT_EQ(view.languageChanges, std::vector<bool>{true});
    enter(u"1AB");
    EXPECT_EQ(doc.progress().sections[Preamble].enteredText, u"1 AB");
    EXPECT_EQ(scoring.blanks, 1);
    EXPECT_EQ(scoring.judged, 3);  // the automatic blank is scored but not judged
    // Latin head sections are left only by BT, which the decoder handles.
    EXPECT_EQ(doc.section(), Preamble);
    doc.setSection(Address);
    enter(u"XY");
    doc.setSection(Text);
    enter(u"CQDE");
    doc.enterCharacter(u' ');  // a word gap where the model has a blank
    enter(u"JA");
    EXPECT_EQ(doc.progress().sections[Text].enteredText, u"CQ DE JA");
    EXPECT_EQ(doc.progress().sections[Text].judgementMarks, u"11111111");
    EXPECT_EQ(doc.textCursor(), 8);
    EXPECT_EQ(scoring.blanks, 4);  // three filled in, one keyed as a word gap
}

TEST_F(DocumentTest, LeadInIgnoresCharactersInLatinOnly) {
    flags.LeadInActive = flags.beginPlaybackRun();
    doc.enterCharacter(u'一');
    EXPECT_EQ(doc.progress().sections[Preamble].enteredText, u"一");
    doc.switchLanguage(true);
    doc.enterCharacter(u'1');
    EXPECT_TRUE(doc.progress().sections[Preamble].enteredText.empty());
    flags.beginPlaybackRun();  // the lead-in's run is over: a late flag does not count
    doc.enterCharacter(u'1');
    EXPECT_EQ(doc.progress().sections[Preamble].enteredText, u"1");
}

// During a receive run the practice stays on the telegram being received; the papers show the
// browsed page until the next character, and after the run paging starts from what they show.
TEST_F(DocumentTest, PagingDuringAReceiveRunOnlyBrowses) {
    doc.installSet({japanese(u"カ"), japanese(u"ヨタ")}, false);
    keyJapaneseHead();
    flags.beginPlaybackRun();
    doc.nextPage();
    EXPECT_EQ(doc.telegramNumber(), 1);
    EXPECT_EQ(doc.section(), Text);
    EXPECT_TRUE(doc.pageFollow());
    PracticeSnapshot shown = *doc.snapshot();
    EXPECT_EQ(shown.position.telegramNumber, 2);
    EXPECT_EQ(shown.model->text(), u"ヨタ");
    EXPECT_EQ(shown.progress, TelegramProgress{});
    EXPECT_EQ(view.lastLabels.centre.substr(0, 3), u"2通目");
    doc.nextPage();  // the last page of the set: nothing
    EXPECT_EQ(doc.snapshot()->position.telegramNumber, 2);

    doc.enterCharacter(u'カ');
    shown = *doc.snapshot();
    EXPECT_EQ(shown.position.telegramNumber, 1);
    EXPECT_EQ(shown.progress.sections[Text].enteredText, u"カ");
    EXPECT_EQ(shown.progress.sections[Text].judgementMarks, u"1");
    EXPECT_EQ(view.lastLabels.centre.substr(0, 3), u"1通目");

    doc.nextPage();
    flags.PlaybackRunning = 0;  // the run ended while telegram 2 was shown
    doc.previousPage();
    EXPECT_EQ(doc.telegramNumber(), 1);
    EXPECT_FALSE(doc.pageFollow());
    EXPECT_EQ(doc.progress().sections[Text].enteredText, u"カ");
}

TEST_F(DocumentTest, CommandsOfAnEndedPlaybackRunAreDropped) {
    doc.installSet({{u"ア", u"", u"", u"", u"", u""}, {u"イ", u"", u"", u"", u"", u""}}, false);
    const int old = flags.beginPlaybackRun();
    const int current = flags.beginPlaybackRun();
    doc.showPlaybackTelegram(old, 2);
    doc.showPlaybackMessage(old, u"デモ送信：電鍵を離す");
    EXPECT_EQ(doc.telegramNumber(), 1);
    EXPECT_TRUE(view.messages.empty() || view.lastMessage() != u"デモ送信：電鍵を離す");
    doc.showPlaybackTelegram(current, 2);
    EXPECT_EQ(doc.telegramNumber(), 2);
    flags.PlaybackRunning = 0;  // stopped
    doc.showPlaybackTelegram(current, 1);
    EXPECT_EQ(doc.telegramNumber(), 2);
}

TEST_F(DocumentTest, StepBackInBothSectionKinds) {
    doc.installSet({{u"一二三", u"ア", u"二", u"セ一、二", u"イ」", u"アイウエオカキクケコ」"}},
                   false);
    doc.enterCharacter(u'一');
    doc.stepBack();  // without go on nothing happens
    EXPECT_EQ(doc.progress().sections[Preamble].enteredText, u"一");

    PracticeSettings::set(settings.goOnAfterMistakes, 1);
    doc.reset();
    doc.enterCharacter(u'三');  // wrong, appended under go on
    doc.stepBack();
    EXPECT_TRUE(doc.progress().sections[Preamble].enteredText.empty());
    EXPECT_TRUE(doc.progress().sections[Preamble].judgementMarks.empty());
    EXPECT_EQ(view.lastMessage(), u"訂正：3文字戻しました");

    keyJapaneseHead();
    enter(u"アイウエオカキ");
    EXPECT_EQ(doc.textCursor(), 7);
    doc.stepBack();
    EXPECT_EQ(doc.textCursor(), 4);
    EXPECT_EQ(doc.progress().sections[Text].enteredText, u"アイウエ");
    enter(u"オカ");
    EXPECT_EQ(doc.textCursor(), 6);
    doc.stepBack();
    doc.stepBack();
    EXPECT_EQ(doc.textCursor(), 0);
    EXPECT_TRUE(doc.progress().sections[Text].judgementMarks.empty());
}

TEST_F(DocumentTest, SavedProgressFollowsPagingAcrossTelegrams) {
    doc.installSet({japanese(u"アア」"), japanese(std::u16string(70, u'イ')), japanese(u"ウ」")},
                   false);
    doc.enterCharacter(u'一');
    doc.nextTelegram();
    EXPECT_EQ(scoring.telegramClears, 1);
    keyJapaneseHead();
    enter(u"イイ");
    doc.nextTelegram();
    EXPECT_EQ(doc.telegramNumber(), 3);
    EXPECT_TRUE(doc.progress().sections[Text].enteredText.empty());

    doc.previousPage();  // page 1 of telegram 3 -> last page of telegram 2
    EXPECT_EQ(doc.telegramNumber(), 2);
    EXPECT_EQ(doc.page(), 1);
    EXPECT_FALSE(doc.pageFollow());
    EXPECT_EQ(doc.progress().sections[Text].enteredText, u"イイ");
    doc.previousPage();
    doc.previousPage();
    EXPECT_EQ(doc.telegramNumber(), 1);
    EXPECT_EQ(doc.progress().sections[Preamble].enteredText, u"一");
    doc.previousPage();  // first page of telegram 1: nothing further
    EXPECT_EQ(doc.telegramNumber(), 1);

    // A new set of another size drops every saved entry.
    doc.installSet({japanese(u"ア」")}, false);
    EXPECT_EQ(doc.telegramCount(), 1);
    EXPECT_EQ(doc.savedProgress(0), TelegramProgress{});
    EXPECT_EQ(doc.progress(), TelegramProgress{});
}

TEST_F(DocumentTest, ResetKeepsTheSetAndClearsProgressAndScores) {
    doc.installSet({japanese(u"ア」"), japanese(u"イ」")}, false);
    doc.enterCharacter(u'一');
    doc.nextTelegram();
    doc.setTelegramFinished(true);
    const int resets = scoring.resets;
    doc.reset();
    EXPECT_EQ(scoring.resets, resets + 1);
    EXPECT_EQ(doc.telegramNumber(), 1);
    EXPECT_FALSE(doc.telegramFinished());
    EXPECT_TRUE(doc.setActive());
    EXPECT_EQ(doc.progress(), TelegramProgress{});
    EXPECT_EQ(view.lastMessage(), u"");
}

TEST_F(DocumentTest, FinishedTelegramIgnoresCharacters) {
    doc.setTelegramFinished(true);
    doc.enterCharacter(u'一');
    EXPECT_EQ(scoring.scored, 0);
}

TEST_F(DocumentTest, LanguageSwitchDropsTheSetAndBumpsTheGeneration) {
    doc.installSet({japanese(u"ア」"), japanese(u"イ」"), japanese(u"ウ」")}, false);
    doc.nextTelegram();
    doc.enterCharacter(u'一');
    const int generation = doc.setGeneration();
    doc.switchLanguage(true);
    EXPECT_FALSE(doc.setActive());
    EXPECT_EQ(doc.telegramNumber(), 1);
    EXPECT_EQ(doc.setGeneration(), generation + 1);
    EXPECT_EQ(doc.model().field(Preamble), u"18 IZUMIMARU 31 26 6 26 S");
    doc.switchLanguage(false);
    EXPECT_EQ(doc.telegramCount(), 2);
    EXPECT_EQ(doc.telegramNumber(), 1);
    EXPECT_EQ(doc.model().field(Preamble), u"一五八");
    // No progress of the dropped set comes back on the samples.
    doc.nextPage();
    EXPECT_EQ(doc.progress(), TelegramProgress{});
}

// A long Latin text would otherwise be held twice for the whole run; a form that differs from
// its source (an ideographic space, a voiced kana) is still made, past the first slice too.
TEST_F(DocumentTest, ModelSharesAFieldThatIsItsOwnPracticeForm) {
    std::u16string long_(9000, u'E');
    long_.back() = u'\u3000';
    doc.installSet(
        {latin(u"NR 1", u"A B", std::u16string(9000, u'T')), latin(u"NR 2", u"A", long_)}, true);
    const SharedTelegramList set = doc.currentSet();
    EXPECT_EQ(doc.snapshot()->model->text().data(), (*set)[0].text.data());
    EXPECT_EQ(doc.snapshot()->model->field(Address).data(), (*set)[0].address.data());
    doc.nextTelegram();
    const auto model = doc.snapshot()->model;
    EXPECT_NE(model->text().data(), (*set)[1].text.data());
    EXPECT_EQ(model->text().back(), u' ');
    EXPECT_EQ(model->text().size(), long_.size());
    doc.switchLanguage(false);
    doc.installSet({japanese(u"ガア")}, false);
    EXPECT_EQ(doc.snapshot()->model->text(), u"カ゛ア");
}

TEST_F(DocumentTest, PlaybackKeepsItsSetAliveAcrossInstalls) {
    doc.installSet({japanese(u"ア」")}, false);
    SharedTelegramList held = doc.currentSet();
    doc.installSet({japanese(u"イ」")}, false);
    doc.switchLanguage(true);
    ASSERT_EQ(held->size(), 1u);
    EXPECT_EQ((*held)[0].text, u"ア」");
    EXPECT_FALSE(doc.installSet({}, false));
    EXPECT_FALSE(doc.setActive());
}

// Three threads act on the document at once, as the window, the consumer and the playback do.
// Run under the thread sanitizer it must stay clean; in every build the document stays whole.
TEST_F(DocumentTest, ConcurrentOperationsKeepTheDocumentConsistent) {
    doc.installSet({japanese(std::u16string(130, u'ア')), japanese(std::u16string(130, u'イ'))},
                   false);
    PracticeSettings::set(settings.goOnAfterMistakes, 1);
    std::thread consumer([&] {
        for (int i = 0; i < 400; ++i) {
            doc.enterCharacter(i % 7 == 0 ? u'カ' : u'ア');
            if (i % 50 == 49)
                doc.stepBack();
        }
    });
    std::thread playback([&] {
        for (int i = 0; i < 200; ++i) {
            doc.advanceToTelegram(1 + i % 2);
            (void)doc.model();
        }
    });
    std::thread window([&] {
        for (int i = 0; i < 200; ++i) {
            if (i % 3 == 0)
                doc.nextPage();
            if (i % 3 == 1)
                doc.previousPage();
            if (i % 40 == 39)
                doc.reset();
            doc.refreshPageLabels();
            (void)doc.pageSlice(doc.model().text());
        }
    });
    consumer.join();
    playback.join();
    window.join();

    const TelegramProgress p = doc.progress();
    for (const auto& s : p.sections)
        EXPECT_EQ(s.enteredText.size(), s.judgementMarks.size());
    EXPECT_GE(doc.page(), 0);
    EXPECT_LT(doc.page(), std::max(doc.modelPages(), doc.inputPages()));
}

}  // namespace
}  // namespace quorvel
