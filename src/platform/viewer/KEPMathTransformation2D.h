#pragma once

#include "platform/viewer/KEPMathPoint2Df.h"

// Affine map of the plane: x' = a x + b y + tx, y' = c x + d y + ty.
class KEPMathTransformation2D {
 public:
  constexpr KEPMathTransformation2D() = default;
  constexpr KEPMathTransformation2D(float a, float b, float c, float d, float tx, float ty)
      : _a(a), _b(b), _c(c), _d(d), _tx(tx), _ty(ty) {}

  static constexpr KEPMathTransformation2D Translation(float dx, float dy) {
    return {1.0f, 0.0f, 0.0f, 1.0f, dx, dy};
  }

  constexpr KEPMathPoint2Df Apply(const KEPMathPoint2Df& p) const {
    return {_a * p.x + _b * p.y + _tx, _c * p.x + _d * p.y + _ty};
  }
  constexpr KEPMathPoint2Df operator*(const KEPMathPoint2Df& p) const { return Apply(p); }

  constexpr KEPMathPoint2Df GetTranslation() const { return {_tx, _ty}; }

 private:
  float _a = 1.0f, _b = 0.0f, _c = 0.0f, _d = 1.0f, _tx = 0.0f, _ty = 0.0f;
};
