#include "atelo-render/KEPRenderPicture.h"

#include <OpenImageIO/imageio.h>

#include <cmath>
#include <cstring>
#include <numbers>

KEPRenderPicture KEPGeneratePicture(int width, int height, int frame, int period) {
  KEPRenderPicture picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.resize(static_cast<std::size_t>(width) * height * 4);
  // Phases go once round the circle per period, so the last frame leads
  // back into the first.
  double t = 2 * std::numbers::pi * frame / (period > 0 ? period : 1);
  double scale = 6.0 / std::max(1, std::min(width, height));
  double cx = 0.5 * width + 0.25 * width * std::cos(t),
         cy = 0.5 * height + 0.25 * height * std::sin(t);
  unsigned char* out = picture.pixels.data();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double u = x * scale, v = y * scale;
      double r = std::hypot(x - cx, y - cy) * scale;
      double wave = std::sin(u + t) + std::sin(v * 1.3 - t) + std::sin((u + v) * 0.7 + 2 * t) +
                    std::sin(r * 2.0 - 3 * t);
      double phase = wave * std::numbers::pi / 2;
      *out++ = static_cast<unsigned char>(127.5 + 127.5 * std::sin(phase));
      *out++ = static_cast<unsigned char>(127.5 + 127.5 * std::sin(phase + 2.1));
      *out++ = static_cast<unsigned char>(127.5 + 127.5 * std::sin(phase + 4.2));
      *out++ = 255;
    }
  }
  return picture;
}

bool KEPReadPicture(const std::string& file, KEPRenderPicture& picture, std::string& error) {
  // The bytes of the file as they are: a renderer sends straight colour and
  // alpha, never colour multiplied by alpha.
  OIIO::ImageSpec config;
  config.attribute("oiio:UnassociatedAlpha", 1);
  auto input = OIIO::ImageInput::open(file, &config);
  if (!input) {
    error = OIIO::geterror();
    if (error.empty()) error = "cannot open " + file;
    return false;
  }
  const OIIO::ImageSpec& spec = input->spec();
  int channels = spec.nchannels;
  if (spec.width <= 0 || spec.height <= 0 || channels <= 0 ||
      static_cast<long long>(spec.width) * spec.height > (1LL << 28)) {
    error = file + ": unusable image size";
    return false;
  }
  std::vector<unsigned char> raw(static_cast<std::size_t>(spec.width) * spec.height * channels);
  if (!input->read_image(0, 0, 0, channels, OIIO::TypeDesc::UINT8, raw.data())) {
    error = input->geterror();
    return false;
  }
  picture.width = spec.width;
  picture.height = spec.height;
  picture.pixels.assign(static_cast<std::size_t>(spec.width) * spec.height * 4, 255);
  for (int row = 0; row < spec.height; ++row) {
    // Files keep their top row first.
    const unsigned char* from = &raw[static_cast<std::size_t>(row) * spec.width * channels];
    unsigned char* to =
        &picture.pixels[static_cast<std::size_t>(spec.height - 1 - row) * spec.width * 4];
    for (int x = 0; x < spec.width; ++x, from += channels, to += 4) {
      if (channels < 3) {
        to[0] = to[1] = to[2] = from[0];
        if (channels == 2) to[3] = from[1];
      } else {
        std::memcpy(to, from, channels >= 4 ? 4 : 3);
      }
    }
  }
  return true;
}

std::vector<unsigned char> KEPCutPatch(const KEPRenderPicture& picture, int x, int y, int width,
                                       int height) {
  std::vector<unsigned char> bytes;
  bytes.reserve(static_cast<std::size_t>(width) * height * 4);
  for (int row = 0; row < height; ++row) {
    auto from =
        picture.pixels.begin() + (static_cast<std::ptrdiff_t>(y + row) * picture.width + x) * 4;
    bytes.insert(bytes.end(), from, from + static_cast<std::ptrdiff_t>(width) * 4);
  }
  return bytes;
}
