// The bar graph of the history window: input, correct and wrong counts per entry.
#pragma once

#include <QWidget>
#include <vector>

#include "storage/stats_report.h"

class QPainter;

namespace quorvel::ui {

// Draws the graph into a panel of `size` (device-independent pixels, origin at the panel).
void paintHistoryGraph(QPainter& painter, QSize size, const std::vector<GraphEntry>& entries);

class HistoryGraph : public QWidget {
    Q_OBJECT
  public:
    explicit HistoryGraph(QWidget* parent = nullptr);
    void setEntries(std::vector<GraphEntry> entries);
    const std::vector<GraphEntry>& entries() const { return entries_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<GraphEntry> entries_;
};

}  // namespace quorvel::ui
