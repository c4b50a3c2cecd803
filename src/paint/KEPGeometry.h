#pragma once

#include <span>
#include <vector>

// Whole-buffer geometry on RGBA pixels (4 bytes a pixel, rows one after the
// other, row 0 the bottom of the picture): quarter turns, mirrors, the
// extraction of a selection and the merge of a pasted object. Nothing here
// knows the toolkit or the document.
//
// A buffer smaller than width * height * 4 bytes, or a size that is not
// positive, gives an empty result (or changes nothing).

// Operation codes of the manipulation buttons.
enum : int {
  KEP_ROTATE_LEFT = 0x40000,
  KEP_ROTATE_RIGHT = 0x80000,
  KEP_FLIP_VERTICAL = 0x100000,
  KEP_FLIP_HORIZONTAL = 0x200000,
};

// A quarter turn: KEP_ROTATE_RIGHT turns the picture clockwise, any other
// code counter-clockwise. Output pixel (x, y) of the (height x width) result
// takes source pixel (width - 1 - y, x) clockwise and (y, height - 1 - x)
// otherwise. width and height become the new size. `reuse` lends its memory
// to the result (fresh pages cost more than the turn), unless it is much
// larger than the result needs.
std::vector<unsigned char> RotateBitmap(std::span<const unsigned char> source, int& width,
                                        int& height, int code,
                                        std::vector<unsigned char>&& reuse = {});
// The same into a caller's buffer of the same byte count; false (nothing
// written) when a buffer is too small.
bool RotateBitmapInto(std::span<const unsigned char> source, int width, int height, int code,
                      std::span<unsigned char> destination);

// A mirror of the same size: KEP_FLIP_VERTICAL reverses the rows, any other
// code the columns.
std::vector<unsigned char> FlipBitmap(std::span<const unsigned char> source, int width, int height,
                                      int code);
void FlipBitmapInPlace(std::span<unsigned char> pixels, int width, int height, int code);

// A selection over an image: one byte per pixel of the rectangle (x, y,
// width, height) of the image, 0 for a pixel inside the drawn shape and 1
// outside it.
struct KEPSelectionMask {
  std::span<const unsigned char> bytes;
  int x = 0, y = 0, width = 0, height = 0;
};

// The selected pixels of a width x height image. side 0 takes the shape:
// the mask's rectangle, with the pixels outside the shape 0 in all four
// bytes. Any other side takes everything but the shape: the whole image with
// the shape's pixels 0. With `clear` the pixels taken become 0 in the image.
// width and height become the result's size; empty (size unchanged) when the
// mask does not lie inside the image or does not match its size.
std::vector<unsigned char> ExtractMaskedPixels(std::span<unsigned char> pixels, int& width,
                                               int& height, const KEPSelectionMask& mask, int side,
                                               bool clear);

// Merges an object of objectWidth x objectHeight pixels into the image with
// its pixel (0, 0) on image pixel (x, y). An object pixel that is 0 in all
// four bytes (outside a pasted shape) leaves the image pixel as it is; any
// other replaces the image pixel's four bytes, alpha included, so that what
// is pasted is exactly what was copied. Pixels falling outside the image are
// dropped. Returns the number of image pixels the object covered.
long long IncrustPixels(std::span<unsigned char> image, int width, int height,
                        std::span<const unsigned char> object, int objectWidth, int objectHeight,
                        int x, int y);

// How an object shows before it is merged, for a viewer that blends by
// alpha: pixels that the merge would skip transparent, every other pixel
// opaque with its colour.
std::vector<unsigned char> IncrustPreview(std::span<const unsigned char> object);
