// The settings file telegram_practice.ini: one table describes every key (default and load
// rule); loading, saving, the first-run flag and the slider captions all walk it.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "morse/slider_labels.h"
#include "storage/settings.h"

namespace quorvel {

enum class LoadRule {
    Clamp,        // brought into [low, high]
    OnOff,        // any non-zero value is 1
    OneOrZero,    // exactly 1 is 1, anything else 0
    ZeroOutside,  // outside [low, high] becomes 0
    PortIndex,    // outside the port list becomes 0; kept as read while the list is unknown
    AsRead,
};

struct SettingKey {
    const char* key;
    std::atomic<int> PracticeSettings::*field;
    int defaultValue;
    LoadRule rule;
    int low;
    int high;
    int readOrder;  // position in the loading sequence (0 first)
    bool saved;     // FirstRun is written only when the first-run guide has been shown
};

inline constexpr int kRandomCategoryCount = 10;  // entries of the "カテゴリ" list
inline constexpr int kLearningLevelCount = 5;
inline constexpr int kTimbreCount = 6;

// Every key, in the order the file is written.
std::span<const SettingKey> settingsTable();
// The key of that name (ASCII case ignored, as the profile functions do), or null.
const SettingKey* findSetting(std::string_view key);

struct SettingsContext {
    int portCount = -1;  // items of the port list; negative while it is not known
};

int applyLoadRule(const SettingKey& key, int value, const SettingsContext& context = {});

// Every key to its default (the unsaved check boxes are left alone).
void resetSettings(PracticeSettings& settings);

// What the file says for each key: the value, or none when the key is absent or not a number.
// Keys are read from the "[Settings]" section only; the first of repeated keys counts.
struct IniValues {
    std::vector<std::pair<std::string, std::string>> settings;  // raw key=value lines
    bool hasSection = false;
};
IniValues parseSettingsText(std::string_view text);

// Applies a parsed file to the record in reading order: missing or non-numeric keys take
// their default, the rest go through their load rule.
void applySettings(const IniValues& values, PracticeSettings& settings,
                   const SettingsContext& context = {});

enum class SettingsLoad { Read, Missing, Unreadable };

// At start-up: a missing or unreadable file gives every default. Anything but a regular file
// (a FIFO, a device) counts as unreadable and is not waited on.
SettingsLoad loadSettings(const std::filesystem::path& file, PracticeSettings& settings,
                          const SettingsContext& context = {});

// For a file the user named (the command line): false with a reason when it cannot be read or
// has no "[Settings]" section, and then nothing is changed.
bool loadSettingsFile(const std::filesystem::path& file, PracticeSettings& settings,
                      std::string& error, const SettingsContext& context = {});

// The file text after a save: "[Settings]" with every saved key in table order, keeping the
// lines the save does not own (FirstRun, unknown keys, other sections) from `existing`.
std::string formatSettingsFile(const PracticeSettings& settings, std::string_view existing);

// Writes the whole file through a temporary file and a rename.
bool saveSettings(const std::filesystem::path& file, const PracticeSettings& settings,
                  std::string* error = nullptr);

inline constexpr std::u16string_view kFirstRunGuideTitle = u"Quorvel 初回起動ガイド";
inline constexpr std::u16string_view kFirstRunGuideText =
    u"Quorvel\r\n\r\n最初に行うこと\r\n\r\n① RX START を押してください\r\n\r\n② 送信練習は\r\n"
    u"「キー電鍵」にチェックしてください\r\n\r\n③ 苦手電報は\r\n"
    u"成績CSVが作成された後に利用できます。\r\n\r\nこの画面は取扱説明から確認できます。";

// After loading: when FirstRun is set, calls `show` with the guide's title and text, then
// clears FirstRun and writes "FirstRun=0" into the file (leaving every other line). Returns
// whether the guide was shown.
bool showFirstRunGuide(
    PracticeSettings& settings, const std::filesystem::path& file,
    const std::function<void(std::u16string_view title, std::u16string_view text)>& show);

// The seven slider captions for the current values.
SliderLabels sliderLabelsOf(const PracticeSettings& settings);

// Items of the "学習レベル" and "音色" lists; an index out of range gives an empty text.
std::u16string_view learningLevelName(int level);
std::u16string_view timbreName(int soundType);

}  // namespace quorvel
