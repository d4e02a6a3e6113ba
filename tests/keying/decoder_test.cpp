#include <gtest/gtest.h>

#include "keying/decoder.h"
#include "morse/code_tables.h"
#include "tests/keying/keying_fixture.h"

namespace quorvel {
namespace {

class DecoderTest : public ::testing::Test, protected test::DocumentFixture {
  protected:
    void enter(std::u16string_view text) {
        for (char16_t c : text)
            document.enterCharacter(c);
    }
    // Keys the text through the decoder, one code per character, in the current language.
    void key(std::u16string_view text) {
        for (char16_t c : text) {
            auto code = codeFor(c, document.latinMode());
            ASSERT_TRUE(code.has_value());
            decoder.decodeCharacter(*code);
        }
    }
    void latinSet() {
        document.installSet({latin(u"12 AB", u"CD EF", u"GH IJ"), latin(u"1", u"2", u"3")}, true);
    }
    void goOn(bool on) { settings.goOnAfterMistakes.store(on ? 1 : 0); }

    KeyingDecoder decoder{settings, flags, document};
};

TEST_F(DecoderTest, BtMovesOnlyFromACompletePreambleOrAddress) {
    latinSet();
    key(u"12 A");
    decoder.decodeCharacter(kSignalBT);  // mid-preamble, go on unchecked: ignored
    EXPECT_EQ(document.section(), Preamble);
    EXPECT_EQ(entered(Preamble), u"12 A");
    goOn(true);
    decoder.decodeCharacter(kSignalBT);  // mid-preamble, go on checked: a wrong "?"
    EXPECT_EQ(entered(Preamble), u"12 A?");
    EXPECT_EQ(document.section(), Preamble);

    document.reset();
    goOn(false);
    key(u"12AB");  // the blank is filled by itself
    decoder.decodeCharacter(kSignalBT);
    EXPECT_EQ(document.section(), Address);
    key(u"CDEF");
    decoder.decodeCharacter(kSignalBT);
    EXPECT_EQ(document.section(), Text);
    EXPECT_EQ(document.savedProgress(0).sections[Address].enteredText, u"CD EF");
    decoder.decodeCharacter(kSignalBT);  // in the text it is misplaced
    EXPECT_EQ(document.section(), Text);
    EXPECT_EQ(entered(Text), u"");
}

TEST_F(DecoderTest, BtAtTheEndOfAPreambleWithGoOn) {
    latinSet();
    goOn(true);
    key(u"12AB");
    decoder.decodeCharacter(kSignalBT);
    EXPECT_EQ(document.section(), Address);
}

TEST_F(DecoderTest, CorrectionSignalInBothLanguages) {
    latinSet();
    document.setSection(Text);
    key(u"GH");
    decoder.decodeCharacter(kSignalCorrection);  // without go on: a wrong "?"
    EXPECT_EQ(entered(Text), u"GH ?");
    EXPECT_EQ(document.textCursor(), 3);

    goOn(true);
    decoder.decodeCharacter(kSignalCorrection);
    EXPECT_EQ(document.textCursor(), 0);
    EXPECT_EQ(view.lastMessage(), u"訂正：3文字戻しました");

    document.switchLanguage(false);
    document.installSet({japanese(u"アイウエオ")}, false);
    document.setSection(Text);
    key(u"アイウ");
    decoder.decodeCharacter(kSignalCorrection);  // always "?" in Japanese
    EXPECT_EQ(entered(Text), u"アイウ?");
    EXPECT_EQ(document.textCursor(), 4);
}

TEST_F(DecoderTest, VeBeforeTheEndStepsBackWithGoOnElseIsIgnored) {
    document.installSet({japanese(u"アイウエオ"), japanese(u"カ")}, false);
    document.setSection(Text);
    key(u"アイウエ");
    decoder.decodeCharacter(kSignalVE);
    EXPECT_EQ(document.textCursor(), 4);
    EXPECT_TRUE(view.results.empty());
    goOn(true);
    decoder.decodeCharacter(kSignalVE);
    EXPECT_EQ(document.textCursor(), 1);
    EXPECT_TRUE(view.results.empty());
}

TEST_F(DecoderTest, FilingTimeTakesTheShortNumerals) {
    document.installSet({japanese(u"イ")}, false);
    key(u"一ア二");
    ASSERT_EQ(document.section(), FilingTime);
    decoder.decodeCharacter(".---.");   // セ
    decoder.decodeCharacter(".-");      // 一
    decoder.decodeCharacter(".-.-.-");  // 、
    decoder.decodeCharacter("..-");     // 二
    EXPECT_EQ(entered(FilingTime), u"セ一、二");
    EXPECT_EQ(document.savedProgress(0).sections[FilingTime].judgementMarks, u"1111");
    key(u"イ」");
    decoder.decodeCharacter(".-");  // in the text the same code is イ
    EXPECT_EQ(entered(Text), u"イ");
}

TEST_F(DecoderTest, FilingTimeNumeralsAfterAnEmptySerial) {
    TelegramRecord r = japanese(u"イ");
    r.serial.clear();
    document.installSet({r}, false);
    key(u"一ア");
    decoder.decodeCharacter("..-");  // the serial is empty: this is the filing time's 二
    decoder.decodeCharacter(".---.");
    decoder.decodeCharacter(".-");
    EXPECT_EQ(scoring.keyed.substr(scoring.keyed.size() - 3), u"二セ一");  // not ウ
    EXPECT_EQ(entered(FilingTime), u"セ一");  // the wrong 二 was keyed over
}

TEST_F(DecoderTest, PageTurnRequestAtSixtyButNotFiftyNine) {
    std::u16string text(120, u'ア');
    document.installSet({japanese(text)}, false);
    document.setSection(Text);
    key(std::u16string(59, u'ア'));
    decoder.decodeCharacter(kSignalPageTurn);
    EXPECT_EQ(document.page(), 0);
    EXPECT_EQ(document.textCursor(), 59);
    key(u"ア");
    document.setPage(0);  // the learner looks back at page 1; the cursor is at 60
    decoder.decodeCharacter(kSignalPageTurn);
    EXPECT_EQ(document.page(), 1);
    EXPECT_EQ(document.textCursor(), 60);
    EXPECT_EQ(entered(Text).size(), 60u);  // consumed, nothing entered

    document.setPage(0);
    document.setPageFollow(false);
    decoder.decodeCharacter(kSignalPageTurn);
    EXPECT_EQ(document.page(), 0);
}

TEST_F(DecoderTest, LatinPageTurnCodeIsMisplacedWhileSending) {
    latinSet();
    goOn(true);
    settings.Mode.store(1);
    decoder.decodeCharacter(kSignalPageTurn);
    EXPECT_EQ(entered(Preamble), u"?");
    settings.Mode.store(0);
    decoder.decodeCharacter(kSignalPageTurn);
    EXPECT_EQ(entered(Preamble), u"?");
}

TEST_F(DecoderTest, TelegramSeparatorIsSilentInJapaneseAndLeadInIsDiscarded) {
    document.installSet({japanese(u"ア")}, false);
    decoder.decodeCharacter(kSignalTelegramSeparator);
    EXPECT_TRUE(scoring.keyed.empty());

    latinSet();
    flags.LeadInActive.store(flags.beginPlaybackRun());
    decoder.decodeCharacter("....");
    decoder.decodeCharacter(kSignalBT);
    EXPECT_TRUE(scoring.keyed.empty());
    flags.LeadInActive.store(0);
    decoder.decodeCharacter(".----");
    EXPECT_EQ(entered(Preamble), u"1");
    decoder.decodeCharacter("........-");  // no such code
    EXPECT_EQ(scoring.keyed.back(), u'?');
}

TEST_F(DecoderTest, EndSignalShowsTheCardThenMovesToTheNextTelegram) {
    latinSet();
    key(u"12AB");
    decoder.decodeCharacter(kSignalBT);
    key(u"CDEF");
    decoder.decodeCharacter(kSignalBT);
    key(u"GH");
    decoder.decodeCharacter(kSignalAR);  // before the end: misplaced, ignored
    EXPECT_TRUE(view.results.empty());
    key(u"IJ");
    decoder.decodeCharacter(kSignalAR);
    ASSERT_EQ(view.results.size(), 1u);
    EXPECT_EQ(view.results[0].telegramNumber, 1);
    EXPECT_TRUE(view.results[0].hasNext);
    EXPECT_TRUE(view.results[0].latinMode);
    EXPECT_EQ(document.telegramNumber(), 2);
    EXPECT_EQ(document.section(), Preamble);
    EXPECT_EQ(scoring.telegramClears, 1);

    key(u"1");
    decoder.decodeCharacter(kSignalBT);
    key(u"2");
    decoder.decodeCharacter(kSignalBT);
    key(u"3");
    decoder.decodeCharacter(kSignalVE);  // VE ends a Latin telegram too
    ASSERT_EQ(view.results.size(), 2u);
    EXPECT_FALSE(view.results[1].hasNext);
    EXPECT_TRUE(document.telegramFinished());
    EXPECT_FALSE(document.pageFollow());
    EXPECT_EQ(scoring.finishedSets, 1);
    EXPECT_EQ(view.lastMessage(), u"終了");
    key(u"4");  // a finished set takes nothing more
    EXPECT_EQ(scoring.keyed.back(), u'3');
    goOn(true);
    decoder.decodeCharacter(kSignalCorrection);
    decoder.decodeCharacter(kSignalVE);
    EXPECT_EQ(entered(Text), u"3");
    EXPECT_EQ(view.results.size(), 2u);
    EXPECT_EQ(scoring.finishedSets, 1);
}

TEST_F(DecoderTest, APendingCardHoldsTheTelegramUntilDismissed) {
    view.autoDismiss = false;
    document.installSet({japanese(u"ア"), japanese(u"イ")}, false);
    key(u"一ア二セ一、二イ」ア");
    decoder.decodeCharacter(kSignalVE);
    ASSERT_EQ(view.results.size(), 1u);
    EXPECT_TRUE(document.resultPending());
    EXPECT_EQ(document.telegramNumber(), 1);  // the card is open: no move yet
    EXPECT_TRUE(document.dismissResult());
    EXPECT_FALSE(document.resultPending());
    EXPECT_EQ(document.telegramNumber(), 2);
    EXPECT_FALSE(document.dismissResult());  // a second close changes nothing
    EXPECT_EQ(document.telegramNumber(), 2);

    key(u"一ア二セ一、二イ」イ");
    decoder.decodeCharacter(kSignalVE);
    EXPECT_FALSE(document.telegramFinished());
    EXPECT_EQ(scoring.finishedSets, 0);
    document.dismissResult();
    EXPECT_TRUE(document.telegramFinished());
    EXPECT_EQ(scoring.finishedSets, 1);
}

TEST_F(DecoderTest, ResetOrNewSetWhileTheCardIsOpenIsNotUndone) {
    view.autoDismiss = false;
    for (bool newSet : {false, true}) {
        document.installSet({japanese(u"ア"), japanese(u"イ")}, false);
        key(u"一ア二セ一、二イ」ア");
        decoder.decodeCharacter(kSignalVE);
        ASSERT_TRUE(document.resultPending());
        if (newSet)
            document.installSet({japanese(u"ウ"), japanese(u"エ")}, false);
        else
            document.reset();
        EXPECT_FALSE(document.resultPending());  // the old practice's card holds nothing
        document.dismissResult();
        EXPECT_EQ(document.telegramNumber(), 1) << newSet;  // the new run starts at telegram 1
        EXPECT_EQ(document.section(), Preamble);
        EXPECT_FALSE(document.telegramFinished());
    }
}

TEST_F(DecoderTest, WordGapEntersABlankOnlyWhereTheModelHasOne) {
    // The lock-free answer the keying thread reads must follow every change.
    auto spaceExpected = [](const TelegramDocument& d) {
        EXPECT_EQ(d.spaceExpectedNow(), d.spaceExpected());
        return d.spaceExpectedNow();
    };
    latinSet();
    key(u"12");
    EXPECT_TRUE(spaceExpected(document));
    decoder.wordGap();
    EXPECT_EQ(entered(Preamble), u"12 ");
    EXPECT_FALSE(spaceExpected(document));
    decoder.wordGap();
    EXPECT_EQ(entered(Preamble), u"12 ");
    document.setSection(Text);
    key(u"GH");
    EXPECT_TRUE(spaceExpected(document));
    document.setSection(Serial);  // sections 1-3 never expect one
    EXPECT_FALSE(spaceExpected(document));

    document.switchLanguage(false);  // Japanese: never
    document.installSet({japanese(u"ア イ")}, false);
    document.setSection(Text);
    key(u"ア");
    EXPECT_FALSE(spaceExpected(document));
}

TEST_F(DecoderTest, ElementEventsReachScoring) {
    decoder.handle(KeyingEvent::element(kDashMark, 244, 100));
    decoder.handle(KeyingEvent::character(".-", 200));
    EXPECT_EQ(scoring.elements, (std::vector<std::uint32_t>{244}));
    EXPECT_EQ(scoring.keyed, u"イ");
}

}  // namespace
}  // namespace quorvel
