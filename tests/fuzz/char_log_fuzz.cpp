// The character log reader; what it reads must survive a rewrite of the log.
#include <cstdint>

#include "storage/char_log.h"
#include "tests/fuzz/fuzz_input.h"

using namespace quorvel;

namespace {
// Half of a pair cannot be written as UTF-8: it comes back as U+FFFD, merged with that row.
bool survivesUtf8(char16_t c) {
    return (c < 0xD800 || c > 0xDFFF) && c != 0xFFFD;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CharLogTable table;
    parseCharLog(fuzz::bytesOf(data, size), table);

    // The counts of every character the log can hold come back from the rewritten file.
    const std::string written = formatCharLog(table);
    CharLogTable again;
    parseCharLog(written, again);
    bool merged = false;
    for (const auto& [c, stat] : table) {
        merged = merged || !survivesUtf8(c);
        // A keyed space or control character (written as a space) cannot be told from the
        // spaces between entries; the decoder never yields one.
        for (const auto& [k, n] : stat.confusions)
            merged = merged || !survivesUtf8(k) || k < 0x20 || k == 0x7F || k == u' ';
        if (!charLogAccepts(c) || !survivesUtf8(c))
            continue;
        const auto it = again.find(c);
        fuzz::check(it != again.end());
        fuzz::check(it->second.asked == stat.asked && it->second.correct == stat.correct &&
                    it->second.wrong == stat.wrong);
    }
    // A log the program wrote rewrites to the same bytes.
    if (!merged)
        fuzz::check(formatCharLog(again) == written);
    return 0;
}
