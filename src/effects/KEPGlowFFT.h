#pragma once

#include <functional>

// The glow's accumulators by fast convolution: splatting a kernel centred on
// every selected pixel, clipped at the area's edge, is the selection's
// indicator image convolved with the kernel, so its cost no longer grows
// with the number of selected pixels.
//
// The convolution is circular over a P x Q grid just large enough that
// nothing wraps onto the area (P >= w + half kernel width, Q likewise, P
// even, both with no prime factor above 5), computed with real row
// transforms and complex column transforms. Rows that hold only zeros are
// not transformed, nor are output rows outside the area. Every 1D
// transform is computed the same way whatever the number of threads, so the
// result does not depend on it.
namespace KEPGlowFFT {

// One convolution: an N x N kernel and the w x h result, each read or
// written one value every `stride` floats (one channel of RGB triples).
struct Channel {
  const float* kernel;
  float* out;
};

// Smallest size >= n whose prime factors are 2, 3 and 5 only, even when
// asked.
int FastSize(int n, bool even);

// Floating-point operations Convolve performs, by the usual count of
// 5 L log2 L for a complex transform of length L (half for a real one) and
// 6 per complex product.
double EstimateFlops(int w, int h, int N, int channels);

// Sets each channel's out to the indicator (w x h bytes, non-zero where a
// pixel is selected) convolved with the channel's kernel, centred:
// out(x, y) = sum over selected (sx, sy) of kernel(x - sx + N/2, y - sy + N/2),
// cells outside the kernel counting 0. `progress` is called on the calling
// thread between stages with the fraction done; when it returns false the
// work stops and Convolve returns false, the outputs then partly written.
bool Convolve(const unsigned char* indicator, int w, int h, int N, const Channel* channels,
              int channelCount, int stride, const std::function<bool(double)>& progress);

}  // namespace KEPGlowFFT
