// quorvel-cli generate: a random telegram set written as a telegram text file.
#include <cstdio>
#include <ctime>

#include "cli/cli.h"
#include "cli/path_option.h"
#include "generation/english_generator.h"
#include "generation/japanese_generator.h"
#include "practice/telegram_file.h"
#include "storage/char_log.h"
#include "storage/paths.h"
#include "storage/settings_file.h"
#include "storage/utf.h"

namespace quorvel::cli {
namespace {

constexpr const char* kName = "generate";

struct GenerateOptions {
    bool latin = false;
    int level = 0;
    int category = 0;
    bool weak = false;
    bool normal = false;
    std::optional<std::uint32_t> seed;
    std::string out;
    std::string dataDir;
};

int runGenerate(const GenerateOptions& o) {
    if (o.out.empty()) {
        std::fprintf(stderr, "quorvel-cli generate: --out needs a file name (it is empty)\n");
        return 1;
    }
    // Said before generating, and without the name of the temporary file a write would use.
    const std::filesystem::path outDir = std::filesystem::absolute(o.out).parent_path();
    std::error_code ec;
    if (!std::filesystem::is_directory(outDir, ec)) {
        std::fprintf(stderr, "quorvel-cli generate: cannot write %s: no directory %s\n",
                     o.out.c_str(), outDir.string().c_str());
        return 1;
    }
    const DataPaths paths = DataPaths::fromSystem(o.dataDir);
    const GeneratorFiles files = generatorFiles(paths);
    RandomGenerator random;
    random.seed(o.seed ? *o.seed : static_cast<std::uint32_t>(std::time(nullptr)));

    TelegramList records;
    if (o.latin) {
        std::vector<EnglishTemplate> templates;
        EnglishDictionary dictionary;
        if (!loadEnglishSources(files, templates, dictionary)) {
            std::fprintf(stderr, "quorvel-cli generate: cannot read %s or %s\n",
                         files.find(kEnglishTemplatesFile).string().c_str(),
                         files.find(kEnglishDictionaryFile).string().c_str());
            return 1;
        }
        if (latinBatch(templates, dictionary, o.level, o.category, random, records) !=
            LatinBatchError::None) {
            std::fprintf(stderr,
                         "quorvel-cli generate: no English template for level %d in category "
                         "%s\n",
                         o.level, toUtf8(englishCategory(o.category)).c_str());
            return 1;
        }
    } else {
        CharStats stats;
        if (o.weak)
            readCharLog(paths.charLog(), stats);  // a missing log means no statistics
        JapaneseOptions options{o.level, o.category, !o.normal, o.weak};
        records = JapaneseGenerator(builtInJapaneseTables(), random, options, files, stats).batch();
    }

    std::string reason;
    std::u16string text;
    if (!formatTelegramFile(records, o.latin, text, &reason)) {
        // The set came from the generator's files: they are what needs mending.
        const std::string source = o.latin ? files.find(kEnglishTemplatesFile).string() + " / " +
                                                 files.find(kEnglishDictionaryFile).string()
                                           : std::string("the Japanese generator files");
        std::fprintf(stderr,
                     "quorvel-cli generate: a generated telegram cannot be written as a telegram "
                     "file (%s); check %s\n",
                     reason.c_str(), source.c_str());
        return 1;
    }
    if (!writeTelegramFile(o.out, records, o.latin, &reason)) {
        // A reason from the file layer already names the file.
        if (reason.find(o.out) != std::string::npos)
            std::fprintf(stderr, "quorvel-cli generate: %s\n", reason.c_str());
        else
            std::fprintf(stderr, "quorvel-cli generate: cannot write %s: %s\n", o.out.c_str(),
                         reason.c_str());
        return 1;
    }
    std::printf("generated %zu telegrams into %s\n", records.size(), o.out.c_str());
    return 0;
}

std::string categoryList() {
    std::string text = "Categories (--category N):\n";
    for (int i = 0; i < kCategoryCount; ++i)
        text += "  " + std::to_string(i) + "  " +
                toUtf8(std::u16string(kCategoryNames[static_cast<std::size_t>(i)])) + " / " +
                toUtf8(englishCategory(i)) + "\n";
    text += "Levels (--level N):\n";
    for (int i = 0; i < kLevelCount; ++i)
        text +=
            "  " + std::to_string(i) + "  " + toUtf8(std::u16string(learningLevelName(i))) + "\n";
    return text;
}

Runner defineGenerate(CLI::App& app) {
    auto o = std::make_shared<GenerateOptions>();
    app.add_option_function<std::string>(
           "--lang", [o](const std::string& lang) { o->latin = lang == "latin"; },
           "Language of the set: ja (ten Japanese telegrams) or latin (English ones)")
        ->check(CLI::IsMember({"ja", "latin"}))
        ->required()
        ->type_name("ja|latin");
    app.add_option("--level", o->level, "Learning level, as listed below")
        ->check(CLI::Range(0, kLevelCount - 1))
        ->capture_default_str()
        ->type_name("N");
    app.add_option("--category", o->category, "Category, as listed below (Japanese / English)")
        ->check(CLI::Range(0, kCategoryCount - 1))
        ->capture_default_str()
        ->type_name("N");
    app.add_flag("--weak", o->weak,
                 "Japanese: build the telegrams from the characters most often missed (the "
                 "character log of the data directory)");
    app.add_flag("--normal", o->normal,
                 "Japanese: the normal random texts instead of the second-generation ones");
    app.add_option_function<std::uint32_t>(
           "--seed", [o](const std::uint32_t& seed) { o->seed = seed; },
           "Seed of the random generator, 0 to 4294967295 (default: the time): the same seed "
           "gives the same set")
        ->check(CLI::Range(0u, 0xFFFFFFFFu))
        ->type_name("S");
    app.add_option("--out", o->out, "Telegram file to write (replaced whole)")
        ->required()
        ->check(nonEmptyPath())
        ->type_name("FILE");
    app.add_option("--data-dir", o->dataDir,
                   "Data directory, for the character log of --weak (default: QUORVEL_DATA_DIR, "
                   "else the per-user data directory)")
        ->check(nonEmptyPath())
        ->type_name("DIR");
    app.footer(categoryList() +
               "Template and dictionary files are read beside the executable, then from the "
               "installed share directory.\nExample: quorvel-cli generate --lang latin --level 2 "
               "--seed 7 --out set.txt");
    return [o] { return runGenerate(*o); };
}

const bool registered =
    registerCommand({kName, "Write a random telegram set as a telegram text file", defineGenerate});

}  // namespace
}  // namespace quorvel::cli
