// The English template and dictionary parsers and a batch drawn from what they read. The
// input is the template file, a NUL, then the dictionary file.
#include <cstdint>

#include "generation/english_generator.h"
#include "storage/text_decode.h"
#include "tests/fuzz/fuzz_input.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [templateBytes, dictionaryBytes] = fuzz::splitAtNul(fuzz::bytesOf(data, size));
    std::u16string templateText;
    std::u16string dictionaryText;
    if (!decodeText(templateBytes, templateText) || !decodeText(dictionaryBytes, dictionaryText))
        return 0;
    auto templates = parseEnglishTemplates(templateText);
    auto dictionary = parseEnglishDictionary(dictionaryText);
    for (const auto& t : templates)
        fuzz::check(!t.text.empty() && 0 <= t.lowestLevel && t.lowestLevel <= t.highestLevel);
    for (const auto& [key, words] : dictionary)
        fuzz::check(!key.empty() && !words.empty());
    if (templates.empty() || dictionary.empty())
        return 0;
    enlargePools(templates, dictionary);
    RandomGenerator random;
    random.seed(static_cast<std::uint32_t>(size));
    TelegramList records;
    const int level = static_cast<int>(size % 5);
    if (latinBatch(templates, dictionary, level, static_cast<int>(size % 10), random, records) ==
        LatinBatchError::None)
        fuzz::check(records.size() == static_cast<std::size_t>(kLatinBatchSize));
    return 0;
}
