// How the document and the decoder reach scoring.
#pragma once

#include <cstdint>

#include "practice/practice_view.h"

namespace quorvel {

class ScoringSink {
  public:
    virtual ~ScoringSink() = default;
    // keyed and model are single characters; 0 means none.
    virtual void scoreCharacter(char16_t model, char16_t keyed, bool correct) = 0;
    virtual void showJudgement(char16_t keyed, char16_t model, bool correct) = 0;
    virtual void resetScores() = 0;
    virtual void clearTelegramScore() = 0;
    // One keyed element: mark "・" (dot) or "ー" (dash), its length in ms, its tick time.
    virtual void reportElement(char16_t /*mark*/, std::uint32_t /*durationMs*/,
                               std::uint32_t /*time*/) {}
    // The last telegram of the set was completed (after its result card was closed).
    virtual void finishSet() {}
    // What the result card of the current telegram shows.
    virtual TelegramResult resultSnapshot() const { return {}; }
};

// Does nothing; the document's default until scoring is attached.
class NullScoring final : public ScoringSink {
  public:
    void scoreCharacter(char16_t, char16_t, bool) override {}
    void showJudgement(char16_t, char16_t, bool) override {}
    void resetScores() override {}
    void clearTelegramScore() override {}
};

}  // namespace quorvel
