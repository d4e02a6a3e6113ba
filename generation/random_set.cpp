#include "generation/random_set.h"

#include "generation/english_generator.h"
#include "generation/japanese_generator.h"
#include "practice/document.h"

namespace quorvel {

void generateRandomSet(TelegramDocument& document, const PracticeSettings& settings,
                       RandomGenerator& random, const GeneratorFiles& files, const CharStats& stats,
                       std::uint32_t nowSeconds) {
    if (document.latinMode())
        generateLatinSet(document, settings, random, files, nowSeconds);
    else
        generateJapaneseSet(document, settings, random, files, stats, nowSeconds);
}

}  // namespace quorvel
