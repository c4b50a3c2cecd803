#pragma once

#include <array>
#include <cstdint>

// The motif of one thickness as one column range per motif row: the table's
// entries grow away from the centre along every row, so the entries <= t of a
// row form one run. Working with runs keeps the per-pixel test out of the
// stamping loop.
class KEPMotifSpans {
 public:
  explicit KEPMotifSpans(int thickness);

  // Calls run(y, x0, x1) with the inclusive column range of each motif row
  // that lies inside the image: rows are contiguous in the buffer.
  template <class Run>
  void ForEachRow(std::int64_t cx, std::int64_t cy, int width, int height, Run&& run) const {
    for (int j = 0; j < 15; ++j) {
      const std::int64_t y = cy - 7 + j;
      if (y < 0 || y >= height || _first[j] > _last[j]) continue;
      std::int64_t x0 = cx - 7 + _first[j], x1 = cx - 7 + _last[j];
      if (x0 < 0) x0 = 0;
      if (x1 >= width) x1 = width - 1;
      if (x0 <= x1) run(static_cast<int>(y), static_cast<int>(x0), static_cast<int>(x1));
    }
  }

 private:
  // Per row (or column: the table is symmetric) the first and last offset
  // covered; first > last when none is.
  std::array<int, 15> _first{}, _last{};
};
