#include "generation/japanese_generator.h"

#include <algorithm>
#include <string>
#include <utility>

#include "morse/code_tables.h"
#include "practice/document.h"
#include "storage/settings.h"
#include "storage/text_decode.h"
#include "storage/text_util.h"

namespace quorvel {

const std::array<std::u16string_view, kCategoryCount> kCategoryNames = {
    u"すべて", u"四季・自然", u"天候・風景", u"旅行", u"仕事",
    u"学校",   u"無線",       u"防災",       u"行政", u"国家試験"};

namespace {

constexpr std::array<int, kLevelCount> kBaseLength = {80, 100, 120, 150, 160};
constexpr std::array<int, kLevelCount> kWeakSpacing = {16, 10, 10, 7, 7};
constexpr int kMinLength = 80;
constexpr int kMaxLength = 180;

constexpr std::array<std::u16string_view, 16> kPhrases = {
    u"アサノヒカリ",       u"ユウグレノカゼ", u"マチノエキ",     u"シズカナミチ",
    u"デンポウレンシュウ", u"ムセンノオト",   u"キセツノハナ",   u"アメアガリ",
    u"ヤマノミドリ",       u"ウミノヒカリ",   u"ソラノクモ",     u"カワノナガレ",
    u"シケンノジュンビ",   u"キロクヲトル",   u"レンラクヲマツ", u"アスノヨテイ"};
constexpr std::array<std::u16string_view, 6> kParticles = {u"ハ", u"ニ", u"デ",
                                                           u"ヲ", u"ト", u"カラ"};
constexpr char16_t kClose = u'」';

std::size_t clampedTarget(int target) {
    return static_cast<std::size_t>(std::clamp(target, kMinLength, kMaxLength));
}

void appendWhileShorter(std::u16string& text, std::u16string_view piece, std::size_t n) {
    for (char16_t c : piece) {
        if (text.size() >= n)
            return;
        text.push_back(c);
    }
}

// The ending every Japanese generator shares: padded with "」", cut to n, "」" last.
std::u16string finish(std::u16string text, std::size_t n) {
    if (text.size() < n)
        text.append(n - text.size(), kClose);
    text.resize(n);
    if (!text.empty())
        text.back() = kClose;
    return text;
}

}  // namespace

JapaneseGenerator::JapaneseGenerator(const JapaneseTables& tables, RandomGenerator& random,
                                     JapaneseOptions options, GeneratorFiles files,
                                     const CharStats& stats)
    : tables_(tables),
      random_(random),
      options_(options),
      files_(std::move(files)),
      stats_(stats) {}

int JapaneseGenerator::level() const {
    return std::clamp(options_.level, 0, kLevelCount - 1);
}

int JapaneseGenerator::targetLength() {
    const int d = 5 + random_.below(11);
    const int base = kBaseLength[static_cast<std::size_t>(level())];
    return random_.draw() % 2 == 1 ? base + d : base - d;
}

std::u16string JapaneseGenerator::normalText(int target) {
    const std::size_t n = clampedTarget(target);
    std::u16string text;
    for (int round = 0; round < 300; ++round) {
        if (!text.empty() && text.back() != kClose) {
            if (random_.below(5) != 0)
                text.append(kParticles[static_cast<std::size_t>(random_.below(6))]);
            else
                text.push_back(kClose);
        }
        appendWhileShorter(text, kPhrases[static_cast<std::size_t>(random_.below(16))], n);
        if (text.size() >= n)
            break;
    }
    if (text.empty())
        text = kFallbackText;
    return cleanText(finish(std::move(text), n));
}

int JapaneseGenerator::anyTemplate() {
    return random_.below(static_cast<int>(tables_.templates.size()));
}

int JapaneseGenerator::templateOfTheme(std::u16string_view theme) {
    const auto& rows = tables_.templatesOfTheme(theme);
    if (rows.empty())
        return anyTemplate();
    return rows[static_cast<std::size_t>(random_.below(static_cast<int>(rows.size())))];
}

std::u16string JapaneseGenerator::cleanExpansion(int row) {
    return cleanText(expandTemplate(tables_.templates[static_cast<std::size_t>(row)].text));
}

std::u16string JapaneseGenerator::startTemplateTheme(int& row) {
    const int c = options_.category;
    if (c <= 0 || c >= kCategoryCount) {
        row = anyTemplate();
    } else {
        const std::u16string_view entry = kCategoryNames[static_cast<std::size_t>(c)];
        std::vector<int> matches;
        for (std::size_t i = 0; i < tables_.templates.size(); ++i) {
            const std::u16string_view theme = tables_.templates[i].theme;
            if (theme.find(entry) != std::u16string_view::npos ||
                entry.find(theme) != std::u16string_view::npos)
                matches.push_back(static_cast<int>(i));
        }
        row = matches.empty() ? anyTemplate()
                              : matches[static_cast<std::size_t>(
                                    random_.below(static_cast<int>(matches.size())))];
    }
    return tables_.templates[static_cast<std::size_t>(row)].theme;
}

std::u16string JapaneseGenerator::secondGenerationText(int target) {
    const std::size_t n = clampedTarget(target);
    std::u16string fromFile;
    if (templateFileText(static_cast<int>(n), fromFile))
        return fromFile;
    if (tables_.templates.empty())
        return finish(std::u16string(kFallbackText), n);

    int start = 0;
    const std::u16string theme = startTemplateTheme(start);
    std::u16string text;
    appendWhileShorter(text, random_.below(3) != 0 ? cleanExpansion(start) : joinedPair(theme), n);
    for (int round = 0; round < 80 && text.size() < n; ++round) {
        const int row = templateOfTheme(theme);
        std::u16string piece = random_.below(4) != 0 ? cleanExpansion(row) : joinedPair(theme);
        if (piece.empty())
            piece = cleanExpansion(anyTemplate());
        appendWhileShorter(text, piece, n);
    }
    if (text.empty())
        text = kFallbackText;
    return finish(std::move(text), n);
}

bool JapaneseGenerator::templateFileText(int target, std::u16string& out) {
    if (target <= 0)
        return false;
    const auto lines = readTemplateFile(files_.find(templateFileName(level())));
    if (lines.empty())
        return false;
    const auto n = static_cast<std::size_t>(target);
    std::u16string text;
    for (int round = 0; round < 100 && text.size() < n; ++round) {
        const auto& line =
            lines[static_cast<std::size_t>(random_.below(static_cast<int>(lines.size())))];
        appendWhileShorter(text, cleanText(line), n);
    }
    if (text.empty())
        return false;
    out = finish(std::move(text), n);
    return true;
}

std::u16string JapaneseGenerator::expandTemplate(std::u16string_view templ) {
    std::u16string out;
    for (std::size_t i = 0; i < templ.size();) {
        if (templ[i] == u'[') {
            const auto close = templ.find(u']', i + 1);
            if (close != std::u16string_view::npos) {
                out += pickWordOrPair(templ.substr(i + 1, close - i - 1));
                i = close + 1;
                continue;
            }
        }
        out.push_back(templ[i++]);
    }
    return out;
}

std::u16string JapaneseGenerator::pickWord(std::u16string_view key) {
    const int index = tables_.findWordList(key);
    if (index < 0)
        return {};
    const auto& words = tables_.wordLists[static_cast<std::size_t>(index)].words;
    if (words.empty())
        return {};
    return words[static_cast<std::size_t>(random_.below(static_cast<int>(words.size())))];
}

std::u16string JapaneseGenerator::pickWordOrPair(std::u16string_view key) {
    std::u16string first = pickWord(key);
    if (!first.empty() && random_.below(8) == 0) {
        std::u16string second = pickWord(key);
        if (!second.empty() && second != first)
            return first + u"ト" + second;
    }
    return first;
}

std::u16string JapaneseGenerator::joinedPair(std::u16string_view theme) {
    if (tables_.templates.empty())
        return {};
    const int a = templateOfTheme(theme);
    const int b = templateOfTheme(theme);
    std::u16string first = cleanExpansion(a);
    std::u16string second = cleanExpansion(b);
    if (first.empty())
        return second;
    if (second.empty())
        return first;
    if (random_.below(3) != 0)
        return first + (random_.draw() % 2 == 1 ? u"オナジヨウニ" : u"マタ") + second;
    return first + u"シタガツテ" + second;
}

std::u16string JapaneseGenerator::weakText(std::u16string_view text, int target) {
    const std::u16string weak = weakCharacters(stats_, 8);
    if (weak.empty())
        return std::u16string(text);
    if (target <= 0)
        return {};
    const auto t = static_cast<std::size_t>(target);
    const auto spacing = static_cast<std::size_t>(kWeakSpacing[static_cast<std::size_t>(level())]);
    std::u16string out;
    std::size_t k = 0;
    std::size_t p = 0;
    for (; p < text.size() && out.size() < t; ++p) {
        if (p > 0 && p % spacing == 0 && out.size() + 2 < t) {
            out.push_back(weak[k++ % weak.size()]);
            if (k % 3 == 0 && out.size() + 1 < t)
                out.push_back(kClose);
        }
        out.push_back(text[p]);
    }
    if (p >= text.size()) {
        for (bool weakNext = true; out.size() < t; weakNext = !weakNext)
            out.push_back(weakNext ? weak[k++ % weak.size()] : kClose);
    }
    out.resize(t);
    out.back() = kClose;
    return out;
}

TelegramList JapaneseGenerator::batch() {
    TelegramList records;
    int m = 0;
    for (int i = 0; i < kBatchSize; ++i) {
        const int target = targetLength();
        std::u16string text =
            options_.secondGeneration ? secondGenerationText(target) : normalText(target);
        if (options_.weak)
            text = weakText(text, target);
        TelegramRecord r;
        r.preamble = kanjiNumber(countField(text));
        if (i == 0)
            m = random_.draw();
        r.office =
            std::u16string(kJapaneseOffices[static_cast<std::size_t>((m + 7 * i) % kAddressRows)]);
        r.serial = kanjiNumber((13 * m + 37 * i) % 999 + 1);
        r.filingTime = std::u16string(i % 2 == 0 ? u"コ" : u"セ") + kanjiNumber((m + 5 * i) % 12) +
                       u"、" + kanjiNumber((7 * m + 11 * i) % 60);
        r.address = japaneseAddress(tables_, (11 * i + 3 * m) % kAddressRows);
        r.text = std::move(text);
        records.push_back(std::move(r));
    }
    return records;
}

std::string_view templateFileName(int level) {
    if (level <= 1)
        return "templates_beginner.txt";
    if (level >= 4)
        return "templates_exam.txt";
    return "templates_nature.txt";
}

std::vector<std::u16string> readTemplateFile(const std::filesystem::path& path) {
    std::vector<std::u16string> lines;
    std::u16string text;
    if (!readDecodedFile(path, text))
        return lines;
    for (std::u16string_view line : usableLines(text))
        lines.emplace_back(line);
    return lines;
}

std::u16string cleanText(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (isTextBlank(c))
            continue;
        if (c >= 0x3041 && c <= 0x3093)
            c = static_cast<char16_t>(c + 0x60);
        out.push_back(c);
    }
    return out;
}

std::u16string weakCharacters(const CharStats& stats, int limit, bool wabunOnly) {
    struct Entry {
        char16_t c;
        long long score;
    };
    std::vector<Entry> entries;  // the table's order: ascending character code
    for (const auto& [c, s] : stats) {
        if (s.asked < 1)
            continue;
        const long long accuracy = 100LL * s.correct / s.asked;
        if (accuracy >= 90 && s.wrong <= 0)
            continue;
        entries.push_back(
            {c, static_cast<long long>(s.asked) + 3LL * s.wrong + 10 * (100 - accuracy)});
    }
    // Exchange sort, highest first; equal scores keep this sort's own (not stable) order.
    for (std::size_t i = 0; i < entries.size(); ++i)
        for (std::size_t j = i + 1; j < entries.size(); ++j)
            if (entries[j].score > entries[i].score)
                std::swap(entries[i], entries[j]);
    std::u16string out;
    for (const auto& e : entries) {
        if (static_cast<int>(out.size()) >= limit)
            break;
        if (e.c == u' ' || e.c == u'\u3000' || e.c == u'「' || e.c == u'」')
            continue;
        // The log holds Latin practice too; a letter in a kana telegram could not be keyed.
        if (wabunOnly && !codeFor(e.c, false))
            continue;
        out.push_back(e.c);
    }
    return out;
}

int countField(std::u16string_view text) {
    std::size_t len = text.size();
    while (len >= 2 && text[len - 1] == kClose && text[len - 2] == kClose)
        --len;
    int count = 0;
    for (std::size_t i = 0; i < len; ++i)
        if (!isTextBlank(text[i]))
            ++count;
    return count;
}

std::u16string kanjiNumber(int n) {
    static constexpr std::u16string_view kDigits = u"〇一二三四五六七八九";
    const std::string decimal = std::to_string(std::max(n, 0));
    std::u16string out;
    for (char d : decimal)
        out.push_back(kDigits[static_cast<std::size_t>(d - '0')]);
    return out;
}

void generateJapaneseSet(TelegramDocument& document, const PracticeSettings& settings,
                         RandomGenerator& random, const GeneratorFiles& files,
                         const CharStats& stats, std::uint32_t nowSeconds,
                         const JapaneseTables& tables) {
    random.seedOnce(nowSeconds);
    JapaneseOptions options;
    options.level = std::clamp(PracticeSettings::get(settings.LearningLevel), 0, kLevelCount - 1);
    options.category = PracticeSettings::get(settings.RandomCategory);
    options.secondGeneration = PracticeSettings::get(settings.secondGeneration) != 0;
    options.weak = PracticeSettings::get(settings.WeakTelegram) != 0;
    JapaneseGenerator generator(tables, random, options, files, stats);
    document.installSet(generator.batch(), false);
    auto& view = document.view();
    if (options.secondGeneration) {
        view.showMessage(u"第2世代ランダム電報を生成しました");
        view.resultLabelChanged(u"第2世代ランダム電報 10通生成");
    } else {
        view.showMessage(u"通常ランダム電報を生成しました");
        view.resultLabelChanged(u"通常ランダム電報 10通生成");
    }
}

}  // namespace quorvel
