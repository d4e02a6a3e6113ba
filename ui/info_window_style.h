// Drawing pieces the result card and the information, dashboard and exam windows share: the
// flat colour button, colours, fonts given by cell height, and placement in the work area.
#pragma once

#include <QColor>
#include <QFont>
#include <QPushButton>
#include <QString>

#include "practice/scoring_text.h"

namespace quorvel::ui {

QColor toColor(const Rgb& c);
// Each channel lowered by `by`, not below 0: the look of a pressed button.
QColor pressedColor(const QColor& c, int by);

// The bold interface font whose line (ascent + descent) is `cellHeight` pixels high: the
// windows give their fonts as cell heights, which holds whatever family the chain picks.
QFont cellFont(int cellHeight);

// Puts a pop-up in the middle of the work area of the owner's screen.
void centreInWorkArea(QWidget* window, const QWidget* owner);

// A push button painted flat in its colour, white caption and white frame, darker while down.
class ColourButton : public QPushButton {
    Q_OBJECT
  public:
    ColourButton(const QString& caption, const QColor& colour, int pressedDrop, const QFont& font,
                 QWidget* parent);
    QColor colour() const { return colour_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor colour_;
    int pressedDrop_;
};

}  // namespace quorvel::ui
