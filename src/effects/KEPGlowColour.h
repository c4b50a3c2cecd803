#pragma once

// The glow's own colour conversions, hue in degrees and the other values in
// 0..1. They differ from the colour classes where the glow needs it: an
// achromatic colour has hue 0 (not undefined), lightness is clamped, and any
// hue, however many turns, is reduced into 0..360.

void HLStoRGB(float h, float l, float s, float* r, float* g, float* b);
void RGBtoHLS(float r, float g, float b, float* h, float* l, float* s);
void HSVtoRGB(float h, float s, float v, float* r, float* g, float* b);
void RGBtoHSV(float r, float g, float b, float* h, float* s, float* v);
// One primary of HLStoRGB for the hue band `hue` falls in.
float ComputeRGBValue(float m1, float m2, float hue);

// Hue and saturation of the point (dx, dy) of a colour disc of the given
// radius, from its centre: hue is the angle from +x toward +y, saturation
// the distance over the radius (at most 1); 0 and 0 at the centre.
void DiscHueSaturation(int dx, int dy, double radius, float* hue, float* saturation);
