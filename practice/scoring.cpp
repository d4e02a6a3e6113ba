#include "practice/scoring.h"

#include <algorithm>

#include "morse/code_tables.h"
#include "practice/scoring_text.h"
#include "storage/char_log.h"
#include "storage/settings_file.h"

namespace quorvel {
namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

constexpr int kSpeedWindowSize = 20;
constexpr int kMinWpm = 5;
constexpr int kMaxWpm = 40;
constexpr int kMaxLevel = 4;

}  // namespace

Scoring::Scoring(PracticeSettings& settings, const SharedFlags& flags, TelegramDocument& document,
                 const ScoringClock& clock, ScoringFiles files)
    : settings_(settings),
      flags_(flags),
      document_(document),
      clock_(clock),
      logs_(std::move(files)),
      resultLabel_(kInitialResultLabel),
      runStart_(clock.now()) {
    tally_.runStartTime = runStart_.load(kRelaxed);
    logs_.setFailureReport([this](const std::filesystem::path& file) {
        view().messageBox(u"ERROR", historyNotSavedText(file), MessageIcon::Warning);
    });
}

int Scoring::elapsedSeconds() const {
    const std::uint32_t ms = clock_.now() - runStart_.load(kRelaxed);  // unsigned tick difference
    return std::max(1, static_cast<int>(ms / 1000));
}

void Scoring::scoreCharacter(char16_t model, char16_t keyed, bool correct) {
    std::lock_guard lock(mutex_);
    tally_.judgedCount += 1;
    const int weight = characterWeight(model);
    score_.scoredCount += 1;
    score_.maxPoints += weight;
    if (correct) {
        score_.scoredCorrect += 1;
        score_.points += weight;
    } else {
        score_.scoredWrong += 1;
        score_.points -= weight;
        score_.penalty += weight;
    }
    if (model != 0)
        addJudgement(tally_.charStats[model], keyed, correct);
    if (correct) {
        tally_.correctCount += 1;
    } else {
        tally_.wrongCount += 1;
        tally_.wrongPairs += wrongPairEntry(model, keyed);
    }
    if (keyed != 0)
        tally_.keyedText.push_back(keyed);

    adjustSpeed(correct);

    const int rate = ratePercent(tally_.correctCount, tally_.judgedCount);
    const int wrongRate = ratePercent(tally_.wrongCount, tally_.judgedCount);
    const int cpm = tally_.judgedCount * 60 / elapsedSeconds();
    writePracticeRow(rate, wrongRate, cpm, kStatusInProgress);
    if (model != 0)
        logs_.addJudgement(model, keyed, correct);
    writeDueLogs();

    resultLabel_ = runResultLabel(rate, wrongRate, tally_.wrongCount);
    view().resultLabelChanged(resultLabel_);
    refreshStatusLines();
    writeScoreLine();
}

void Scoring::showJudgement(char16_t keyed, char16_t model, bool correct) {
    view().judgementLineChanged(judgementText(keyed, model, correct));
}

void Scoring::resetScores() {
    std::lock_guard lock(mutex_);
    const std::uint32_t now = clock_.now();
    tally_ = RunTally{};
    tally_.runStartTime = now;
    runStart_.store(now, kRelaxed);
    score_ = TelegramScore{};
    lastMark_.store(0, kRelaxed);
    lastElementTime_.store(0, kRelaxed);
    haveLastElement_.store(false, kRelaxed);
    lastElementMs_.store(0, kRelaxed);
    elementIntervalMs_.store(0, kRelaxed);
    instantWpm_.store(0, kRelaxed);
    instantCpm_.store(0, kRelaxed);
    writeScoreLine();
    refreshStatusLines();
}

void Scoring::clearTelegramScore() {
    std::lock_guard lock(mutex_);
    score_ = TelegramScore{};
    writeScoreLine();
}

void Scoring::reportElement(char16_t mark, std::uint32_t durationMs, std::uint32_t time) {
    if (mark != kDotMark && mark != kDashMark)
        return;
    // A flag rather than a zero time marks "no element yet": a run may start at tick 0.
    const std::uint32_t interval =
        haveLastElement_.load(kRelaxed) ? time - lastElementTime_.load(kRelaxed) : 0;
    lastMark_.store(mark, kRelaxed);
    lastElementMs_.store(durationMs, kRelaxed);
    elementIntervalMs_.store(interval, kRelaxed);
    lastElementTime_.store(time, kRelaxed);
    haveLastElement_.store(true, kRelaxed);

    std::uint32_t unit = std::max<std::uint32_t>(1, interval != 0 ? interval : durationMs);
    if (mark == kDashMark)
        unit = std::max<std::uint32_t>(1, unit / 3);  // a dash is 3 units
    const int wpm = static_cast<int>(std::min<std::uint32_t>(999, 1200 / unit));
    instantWpm_.store(wpm, kRelaxed);
    instantCpm_.store(5 * wpm, kRelaxed);
    refreshStatusLines();
}

void Scoring::finishSet() {
    std::lock_guard lock(mutex_);
    const int rate = ratePercent(tally_.correctCount, tally_.judgedCount);
    const int wrongRate = ratePercent(tally_.wrongCount, tally_.judgedCount);
    tally_.finishedSets += 1;
    const int cpm = tally_.judgedCount * 60 / elapsedSeconds();
    writePracticeRow(rate, wrongRate, cpm, kStatusFinished);
    adjustDifficulty(rate);
    resultLabel_ = setResultLabel(rate, wrongRate, tally_.wrongCount, cpm);
    view().resultLabelChanged(resultLabel_);
    logs_.addTextEntry({clock_.localTime(), resultLabel_, tally_.keyedText, tally_.wrongPairs});
    logs_.endOfSet();
    writeDueLogs();
}

TelegramResult Scoring::resultSnapshot() const {
    std::lock_guard lock(mutex_);
    TelegramResult r;
    // Lock-free reads: the document may hold its lock while it asks (end of a telegram).
    r.telegramNumber = document_.telegramNumberNow();
    r.scoredCount = score_.scoredCount;
    r.scoredCorrect = score_.scoredCorrect;
    r.scoredWrong = score_.scoredWrong;
    r.rate = ratePercent(score_.scoredCorrect, score_.scoredCount);
    r.points = score_.points;
    r.maxPoints = score_.maxPoints;
    r.penalty = score_.penalty;
    r.latinMode = document_.latinMode();
    r.hasNext = r.telegramNumber < document_.snapshot()->telegramCount;
    return r;
}

void Scoring::refreshStatusLines() {
    const std::uint32_t elapsedMs = clock_.now() - runStart_.load(kRelaxed);
    const std::u16string line1 =
        statusLine1(flags_.dotClosed(), flags_.dashClosed(), elapsedMs / 1000,
                    PracticeSettings::get(settings_.WPM), PracticeSettings::get(settings_.Freq));
    const std::u16string line2 =
        statusLine2(lastElementMs_.load(kRelaxed), elementIntervalMs_.load(kRelaxed),
                    instantWpm_.load(kRelaxed), instantCpm_.load(kRelaxed));
    view().statusLinesChanged(line1, line2);
}

RunTally Scoring::runTally() const {
    std::lock_guard lock(mutex_);
    return tally_;
}

TelegramScore Scoring::telegramScore() const {
    std::lock_guard lock(mutex_);
    return score_;
}

SpeedWindow Scoring::speedWindow() const {
    std::lock_guard lock(mutex_);
    return window_;
}

ElementReport Scoring::elementReport() const {
    ElementReport e;
    e.lastMark = lastMark_.load(kRelaxed);
    e.lastElementTime = lastElementTime_.load(kRelaxed);
    e.lastElementMs = lastElementMs_.load(kRelaxed);
    e.elementIntervalMs = elementIntervalMs_.load(kRelaxed);
    e.instantWpm = instantWpm_.load(kRelaxed);
    e.instantCpm = instantCpm_.load(kRelaxed);
    return e;
}

std::u16string Scoring::scoreLine() const {
    std::lock_guard lock(mutex_);
    return scoreLineText(score_.points, score_.maxPoints, score_.penalty, score_.scoredCorrect,
                         score_.scoredWrong, ratePercent(score_.scoredCorrect, score_.scoredCount));
}

std::u16string Scoring::resultLabel() const {
    std::lock_guard lock(mutex_);
    return resultLabel_;
}

void Scoring::adjustSpeed(bool correct) {
    if (PracticeSettings::get(settings_.AutoSpeedAdjust) == 0)
        return;
    window_.windowCount += 1;
    if (correct)
        window_.windowCorrect += 1;
    if (window_.windowCount < kSpeedWindowSize)
        return;
    const int q = ratePercent(window_.windowCorrect, window_.windowCount);
    const int before = PracticeSettings::get(settings_.WPM);
    int wpm = before;
    if (q >= 90 && wpm < kMaxWpm)
        wpm += 1;
    else if (q <= 70 && wpm > kMinWpm)
        wpm -= 1;
    window_ = SpeedWindow{};
    if (wpm == before)
        return;
    PracticeSettings::set(settings_.WPM, wpm);
    view().speedChanged(wpm);
    refreshStatusLines();
}

void Scoring::adjustDifficulty(int rate) {
    if (PracticeSettings::get(settings_.AutoDifficulty) == 0)
        return;
    const int before = PracticeSettings::get(settings_.LearningLevel);
    int level = before;
    if (rate >= 95 && level < kMaxLevel)
        level += 1;
    else if (rate <= 70 && level > 0)
        level -= 1;
    if (level == before)
        return;
    PracticeSettings::set(settings_.LearningLevel, level);
    view().levelChanged(level);
    view().showMessage(autoDifficultyText(rate, level));
}

void Scoring::writePracticeRow(int rate, int wrongRate, int cpm, std::u16string_view status) {
    if (logs_.files().practiceLog.empty())
        return;
    PracticeRow row;
    row.time = clock_.localTime();
    row.cpm = cpm;
    row.wpm = PracticeSettings::get(settings_.WPM);
    row.rate = rate;
    row.wrongRate = wrongRate;
    row.seconds = elapsedSeconds();
    row.finishedSets = tally_.finishedSets;
    row.judgedCount = tally_.judgedCount;
    row.telegramNumber = document_.telegramNumberNow();
    row.correctCount = tally_.correctCount;
    row.wrongCount = tally_.wrongCount;
    row.wrongPairs = tally_.wrongPairs;
    row.status = status;
    logs_.addPracticeRow(std::move(row));
}

void Scoring::writeDueLogs() {
    // Without its thread (simulated runs, tests) the writer runs here, in the run's own time.
    if (!logs_.threaded())
        logs_.service(clock_.now());
}

void Scoring::writeScoreLine() {
    view().scoreLineChanged(scoreLineText(score_.points, score_.maxPoints, score_.penalty,
                                          score_.scoredCorrect, score_.scoredWrong,
                                          ratePercent(score_.scoredCorrect, score_.scoredCount)));
}

}  // namespace quorvel
