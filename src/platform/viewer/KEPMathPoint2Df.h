#pragma once

// A point (or vector) of the viewer's plane, in single precision like every
// coordinate the viewer hands out.
struct KEPMathPoint2Df {
  float x = 0.0f;
  float y = 0.0f;

  constexpr KEPMathPoint2Df() = default;
  constexpr KEPMathPoint2Df(float px, float py) : x(px), y(py) {}

  constexpr KEPMathPoint2Df operator+(const KEPMathPoint2Df& o) const { return {x + o.x, y + o.y}; }
  constexpr KEPMathPoint2Df operator-(const KEPMathPoint2Df& o) const { return {x - o.x, y - o.y}; }
  constexpr bool operator==(const KEPMathPoint2Df& o) const { return x == o.x && y == o.y; }
  constexpr bool operator!=(const KEPMathPoint2Df& o) const { return !(*this == o); }
};
