// The CSV conventions: splitting both text forms, quoting round trips, the number fields.
#include <cstdint>
#include <map>
#include <vector>

#include "storage/csv.h"
#include "storage/utf.h"
#include "tests/fuzz/fuzz_input.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);
    std::vector<std::string> fields;
    splitCsvLine(bytes, fields);
    fuzz::check(!fields.empty());
    std::size_t total = 0;
    for (const auto& f : fields)
        total += f.size();
    fuzz::check(total <= bytes.size());

    const std::u16string text = fromUtf8(bytes);
    const auto wide = splitCsvLine(text);
    fuzz::check(!wide.empty());

    // A quoted field reads back as one field holding the text, control characters as spaces.
    const auto quoted = splitCsvLine(csvText(text));
    fuzz::check(quoted.size() == 1);
    std::u16string expected = text;
    for (auto& c : expected)
        if (c < 0x20 || c == 0x7F)
            c = u' ';
    fuzz::check(quoted[0] == expected);

    csvInt(bytes);
    parseDuration(bytes);
    parseDuration(text);
    int y = 0, m = 0, d = 0;
    const int n = scanDate(bytes, y, m, d);
    fuzz::check(n >= 0 && n <= 3);
    const auto day = dayNumber(y, m, d);
    fuzz::check(day >= 0);

    std::map<char16_t, int> confusions;
    parseConfusions(text, confusions);
    for (const auto& [c, count] : confusions)
        fuzz::check(count >= 1);
    formatConfusions(confusions);
    return 0;
}
