#include "storage/practice_log.h"

#include <array>
#include <cstdint>
#include <cstdio>

#include "storage/csv.h"
#include "storage/file_io.h"
#include "storage/read_only_file.h"
#include "storage/text_util.h"
#include "storage/utf.h"

namespace quorvel {
namespace {

std::u16string twoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return asciiText(buf);
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

const std::string kInProgressUtf8 = toUtf8(kStatusInProgress);

}  // namespace

std::u16string formatLogTime(const LocalDateTime& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return asciiText(buf);
}

std::u16string formatPracticeTime(int seconds) {
    if (seconds < 0)
        seconds = 0;
    return twoDigits(seconds / 60) + u":" + twoDigits(seconds % 60);
}

std::u16string formatPracticeRow(const PracticeRow& r) {
    const std::u16string cpm = decimalText(r.cpm);
    const std::u16string rate = decimalText(r.rate);
    const std::u16string time = formatPracticeTime(r.seconds);
    const std::u16string fields[] = {
        formatLogTime(r.time),
        cpm,
        decimalText(r.wpm),
        rate,
        decimalText(r.wrongRate),
        time,
        decimalText(r.finishedSets < 1 ? 1 : r.finishedSets),
        decimalText(r.judgedCount),
        cpm,
        rate,
        cpm,
        time,
        decimalText(r.telegramNumber),
        decimalText(r.judgedCount),
        decimalText(r.correctCount),
        decimalText(r.wrongCount),
        decimalText(r.finishedSets),
        csvText(r.wrongPairs.empty() ? std::u16string_view(u"なし") : r.wrongPairs),
        csvText(r.status),
    };
    std::u16string line;
    for (const auto& f : fields) {
        if (!line.empty())
            line.push_back(u',');
        line += f;
    }
    return line + u"\r\n";
}

bool appendPracticeRow(const std::filesystem::path& file, const PracticeRow& row) {
    std::string prefix(kUtf8Mark);
    prefix += kPracticeLogHeader;
    return appendToFile(file, toUtf8(formatPracticeRow(row)), prefix) != AppendResult::Failed;
}

std::u16string formatTextLogEntry(const LocalDateTime& time, std::u16string_view resultLine,
                                  std::u16string_view keyedText, std::u16string_view wrongPairs) {
    std::u16string e = formatLogTime(time) + u"\r\n";
    e.append(resultLine).append(u"\r\n入力文字:").append(keyedText).append(u"\r\n間違い:");
    e.append(wrongPairs.empty() ? std::u16string_view(u"なし") : wrongPairs);
    e.append(u"\r\n\r\n");
    return e;
}

bool appendTextLog(const std::filesystem::path& file, const LocalDateTime& time,
                   std::u16string_view resultLine, std::u16string_view keyedText,
                   std::u16string_view wrongPairs) {
    const std::string bytes = toUtf8(formatTextLogEntry(time, resultLine, keyedText, wrongPairs));
    return appendToFile(file, bytes) != AppendResult::Failed;
}

void addPracticeRow(PracticeAggregate& sum, const std::vector<std::string>& f) {
    const std::size_t n = f.size();
    if (n < 8)
        return;
    if (n >= 19) {
        if (f[18] == kInProgressUtf8)
            return;
        sum.rows += 1;
        sum.chars += csvInt(f[7]);
        sum.correct += csvInt(f[14]);
        sum.wrong += csvInt(f[15]);
        sum.seconds += parseDuration(f[5]);
        sum.telegrams += csvInt(f[6]);
        return;
    }
    if (n >= 12 && f[11] == kInProgressUtf8)
        return;
    sum.rows += 1;
    sum.chars += csvInt(f[2]);
    sum.correct += csvInt(f[3]);
    sum.wrong += csvInt(f[4]);
    if (n >= 10) {
        sum.seconds += csvInt(f[8]);
        sum.telegrams += csvInt(f[9]);
    }
}

bool forEachPracticeLogLine(const std::filesystem::path& file,
                            const std::function<void(std::string_view)>& line) {
    ReadOnlyFile in(file);
    if (!in.isOpen())
        return false;
    constexpr std::size_t kChunk = 1 << 20;
    std::string buffer;
    std::string chunk(kChunk, '\0');
    bool first = true;
    auto emit = [&](std::string_view l) {
        if (!l.empty() && l.back() == '\r')
            l.remove_suffix(1);
        if (l.empty() || startsWith(l, "日時"))
            return;
        line(l);
    };
    for (std::uint64_t at = 0;;) {
        std::size_t got = 0;
        // A read error ends the data like the end of the file.
        if (!in.readAt(at, chunk.data(), chunk.size(), got) || got == 0)
            break;
        at += got;
        buffer.append(chunk.data(), got);
        if (first && buffer.size() >= kUtf8Mark.size()) {
            if (startsWith(buffer, kUtf8Mark))
                buffer.erase(0, kUtf8Mark.size());
            first = false;
        }
        std::size_t start = 0;
        for (std::size_t nl; (nl = buffer.find('\n', start)) != std::string::npos; start = nl + 1)
            emit(std::string_view(buffer).substr(start, nl - start));
        buffer.erase(0, start);
    }
    if (first && startsWith(buffer, kUtf8Mark))
        buffer.erase(0, kUtf8Mark.size());
    emit(buffer);
    return true;
}

PracticeSums sumPracticeLog(const std::filesystem::path& file, const LocalDateTime& today) {
    PracticeSums sums;
    const std::int64_t t = dayNumber(today.year, today.month, today.day);
    std::vector<std::string> fields;
    forEachPracticeLogLine(file, [&](std::string_view line) {
        int y = 0, m = 0, d = 0;
        if (scanDate(line, y, m, d) < 3)
            return;
        const bool isToday = y == today.year && m == today.month && d == today.day;
        const std::int64_t day = dayNumber(y, m, d);
        const bool inWeek = day != 0 && t - day >= 0 && t - day <= 6;
        const bool inMonth = y == today.year && m == today.month;
        if (!isToday && !inWeek && !inMonth)
            return;
        splitCsvLine(line, fields);
        if (isToday)
            addPracticeRow(sums.today, fields);
        if (inWeek)
            addPracticeRow(sums.week, fields);
        if (inMonth)
            addPracticeRow(sums.month, fields);
    });
    return sums;
}

}  // namespace quorvel
