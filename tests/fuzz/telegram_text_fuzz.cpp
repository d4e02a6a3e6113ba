// Decoding and splitting telegram files; a split set that formats must read back unchanged.
#include <cstdint>

#include "practice/telegram_file.h"
#include "storage/text_decode.h"
#include "tests/fuzz/fuzz_input.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    if (!decodeText(fuzz::bytesOf(data, size), text))
        return 0;
    fuzz::check(text.find(u'\r') == std::u16string::npos);
    const auto file = parseTelegramText(text);
    if (!file)
        return 0;
    fuzz::check(!file->records.empty());
    std::u16string written;
    if (!formatTelegramFile(file->records, file->latin, written))
        return 0;
    const auto again = parseTelegramText(written);
    fuzz::check(again && again->latin == file->latin && again->records == file->records);
    return 0;
}
