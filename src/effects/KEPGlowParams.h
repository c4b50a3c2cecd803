#pragma once

// The two parameter groups of the glow, passed together to the computation.

// The light whose pixels glow: how bright, and its colour.
struct KEPGlowLightSource {
  float intensity = 30000.0f;  // 10000 .. 1e8
  float hue = 0.0f;            // degrees
  float saturation = 0.0f;     // 0 .. 1
  // On: channels above 255 clip to 255 (the glow whitens) and the bloom is
  // tinted in HLS; off: overflow scales the colour down (keeping its hue)
  // and the bloom is tinted in HSV.
  short whiteSaturation = 1;
};

// The shape of the halo.
struct KEPGlowHalo {
  int size = 50;                 // kernel width in pixels, 50 .. 500
  float flareProportion = 0.0f;  // weight of the flare ring, 0 .. 300
  float flareDiffusion = 1.0f;   // width of the flare ring, 0.3 .. 1
  float radialLines = 7.5f;      // extent of the radial lines, 0 .. 15
  float symmetry = 0.4f;         // star symmetry of the radial lines, 0 .. 1
};

// Sizes derived from a kernel width N (always odd).
struct KEPGlowSizes {
  int N = 0;       // kernel width
  int ctr = 0;     // centre cell
  int M = 0;       // radial profile samples, enough for the kernel's corners
  float s = 0.0f;  // view angle, in degrees, of one kernel pixel
};
