// The figures of the home dashboard, the achievements page and the exam selector, and the texts
// their windows show. Plain functions over the log sums, so the CLI prints what the window paints.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "storage/practice_log.h"
#include "storage/settings.h"

namespace quorvel {

// Characters × 60 / seconds; 0 when no time was recorded.
std::int64_t charsPerMinute(std::int64_t chars, std::int64_t seconds);
// Correct × 100 / characters; 0 when nothing was judged.
std::int64_t accuracyPercent(std::int64_t correct, std::int64_t chars);

inline constexpr int kMaxLevel = 99;
// One level per 1000 characters, from level 1.
int levelForExp(std::int64_t exp);

inline constexpr std::u16string_view kNoWeakCharacters = u"まだありません";

struct DashboardFigures {
    PracticeAggregate today;
    std::int64_t cpm = 0;
    std::int64_t accuracy = 0;
    std::int64_t exp = 0;
    int level = 1;
    std::u16string weak;  // never empty: kNoWeakCharacters stands in
};

// `runChars`: characters of the current run that no log row holds yet.
DashboardFigures dashboardFigures(const PracticeAggregate& today, std::int64_t runChars,
                                  std::u16string_view weak);

enum class Badge { FirstReception, Chars100, Chars1000, Telegrams100, Cpm50, Accuracy99 };
inline constexpr std::size_t kBadgeCount = 6;

struct AchievementFigures {
    PracticeAggregate total;
    std::int64_t cpm = 0;
    std::int64_t accuracy = 0;
    std::array<bool, kBadgeCount> badges{};
    bool has(Badge b) const { return badges[static_cast<std::size_t>(b)]; }
};

AchievementFigures achievementFigures(const PracticeAggregate& total);

inline constexpr std::u16string_view kBadgeAchieved = u"■";
inline constexpr std::u16string_view kBadgeMissing = u"□";

// Title, subtitle and body (CR LF line breaks) of one information window.
struct InfoText {
    std::u16string title;
    std::u16string subtitle;
    std::u16string body;
};

InfoText dashboardText(const DashboardFigures& f);
InfoText achievementsText(const AchievementFigures& f);

// Sum of every dated row of the practice log, all days together: the lifetime totals.
PracticeAggregate sumPracticeLogAllDays(const std::filesystem::path& file);

enum class ExamType { Receiving, Sending };
struct ExamChoice {
    int targetCpm = 0;  // 40, 60, 80 or 100
    ExamType type = ExamType::Receiving;
    bool operator==(const ExamChoice&) const = default;
};

// Five characters make a word: target CPM / 5, kept within the speed slider's 5..40.
int examWpm(int targetCpm);
// Sets `WPM` and `Mode` (0 receive, 1 send) for the exam; returns the WPM now set.
int applyExamSettings(PracticeSettings& settings, const ExamChoice& choice);
InfoText examConfirmationText(const ExamChoice& choice, int wpm);

}  // namespace quorvel
