#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Pixel helpers on 4-byte RGBA buffers, rows one after the other. They know
// nothing of files or of the toolkit.
namespace KEPImagePixels {

// Byte count of a width x height RGBA buffer.
inline std::size_t BufferSize(int width, int height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

// Copies columns x rows source pixels so that source (i, j) lands on
// (x + i, y + j) of the destination; what falls outside is dropped.
void PutPatch(std::span<unsigned char> destination, int width, int height, int x, int y,
              int columns, int rows, const unsigned char* source);

// The pixels of a rectangle lying wholly inside the buffer; empty otherwise.
std::vector<unsigned char> CopyRect(std::span<const unsigned char> source, int width, int height,
                                    int x, int y, int rectWidth, int rectHeight);

// Reverses the order of the rows in place.
void FlipRows(std::span<unsigned char> pixels, int width, int height);

// Bilinear resampling on pixel centres, rounded to the nearest byte.
void ResampleBilinear(std::span<const unsigned char> source, int width, int height,
                      std::span<unsigned char> destination, int newWidth, int newHeight);

// Completes pixels whose first `channels` bytes were filled from a file with
// 1, 2 or 3 channels: grey goes to red, green and blue, the second channel of
// two is alpha, and a missing alpha becomes opaque.
void ExpandChannels(std::span<unsigned char> pixels, int channels);

// Rec. 601 luma of each pixel, rounded: the grey written to one-channel files.
void ToGrey(std::span<const unsigned char> pixels, std::span<unsigned char> grey);

}  // namespace KEPImagePixels
