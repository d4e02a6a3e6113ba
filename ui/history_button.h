// A button of the history window, drawn by the window's own rules: a flat colour, a white
// caption and frame, and two more frames on the tab being shown.
#pragma once

#include <QAbstractButton>
#include <QColor>

namespace quorvel::ui {

class HistoryButton : public QAbstractButton {
    Q_OBJECT
  public:
    HistoryButton(const QString& caption, QColor colour, QWidget* parent = nullptr);
    void setCurrent(bool current);
    bool isCurrent() const { return current_; }
    QColor colour() const { return colour_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor colour_;
    bool current_ = false;
};

}  // namespace quorvel::ui
