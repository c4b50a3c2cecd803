#pragma once

#include <vector>

// A logo laid over an image without changing the image's pixels: the logo
// scaled for that image (RGBA, bottom row first like every buffer of the
// workbench), the view point where its lower-left pixel sits, whether its
// alpha counts, and the id of the logo set-up it was made from (0: none).
struct KEPImageLogo {
  std::vector<unsigned char> pixels;
  int width = 0, height = 0;
  int x = 0, y = 0;
  int transparency = 0;
  int id = 0;

  bool Empty() const { return id == 0 || width <= 0 || height <= 0 || pixels.empty(); }
};

// Makes the logo's background transparent: the reference colour is the
// pixel at column 1, row 1 (the first when the logo is narrower or lower);
// every pixel whose red, green and blue each differ from it by at most
// `threshold` gets alpha 0, every other pixel alpha 255.
void KEPKeyLogoBackground(unsigned char* pixels, int width, int height, int threshold);

// Lays the logo over an image's pixels for good, the logo's pixel (0, 0) on
// image pixel (x, y); what falls outside the image is left out. With
// `useAlpha` the logo is laid by its alpha (a pixel of alpha 0 leaves the
// image as it was), else its pixels replace the image's, opaque.
void KEPMergeLogo(unsigned char* image, int width, int height, const unsigned char* logo,
                  int logoWidth, int logoHeight, int x, int y, bool useAlpha);
