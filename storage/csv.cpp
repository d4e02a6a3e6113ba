#include "storage/csv.h"

#include <climits>

namespace quorvel {
namespace {

template <class Ch, class Out>
void splitInto(std::basic_string_view<Ch> line, Out& fields) {
    std::size_t n = 0;
    auto next = [&]() -> std::basic_string<Ch>& {
        if (n == fields.size())
            fields.emplace_back();
        auto& f = fields[n++];
        f.clear();
        return f;
    };
    auto* field = &next();
    bool quoted = false;
    std::size_t i = 0;
    while (i < line.size()) {
        // Copy the run up to the next quote (or comma outside quotes) in one step.
        std::size_t stop = i;
        while (stop < line.size() && line[stop] != Ch('"') && (quoted || line[stop] != Ch(',')))
            ++stop;
        field->append(line.data() + i, stop - i);
        i = stop;
        if (i >= line.size())
            break;
        if (line[i] == Ch(',')) {
            field = &next();
            ++i;
        } else if (quoted && i + 1 < line.size() && line[i + 1] == Ch('"')) {
            field->push_back(Ch('"'));
            i += 2;
        } else {
            quoted = !quoted;
            ++i;
        }
    }
    fields.resize(n);
}

template <class Ch>
bool isSpace(Ch c) {
    return c == Ch(' ') || (c >= Ch('\t') && c <= Ch('\r'));
}

// One "%d" conversion: white space, sign, at least one digit. Advances i on success.
template <class Ch>
bool scanInt(std::basic_string_view<Ch> s, std::size_t& i, int& out) {
    std::size_t j = i;
    while (j < s.size() && isSpace(s[j]))
        ++j;
    bool negative = false;
    if (j < s.size() && (s[j] == Ch('+') || s[j] == Ch('-')))
        negative = s[j++] == Ch('-');
    if (j >= s.size() || s[j] < Ch('0') || s[j] > Ch('9'))
        return false;
    long long v = 0;
    for (; j < s.size() && s[j] >= Ch('0') && s[j] <= Ch('9'); ++j) {
        if (v <= INT_MAX)
            v = v * 10 + (s[j] - Ch('0'));
    }
    if (negative)
        v = -v;
    out = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
    i = j;
    return true;
}

template <class Ch>
int intValue(std::basic_string_view<Ch> s) {
    std::size_t i = 0;
    int v = 0;
    return scanInt(s, i, v) ? v : 0;
}

// Like sscanf with "%d" conversions joined by `sep`: how many values were read.
template <class Ch>
int scanJoined(std::basic_string_view<Ch> s, Ch sep, int* out, int count) {
    std::size_t i = 0;
    for (int k = 0; k < count; ++k) {
        if (k > 0) {
            if (i >= s.size() || s[i] != sep)
                return k;
            ++i;
        }
        if (!scanInt(s, i, out[k]))
            return k;
    }
    return count;
}

int saturate(long long v) {
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

template <class Ch>
int durationOf(std::basic_string_view<Ch> s) {
    int v[3] = {0, 0, 0};
    if (scanJoined(s, Ch(':'), v, 3) == 3)
        return saturate(v[0] * 3600LL + v[1] * 60LL + v[2]);
    if (scanJoined(s, Ch(':'), v, 2) == 2)
        return saturate(v[0] * 60LL + v[1]);
    return intValue(s);
}

bool isConfusionSeparator(char16_t c) {
    return c == u' ' || c == u'、' || c == u',';
}
bool isColon(char16_t c) {
    return c == u':' || c == u'：';
}

bool leapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// Days from 1970-01-01 (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

std::vector<std::u16string> splitCsvLine(std::u16string_view line) {
    std::vector<std::u16string> fields;
    splitInto(line, fields);
    return fields;
}

void splitCsvLine(std::string_view line, std::vector<std::string>& fields) {
    splitInto(line, fields);
}

std::u16string csvText(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() + 2);
    out.push_back(u'"');
    for (char16_t c : text) {
        if (c == u'"')
            out.append(u"\"\"");
        else if (c < 0x20 || c == 0x7F)
            out.push_back(u' ');
        else
            out.push_back(c);
    }
    out.push_back(u'"');
    return out;
}

int csvInt(std::u16string_view text) {
    return intValue(text);
}
int csvInt(std::string_view text) {
    return intValue(text);
}

int parseDuration(std::u16string_view text) {
    return durationOf(text);
}
int parseDuration(std::string_view text) {
    return durationOf(text);
}

int scanDate(std::string_view text, int& year, int& month, int& day) {
    int v[3] = {0, 0, 0};
    const int n = scanJoined(text, '/', v, 3);
    year = v[0];
    month = v[1];
    day = v[2];
    return n;
}

std::int64_t dayNumber(int year, int month, int day) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    // The range of the system calendar the log dates come from.
    if (year < 1601 || year > 30827 || month < 1 || month > 12 || day < 1)
        return 0;
    const int last = kDays[month - 1] + (month == 2 && leapYear(year) ? 1 : 0);
    if (day > last)
        return 0;
    return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
           daysFromCivil(1601, 1, 1);
}

void parseConfusions(std::u16string_view text, std::map<char16_t, int>& confusions) {
    std::size_t i = 0;
    while (i < text.size()) {
        // A "," or "、" followed by a colon is itself the confused character: the writer puts
        // only spaces between entries.
        while (i < text.size() && isConfusionSeparator(text[i]) &&
               !(text[i] != u' ' && i + 1 < text.size() && isColon(text[i + 1])))
            ++i;
        if (i >= text.size())
            break;
        const char16_t k = text[i++];
        // "なし" is the empty list; a keyed な or 無 is written like any other, with its colon.
        const bool counted = (k != u'な' && k != u'無') || (i < text.size() && isColon(text[i]));
        while (i < text.size() && isColon(text[i]))
            ++i;
        long long n = 0;
        bool digits = false;
        for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
            digits = true;
            if (n <= INT_MAX)
                n = n * 10 + (text[i] - u'0');
        }
        if (!digits || n < 1)
            n = 1;
        if (counted) {
            long long sum = static_cast<long long>(confusions[k]) + n;
            confusions[k] = sum > INT_MAX ? INT_MAX : static_cast<int>(sum);
        }
        while (i < text.size() && !isConfusionSeparator(text[i]))
            ++i;
    }
}

std::u16string formatConfusions(const std::map<char16_t, int>& confusions) {
    if (confusions.empty())
        return u"なし";
    std::u16string out;
    for (const auto& [c, n] : confusions) {
        out.push_back(c);
        out.push_back(u':');
        for (char ch : std::to_string(n))
            out.push_back(static_cast<char16_t>(ch));
        out.push_back(u' ');
    }
    return out;
}

}  // namespace quorvel
