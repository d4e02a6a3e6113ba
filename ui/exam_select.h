// The national-exam selector ("国家試験"): eight buttons of speed and practice kind; the choice
// sets the trainer's speed and mode, and a confirmation says what was set.
#pragma once

#include <QDialog>
#include <QFont>
#include <functional>
#include <optional>
#include <vector>

#include "storage/dashboard.h"

namespace quorvel {
class Trainer;
}

namespace quorvel::ui {

class ColourButton;

class ExamSelector : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kWidth = 840;
    static constexpr int kHeight = 670;

    explicit ExamSelector(QWidget* owner);
    // Empty until one of the eight buttons is pressed.
    const std::optional<ExamChoice>& choice() const { return choice_; }
    // The eight exam buttons in table order (receiving 40..100, then sending 40..100).
    const std::vector<ColourButton*>& examButtons() const { return examButtons_; }
    ColourButton* closeButton() const { return closeButton_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::optional<ExamChoice> choice_;
    QFont headerFont_;
    QFont captionFont_;
    std::vector<ColourButton*> examButtons_;
    ColourButton* closeButton_;
};

// Runs the selector modally; none when it was closed without a choice.
std::optional<ExamChoice> chooseExam(QWidget* owner);

// Shows what an applied choice set, in the information window.
void showExamConfirmation(QWidget* owner, const ExamChoice& choice, int wpm);

// The whole "国家試験" button: choose, apply to the trainer, let the window refresh its speed
// slider and mode buttons, then confirm. False, with nothing changed or shown, without a choice.
bool runExamMode(QWidget* owner, Trainer& trainer, const std::function<void()>& refreshControls);

}  // namespace quorvel::ui
