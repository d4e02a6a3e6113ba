// The "ランダム生成" button: the English generator in Latin practice, the Japanese one otherwise.
#pragma once

#include <cstdint>

#include "generation/generator_files.h"
#include "generation/random.h"
#include "storage/char_stat.h"

namespace quorvel {

class TelegramDocument;
struct PracticeSettings;

// `stats` is the character log's table (used by the Japanese weak-character telegrams);
// `nowSeconds` seeds the generator the first time.
void generateRandomSet(TelegramDocument& document, const PracticeSettings& settings,
                       RandomGenerator& random, const GeneratorFiles& files, const CharStats& stats,
                       std::uint32_t nowSeconds);

}  // namespace quorvel
