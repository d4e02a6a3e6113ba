#include "storage/settings_file.h"

#include <algorithm>
#include <array>
#include <climits>
#include <map>

#include "storage/file_io.h"
#include "storage/utf.h"

namespace quorvel {
namespace {

using S = PracticeSettings;
using R = LoadRule;

// Write order is the table order; readOrder follows the loading sequence of the main window.
const std::array<SettingKey, 47> kTable = {{
    {"WPM", &S::WPM, 15, R::Clamp, 5, 40, 0, true},
    {"Freq", &S::Freq, 800, R::Clamp, 300, 1200, 1, true},
    {"JudgeEase", &S::JudgeEase, 50, R::Clamp, 0, 100, 2, true},
    {"ElementTolerance", &S::ElementTolerance, 50, R::Clamp, 0, 100, 3, true},
    {"KeySoftness", &S::KeySoftness, 50, R::Clamp, 0, 100, 4, true},
    {"CharSpeedTolerance", &S::CharSpeedTolerance, 50, R::Clamp, 0, 100, 5, true},
    {"TotalEase", &S::TotalEase, 50, R::Clamp, 0, 100, 6, true},
    {"ShowNextHint", &S::ShowNextHint, 1, R::OnOff, 0, 1, 7, true},
    {"AutoSpeedAdjust", &S::AutoSpeedAdjust, 0, R::OnOff, 0, 1, 8, true},
    {"Lang", &S::Lang, 1, R::OnOff, 0, 1, 9, true},  // 0 = 欧文, anything else 和文
    {"Mode", &S::Mode, 0, R::OneOrZero, 0, 1, 10, true},
    {"Auto", &S::Auto, 0, R::OnOff, 0, 1, 11, true},
    {"KeyKeyer", &S::KeyKeyer, 0, R::OnOff, 0, 1, 12, true},
    {"SoundType", &S::SoundType, 0, R::ZeroOutside, 0, kTimbreCount - 1, 13, true},
    {"LearningLevel", &S::LearningLevel, 0, R::Clamp, 0, kLearningLevelCount - 1, 14, true},
    {"AutoDifficulty", &S::AutoDifficulty, 1, R::OnOff, 0, 1, 15, true},
    {"WeakTelegram", &S::WeakTelegram, 0, R::OnOff, 0, 1, 16, true},
    {"RandomCategory", &S::RandomCategory, 0, R::ZeroOutside, 0, kRandomCategoryCount - 1, 17,
     true},
    {"BandQRN", &S::BandQRN, 0, R::OnOff, 0, 1, 18, true},
    {"BandQRM", &S::BandQRM, 0, R::OnOff, 0, 1, 19, true},
    {"BandQSB", &S::BandQSB, 0, R::OnOff, 0, 1, 20, true},
    {"BandFlutter", &S::BandFlutter, 0, R::OnOff, 0, 1, 21, true},
    {"BandLids", &S::BandLids, 0, R::OnOff, 0, 1, 22, true},
    {"BandChirp", &S::BandChirp, 0, R::OnOff, 0, 1, 23, true},
    {"BandUnevenLength", &S::BandUnevenLength, 0, R::OnOff, 0, 1, 24, true},
    {"BandActivity", &S::BandActivity, 3, R::Clamp, 0, 5, 25, true},
    {"BandNoiseLevel", &S::BandNoiseLevel, 30, R::Clamp, 0, 100, 30, true},
    {"BandFilterWidth", &S::BandFilterWidth, 1, R::Clamp, 0, 2, 31, true},
    {"BandAGC", &S::BandAGC, 0, R::OnOff, 0, 1, 32, true},
    {"BandIFFilter", &S::BandIFFilter, 0, R::OnOff, 0, 1, 33, true},
    {"BandPitchDrift", &S::BandPitchDrift, 0, R::OnOff, 0, 1, 34, true},
    {"BandEcho", &S::BandEcho, 0, R::OnOff, 0, 1, 35, true},
    {"BandMultipath", &S::BandMultipath, 0, R::OnOff, 0, 1, 36, true},
    {"BandLightning", &S::BandLightning, 0, R::OnOff, 0, 1, 37, true},
    {"BandAdjacent", &S::BandAdjacent, 0, R::OnOff, 0, 1, 38, true},
    {"BandSplit", &S::BandSplit, 0, R::OnOff, 0, 1, 39, true},
    {"BandAtmospheric", &S::BandAtmospheric, 0, R::OnOff, 0, 1, 40, true},
    {"BandHum", &S::BandHum, 0, R::OnOff, 0, 1, 41, true},
    {"BandIgnition", &S::BandIgnition, 0, R::OnOff, 0, 1, 42, true},
    {"BandAgcPump", &S::BandAgcPump, 0, R::OnOff, 0, 1, 43, true},
    {"BandRinging", &S::BandRinging, 0, R::OnOff, 0, 1, 44, true},
    {"BandOverload", &S::BandOverload, 0, R::OnOff, 0, 1, 45, true},
    {"ComIndex", &S::ComIndex, 0, R::PortIndex, 0, 0, 26, true},
    {"PaperZoom1000", &S::PaperZoom1000, 1000, R::Clamp, 100, 5000, 27, true},
    {"PaperOffsetX", &S::PaperOffsetX, 0, R::AsRead, 0, 0, 28, true},
    {"PaperOffsetY", &S::PaperOffsetY, 0, R::AsRead, 0, 0, 29, true},
    {"FirstRun", &S::FirstRun, 1, R::OnOff, 0, 1, 46, false},
}};

constexpr const char* kSection = "Settings";

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameKey(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A whole value of optional sign and digits; values beyond int saturate.
std::optional<int> integerValue(std::string_view s) {
    s = trim(s);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty())
        return std::nullopt;
    long long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return std::nullopt;
        if (v <= INT_MAX)
            v = v * 10 + (c - '0');
    }
    if (negative)
        v = -v;
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

// The file as UTF-8 text: a UTF-16LE file (what the profile functions may leave) is converted.
std::string asUtf8(std::string bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::u16string wide;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        return toUtf8(wide);
    }
    // Some editors add a second mark to a file that has one; the section after it still counts.
    std::size_t marks = 0;
    while (bytes.compare(marks, 3, "\xEF\xBB\xBF") == 0)
        marks += 3;
    bytes.erase(0, marks);
    return bytes;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos)
            nl = text.size();
        std::string_view line = text.substr(start, nl - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = nl + 1;
    }
    return lines;
}

// "[name]" gives the name; anything else none.
std::optional<std::string_view> sectionName(std::string_view line) {
    line = trim(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    const auto close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trim(line.substr(1, close - 1));
}

std::optional<std::string_view> keyOf(std::string_view line) {
    const auto eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    const auto key = trim(line.substr(0, eq));
    if (key.empty() || key.front() == ';')
        return std::nullopt;
    return key;
}

// Rewrites `existing` so that its Settings section holds `values`. In place: each key's first
// line is replaced where it stands. Otherwise the keys open the section in the given order.
std::string withSettings(std::string_view existing,
                         const std::vector<std::pair<std::string, int>>& values, bool inPlace) {
    auto isOwned = [&](std::string_view key) {
        return std::any_of(values.begin(), values.end(),
                           [&](const auto& v) { return sameKey(v.first, key); });
    };
    auto lineFor = [](const std::pair<std::string, int>& v) {
        return v.first + "=" + std::to_string(v.second) + "\r\n";
    };

    std::string out;
    std::vector<bool> written(values.size(), false);
    bool inSettings = false;
    bool sawSection = false;
    std::string pending;  // blank lines held back so new keys go before them

    auto flushRemaining = [&]() {
        for (std::size_t i = 0; i < values.size(); ++i)
            if (!written[i]) {
                out += lineFor(values[i]);
                written[i] = true;
            }
    };

    const std::string text = asUtf8(std::string(existing));
    for (std::string_view line : splitLines(text)) {
        if (auto name = sectionName(line)) {
            if (inSettings)
                flushRemaining();
            out += pending;
            pending.clear();
            inSettings = sameKey(*name, kSection);
            out += std::string(line) + "\r\n";
            if (inSettings && !sawSection && !inPlace)
                flushRemaining();
            sawSection = sawSection || inSettings;
            continue;
        }
        if (trim(line).empty()) {
            pending += "\r\n";
            continue;
        }
        out += pending;
        pending.clear();
        if (inSettings) {
            if (auto key = keyOf(line); key && isOwned(*key)) {
                for (std::size_t i = 0; i < values.size(); ++i)
                    if (sameKey(values[i].first, *key) && !written[i]) {
                        out += lineFor(values[i]);
                        written[i] = true;
                    }
                continue;  // a repeated key is dropped
            }
        }
        out += std::string(line) + "\r\n";
    }
    if (inSettings)
        flushRemaining();
    out += pending;
    if (!sawSection) {
        out += "[Settings]\r\n";
        flushRemaining();
    }
    // A kept line of stray bytes opening like a UTF-16 mark would turn the whole file into
    // UTF-16 on the next load; a UTF-8 mark in front keeps it what it was.
    if (out.starts_with("\xFF\xFE") || out.starts_with("\xFE\xFF"))
        out.insert(0, "\xEF\xBB\xBF");
    return out;
}

// The current text before a rewrite: empty for a missing file, none for a file that exists
// but cannot be read now (rewriting it would drop the lines the save does not own).
std::optional<std::string> currentText(const std::filesystem::path& file) {
    ReadProblem problem = ReadProblem::None;
    if (auto bytes = readFileBytes(file, &problem))
        return bytes;
    if (problem == ReadProblem::Missing)
        return std::string();
    return std::nullopt;
}

}  // namespace

std::span<const SettingKey> settingsTable() {
    return kTable;
}

const SettingKey* findSetting(std::string_view key) {
    for (const auto& k : kTable)
        if (sameKey(k.key, key))
            return &k;
    return nullptr;
}

int applyLoadRule(const SettingKey& key, int value, const SettingsContext& context) {
    switch (key.rule) {
        case LoadRule::Clamp:
            return std::clamp(value, key.low, key.high);
        case LoadRule::OnOff:
            return value != 0 ? 1 : 0;
        case LoadRule::OneOrZero:
            return value == 1 ? 1 : 0;
        case LoadRule::ZeroOutside:
            return value < key.low || value > key.high ? 0 : value;
        case LoadRule::PortIndex:
            if (context.portCount <= 0)
                return value;
            return value < 0 || value >= context.portCount ? 0 : value;
        case LoadRule::AsRead:
            return value;
    }
    return value;
}

void resetSettings(PracticeSettings& settings) {
    for (const auto& k : kTable)
        PracticeSettings::set(settings.*(k.field), k.defaultValue);
}

IniValues parseSettingsText(std::string_view text) {
    IniValues values;
    bool inSettings = false;
    const std::string utf8 = asUtf8(std::string(text));
    for (std::string_view line : splitLines(utf8)) {
        if (auto name = sectionName(line)) {
            inSettings = sameKey(*name, kSection);
            values.hasSection = values.hasSection || inSettings;
            continue;
        }
        if (!inSettings)
            continue;
        auto key = keyOf(line);
        if (!key)
            continue;
        values.settings.emplace_back(std::string(*key),
                                     std::string(trim(line.substr(line.find('=') + 1))));
    }
    return values;
}

void applySettings(const IniValues& values, PracticeSettings& settings,
                   const SettingsContext& context) {
    std::vector<const SettingKey*> order;
    for (const auto& k : kTable)
        order.push_back(&k);
    std::sort(order.begin(), order.end(),
              [](const SettingKey* a, const SettingKey* b) { return a->readOrder < b->readOrder; });
    for (const SettingKey* k : order) {
        int v = k->defaultValue;
        for (const auto& [key, text] : values.settings) {
            if (!sameKey(key, k->key))
                continue;
            if (auto n = integerValue(text))
                v = applyLoadRule(*k, *n, context);
            break;
        }
        PracticeSettings::set(settings.*(k->field), v);
    }
}

SettingsLoad loadSettings(const std::filesystem::path& file, PracticeSettings& settings,
                          const SettingsContext& context) {
    ReadProblem problem = ReadProblem::None;
    const auto bytes = readFileBytes(file, &problem);
    applySettings(bytes ? parseSettingsText(*bytes) : IniValues{}, settings, context);
    if (bytes)
        return SettingsLoad::Read;
    return problem == ReadProblem::Missing ? SettingsLoad::Missing : SettingsLoad::Unreadable;
}

bool loadSettingsFile(const std::filesystem::path& file, PracticeSettings& settings,
                      std::string& error, const SettingsContext& context) {
    ReadProblem problem = ReadProblem::None;
    const auto bytes = readFileBytes(file, &problem);
    if (!bytes) {
        error = "cannot read settings file " + file.string() + ": " + describe(problem);
        return false;
    }
    const IniValues values = parseSettingsText(*bytes);
    if (!values.hasSection) {
        error = "no [Settings] section in " + file.string();
        return false;
    }
    applySettings(values, settings, context);
    return true;
}

std::string formatSettingsFile(const PracticeSettings& settings, std::string_view existing) {
    std::vector<std::pair<std::string, int>> values;
    for (const auto& k : kTable)
        if (k.saved)
            values.emplace_back(k.key, PracticeSettings::get(settings.*(k.field)));
    return withSettings(existing, values, false);
}

bool saveSettings(const std::filesystem::path& file, const PracticeSettings& settings,
                  std::string* error) {
    const auto existing = currentText(file);
    if (!existing) {
        if (error)
            *error = "cannot read " + file.string() + " before rewriting it";
        return false;
    }
    return replaceFile(file, formatSettingsFile(settings, *existing), true, error);
}

bool showFirstRunGuide(
    PracticeSettings& settings, const std::filesystem::path& file,
    const std::function<void(std::u16string_view title, std::u16string_view text)>& show) {
    if (PracticeSettings::get(settings.FirstRun) == 0)
        return false;
    show(kFirstRunGuideTitle, kFirstRunGuideText);
    PracticeSettings::set(settings.FirstRun, 0);
    if (const auto existing = currentText(file))
        replaceFile(file, withSettings(*existing, {{"FirstRun", 0}}, true));
    return true;
}

SliderLabels sliderLabelsOf(const PracticeSettings& s) {
    SliderValues v;
    v.WPM = S::get(s.WPM);
    v.Freq = S::get(s.Freq);
    v.JudgeEase = S::get(s.JudgeEase);
    v.ElementTolerance = S::get(s.ElementTolerance);
    v.KeySoftness = S::get(s.KeySoftness);
    v.CharSpeedTolerance = S::get(s.CharSpeedTolerance);
    v.TotalEase = S::get(s.TotalEase);
    return sliderLabels(v);
}

std::u16string_view learningLevelName(int level) {
    static constexpr std::u16string_view kNames[] = {u"初心者", u"初級", u"中級", u"上級",
                                                     u"国家試験"};
    return level >= 0 && level < kLearningLevelCount ? kNames[level] : std::u16string_view();
}

std::u16string_view timbreName(int soundType) {
    static constexpr std::u16string_view kNames[] = {u"デフォルト（現在の音）", u"実機無線機風CW",
                                                     u"明瞭CW練習音",           u"柔らかい正弦波",
                                                     u"古い受信機風",           u"ブザー風"};
    return soundType >= 0 && soundType < kTimbreCount ? kNames[soundType] : std::u16string_view();
}

}  // namespace quorvel
