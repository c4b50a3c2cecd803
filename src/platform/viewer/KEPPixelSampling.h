#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Drawing a bottom-row-first RGBA buffer onto a top-down 32-bit target
// (0xAARRGGBB words, the layout of the toolkit's screen images) through a
// scale, without ever copying or turning over the source: each target
// pixel reads the source pixels that its footprint covers.

// Which source pixels one axis of the target reads. Target pixel i (0-based
// from the first target pixel) reads index[i * samples + k] for k <
// samples; only target pixels [begin, end) fall on the source, the others
// are left untouched.
struct KEPSampleAxis {
  std::vector<int> index;
  int samples = 1;
  int begin = 0;
  int end = 0;
  bool Empty() const { return begin >= end; }
};

// `first` is the source coordinate of the leading edge of target pixel 0
// and `step` the source distance from one target pixel to the next
// (negative for rows, since the source's rows go up and the target's down).
// A target pixel lies on the source when its centre does; its samples sit
// evenly inside its footprint, clamped to [0, limit).
KEPSampleAxis KEPBuildSampleAxis(double first, double step, int count, int samples, int limit);

// How many samples per axis a scale calls for: one (nearest neighbour, crisp
// pixels) from zoom 1 up, more when a target pixel covers several source
// pixels, at most `maxSamples` so that a far zoom-out costs no more than a
// bounded number of reads per screen pixel.
int KEPSamplesForZoom(double zoom, int maxSamples = 3);

enum class KEPPixelBlend {
  kOpaque,  // the alpha byte is ignored: the target word gets alpha 255
  kAlpha    // premultiplied by alpha, for drawing over what lies beneath
};

// Resamples `rgba` (width pixels per row, bottom row first) into `target`:
// target pixel (i, j) with i in [cols.begin, cols.end) and j in [rows.begin,
// rows.end) goes to target[(j - rows.begin) * stride + (i - cols.begin)].
void KEPResamplePixels(const unsigned char* rgba, int width, const KEPSampleAxis& cols,
                       const KEPSampleAxis& rows, KEPPixelBlend blend, std::uint32_t* target,
                       std::ptrdiff_t stride);

// As KEPResamplePixels, laid by alpha over a checkerboard of light and
// dark grey squares of kCheckerSquare pixels, opaque: transparent parts of a
// picture show as such instead of as black. The squares keep to the target:
// (left, top) is the target position of the axes' pixel (0, 0), so that
// pieces painted apart fit together.
inline constexpr int kCheckerSquare = 8;
void KEPResampleOverChecker(const unsigned char* rgba, int width, const KEPSampleAxis& cols,
                            const KEPSampleAxis& rows, std::uint32_t* target, std::ptrdiff_t stride,
                            int left, int top);

// Red/cyan anaglyph of two same-sized buffers: red from the left eye's
// picture, green and blue from the right eye's, opaque. Placement as in
// KEPResamplePixels.
void KEPResampleAnaglyph(const unsigned char* left, const unsigned char* right, int width,
                         const KEPSampleAxis& cols, const KEPSampleAxis& rows,
                         std::uint32_t* target, std::ptrdiff_t stride);

// One level down a pyramid of half-size copies: destination pixel (c, r)
// (destination size ceil(width / 2) x ceil(height / 2)) is the average of
// source pixels (2c..2c+1, 2r..2r+1), the last row or column repeated when
// the source size is odd. Only destination pixels in [x0, x1) x [y0, y1)
// are computed, so that a changed patch costs its own size.
void KEPHalvePixels(const unsigned char* source, int width, int height, unsigned char* destination,
                    int x0, int y0, int x1, int y1);
