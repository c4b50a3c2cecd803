#include "effects/KEPGlowProfiles.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "effects/KEPGlowColour.h"

namespace {

// Filter of the anti-aliased lines, indexed by 10 x the distance in pixels
// of a pixel centre from the line.
constexpr float kLineFilter[16] = {1.0f,   0.93f,  0.856f, 0.779f, 0.701f, 0.622f, 0.542f, 0.465f,
                                   0.388f, 0.313f, 0.244f, 0.177f, 0.117f, 0.065f, 0.024f, 0.0f};

// Spectral responses of the red, green and blue primaries.
constexpr int kWavelengths = 14;
constexpr float kLambda[kWavelengths] = {400, 430, 440, 461, 480, 500, 510,
                                         520, 540, 560, 580, 600, 638, 700};
constexpr float kResponseR[kWavelengths] = {0.0f,      -0.00271f, -0.0287f,  -0.083279f, -0.13266f,
                                            -0.36043f, -0.37144f, -0.294f,   0.02897f,   0.33644f,
                                            0.66824f,  0.91156f,  0.995616f, 0.0f};
constexpr float kResponseG[kWavelengths] = {0.0f,     0.0f,     0.00375f,  0.079597f, 0.14822f,
                                            0.87359f, 1.24302f, 1.29955f,  1.06807f,  0.73958f,
                                            0.36968f, 0.09842f, 0.004712f, 0.0f};
constexpr float kResponseB[kWavelengths] = {0.0f,      0.491803f, 0.655738f,  1.00369f,  0.9845f,
                                            0.48737f,  0.12916f,  -0.0048f,   -0.09651f, -0.07576f,
                                            -0.03796f, -0.01024f, -0.000664f, 0.0f};

float Interpolate(const float* table, float lambda) {
  if (lambda < kLambda[0] || lambda >= kLambda[kWavelengths - 1]) return 0.0f;
  int i = 0;
  while (lambda >= kLambda[i + 1]) ++i;
  const float t = (lambda - kLambda[i]) / (kLambda[i + 1] - kLambda[i]);
  return table[i] + t * (table[i + 1] - table[i]);
}

// Divisibility by 2^k tested the way the star weights were always tested,
// in floating point.
bool MultipleOf(int i, int power) {
  return i * (1.0f / power) == static_cast<float>(i / power);
}

}  // namespace

int GlowKernelWidth(int size) {
  return (size / 2) * 2 + 1;
}

KEPGlowSizes GlowSizesForWidth(int N) {
  KEPGlowSizes sizes;
  sizes.N = N;
  sizes.ctr = N / 2;
  sizes.M = static_cast<int>((N / 2 + 1) * 1.41421356) + 1;
  sizes.s = static_cast<float>(6.0 / (N / 2 + 1));
  return sizes;
}

int GlowRand() {
  return std::rand() % 32768;
}

void DrawNewRadLineValues(KEPGlowLineValues& values) {
  for (int i = 0; i < kGlowLineCount; ++i) {
    const float a = static_cast<float>(1.0 - GlowRand() / 32767.0);
    values.value1[i] = static_cast<float>(std::pow(a, 6.0));
    const float b = static_cast<float>(GlowRand() / 32767.0);
    values.value2[i] = static_cast<float>(1.0 - std::pow(b, static_cast<double>(0.06f)));
  }
}

float GetStarEffectValue(int line, float symmetry) {
  const double S = symmetry;
  double weight = 1.0 - S;
  if (MultipleOf(line, 32))
    weight = 1.0;
  else if (MultipleOf(line, 16))
    weight = (1.0 - S) * 0.6 + 0.4;
  else if (MultipleOf(line, 8))
    weight = (1.0 - S) * 0.8 + 0.2;
  else if (MultipleOf(line, 4))
    weight = (1.0 - S) * 0.9 + 0.1;
  else if (MultipleOf(line, 2))
    weight = (1.0 - S) * 0.95 + 0.05;
  return static_cast<float>(weight);
}

void CreateRadLines(float* map1, float* map2, int N, const KEPGlowLineValues& values,
                    float symmetry) {
  std::fill(map1, map1 + N * N, 0.0f);
  std::fill(map2, map2 + N * N, 0.0f);
  const int ctr = N / 2;
  const float R = static_cast<float>(N * 1.5 * 0.5);
  const float S = symmetry;
  for (int i = 0; i < kGlowLineCount; ++i) {
    const double angle = i * 2.0 * M_PI * (1.0 / kGlowLineCount);
    const int x1 = static_cast<int>(static_cast<float>(R * std::cos(angle) + ctr));
    const int y1 = static_cast<int>(static_cast<float>(R * std::sin(angle) + ctr));
    const float intensity =
        static_cast<float>((S + (1.0 - S) * values.value1[i]) * GetStarEffectValue(i, S));
    TraceAntiAlLine(ctr, ctr, x1, y1, intensity, map1, N);
    TraceAntiAlLine(ctr, ctr, x1, y1, values.value2[i], map2, N);
  }
}

void TraceAntiAlLine(int x0, int y0, int x1, int y1, float intensity, float* map, int N) {
  if (x0 == x1 && y0 == y1) {
    if (x0 >= 0 && x0 < N && y0 >= 0 && y0 < N) map[y0 * N + x0] = 1.0f;
    return;
  }
  const int dx = x1 - x0, dy = y1 - y0;
  if (dy == 0 || (dx != 0 && std::fabs(static_cast<float>(dy) / dx) <= 1.0f)) {
    if (dx >= 0)
      TraceAntiAlLineIncP1(x0, y0, x1, y1, intensity, map, N);
    else
      TraceAntiAlLineIncP1(x1, y1, x0, y0, intensity, map, N);
  } else if (dy >= 0) {
    TraceAntiAlLineIncP2(x0, y0, x1, y1, intensity, map, N);
  } else {
    TraceAntiAlLineIncP2(x1, y1, x0, y0, intensity, map, N);
  }
}

void TraceAntiAlLineIncP1(int x0, int y0, int x1, int y1, float intensity, float* map, int N) {
  const int dx = x1 - x0, dy = y1 - y0, ady = std::abs(dy);
  const int step = dy < 0 ? -1 : 1;
  int d = 2 * ady - dx;
  const float invDenom = static_cast<float>(
      1.0 / (static_cast<float>(std::sqrt(static_cast<double>(dx * dx + ady * ady))) * 2.0));
  const float twoDxInvDenom = 2 * dx * invDenom;
  int x = x0, y = y0;
  IntensifyPixel(x, y, 0.0f, intensity, map, N);
  IntensifyPixel(x, y + 1, twoDxInvDenom, intensity, map, N);
  IntensifyPixel(x, y - 1, twoDxInvDenom, intensity, map, N);
  while (x < x1) {
    ++x;
    int t;
    if (d >= 0) {
      t = d - dx;
      y += step;
      d += 2 * (ady - dx);
    } else {
      t = d + dx;
      d += 2 * ady;
    }
    IntensifyPixel(x, y, t * invDenom, intensity, map, N);
    IntensifyPixel(x, y + step, twoDxInvDenom - t * invDenom, intensity, map, N);
    IntensifyPixel(x, y - step, twoDxInvDenom + t * invDenom, intensity, map, N);
  }
}

void TraceAntiAlLineIncP2(int x0, int y0, int x1, int y1, float intensity, float* map, int N) {
  const int dy = y1 - y0, dx = x1 - x0, adx = std::abs(dx);
  const int step = dx < 0 ? -1 : 1;
  int d = 2 * adx - dy;
  const float invDenom = static_cast<float>(
      1.0 / (static_cast<float>(std::sqrt(static_cast<double>(dy * dy + adx * adx))) * 2.0));
  const float twoDyInvDenom = 2 * dy * invDenom;
  int x = x0, y = y0;
  IntensifyPixel(x, y, 0.0f, intensity, map, N);
  IntensifyPixel(x + 1, y, twoDyInvDenom, intensity, map, N);
  IntensifyPixel(x - 1, y, twoDyInvDenom, intensity, map, N);
  while (y < y1) {
    ++y;
    int t;
    if (d >= 0) {
      t = d - dy;
      x += step;
      d += 2 * (adx - dy);
    } else {
      t = d + dy;
      d += 2 * adx;
    }
    IntensifyPixel(x, y, t * invDenom, intensity, map, N);
    IntensifyPixel(x + step, y, twoDyInvDenom - t * invDenom, intensity, map, N);
    IntensifyPixel(x - step, y, twoDyInvDenom + t * invDenom, intensity, map, N);
  }
}

void IntensifyPixel(int x, int y, float distance, float intensity, float* map, int N) {
  if (x < 0 || x >= N || y < 0 || y >= N) return;
  const double u = std::fabs(distance * 10.0);
  if (u >= 15.0) return;
  const int k = static_cast<int>(u);
  const double f = (1.0 - (u - k)) * kLineFilter[k] + (u - k) * kLineFilter[k + 1];
  const double v = f * intensity;
  float& cell = map[y * N + x];
  // A ray never darkens what a brighter ray drew.
  if (v >= cell) cell = static_cast<float>((1.0 - f) * cell + v);
}

float GlareFunction(double r, float s) {
  const double u = static_cast<float>(s * r) + 0.02;
  return static_cast<float>(0.698 / (9662.35 * u * u * u) + 0.302 / (2025.11 * u * u));
}

float IntegrateBloom(float x0, float x1, float y0, float y1, int nx, int ny, float s) {
  const float dx = (x1 - x0) / nx, dy = (y1 - y0) / ny;
  auto glare = [s](float x, float y) {
    return GlareFunction(std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y), s);
  };
  float sum = 0.0f;
  for (int i = 0; i < nx; ++i) {
    const float xa = x0 + i * dx, xb = x0 + (i + 1) * dx;
    for (int j = 0; j < ny; ++j) {
      const float ya = y0 + j * dy, yb = y0 + (j + 1) * dy;
      sum += 0.25 * (glare(xa, ya) + glare(xb, ya) + glare(xa, yb) + glare(xb, yb)) * dx * dy;
    }
  }
  return sum;
}

void CalculateBloomFilterData(float* profile, int M, float s, const KEPGlowLightSource& light) {
  const double floor = std::sqrt(0.001);
  for (int k = 0; k < M; ++k) {
    float t;
    if (k == 0) {
      t = static_cast<float>(IntegrateBloom(-0.5f, 0.5f, -0.5f, 0.5f, 10, 10, s) * 0.2 + 0.8);
    } else {
      // Finer cells near the centre, where the glare changes fastest.
      const int n = k * s < 2.0f ? 4 : 2;
      t = static_cast<float>(IntegrateBloom(k - 0.5f, k + 0.5f, -0.5f, 0.5f, n, n, s) * 0.2);
    }
    // Compresses the glare's range so that the faint far halo still shows.
    const double w = std::min((std::sqrt(t * 0.999 + 0.001) - floor) / (1.0 - floor), 1.0);
    float* rgb = profile + 3 * k;
    if (light.whiteSaturation)
      HLStoRGB(light.hue, static_cast<float>(w), light.saturation, rgb, rgb + 1, rgb + 2);
    else
      HSVtoRGB(light.hue, light.saturation, static_cast<float>(w), rgb, rgb + 1, rgb + 2);
  }
}

float Lambda_R_Conv(float lambda) {
  return Interpolate(kResponseR, lambda);
}

float Lambda_G_Conv(float lambda) {
  return Interpolate(kResponseG, lambda);
}

float Lambda_B_Conv(float lambda) {
  return Interpolate(kResponseB, lambda);
}

float Halo_f3(float lambda, float theta, float flareDiffusion) {
  const double thetaPrime = (theta - 3.0) / flareDiffusion + 3.0;
  const double offset = thetaPrime - 3.0 * lambda / 568.0;
  return static_cast<float>((568.0 / lambda) * std::exp(-19.75 * offset * offset));
}

void Integrate_Comp(float theta, float lambdaMin, float lambdaMax, int steps, float* rgb,
                    const KEPGlowLightSource& light, float flareDiffusion) {
  float cr, cg, cb;
  HSVtoRGB(light.hue, light.saturation, 1.0f, &cr, &cg, &cb);
  const float dl = (lambdaMax - lambdaMin) / steps;
  auto e = [&](float x) {
    return (cr * Lambda_R_Conv(x) + cg * Lambda_G_Conv(x) + cb * Lambda_B_Conv(x)) *
           Halo_f3(x, theta, flareDiffusion);
  };
  rgb[0] = rgb[1] = rgb[2] = 0.0f;
  for (int i = 0; i < steps; ++i) {
    const float l = lambdaMin + i * dl, l2 = l + dl;
    const float e1 = e(l), e2 = e(l2);
    rgb[0] += dl * (e1 * Lambda_R_Conv(l) + e2 * Lambda_R_Conv(l2)) * 0.5 / 100.0;
    rgb[1] += dl * (e1 * Lambda_G_Conv(l) + e2 * Lambda_G_Conv(l2)) * 0.5 / 100.0;
    rgb[2] += dl * (e1 * Lambda_B_Conv(l) + e2 * Lambda_B_Conv(l2)) * 0.5 / 100.0;
  }
}

void CalculateFlareFilterData(float* profile, int M, float s, const KEPGlowLightSource& light,
                              float flareDiffusion) {
  std::fill(profile, profile + 3 * M, 0.0f);
  const int k0 = static_cast<int>(1.5 / s);
  // The ring ends at 4.4 degrees; a small kernel may end before it.
  const int k1 = std::min(static_cast<int>(4.4 / s), M);
  float theta = k0 * s;
  for (int k = k0; k < k1; ++k, theta += s) {
    float* rgb = profile + 3 * k;
    Integrate_Comp(theta, 400.0f, 700.0f, 15, rgb, light, flareDiffusion);
    for (int c = 0; c < 3; ++c) rgb[c] = std::max(rgb[c], 0.0f);
  }
}

void ScaleFlareLineMap(float* map2, int count) {
  for (int i = 0; i < count; ++i) map2[i] = static_cast<float>(0.3 + 0.7 * map2[i]);
}

float GlowLineFactor(float radialLines, int N) {
  return static_cast<float>(radialLines * N / 101.0);
}

void CalculateGlowKernels(const float* map1, const float* map2, int N, const float* bloomProfile,
                          const float* flareProfile, float lineFactor, float* bloomKernel,
                          float* flareKernel) {
  const int ctr = N / 2;
  for (int y = 0; y < N; ++y) {
    for (int x = 0; x < N; ++x) {
      const int cell = y * N + x;
      const int ox = x - ctr, oy = y - ctr;
      const float r = static_cast<float>(std::sqrt(static_cast<double>(ox * ox + oy * oy)));
      if (bloomKernel) {
        // Along a ray the distance shrinks, so the bloom reaches further.
        const float weight = static_cast<float>(
            std::pow(static_cast<double>(map1[cell]), static_cast<double>(1.2f)));
        const float rp = static_cast<float>(r / (lineFactor * weight + 1.0));
        const int j = static_cast<int>(rp);
        const float q = rp - j;
        for (int c = 0; c < 3; ++c)
          bloomKernel[3 * cell + c] =
              (1.0f - q) * bloomProfile[3 * j + c] + q * bloomProfile[3 * (j + 1) + c];
      }
      if (flareKernel) {
        const int j = static_cast<int>(r);
        const float q = r - j;
        for (int c = 0; c < 3; ++c)
          flareKernel[3 * cell + c] =
              ((1.0f - q) * flareProfile[3 * j + c] + q * flareProfile[3 * (j + 1) + c]) *
              map2[cell];
      }
    }
  }
}
