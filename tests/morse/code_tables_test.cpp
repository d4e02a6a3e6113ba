#include <gtest/gtest.h>

#include "morse/code_tables.h"

namespace quorvel {
namespace {

TEST(CodeTables, SizesAndRebuildAreStable) {
    CodeTables t;
    buildCodeTables(t);
    EXPECT_EQ(t.latinEncode.size(), 37u);
    EXPECT_EQ(t.wabunEncode.size(), 69u);
    CodeTables again = t;
    buildCodeTables(again);
    EXPECT_EQ(again.wabunDecode, t.wabunDecode);
    EXPECT_EQ(again.latinDecode, t.latinDecode);
}

TEST(CodeTables, SharedWabunCodesDecodeToTheirFixedCharacters) {
    const auto& wabun = activeDecodeTable(false);
    EXPECT_EQ(decodeCode(wabun, "-.--."), u'ル');  // "「" shares it and is never produced
    EXPECT_EQ(decodeCode(wabun, ".-.-.-"), u'、');
    EXPECT_EQ(decodeCode(wabun, "-.--.-"), u'（');
    EXPECT_EQ(decodeCode(wabun, ".-..-."), u'）');
    EXPECT_EQ(decodeCode(wabun, "-...-"), u'メ');
    EXPECT_EQ(decodeCode(wabun, ".-.-."), u'ン');
    EXPECT_EQ(decodeCode(wabun, "........"), u'?');
    EXPECT_EQ(decodeCode(wabun, ".----"), u'1');
}

TEST(CodeTables, LatinDecodeHasEveryLetterOnce) {
    const auto& latin = activeDecodeTable(true);
    for (const auto& [c, code] : codeTables().latinEncode)
        EXPECT_EQ(decodeCode(latin, code), c);
    EXPECT_EQ(decodeCode(latin, "-...-"), u'?');  // BT is a signal, never a character
}

TEST(CodeTables, CodeForUsesLookupFoldAndLanguage) {
    EXPECT_EQ(codeFor(u'五', false), ".....");
    EXPECT_EQ(codeFor(u'〇', false), "-----");
    EXPECT_EQ(codeFor(u'ぁ', false), "--.--");  // small hiragana a -> ア
    EXPECT_EQ(codeFor(u'ッ', false), ".--.");
    EXPECT_EQ(codeFor(u'ﾞ', false), "..");
    EXPECT_FALSE(codeFor(u'が', false));  // folds to ガ, which only exists split
    EXPECT_FALSE(codeFor(u'ヴ', false));
    EXPECT_FALSE(codeFor(u'ア', true));
    EXPECT_FALSE(codeFor(u'a', true));  // capitals only
    EXPECT_EQ(codeFor(u' ', true), " ");
    EXPECT_EQ(codeFor(u'Q', true), "--.-");
}

TEST(CodeTables, CutNumeralsDifferFromFullCodes) {
    EXPECT_EQ(cutNumeralCode(u'五'), ".....");
    EXPECT_EQ(cutNumeralCode(u'一'), ".-");
    EXPECT_EQ(cutNumeralCode(u'1'), ".-");
    EXPECT_EQ(cutNumeralCode(u'零'), "-");
    EXPECT_EQ(cutNumeralCode(u'〇'), "-");
    EXPECT_FALSE(cutNumeralCode(u'ア'));
    EXPECT_EQ(codeFor(u'一', false), ".----");
    EXPECT_EQ(cutNumeralCharacter("-."), u'九');
    EXPECT_EQ(cutNumeralCharacter("-"), u'〇');
    EXPECT_FALSE(cutNumeralCharacter("--"));
}

TEST(TextFolds, CompareFold) {
    EXPECT_EQ(foldForCompare(u'1'), foldForCompare(u'一'));
    EXPECT_EQ(foldForCompare(u'，'), foldForCompare(u'。'));
    EXPECT_EQ(foldForCompare(u','), u'、');
    EXPECT_EQ(foldForCompare(u'ぁ'), foldForCompare(u'ア'));
    EXPECT_EQ(foldForCompare(u'（'), u'(');
    EXPECT_EQ(foldForCompare(u'ﾟ'), u'゜');
    EXPECT_EQ(foldForCompare(u'ヶ'), u'ケ');
    EXPECT_NE(foldForCompare(u'a'), foldForCompare(u'A'));
}

TEST(TextFolds, LookupFoldGoesTowardsDigits) {
    EXPECT_EQ(foldForLookup(u'九'), u'9');
    EXPECT_EQ(foldForLookup(u'零'), u'0');
    EXPECT_EQ(foldForLookup(u'ょ'), u'ヨ');
    EXPECT_EQ(foldForLookup(u'ヮ'), u'ワ');
    EXPECT_EQ(foldForLookup(u'漢'), u'漢');
}

TEST(PracticeForm, SplitsVoicedKanaAndHandlesBlanksByLanguage) {
    EXPECT_EQ(toPracticeForm(u"ダイガク", false), u"タ゛イカ゛ク");
    EXPECT_EQ(toPracticeForm(u"パン", false), u"ハ゜ン");
    EXPECT_EQ(toPracticeForm(u"ヴ", false), u"ヴ");
    EXPECT_EQ(toPracticeForm(u"ア イ", false), u"アイ");
    EXPECT_EQ(toPracticeForm(u"A\u3000B", true), u"A B");
    EXPECT_EQ(toPracticeForm(u"A\u3000B", false), u"AB");
    EXPECT_EQ(toPracticeForm(u"ヅボポッ", false), u"ツ゛ホ゛ホ゜ッ");  // small ッ is not split
    // Every voiced and semi-voiced kana splits into a base that has a code plus its mark.
    for (char16_t c : std::u16string_view(u"ガギグゲゴザジズゼゾダヂヅデドバビブベボパピプペポ")) {
        const auto form = toPracticeForm(std::u16string(1, c), false);
        ASSERT_EQ(form.size(), 2u);
        EXPECT_TRUE(codeFor(form[0], false)) << static_cast<int>(c);
    }
}

TEST(CharacterWeight, FollowsCompareFoldAndWabunFirst) {
    EXPECT_EQ(characterWeight(u'ア'), 5);
    EXPECT_EQ(characterWeight(u'E'), 1);
    EXPECT_EQ(characterWeight(u'、'), 6);
    EXPECT_EQ(characterWeight(u'?'), 1);
    EXPECT_EQ(characterWeight(u'5'), 1);  // digits fold to kanji numerals, in neither table
    EXPECT_EQ(characterWeight(u' '), 1);
    EXPECT_EQ(characterWeight(u'Q'), 4);
}

}  // namespace
}  // namespace quorvel
