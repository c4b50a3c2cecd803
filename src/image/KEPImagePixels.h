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

// Lanczos3 resampling (a sinc windowed by a three times wider sinc), one
// axis after the other. When shrinking, the kernel widens with the scale so
// that it filters out what the smaller image cannot hold. Every channel,
// alpha too, is filtered on its own; results are rounded and clamped.
void ResampleLanczos3(std::span<const unsigned char> source, int width, int height,
                      std::span<unsigned char> destination, int newWidth, int newHeight);

// Unpacks `rows` rows of a file's pixels, `channels` bytes each (1 grey, 2
// grey and alpha, 3 RGB, 4 RGBA), into RGBA rows starting at `destination`,
// each next row `destinationStride` bytes further on (negative to turn the
// rows over). A missing alpha becomes opaque.
void UnpackRows(const unsigned char* file, int channels, int width, int rows,
                unsigned char* destination, std::ptrdiff_t destinationStride);

// Packs RGBA rows, each next one `sourceStride` bytes further on, into a
// file's pixels of `channels` bytes: 1 grey (Rec. 601 luma, rounded), 3 RGB,
// 4 RGBA.
void PackRows(const unsigned char* source, std::ptrdiff_t sourceStride, int width, int rows,
              int channels, unsigned char* file);

}  // namespace KEPImagePixels
