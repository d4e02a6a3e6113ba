// The learner's Japanese template files as the generator reads them, and the theme tables'
// parser. The input is the template file, a NUL, then theme data for the tables.
#include <cstdint>

#include "generation/japanese_generator.h"
#include "tests/fuzz/fuzz_input.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [templateBytes, themeBytes] = fuzz::splitAtNul(fuzz::bytesOf(data, size));
    const auto file = fuzz::writeScratch(templateFileName(0), templateBytes);
    for (const auto& line : readTemplateFile(file))
        fuzz::check(!line.empty() && line[0] != u'#');

    JapaneseTables tables = parseJapaneseTables(themeBytes, themeBytes);
    tables.index();
    RandomGenerator random;
    random.seed(static_cast<std::uint32_t>(size));
    GeneratorFiles files;
    files.directories.push_back(fuzz::scratchDirectory());
    const CharStats stats;
    JapaneseGenerator generator(tables, random, JapaneseOptions{}, files, stats);
    std::u16string text;
    const int target = static_cast<int>(size % 90);
    if (generator.templateFileText(target, text))
        fuzz::check(!text.empty());
    for (const auto& t : tables.templates)
        generator.expandTemplate(t.text);
    generator.secondGenerationText(target);
    return 0;
}
