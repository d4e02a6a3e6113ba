// Page counts of a set's telegrams with their running sums (a Fenwick tree), so a page label
// costs the same with four telegrams as with a thousand.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace quorvel {

class PageSums {
  public:
    void assign(std::vector<int> pages) {
        pages_ = std::move(pages);
        tree_.assign(pages_.size() + 1, 0);
        for (std::size_t i = 0; i < pages_.size(); ++i)
            add(i, pages_[i]);
    }
    std::size_t size() const { return pages_.size(); }
    int at(std::size_t i) const { return i < pages_.size() ? pages_[i] : 0; }
    void set(std::size_t i, int pages) {
        if (i >= pages_.size() || pages_[i] == pages)
            return;
        add(i, pages - pages_[i]);
        pages_[i] = pages;
    }
    // Pages of the telegrams before index i.
    int before(std::size_t i) const {
        int sum = 0;
        for (std::size_t k = std::min(i, pages_.size()); k > 0; k &= k - 1)
            sum += tree_[k];
        return sum;
    }
    int total() const { return before(pages_.size()); }

  private:
    void add(std::size_t i, int delta) {
        for (std::size_t k = i + 1; k < tree_.size(); k += k & (~k + 1))
            tree_[k] += delta;
    }

    std::vector<int> pages_;
    std::vector<int> tree_;  // 1-based
};

}  // namespace quorvel
