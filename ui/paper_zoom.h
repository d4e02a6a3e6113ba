// The one zoom and pan of both telegram papers, as the settings file stores it.
#pragma once

#include <QObject>
#include <QPoint>
#include <QSize>

namespace quorvel::ui {

class PaperZoom : public QObject {
    Q_OBJECT

  public:
    static constexpr double kMin = 0.1;
    static constexpr double kMax = 5.0;
    static constexpr double kStep = 1.1;

    explicit PaperZoom(QObject* parent = nullptr);

    // Values of PaperZoom1000, PaperOffsetX and PaperOffsetY; the zoom is clamped to 100-5000.
    void loadFromSettings(int paperZoom1000, int paperOffsetX, int paperOffsetY);
    int paperZoom1000() const;
    int paperOffsetX() const { return offset_.x(); }
    int paperOffsetY() const { return offset_.y(); }

    double zoom() const { return zoom_; }
    QPoint offset() const { return offset_; }

    // Wheel steps (positive forward) with no anchor: the offsets stay.
    void zoomBy(int steps);
    // Wheel steps over a paper of `client` size, keeping the form point under `cursor` put.
    void zoomAt(int steps, QPoint cursor, QSize client, bool latin);
    void panBy(QPoint delta);

  signals:
    // A step of the learner's; the settings should be saved.
    void changed();
    // Anything that moves the papers, including a settings load; repaint.
    void viewChanged();

  private:
    double stepped(int steps) const;

    double zoom_ = 1.0;
    QPoint offset_;
};

}  // namespace quorvel::ui
