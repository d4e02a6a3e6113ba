#include "storage/stats_report.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <utility>

#include "storage/csv.h"
#include "storage/file_io.h"
#include "storage/text_util.h"
#include "storage/utf.h"

namespace quorvel {
namespace {

constexpr std::u16string_view kRule = u"━━━━━━━━━━━━━━━━━━\r\n";
constexpr std::u16string_view kLogNote =
    u"\r\n※ CSV履歴 telegram_practice_log.csv から読み込んでいます。\r\n";

// printf "%*d" of a 64-bit value.
std::u16string num(std::int64_t v, int width = 0) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%*" PRId64, width, v);
    return asciiText(buf);
}

std::int64_t percent(std::int64_t part, std::int64_t whole) {
    return whole < 1 ? 0 : 100 * part / whole;
}

std::u16string fullPath(const std::filesystem::path& p) {
    std::error_code ec;
    const auto abs = std::filesystem::absolute(p, ec);
    return pathText(ec ? p : abs);
}

PracticeSums sumsOf(const StatsInputs& in) {
    return in.log ? in.log->sums(in.now) : PracticeSums{};
}

const DayTable& daysOf(const StatsInputs& in) {
    static const DayTable kNone;
    return in.log ? in.log->days : kNone;
}

struct Totals {
    std::int64_t telegrams = 0, chars = 0, correct = 0, wrong = 0, seconds = 0;
};

Totals totalsOf(const DayTable& days) {
    Totals t;
    for (const auto& [key, a] : days) {
        t.telegrams += a.telegrams;
        t.chars += a.chars;
        t.correct += a.correct;
        t.wrong += a.wrong;
        t.seconds += a.seconds;
    }
    return t;
}

void appendRanking(std::u16string& out, const CharLogTable& table) {
    out += u"苦手文字ランキング\r\n";
    if (table.empty()) {
        out += u"まだ文字別CSV履歴がありません。\r\n\r\n";
        return;
    }
    std::vector<std::pair<std::int64_t, char16_t>> ranked;
    for (const auto& [c, s] : table)
        if (s.asked > 0)
            ranked.emplace_back(percent(s.correct, s.asked), c);
    std::sort(ranked.begin(), ranked.end());  // rate, then character code
    for (std::size_t k = 0; k < ranked.size() && k < 5; ++k) {
        const auto [rate, c] = ranked[k];
        out += num(static_cast<std::int64_t>(k + 1)) + u"位\r\n";
        out.push_back(c);
        out += u"\r\n" + num(rate) + u"%  出題" + num(table.at(c).asked) + u"回\r\n\r\n";
    }
}

void appendRecent(std::u16string& out, const StatsInputs& in) {
    out += u"最近10回\r\n日時　　　　　　　　CPM　正答率\r\n";
    if (!in.log || !in.log->recent) {
        out += u"まだ履歴CSVがありません。\r\n";
        return;
    }
    for (const RecentRow& r : *in.log->recent)
        out += r.time + u"　" + r.cpm + u"　" + r.rate + u"%\r\n";
    if (in.log->recent->empty())
        out += u"まだ履歴がありません。\r\n";
}

std::u16string currentReport(const StatsInputs& in) {
    const Totals t = totalsOf(daysOf(in));
    const std::int64_t average = t.seconds < 1 ? 0 : t.chars * 60 / t.seconds;
    const std::int64_t averageRate = percent(t.correct, t.chars);
    const std::int64_t averageWrong = percent(t.wrong, t.chars);
    const std::int64_t s = std::max(1, in.run.seconds);
    const std::int64_t runCpm = std::int64_t{in.run.judgedCount} * 60 / s;
    const std::int64_t highest = std::max(average, runCpm);

    std::u16string out(kRule);
    out += u"現在の成績\r\n\r\n総練習時間\r\n" + num(t.seconds / 3600) + u"時間" +
           num(t.seconds % 3600 / 60) + u"分\r\n\r\n総電報数\r\n" + num(t.telegrams) +
           u"通\r\n\r\n総文字数\r\n" + num(t.chars) + u"文字\r\n\r\n平均CPM\r\n" + num(average) +
           u"\r\n\r\n最高CPM\r\n" + num(highest) + u"\r\n\r\n平均正答率\r\n" + num(averageRate) +
           u"%\r\n\r\n平均誤答率\r\n" + num(averageWrong) + u"%\r\n";
    out += kRule;
    out += u"\r\n現在練習中\r\n練習時間 " + num(s / 60) + u"分" + num(s % 60) + u"秒  CPM " +
           num(runCpm) + u"  WPM " + num(in.run.wpm) + u"  入力 " + num(in.run.judgedCount) +
           u"文字  正答率 " + num(percent(in.run.correctCount, in.run.judgedCount)) +
           u"%  誤答率 " + num(percent(in.run.wrongCount, in.run.judgedCount)) + u"%\r\n\r\n";

    appendRanking(out, in.charLog.table);
    appendRecent(out, in);
    out += u"\r\n今日の練習\r\n" + formatAggregate(u"今日", sumsOf(in).today);

    const std::pair<bool, std::u16string_view> badges[] = {
        {t.telegrams >= 1, u"初回受信"},    {t.chars >= 100, u"100文字突破"},
        {t.chars >= 1000, u"1000文字突破"}, {t.telegrams >= 100, u"100通突破"},
        {average >= 50, u"CPM50突破"},      {averageRate >= 99, u"正答率99%突破"},
    };
    out += u"\r\n練習バッジ\r\n";
    for (const auto& [reached, text] : badges) {
        out += reached ? u"[達成] " : u"[未達] ";
        out.append(text).append(u"\r\n");
    }
    out += u"\r\nCSV保存先\r\n" + fullPath(in.practiceLogPath) + u"\r\n" +
           fullPath(in.charLogPath) + u"\r\n";
    return out;
}

std::u16string dailyReport(const StatsInputs& in) {
    std::u16string out = u"日毎の成績\r\n\r\n今日の集計\r\n";
    out += formatAggregate(u"今日", sumsOf(in).today);
    out += u"\r\nCSV履歴の日別集計\r\n";
    const DayTable& days = daysOf(in);
    if (days.empty())
        out += u"まだCSV履歴がありません。\r\n";
    for (auto it = days.rbegin(); it != days.rend(); ++it)
        out += formatAggregate(it->first, it->second);
    return out;
}

std::u16string charReport(const StatsInputs& in) {
    std::u16string out = u"文字別の成績\r\n\r\n現在練習中の文字別成績\r\n";
    if (in.run.charStats.empty())
        out += u"まだ現在練習中の文字別記録はありません。\r\n";
    for (const auto& [c, s] : in.run.charStats) {
        out.push_back(c);
        out += u"  出題:" + num(s.asked, 5) + u"  正解:" + num(s.correct, 5) + u"  間違い:" +
               num(s.wrong, 5) + u"  誤送信:" + formatConfusions(s.confusions) + u"\r\n";
    }
    out += u"\r\nCSV累計の文字別成績\r\n";
    switch (in.charLog.state) {
        case CharLogRead::State::Missing:
            out += u"まだCSV文字別履歴がありません。\r\n";
            break;
        case CharLogRead::State::Unreadable:
            out += u"CSV文字別履歴を読み込めませんでした。\r\n";
            break;
        case CharLogRead::State::Read:
            for (const auto& [c, s] : in.charLog.table) {
                out.push_back(c);
                out += u"  出題:" + num(s.asked, 6) + u"  正解:" + num(s.correct, 6) +
                       u"  間違い:" + num(s.wrong, 6) + u"  正答率:" +
                       num(percent(s.correct, s.asked), 3) + u"%\r\n";
            }
            break;
    }
    return out;
}

GraphEntry entryOf(std::u16string label, const PracticeAggregate& a) {
    return {std::move(label), a.chars, a.correct, a.wrong};
}

}  // namespace

CharLogRead readCharLogForReport(const std::filesystem::path& file) {
    CharLogRead r;
    const auto bytes = readFileBytes(file);
    if (!bytes)
        return r;
    std::string_view body(*bytes);
    if (body.substr(0, kUtf8Mark.size()) == kUtf8Mark)
        body.remove_prefix(kUtf8Mark.size());
    if (body.empty())
        return r;
    if (!isUtf8(body)) {
        r.state = CharLogRead::State::Unreadable;
        return r;
    }
    parseCharLog(body, r.table);
    if (!r.table.empty())
        r.state = CharLogRead::State::Read;
    return r;
}

std::u16string buildReport(int tab, const StatsInputs& in) {
    switch (tab) {
        case 0:
            return currentReport(in);
        case 1:
            return dailyReport(in);
        case 2:
            return u"週間の成績\r\n\r\n直近7日間の集計です。\r\n" +
                   formatAggregate(u"週間", sumsOf(in).week) + std::u16string(kLogNote);
        case 3:
            return u"月間の成績\r\n\r\n今月の集計です。\r\n" +
                   formatAggregate(u"月間", sumsOf(in).month) + std::u16string(kLogNote);
        default:
            return charReport(in);
    }
}

std::vector<GraphEntry> buildGraph(int tab, const StatsInputs& in) {
    std::vector<GraphEntry> g;
    const DayTable& days = daysOf(in);
    switch (tab) {
        case 0: {
            const PracticeSums s = sumsOf(in);
            g.push_back({u"現在", in.run.judgedCount, in.run.correctCount, in.run.wrongCount});
            g.push_back(entryOf(u"今日", s.today));
            g.push_back(entryOf(u"週間", s.week));
            g.push_back(entryOf(u"月間", s.month));
            break;
        }
        case 1:
            for (auto it = days.rbegin(); it != days.rend() && g.size() < kDailyGraphLimit; ++it)
                g.push_back(entryOf(it->first, it->second));
            break;
        case 2:
        case 3: {
            const std::int64_t today = dayNumber(in.now.year, in.now.month, in.now.day);
            for (const auto& [key, a] : days) {
                int y = 0, m = 0, d = 0;
                const int read = scanDate(toUtf8(key), y, m, d);
                const bool take = tab == 2 ? read == 3 && today - dayNumber(y, m, d) >= 0 &&
                                                 today - dayNumber(y, m, d) <= 6
                                           : read >= 2 && y == in.now.year && m == in.now.month;
                if (take)
                    g.push_back(entryOf(key, a));
            }
            break;
        }
        case 4:
            for (const auto& [c, s] : in.charLog.table) {
                if (g.size() >= kCharGraphLimit)
                    break;
                g.push_back({std::u16string(1, c), s.asked, s.correct, s.wrong});
            }
            break;
        default:
            break;
    }
    return g;
}

StatsReports::StatsReports(std::filesystem::path practiceLog, std::filesystem::path charLog)
    : practiceLog_(std::move(practiceLog)), charLog_(std::move(charLog)) {}

StatsPage StatsReports::page(int tab, const RunStats& run, const LocalDateTime& now) {
    StatsInputs in;
    in.run = run;
    in.now = now;
    in.log = &cache_.read(practiceLog_);
    in.charLog = readCharLogForReport(charLog_);
    in.practiceLogPath = practiceLog_;
    in.charLogPath = charLog_;
    return {quorvel::buildReport(tab, in), quorvel::buildGraph(tab, in)};
}

}  // namespace quorvel
