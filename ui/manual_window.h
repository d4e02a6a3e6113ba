// The illustrated manual: nine pages of title, text and picture, opened modally from the
// main window. It reads nothing but its own resources.
#pragma once

#include <QDialog>
#include <QString>

#include "ui/manual_layout.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quorvel::ui {

class ManualPicture;

class ManualWindow : public QDialog {
    Q_OBJECT
  public:
    // `picturePath` maps a page to its image; the resources by default (tests point it away).
    explicit ManualWindow(QWidget* parent = nullptr, QString (*picturePath)(int page) = nullptr);

    int page() const { return page_; }
    void setPage(int page);  // clamped to 0..8
    const ManualLayout& layoutRects() const { return layout_; }
    ManualPicture* picture() const { return picture_; }
    QPushButton* previousButton() const { return previous_; }
    QPushButton* nextButton() const { return next_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void placeControls();
    ManualDpi dpi() const;

    QLabel* title_;
    ManualPicture* picture_;
    QPlainTextEdit* text_;
    QPushButton* previous_;
    QPushButton* next_;
    QPushButton* close_;
    QString (*picturePath_)(int);
    ManualLayout layout_;
    int page_ = 0;
};

// The owner-drawn picture area: the page's image fitted and centred, or the failure text.
class ManualPicture : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;
    void setImagePath(const QString& path);
    bool imageLoaded() const { return !image_.isNull(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
};

// Runs the manual modally over `parent`, always from page 0.
void openManual(QWidget* parent);

}  // namespace quorvel::ui
