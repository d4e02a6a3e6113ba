// The card that shows the result of one completed telegram over the main window; the learner
// dismisses it with its button, Enter, Space or Esc before practice goes on.
#pragma once

#include <QDialog>
#include <QFont>
#include <QString>

#include "practice/practice_view.h"
#include "practice/scoring_text.h"

namespace quorvel::ui {

class ColourButton;

class ResultCard : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kWidth = 880;
    static constexpr int kHeight = 630;

    ResultCard(const TelegramResult& result, QWidget* parent);

    // The texts as painted, for the window's readers and its tests.
    QString headerText() const;
    QString rateText() const;
    QString gradeText() const;
    QString scoreText() const;
    QString messageText() const;
    QString buttonCaption() const;
    QColor accent() const { return accent_; }
    ColourButton* button() const { return button_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    TelegramResult result_;
    ResultClass class_;
    QColor accent_;
    QFont headerFont_;
    QFont largeFont_;
    QFont captionFont_;
    QFont tileFont_;
    QFont lineFont_;
    ColourButton* button_;
};

// Shows the card modally over `parent` and returns once it is closed.
void showResultCard(const TelegramResult& result, QWidget* parent);

}  // namespace quorvel::ui
