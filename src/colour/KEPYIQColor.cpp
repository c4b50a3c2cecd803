#include "colour/KEPYIQColor.h"

#include <cstdio>

#include "colour/KEPHLSColor.h"
#include "colour/KEPRGBColor.h"
#include "colour/detail/YIQMatrix.h"

namespace {

using kep_colour::Matrix;

// Inverse by cofactors, worked out once at compile time, so that YIQ to RGB
// undoes RGB to YIQ to double precision rather than to a rounded table.
constexpr Matrix Invert(const Matrix& m) {
  Matrix c{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
      c[j][i] = m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1];  // transposed cofactor
    }
  }
  const double det = m[0][0] * c[0][0] + m[0][1] * c[1][0] + m[0][2] * c[2][0];
  for (auto& row : c) {
    for (double& v : row) v /= det;
  }
  return c;
}

constexpr Matrix kYiqToRgb = Invert(kep_colour::kRgbToYiq);

}  // namespace

void KEPYIQColor::ConvertToRGBColor(KEPRGBColor& out) const {
  const auto [r, g, b] = kep_colour::Apply(kYiqToRgb, _y, _i, _q);
  out.Set(r, g, b);
}

void KEPYIQColor::ConvertToHLSColor(KEPHLSColor&) const {
  std::fputs("yiq to hls to implement\n", stdout);
}
