// The texts scoring shows: score line, result labels, judgement and status lines, and the
// grade, message and colour of a telegram's correct rate.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "practice/practice_view.h"

namespace quorvel {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Rgb&) const = default;
};

// The grade, the message and the colour follow three scales with their own cut points.
struct ResultClass {
    std::u16string_view grade;
    std::u16string_view message;
    Rgb colour;
};
ResultClass classifyResult(int rate);

// 100 × part / whole, truncated; 0 when whole is 0 or less.
int ratePercent(std::int64_t part, std::int64_t whole);

inline constexpr std::u16string_view kInitialScoreLine = u"得点 0 / 0  減点 0";
inline constexpr std::u16string_view kInitialResultLabel = u"正答率 0%  誤答率 0%  CPM 0";
inline constexpr std::u16string_view kInitialJudgementLine = u"次: 入: 判:";
inline constexpr std::u16string_view kInitialStatusLine1 =
    u"入力[　　] 状態[OFF] 経過[000:00] 設定[015WPM 0800Hz]";
inline constexpr std::u16string_view kInitialStatusLine2 =
    u"直前符号[0000 ms] 間隔[0000 ms] 瞬時[000 WPM/0000 CPM]";

// "得点 %d / %d　減点 %d　正解 %d　誤答 %d　正答率 %d%%"
std::u16string scoreLineText(int points, int maxPoints, int penalty, int correct, int wrong,
                             int rate);
// While a set runs: "正答率 %d%%  不正解率 %d%%  誤答 %d".
std::u16string runResultLabel(int rate, int wrongRate, int wrongCount);
// After a finished set: "正答率 %d%%  不正解率 %d%%  誤答 %d  CPM %d".
std::u16string setResultLabel(int rate, int wrongRate, int wrongCount, int cpm);
// "次:%s 入:%s 判:%s"; a 0 character shows as a space.
std::u16string judgementText(char16_t keyed, char16_t model, bool correct);
// A practice log could not be written: the message, with the file's path.
std::u16string historyNotSavedText(const std::filesystem::path& file);
// "%c→%c " for the list of wrong judgements.
std::u16string wrongPairEntry(char16_t model, char16_t keyed);

std::u16string statusLine1(bool dot, bool dash, std::uint32_t elapsedSeconds, int wpm, int freq);
std::u16string statusLine2(std::uint32_t lastElementMs, std::uint32_t intervalMs, int instantWpm,
                           int instantCpm);

// "自動難易度: 正答率%d%%により学習レベルを「%s」に変更しました。"
std::u16string autoDifficultyText(int rate, int level);

// The command line's line for one telegram:
// "score count=N correct=N wrong=N rate=N points=N maxPoints=N penalty=N grade=X".
std::string scoreLineForCli(const TelegramResult& result);

}  // namespace quorvel
