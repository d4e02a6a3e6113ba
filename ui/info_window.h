// The reusable coloured information window: header, colour chips, subtitle and a text panel.
// The dashboard, the achievements page and the exam confirmation are shown in it.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QString>

#include "practice/scoring_text.h"
#include "storage/dashboard.h"

namespace quorvel::ui {

class ColourButton;

struct InfoContent {
    QString title;
    QString subtitle;
    QString body;  // CR LF or LF line breaks
    QColor accent;
    QColor second;
};

InfoContent infoContent(const InfoText& text, const Rgb& accent, const Rgb& second);

class InfoWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kWidth = 880;
    static constexpr int kHeight = 720;

    InfoWindow(const InfoContent& content, QWidget* owner);
    const InfoContent& content() const { return content_; }
    ColourButton* button() const { return button_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    InfoContent content_;
    QFont headerFont_;
    QFont subtitleFont_;
    QFont bodyFont_;
    ColourButton* button_;
};

// Shows the window modally over `owner` and returns once it is closed.
void showInfo(const InfoContent& content, QWidget* owner);

}  // namespace quorvel::ui
