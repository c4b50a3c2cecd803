#pragma once

// Picture files for the tests, written and read through the image record as
// the workbench itself writes and reads them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"

using Bytes = std::vector<unsigned char>;
// Sets pixel (x, y) of a picture, rows counted from the buffer's start.
using Painter = std::function<void(int x, int y, unsigned char* p)>;

// (x, y, blue, 255): every pixel of a picture under 256 x 256 tells its place.
inline Painter Gradient(int blue) {
  return [blue](int x, int y, unsigned char* p) {
    p[0] = static_cast<unsigned char>(x), p[1] = static_cast<unsigned char>(y);
    p[2] = static_cast<unsigned char>(blue), p[3] = 255;
  };
}

// A width x height picture saved at `path`; pixels left as allocated
// without a painter.
inline void WritePicture(const std::string& path, int width, int height,
                         const Painter& paint = {}) {
  KEPAtelIma image(path.c_str(), KEPAtelIma::STATE_IN_MEMORY, 0u);
  ASSERT_EQ(image.AllocatePixels(width, height), 0);
  unsigned char* p = image.GetPixels();
  for (int y = 0; paint && y < height; ++y)
    for (int x = 0; x < width; ++x, p += 4) paint(x, y, p);
  char error[KEP_ERRMSG_SIZE] = {0};
  ASSERT_EQ(image.SaveImage(0, error, 0), 0) << error;
}

inline Bytes PixelsOf(const KEPAtelIma* image) {
  return Bytes(image->GetPixels(), image->GetPixels() + image->GetMemorySize());
}

struct Picture {
  int width = 0, height = 0;
  Bytes pixels;  // empty when the file could not be read
  std::vector<int> At(int x, int y) const {
    const unsigned char* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
  }
  std::vector<int> Size() const { return {width, height}; }
};

inline Picture ReadPicture(const std::string& path) {
  Picture picture;
  KEPAtelIma image(path.c_str(), KEPAtelIma::STATE_FROM_FILE, 0u);
  char error[KEP_ERRMSG_SIZE] = {0};
  if (image.LoadPixels(picture.width, picture.height, error) == 0)
    picture.pixels = PixelsOf(&image);
  else
    ADD_FAILURE() << error;
  return picture;
}
