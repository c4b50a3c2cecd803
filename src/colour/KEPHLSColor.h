#pragma once

class KEPRGBColor;
class KEPYIQColor;

// One colour as hue (degrees, 0.0 <= H < 360.0, or -1.0 for "undefined" on
// an achromatic colour), lightness and saturation (0.0..1.0).
class KEPHLSColor {
 public:
  KEPHLSColor(float h, float l, float s) : _hue(h), _lightness(l), _saturation(s) {}
  virtual ~KEPHLSColor() = default;
  KEPHLSColor(const KEPHLSColor&) = default;
  KEPHLSColor& operator=(const KEPHLSColor&) = default;

  float GetHue() const { return _hue; }
  float GetLightness() const { return _lightness; }
  float GetSaturation() const { return _saturation; }
  void SetHue(float h) { _hue = h; }
  void SetLightness(float l) { _lightness = l; }
  void SetSaturation(float s) { _saturation = s; }
  void Set(float h, float l, float s) {
    _hue = h;
    _lightness = l;
    _saturation = s;
  }

  void ConvertToRGBColor(KEPRGBColor& out) const;
  // Not provided: prints a reminder and leaves `out` as it is.
  void ConvertToYIQColor(KEPYIQColor& out) const;

  // One primary of the HLS to RGB conversion. The hue is wrapped by one turn
  // at most in each direction, which is all the callers' H +/- 120 needs.
  static float ComputeRGBPrimary(float m1, float m2, float hue);

 private:
  float _hue, _lightness, _saturation;
};
