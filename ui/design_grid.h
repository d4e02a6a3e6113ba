// The window's controls sit on a 1540 × 1120 design grid that is stretched to the client area
// in both directions independently; a layout maps each control's design rectangle.
#pragma once

#include <QLayout>
#include <QRect>
#include <memory>
#include <optional>
#include <vector>

namespace quorvel::ui {

inline constexpr int kDesignWidth = 1540;
inline constexpr int kDesignHeight = 1120;

// a × b / c rounded half away from zero, as the platform's multiply-divide does.
int mulDiv(int a, int b, int c);
QRect scaleDesignRect(const QRect& design, const QSize& client);
// The font scale of a client area: the smaller of the two ratios, in percent, clamped to 50-130.
int scalePercentFor(const QSize& client);
// Cell heights of the two fonts at a scale.
int controlFontHeight(int scalePercent);
int largeFontHeight(int scalePercent);

class DesignGridLayout final : public QLayout {
  public:
    explicit DesignGridLayout(QWidget* parent = nullptr);
    ~DesignGridLayout() override;

    // `full`: where the widget goes in the full-screen paper layout; without it the widget is
    // hidden there.
    void addWidgetAt(QWidget* widget, const QRect& normal, std::optional<QRect> full = {});
    void setFullScreen(bool full);
    bool fullScreen() const { return fullScreen_; }
    // The design rectangle a widget occupies in the current layout (null when not placed).
    QRect designRect(const QWidget* widget) const;

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

  private:
    struct Entry {
        std::unique_ptr<QLayoutItem> item;
        QRect normal;
        std::optional<QRect> full;
    };
    std::vector<Entry> entries_;
    bool fullScreen_ = false;
};

}  // namespace quorvel::ui
