#include "image/KEPImageLogo.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

void KEPKeyLogoBackground(unsigned char* pixels, int width, int height, int threshold) {
  if (!pixels || width <= 0 || height <= 0) return;
  const std::size_t reference =
      (static_cast<std::size_t>(std::min(1, height - 1)) * width + std::min(1, width - 1)) * 4;
  const unsigned char key[3] = {pixels[reference], pixels[reference + 1], pixels[reference + 2]};
  const std::size_t count = static_cast<std::size_t>(width) * height;
  for (std::size_t i = 0; i < count; ++i) {
    unsigned char* p = pixels + 4 * i;
    const bool background = std::abs(p[0] - key[0]) <= threshold &&
                            std::abs(p[1] - key[1]) <= threshold &&
                            std::abs(p[2] - key[2]) <= threshold;
    p[3] = background ? 0 : 255;
  }
}

void KEPMergeLogo(unsigned char* image, int width, int height, const unsigned char* logo,
                  int logoWidth, int logoHeight, int x, int y, bool useAlpha) {
  if (!image || !logo || width <= 0 || height <= 0 || logoWidth <= 0 || logoHeight <= 0) return;
  // Clipped in 64 bits: a logo dragged far off the image must not wrap.
  const long long c0 = std::max(0LL, -static_cast<long long>(x));
  const long long r0 = std::max(0LL, -static_cast<long long>(y));
  const long long c1 = std::min<long long>(logoWidth, static_cast<long long>(width) - x);
  const long long r1 = std::min<long long>(logoHeight, static_cast<long long>(height) - y);
  if (c0 >= c1 || r0 >= r1) return;
  for (long long r = r0; r < r1; ++r) {
    const unsigned char* in = logo + (static_cast<std::size_t>(r) * logoWidth + c0) * 4;
    unsigned char* out = image + (static_cast<std::size_t>(y + r) * width + (x + c0)) * 4;
    if (!useAlpha) {
      for (long long c = c0; c < c1; ++c, in += 4, out += 4) {
        std::memcpy(out, in, 3);
        out[3] = 255;
      }
      continue;
    }
    for (long long c = c0; c < c1; ++c, in += 4, out += 4) {
      const unsigned a = in[3];
      if (a == 0) continue;
      // The logo over the image: colour by the logo's alpha, and the image
      // becomes at least as opaque as the logo, so that a logo over a
      // transparent corner still shows in the file.
      for (int k = 0; k < 3; ++k)
        out[k] = static_cast<unsigned char>((in[k] * a + out[k] * (255 - a) + 127) / 255);
      out[3] = static_cast<unsigned char>(a + (out[3] * (255 - a) + 127) / 255);
    }
  }
}
