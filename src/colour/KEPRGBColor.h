#pragma once

class KEPHLSColor;
class KEPYIQColor;

// One colour as red, green and blue, each 0.0..1.0 as the callers use them
// (an 8-bit channel value v is passed as v / 255).
class KEPRGBColor {
 public:
  KEPRGBColor(float r, float g, float b) : _red(r), _green(g), _blue(b) {}
  virtual ~KEPRGBColor() = default;
  KEPRGBColor(const KEPRGBColor&) = default;
  KEPRGBColor& operator=(const KEPRGBColor&) = default;

  float GetRed() const { return _red; }
  float GetGreen() const { return _green; }
  float GetBlue() const { return _blue; }
  void SetRed(float r) { _red = r; }
  void SetGreen(float g) { _green = g; }
  void SetBlue(float b) { _blue = b; }
  void Set(float r, float g, float b) {
    _red = r;
    _green = g;
    _blue = b;
  }

  // Hue in degrees (-1.0 when the colour is achromatic), lightness and
  // saturation in 0..1; single-precision arithmetic.
  void ConvertToHLSColor(KEPHLSColor& out) const;
  // Luminance and the two chrominance axes; formed in double, stored as float.
  void ConvertToYIQColor(KEPYIQColor& out) const;

 private:
  float _red, _green, _blue;
};
