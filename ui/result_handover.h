// The card shown for each completed telegram.
#pragma once

#include <functional>

#include "practice/practice_view.h"

class QWidget;

namespace quorvel::ui {

// Opens the card modally without blocking the caller; `closed` runs once when the learner
// dismisses it. Returns the card (owned by `owner`, deleted once closed).
QWidget* openResultCard(QWidget* owner, const TelegramResult& result, std::function<void()> closed);

}  // namespace quorvel::ui
