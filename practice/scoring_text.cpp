#include "practice/scoring_text.h"

#include <cstdio>
#include <exception>

#include "storage/settings_file.h"
#include "storage/text_util.h"
#include "storage/utf.h"

namespace quorvel {
namespace {

template <class... Args>
std::u16string printed(const char* format, Args... args) {
    char buf[128];
    std::snprintf(buf, sizeof buf, format, args...);
    return asciiText(buf);
}

std::u16string oneCharacter(char16_t c) {
    return std::u16string(1, c == 0 ? u' ' : c);
}

}  // namespace

ResultClass classifyResult(int rate) {
    ResultClass c;
    c.grade = rate >= 95 ? u"S" : rate >= 85 ? u"A" : rate >= 70 ? u"B" : rate >= 50 ? u"C" : u"D";
    c.message = rate >= 95   ? u"すばらしい受信です"
                : rate >= 80 ? u"とても良い成績です"
                : rate >= 60 ? u"着実に力がついています"
                : rate >= 40 ? u"次の電報も落ち着いて受信しましょう"
                             : u"誤答を確認してもう一度挑戦しましょう";
    c.colour = rate >= 90   ? Rgb{0, 150, 95}
               : rate >= 75 ? Rgb{35, 115, 210}
               : rate >= 60 ? Rgb{150, 85, 200}
               : rate >= 40 ? Rgb{235, 135, 20}
                            : Rgb{215, 55, 65};
    return c;
}

int ratePercent(std::int64_t part, std::int64_t whole) {
    return whole <= 0 ? 0 : static_cast<int>(100 * part / whole);
}

std::u16string scoreLineText(int points, int maxPoints, int penalty, int correct, int wrong,
                             int rate) {
    return u"得点 " + decimalText(points) + u" / " + decimalText(maxPoints) + u"　減点 " +
           decimalText(penalty) + u"　正解 " + decimalText(correct) + u"　誤答 " +
           decimalText(wrong) + u"　正答率 " + decimalText(rate) + u"%";
}

std::u16string runResultLabel(int rate, int wrongRate, int wrongCount) {
    return u"正答率 " + decimalText(rate) + u"%  不正解率 " + decimalText(wrongRate) + u"%  誤答 " +
           decimalText(wrongCount);
}

std::u16string setResultLabel(int rate, int wrongRate, int wrongCount, int cpm) {
    return runResultLabel(rate, wrongRate, wrongCount) + u"  CPM " + decimalText(cpm);
}

std::u16string judgementText(char16_t keyed, char16_t model, bool correct) {
    return u"次:" + oneCharacter(model) + u" 入:" + oneCharacter(keyed) + u" 判:" +
           (correct ? u"○" : u"×");
}

std::u16string historyNotSavedText(const std::filesystem::path& file) {
    return u"練習履歴を保存できませんでした。\n" + pathText(file);
}

std::u16string wrongPairEntry(char16_t model, char16_t keyed) {
    return oneCharacter(model) + u"→" + oneCharacter(keyed) + u" ";
}

std::u16string statusLine1(bool dot, bool dash, std::uint32_t elapsedSeconds, int wpm, int freq) {
    const char16_t* contacts = dot && dash ? u"・ー" : dot ? u"・　" : dash ? u"ー　" : u"　　";
    return u"入力[" + std::u16string(contacts) + u"] 状態[" + (dot || dash ? u"ON " : u"OFF") +
           u"] 経過[" +
           printed("%03lu:%02lu", static_cast<unsigned long>(elapsedSeconds / 60),
                   static_cast<unsigned long>(elapsedSeconds % 60)) +
           u"] 設定[" + printed("%03dWPM %04dHz", wpm, freq) + u"]";
}

std::u16string statusLine2(std::uint32_t lastElementMs, std::uint32_t intervalMs, int instantWpm,
                           int instantCpm) {
    return u"直前符号[" + printed("%04lu", static_cast<unsigned long>(lastElementMs)) +
           u" ms] 間隔[" + printed("%04lu", static_cast<unsigned long>(intervalMs)) +
           u" ms] 瞬時[" + printed("%03d WPM/%04d CPM", instantWpm, instantCpm) + u"]";
}

std::u16string autoDifficultyText(int rate, int level) {
    return u"自動難易度: 正答率" + decimalText(rate) + u"%により学習レベルを「" +
           std::u16string(learningLevelName(level)) + u"」に変更しました。";
}

std::string scoreLineForCli(const TelegramResult& r) {
    return "score count=" + std::to_string(r.scoredCount) +
           " correct=" + std::to_string(r.scoredCorrect) +
           " wrong=" + std::to_string(r.scoredWrong) + " rate=" + std::to_string(r.rate) +
           " points=" + std::to_string(r.points) + " maxPoints=" + std::to_string(r.maxPoints) +
           " penalty=" + std::to_string(r.penalty) +
           " grade=" + toUtf8(classifyResult(r.rate).grade);
}

}  // namespace quorvel
