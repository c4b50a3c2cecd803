#pragma once

#include <array>

namespace kep_colour {

using Matrix = std::array<std::array<double, 3>, 3>;

// RGB to YIQ, one output per row. RGB to YIQ and its inverse both come from
// this one table, so that they stay each other's inverse.
inline constexpr Matrix kRgbToYiq = {{{0.3, 0.59, 0.11}, {0.6, -0.28, -0.32}, {0.21, -0.52, 0.31}}};

// m times (a, b, c), each row formed in double and stored as float.
inline std::array<float, 3> Apply(const Matrix& m, double a, double b, double c) {
  std::array<float, 3> out{};
  for (int r = 0; r < 3; ++r) {
    out[r] = static_cast<float>(m[r][0] * a + m[r][1] * b + m[r][2] * c);
  }
  return out;
}

}  // namespace kep_colour
