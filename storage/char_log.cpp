#include "storage/char_log.h"

#include <climits>
#include <initializer_list>
#include <vector>

#include "storage/csv.h"
#include "storage/file_io.h"
#include "storage/practice_log.h"
#include "storage/utf.h"

namespace quorvel {
namespace {

int saturatingAdd(int a, int b) {
    const long long s = static_cast<long long>(a) + b;
    return s > INT_MAX ? INT_MAX : s < INT_MIN ? INT_MIN : static_cast<int>(s);
}

bool startsWith(std::u16string_view s, std::u16string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

std::u16string number(long long v) {
    const std::string s = std::to_string(v);
    return std::u16string(s.begin(), s.end());
}

void addRow(CharLogTable& table, const std::vector<std::u16string>& f) {
    char16_t c = 0;
    std::size_t first = 0;  // index of the "asked" field
    if (f.size() >= 4 && f[0].size() == 1) {
        c = f[0][0];
        first = 1;
    } else if (f.size() >= 5 && !f[1].empty()) {
        c = f[1][0];
        first = 2;
    } else {
        return;
    }
    CharStat& s = table[c];
    s.asked = saturatingAdd(s.asked, csvInt(f[first]));
    s.correct = saturatingAdd(s.correct, csvInt(f[first + 1]));
    s.wrong = saturatingAdd(s.wrong, csvInt(f[first + 2]));
    if (f.size() >= 6)
        parseConfusions(f[5], s.confusions);
}

}  // namespace

void addJudgement(CharStat& stat, char16_t keyed, bool correct) {
    stat.asked = saturatingAdd(stat.asked, 1);
    if (correct) {
        stat.correct = saturatingAdd(stat.correct, 1);
    } else {
        stat.wrong = saturatingAdd(stat.wrong, 1);
        if (keyed != 0)
            stat.confusions[keyed] = saturatingAdd(stat.confusions[keyed], 1);
    }
}

bool charLogAccepts(char16_t model) {
    return model >= 0x20 && model != 0x7F;
}

std::string formatCharLog(const CharLogTable& table) {
    std::u16string text;
    for (const auto& [c, s] : table) {
        if (!charLogAccepts(c))
            continue;
        if (c == u',' || c == u'"')
            text += csvText(std::u16string(1, c));
        else
            text.push_back(c);
        const long long rate = s.asked < 1 ? 0 : 100LL * s.correct / s.asked;
        // Appended piece by piece: GCC 12 at -O3 reports a false -Wrestrict for a literal
        // prepended to a temporary string.
        for (const auto& field : {number(s.asked), number(s.correct), number(s.wrong), number(rate),
                                  csvText(formatConfusions(s.confusions))})
            text.append(u",").append(field);
        text += u"\r\n";
    }
    std::string out(kUtf8Mark);
    out += kCharLogHeader;
    out += toUtf8(text);
    return out;
}

void parseCharLog(std::string_view bytes, CharLogTable& table) {
    if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark)
        bytes.remove_prefix(kUtf8Mark.size());
    const std::u16string text = fromUtf8(bytes);
    const std::u16string_view all(text);
    std::size_t start = 0;
    while (start <= all.size()) {
        std::size_t nl = all.find(u'\n', start);
        if (nl == std::u16string_view::npos)
            nl = all.size();
        std::u16string_view line = all.substr(start, nl - start);
        start = nl + 1;
        if (!line.empty() && line.back() == u'\r')
            line.remove_suffix(1);
        if (line.empty() || startsWith(line, u"文字") || startsWith(line, u"日時"))
            continue;
        addRow(table, splitCsvLine(line));
    }
}

bool readCharLog(const std::filesystem::path& file, CharLogTable& table) {
    table.clear();
    const auto bytes = readFileBytes(file);
    if (!bytes)
        return false;
    parseCharLog(*bytes, table);
    std::string_view rest(*bytes);
    if (rest.substr(0, kUtf8Mark.size()) == kUtf8Mark)
        rest.remove_prefix(kUtf8Mark.size());
    return !rest.empty();
}

bool updateCharLog(const std::filesystem::path& file, char16_t model, char16_t keyed, bool correct,
                   bool sync) {
    if (!charLogAccepts(model))
        return false;
    CharLogTable table;
    if (const auto bytes = readFileBytes(file)) {
        parseCharLog(*bytes, table);
    } else {
        // A log that exists but cannot be read now must not be replaced by a single row.
        std::error_code ec;
        if (std::filesystem::exists(file, ec) || ec)
            return false;
    }
    addJudgement(table[model], keyed, correct);
    return replaceFile(file, formatCharLog(table), sync);
}

}  // namespace quorvel
