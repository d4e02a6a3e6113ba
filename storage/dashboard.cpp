#include "storage/dashboard.h"

#include <algorithm>
#include <vector>

#include "storage/csv.h"
#include "storage/text_util.h"

namespace quorvel {

std::int64_t charsPerMinute(std::int64_t chars, std::int64_t seconds) {
    return seconds > 0 ? chars * 60 / seconds : 0;
}

std::int64_t accuracyPercent(std::int64_t correct, std::int64_t chars) {
    return chars > 0 ? correct * 100 / chars : 0;
}

int levelForExp(std::int64_t exp) {
    if (exp < 0)
        exp = 0;
    return static_cast<int>(std::min<std::int64_t>(exp / 1000 + 1, kMaxLevel));
}

DashboardFigures dashboardFigures(const PracticeAggregate& today, std::int64_t runChars,
                                  std::u16string_view weak) {
    DashboardFigures f;
    f.today = today;
    f.cpm = charsPerMinute(today.chars, today.seconds);
    f.accuracy = accuracyPercent(today.correct, today.chars);
    f.exp = today.chars + std::max<std::int64_t>(runChars, 0);
    f.level = levelForExp(f.exp);
    f.weak = weak.empty() ? std::u16string(kNoWeakCharacters) : std::u16string(weak);
    return f;
}

AchievementFigures achievementFigures(const PracticeAggregate& total) {
    AchievementFigures f;
    f.total = total;
    f.cpm = charsPerMinute(total.chars, total.seconds);
    f.accuracy = accuracyPercent(total.correct, total.chars);
    f.badges = {total.chars >= 1,       total.chars >= 100, total.chars >= 1000,
                total.telegrams >= 100, f.cpm >= 50,        f.accuracy >= 99};
    return f;
}

namespace {

std::u16string num(std::int64_t v) {
    return decimalText(v);
}

// "%02d"
std::u16string twoDigits(std::int64_t v) {
    std::u16string s = decimalText(v);
    if (v >= 0 && v < 10)
        s.insert(s.begin(), u'0');
    return s;
}

constexpr std::u16string_view kRule = u"━━━━━━━━━━━━━━━━━━━━";

}  // namespace

InfoText dashboardText(const DashboardFigures& f) {
    const std::int64_t seconds = std::max<std::int64_t>(f.today.seconds, 0);
    std::u16string b;
    b += u"Quorvel\r\n";
    b += kRule;
    b += u"\r\n\r\n今日の練習\r\n";
    b += u"練習時間  " + twoDigits(seconds / 60) + u":" + twoDigits(seconds % 60) + u"\r\n";
    b += u"文字数    " + num(f.today.chars) + u"\r\n";
    b += u"電報数    " + num(f.today.telegrams) + u"\r\n";
    b += u"平均CPM   " + num(f.cpm) + u"\r\n";
    b += u"正答率    " + num(f.accuracy) + u"%\r\n";
    b += u"\r\n現在レベル\r\n";
    b += u"Lv." + num(f.level) + u"   EXP " + num(f.exp) + u"\r\n";
    b += u"\r\n苦手文字\r\n" + f.weak + u"\r\n";
    b += u"\r\nおすすめ\r\n・RX STARTで受信練習\r\n・送信練習はキー電鍵にチェック\r\n"
         u"・苦手電報で弱点を集中練習\r\n";
    return {u"ホームダッシュボード", u"今日の練習状況とおすすめメニュー", std::move(b)};
}

InfoText achievementsText(const AchievementFigures& f) {
    static constexpr std::array<std::u16string_view, kBadgeCount> kNames = {
        u"初回受信", u"100文字突破", u"1000文字突破", u"100通突破", u"CPM50突破", u"正答率99%突破"};
    std::u16string b = u"実績・レベルシステム\r\n";
    b += kRule;
    b += u"\r\n";
    for (std::size_t i = 0; i < kBadgeCount; ++i) {
        b += f.badges[i] ? kBadgeAchieved : kBadgeMissing;
        b += u" ";
        b += kNames[i];
        b += u"\r\n";
    }
    b += u"\r\n累計文字数  " + num(f.total.chars) + u"\r\n";
    b += u"累計電報数  " + num(f.total.telegrams) + u"\r\n";
    b += u"平均CPM     " + num(f.cpm) + u"\r\n";
    b += u"平均正答率  " + num(f.accuracy) + u"%\r\n";
    return {u"実績・レベル", u"これまでの達成状況と累計記録", std::move(b)};
}

PracticeAggregate sumPracticeLogAllDays(const std::filesystem::path& file) {
    PracticeAggregate sum;
    std::vector<std::string> fields;
    forEachPracticeLogLine(file, [&](std::string_view line) {
        splitCsvLine(line, fields);
        // Rows without a full date have no day to count under.
        if (fields.size() >= 8 && fields[0].size() >= 10)
            addPracticeRow(sum, fields);
    });
    return sum;
}

int examWpm(int targetCpm) {
    return std::clamp(targetCpm / 5, 5, 40);
}

int applyExamSettings(PracticeSettings& settings, const ExamChoice& choice) {
    const int wpm = examWpm(choice.targetCpm);
    PracticeSettings::set(settings.WPM, wpm);
    PracticeSettings::set(settings.Mode, choice.type == ExamType::Sending ? 1 : 0);
    return wpm;
}

InfoText examConfirmationText(const ExamChoice& choice, int wpm) {
    const bool send = choice.type == ExamType::Sending;
    const std::u16string kind = send ? u"送信練習" : u"受信練習";
    std::u16string b = u"目標速度      " + num(choice.targetCpm) + u" CPM\r\n";
    b += u"練習種別      " + kind + u"\r\n";
    b += u"現在の設定    " + num(wpm) + u" WPM\r\n\r\n";
    b += u"メイン画面の RX START ボタンを押すと、";
    b += send ? u"国家試験形式の送信練習" : u"国家試験形式の受信練習";
    b += u"を開始できます。";
    return {u"国家試験モード設定完了", kind + u"を選択しました", std::move(b)};
}

}  // namespace quorvel
