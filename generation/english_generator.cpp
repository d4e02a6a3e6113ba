#include "generation/english_generator.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "practice/document.h"
#include "storage/settings.h"
#include "storage/text_decode.h"
#include "storage/text_util.h"

namespace quorvel {
namespace {

constexpr std::array<std::u16string_view, 10> kStations = {
    u"IZUMIMARU",   u"SHIKISHIMAMARU", u"VALDIVIA", u"TAMONMARU",  u"NAGASAKIRADIO",
    u"PACIFICSTAR", u"OCEANGLORY",     u"SEABIRD",  u"SAKURAMARU", u"BLUEHORIZON"};

// The names are fictional; the first two rows are the addresses of the built-in samples.
constexpr std::array<std::u16string_view, 6> kAddresses = {
    u"HELENA VOSKUIJLEN MARINE CENTER ROTTERDAM",  u"ARIF WIRANATA PORT AUTHORITY JAKARTA",
    u"MARGARET HOLLOWAY ELDORADO APPLETON",        u"IGNACIO ALDUNATE PUERTO MONTT RADIO",
    u"KLAUS BRANDSTETTER SHIPPING OFFICE HAMBURG", u"TAN WEI LING HARBOR MASTER SINGAPORE"};

constexpr std::array<std::u16string_view, 10> kCategories = {
    u"ALL",      u"NATURE", u"WEATHER",   u"TRAVEL", u"BUSINESS",
    u"TRAINING", u"RADIO",  u"EMERGENCY", u"PORT",   u"EXAM"};

constexpr std::array<std::u16string_view, 6> kAlternateKeys = {
    u"ROUTE", u"SERVICE", u"OPERATION", u"DOCUMENT", u"ANCHORAGE", u"BERTH"};

constexpr std::array<std::u16string_view, 5> kLevelNames = {u"BEGINNER", u"BASIC", u"INTERMEDIATE",
                                                            u"ADVANCED", u"EXAM"};

constexpr std::size_t kPairWords = 12;
constexpr int kTextAttempts = 20;

void appendUnique(std::vector<std::u16string>& list, std::u16string word) {
    if (std::find(list.begin(), list.end(), word) == list.end())
        list.push_back(std::move(word));
}

std::u16string ascii(const char* s) {
    return std::u16string(s, s + std::char_traits<char>::length(s));
}

}  // namespace

int parseLevel(std::u16string_view field) {
    for (std::size_t i = 0; i < kLevelNames.size(); ++i)
        if (field == kLevelNames[i])
            return static_cast<int>(i);
    std::size_t i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == u'+' || field[i] == u'-'))
        negative = field[i++] == u'-';
    long long value = 0;
    for (; i < field.size() && field[i] >= u'0' && field[i] <= u'9'; ++i)
        value =
            std::min(value * 10 + (field[i] - u'0'), 1000000LL);  // any large value is "above 4"
    return static_cast<int>(negative ? -value : value);
}

bool parseTemplateLine(std::u16string_view line, EnglishTemplate& record) {
    std::array<std::size_t, 3> bars{};
    std::size_t count = 0;
    for (std::size_t i = 0; i < line.size() && count < bars.size(); ++i)
        if (line[i] == u'|')
            bars[count++] = i;
    if (count < 2)
        return false;
    EnglishTemplate r;
    r.category = trimmed(line.substr(0, bars[0]));
    const auto first = trimmed(line.substr(bars[0] + 1, bars[1] - bars[0] - 1));
    if (count == 3) {
        r.lowestLevel = parseLevel(first);
        r.highestLevel = parseLevel(trimmed(line.substr(bars[1] + 1, bars[2] - bars[1] - 1)));
        r.text = trimmed(line.substr(bars[2] + 1));
    } else {
        r.lowestLevel = r.highestLevel = parseLevel(first);
        r.text = trimmed(line.substr(bars[1] + 1));
    }
    r.lowestLevel = std::max(r.lowestLevel, 0);
    r.highestLevel = std::min(r.highestLevel, 4);
    r.highestLevel = std::max(r.highestLevel, r.lowestLevel);
    if (r.category.empty() || r.text.empty())
        return false;
    record = std::move(r);
    return true;
}

std::vector<EnglishTemplate> parseEnglishTemplates(std::u16string_view text) {
    std::vector<EnglishTemplate> templates;
    for (auto line : usableLines(text)) {
        EnglishTemplate r;
        if (parseTemplateLine(line, r))
            templates.push_back(std::move(r));
    }
    return templates;
}

EnglishDictionary parseEnglishDictionary(std::u16string_view text) {
    EnglishDictionary dictionary;
    for (auto line : usableLines(text)) {
        const auto eq = line.find(u'=');
        if (eq == std::u16string_view::npos)
            continue;
        const auto key = trimmed(line.substr(0, eq));
        std::vector<std::u16string> words;
        std::u16string_view rest = line.substr(eq + 1);
        for (;;) {
            const auto comma = rest.find(u',');
            const auto item = trimmed(rest.substr(0, comma));
            if (!item.empty())
                words.emplace_back(item);
            if (comma == std::u16string_view::npos)
                break;
            rest.remove_prefix(comma + 1);
        }
        if (key.empty() || words.empty())
            continue;
        auto& list = dictionary[std::u16string(key)];
        for (auto& w : words)
            appendUnique(list, std::move(w));
    }
    return dictionary;
}

void enlargePools(std::vector<EnglishTemplate>& templates, EnglishDictionary& dictionary) {
    for (auto& [key, list] : dictionary) {
        const std::vector<std::u16string> before = list;
        const std::size_t w = std::min(before.size(), kPairWords);
        for (std::size_t k = 1; k < w; ++k)
            appendUnique(list, before[k - 1] + u" AND " + before[k]);
        if (std::find(kAlternateKeys.begin(), kAlternateKeys.end(), key) != kAlternateKeys.end())
            for (std::size_t k = 0; k < w; ++k)
                appendUnique(list, u"ALTERNATE " + before[k]);
    }

    const std::vector<EnglishTemplate> before = templates;
    // The nearest later template of the same category and range, found from the end so a
    // large file is not compared pair by pair.
    std::vector<int> partner(before.size(), -1);
    {
        std::map<std::tuple<std::u16string, int, int>, int> nearest;
        for (std::size_t i = before.size(); i-- > 0;) {
            const auto key =
                std::make_tuple(before[i].category, before[i].lowestLevel, before[i].highestLevel);
            auto it = nearest.find(key);
            if (it != nearest.end())
                partner[i] = it->second;
            nearest[key] = static_cast<int>(i);
        }
    }
    for (std::size_t m = 0; m < before.size(); ++m) {
        if (partner[m] < 0)
            continue;
        EnglishTemplate pair = before[m];
        pair.text += u" ALSO " + before[static_cast<std::size_t>(partner[m])].text;
        templates.push_back(std::move(pair));
    }
    for (std::size_t m = 0; m < before.size(); m += 3) {
        EnglishTemplate receipt = before[m];
        receipt.text += u" PLEASE CONFIRM RECEIPT";
        templates.push_back(std::move(receipt));
    }
}

bool loadEnglishSources(const GeneratorFiles& files, std::vector<EnglishTemplate>& templates,
                        EnglishDictionary& dictionary) {
    std::u16string templateText;
    std::u16string dictionaryText;
    if (!readDecodedFile(files.find(kEnglishTemplatesFile), templateText) ||
        !readDecodedFile(files.find(kEnglishDictionaryFile), dictionaryText))
        return false;
    auto t = parseEnglishTemplates(templateText);
    auto d = parseEnglishDictionary(dictionaryText);
    if (t.empty() || d.empty())
        return false;
    enlargePools(t, d);
    templates = std::move(t);
    dictionary = std::move(d);
    return true;
}

std::u16string expandEnglish(std::u16string_view text, const EnglishDictionary& dictionary,
                             RandomGenerator& random) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == u'[') {
            const auto close = text.find(u']', i + 1);
            if (close != std::u16string_view::npos) {
                auto it = dictionary.find(std::u16string(text.substr(i + 1, close - i - 1)));
                if (it != dictionary.end() && !it->second.empty())
                    out += it->second[static_cast<std::size_t>(
                        random.below(static_cast<int>(it->second.size())))];
                i = close + 1;
                continue;
            }
        }
        out.push_back(text[i++]);
    }
    while (!out.empty() && out.back() == u' ')
        out.pop_back();
    return out;
}

int wordCount(std::u16string_view text) {
    int count = 0;
    bool inWord = false;
    for (char16_t c : text) {
        const bool separator = c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
        if (!separator && !inWord)
            ++count;
        inWord = !separator;
    }
    return count;
}

std::u16string englishCategory(int position) {
    if (position < 0 || position >= static_cast<int>(kCategories.size()))
        return u"ALL";
    return std::u16string(kCategories[static_cast<std::size_t>(position)]);
}

LatinBatchError latinBatch(const std::vector<EnglishTemplate>& templates,
                           const EnglishDictionary& dictionary, int level, int category,
                           RandomGenerator& random, TelegramList& records) {
    const int l = std::clamp(level, 0, 4);
    const std::u16string c = englishCategory(category);
    std::vector<const EnglishTemplate*> candidates;
    auto fits = [l](const EnglishTemplate& t) { return t.lowestLevel <= l && l <= t.highestLevel; };
    for (const auto& t : templates)
        if (fits(t) && (c == u"ALL" || t.category == c))
            candidates.push_back(&t);
    if (candidates.empty())
        for (const auto& t : templates)
            if (fits(t))
                candidates.push_back(&t);
    if (candidates.empty())
        return LatinBatchError::NoTemplate;

    const int count = static_cast<int>(candidates.size());
    TelegramList out;
    std::u16string previous;
    for (int i = 0; i < kLatinBatchSize; ++i) {
        std::u16string text;
        for (int attempt = 0; attempt < kTextAttempts; ++attempt) {
            text = expandEnglish(candidates[static_cast<std::size_t>(random.below(count))]->text,
                                 dictionary, random);
            if (text != previous)
                break;
        }
        const int number = random.below(999) + 1;
        const int day = random.below(28) + 1;
        const int hour = random.below(24);
        const int minute = random.below(60);
        const auto station = kStations[static_cast<std::size_t>(random.below(10))];
        char line[128];
        std::snprintf(line, sizeof line, " %d %d %d %02d %c", wordCount(text), day, hour, minute,
                      i % 2 == 0 ? 'S' : 'M');
        TelegramRecord r;
        r.preamble =
            ascii(std::to_string(number).c_str()) + u" " + std::u16string(station) + ascii(line);
        r.address = std::u16string(kAddresses[static_cast<std::size_t>(random.below(6))]);
        r.text = text;
        previous = std::move(text);
        out.push_back(std::move(r));
    }
    records = std::move(out);
    return LatinBatchError::None;
}

bool generateLatinSet(TelegramDocument& document, const PracticeSettings& settings,
                      RandomGenerator& random, const GeneratorFiles& files,
                      std::uint32_t nowSeconds) {
    random.seedOnce(nowSeconds);
    auto& view = document.view();
    std::vector<EnglishTemplate> templates;
    EnglishDictionary dictionary;
    if (!loadEnglishSources(files, templates, dictionary)) {
        view.messageBox(u"欧文ランダム生成",
                        u"english_telegram_templates.txt または english_telegram_dictionary.txt "
                        u"を読み込めません。\r\nEXEと同じフォルダーに配置してください。",
                        MessageIcon::Error);
        return false;
    }
    TelegramList records;
    if (latinBatch(templates, dictionary, PracticeSettings::get(settings.LearningLevel),
                   PracticeSettings::get(settings.RandomCategory), random,
                   records) != LatinBatchError::None) {
        view.messageBox(u"欧文ランダム生成",
                        u"選択したカテゴリと学習レベルに対応する欧文テンプレートがありません。",
                        MessageIcon::Warning);
        return false;
    }
    document.installSet(std::move(records), true);
    view.showMessage(u"欧文第2世代ランダム電報を生成しました");
    view.resultLabelChanged(u"欧文第2世代ランダム電報 200通生成");
    return true;
}

}  // namespace quorvel
