// quorvel-cli generate: a random telegram set written as a telegram text file.
#include <cstdio>
#include <ctime>

#include "cli/cli.h"
#include "generation/english_generator.h"
#include "generation/japanese_generator.h"
#include "practice/telegram_file.h"
#include "storage/char_log.h"
#include "storage/paths.h"
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
    bool haveSeed = false;
    std::uint32_t seed = 0;
    std::string out;
    std::string dataDir;
};

bool parseSeed(const std::string& text, std::uint32_t& seed) {
    if (text.empty() || text.size() > 10)
        return false;
    unsigned long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v > 0xFFFFFFFFull)
        return false;
    seed = static_cast<std::uint32_t>(v);
    return true;
}

int parseOptions(const Args& args, GenerateOptions& o) {
    ArgReader r(args);
    bool haveLang = false;
    while (!r.done()) {
        const std::string a = r.next();
        std::string v;
        if (a == "--lang") {
            if (!r.value(v) || (v != "ja" && v != "latin"))
                return usageError(kName, "--lang takes ja or latin");
            o.latin = v == "latin";
            haveLang = true;
        } else if (a == "--level") {
            if (!r.value(v) || !parseInt(v, 0, kLevelCount - 1, o.level))
                return usageError(kName, "--level takes a learning level from 0 to 4");
        } else if (a == "--category") {
            if (!r.value(v) || !parseInt(v, 0, kCategoryCount - 1, o.category))
                return usageError(kName, "--category takes a list position from 0 to 9");
        } else if (a == "--weak") {
            o.weak = true;
        } else if (a == "--normal") {
            o.normal = true;
        } else if (a == "--seed") {
            if (!r.value(v) || !parseSeed(v, o.seed))
                return usageError(kName, "--seed takes a number from 0 to 4294967295");
            o.haveSeed = true;
        } else if (a == "--out") {
            if (!r.value(o.out) || o.out.empty())
                return usageError(kName, "--out needs a FILE");
        } else if (a == "--data-dir") {
            if (!r.value(o.dataDir) || o.dataDir.empty())
                return usageError(kName, "--data-dir needs a directory");
        } else {
            return usageError(kName, "unknown argument " + a);
        }
    }
    if (!haveLang)
        return usageError(kName, "missing --lang");
    if (o.out.empty())
        return usageError(kName, "missing --out FILE");
    return 0;
}

int runGenerate(const Args& args) {
    GenerateOptions o;
    if (int status = parseOptions(args, o); status != 0)
        return status;

    const DataPaths paths = DataPaths::fromSystem(o.dataDir);
    const GeneratorFiles files = generatorFiles(paths);
    RandomGenerator random;
    random.seed(o.haveSeed ? o.seed : static_cast<std::uint32_t>(std::time(nullptr)));

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
    if (!writeTelegramFile(o.out, records, o.latin, &reason)) {
        std::fprintf(stderr, "quorvel-cli generate: cannot write %s: %s\n", o.out.c_str(),
                     reason.c_str());
        return 1;
    }
    std::printf("generated %zu telegrams into %s\n", records.size(), o.out.c_str());
    return 0;
}

const bool registered =
    registerCommand({kName,
                     "--lang ja|latin [--level N] [--category N] [--weak] [--normal] [--seed S] "
                     "[--data-dir DIR] --out FILE",
                     runGenerate});

}  // namespace
}  // namespace quorvel::cli
