#pragma once

class KEPRGBColor;
class KEPHLSColor;

// One colour as luminance Y and the chrominance axes I and Q.
class KEPYIQColor {
 public:
  KEPYIQColor(float y, float i, float q) : _y(y), _i(i), _q(q) {}
  virtual ~KEPYIQColor() = default;
  KEPYIQColor(const KEPYIQColor&) = default;
  KEPYIQColor& operator=(const KEPYIQColor&) = default;

  float GetY() const { return _y; }
  float GetI() const { return _i; }
  float GetQ() const { return _q; }
  void SetY(float y) { _y = y; }
  void SetI(float i) { _i = i; }
  void SetQ(float q) { _q = q; }
  void Set(float y, float i, float q) {
    _y = y;
    _i = i;
    _q = q;
  }

  // Exact inverse (in double) of the RGB to YIQ matrix.
  void ConvertToRGBColor(KEPRGBColor& out) const;
  // Not provided: prints a reminder and leaves `out` as it is.
  void ConvertToHLSColor(KEPHLSColor& out) const;

 private:
  float _y, _i, _q;
};
