#include "storage/day_table.h"

#include <cinttypes>
#include <cstdio>

#include "storage/practice_log_digest.h"
#include "storage/text_util.h"
#include "storage/utf.h"

namespace quorvel {

bool dayKeyOf(std::string_view field, std::u16string& key) {
    constexpr std::size_t kKeyLength = 10;
    if (field.size() < kKeyLength)
        return false;
    std::u16string text = fromUtf8(field.substr(0, 4 * kKeyLength));
    if (text.size() < kKeyLength)
        return false;
    text.resize(kKeyLength);
    key = std::move(text);
    return true;
}

DayTable readDayTable(const std::filesystem::path& practiceLog) {
    return readPracticeLogData(practiceLog).days;
}

std::u16string formatAggregate(std::u16string_view label, const PracticeAggregate& a) {
    std::u16string line(label);
    if (line.size() < 12)
        line.append(12 - line.size(), u' ');
    const std::int64_t cpm = a.seconds <= 0 ? 0 : a.chars * 60 / a.seconds;
    const std::int64_t rate = a.chars <= 0 ? 0 : 100 * a.correct / a.chars;
    const std::int64_t wrongRate = a.chars <= 0 ? 0 : 100 * a.wrong / a.chars;
    char buf[256];
    std::snprintf(buf, sizeof buf, "%4" PRId64, a.rows);
    line += u"  回数:" + asciiText(buf);
    std::snprintf(buf, sizeof buf, "%4" PRId64, a.telegrams);
    line += u"  電報:" + asciiText(buf) + u"通";
    std::snprintf(buf, sizeof buf, "%5" PRId64, a.chars);
    line += u"  入力:" + asciiText(buf);
    std::snprintf(buf, sizeof buf, "%5" PRId64, a.correct);
    line += u"  正解:" + asciiText(buf);
    std::snprintf(buf, sizeof buf, "%5" PRId64, a.wrong);
    line += u"  誤答:" + asciiText(buf);
    std::snprintf(buf, sizeof buf, "%3" PRId64, a.seconds / 60);
    line += u"  時間:" + asciiText(buf) + u"分";
    std::snprintf(buf, sizeof buf, "%02" PRId64, a.seconds % 60);
    line += asciiText(buf) + u"秒";
    std::snprintf(buf, sizeof buf, "%4" PRId64, cpm);
    line += u"  CPM:" + asciiText(buf);
    std::snprintf(buf, sizeof buf, "%3" PRId64, rate);
    line += u"  正答:" + asciiText(buf) + u"%";
    std::snprintf(buf, sizeof buf, "%3" PRId64, wrongRate);
    line += u"  誤答:" + asciiText(buf) + u"%\r\n";
    return line;
}

}  // namespace quorvel
