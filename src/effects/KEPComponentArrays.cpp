#include "effects/KEPComponentArrays.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "colour/KEPColourBuffers.h"
#include "effects/KEPLargeArrays.h"
#include "effects/KEPParallelRows.h"

namespace {

constexpr int kMinRowsPerThread = 8;

unsigned char ToByte(float value) {
  const float scaled = std::nearbyint(value * 255.0f);
  if (!(scaled > 0.0f)) return 0;
  if (scaled > 255.0f) return 255;
  return static_cast<unsigned char>(scaled);
}

// One row of pixels to components, in place in `out`.
void ExportRow(const unsigned char* rgba, int width, int space, float* out) {
  if (space == KEPComponentArrays::kHLS) {
    KEPColourBuffers::RgbaToHls(rgba, static_cast<std::size_t>(width), out);
    for (int i = 0; i < width; ++i) {
      float& hue = out[3 * i];
      hue = hue < 0.0f ? KEPComponentArrays::kUndefinedHue : hue / 360.0f;
    }
    return;
  }
  for (int i = 0; i < width; ++i, rgba += 4, out += 3) {
    out[0] = rgba[0] / 255.0f;
    out[1] = rgba[1] / 255.0f;
    out[2] = rgba[2] / 255.0f;
  }
}

}  // namespace

namespace KEPComponentArrays {

std::vector<float> Export(const unsigned char* rgba, int imageWidth, int x, int y, int width,
                          int height, int space) {
  if (!rgba || width <= 0 || height <= 0) return {};
  std::vector<float> components =
      KEPLargeArrays::Make<float>(static_cast<std::size_t>(width) * height * 3);
  KEPParallelRows::Run(0, height, kMinRowsPerThread, [&](int first, int last) {
    for (int row = first; row < last; ++row) {
      const unsigned char* source = rgba + (static_cast<std::size_t>(y + row) * imageWidth + x) * 4;
      ExportRow(source, width, space,
                components.data() + static_cast<std::size_t>(row) * width * 3);
    }
  });
  return components;
}

std::size_t Import(unsigned char* rgba, int imageWidth, int x, int y, int width, int height,
                   int space, const float* components) {
  if (!rgba || !components || width <= 0 || height <= 0) return 0;
  std::atomic<std::size_t> changed{0};
  KEPParallelRows::Run(0, height, kMinRowsPerThread, [&](int first, int last) {
    std::vector<float> now(static_cast<std::size_t>(width) * 3), model;
    std::vector<unsigned char> bytes;
    if (space == kHLS) {
      model.resize(now.size());
      bytes.resize(static_cast<std::size_t>(width) * 4);
    }
    std::size_t count = 0;
    for (int row = first; row < last; ++row) {
      unsigned char* target = rgba + (static_cast<std::size_t>(y + row) * imageWidth + x) * 4;
      const float* wanted = components + static_cast<std::size_t>(row) * width * 3;
      ExportRow(target, width, space, now.data());
      if (space == kHLS) {
        // Back to the colour model's own scale, grey where there is no hue.
        for (int i = 0; i < width; ++i) {
          const float hue = wanted[3 * i];
          const bool grey = hue < 0.0f;
          model[3 * i] = grey ? -1.0f : hue * 360.0f;
          model[3 * i + 1] = wanted[3 * i + 1];
          model[3 * i + 2] = grey ? 0.0f : wanted[3 * i + 2];
        }
        std::memcpy(bytes.data(), target, bytes.size());
        KEPColourBuffers::HlsToRgba(model.data(), static_cast<std::size_t>(width), bytes.data());
      }
      for (int i = 0; i < width; ++i) {
        if (std::memcmp(&now[3 * i], &wanted[3 * i], 3 * sizeof(float)) == 0) continue;
        unsigned char* pixel = target + 4 * i;
        unsigned char next[3];
        if (space == kHLS) {
          std::memcpy(next, &bytes[4 * i], 3);
        } else {
          for (int c = 0; c < 3; ++c) next[c] = ToByte(wanted[3 * i + c]);
        }
        if (std::memcmp(pixel, next, 3) == 0) continue;
        std::memcpy(pixel, next, 3);
        ++count;
      }
    }
    changed += count;
  });
  return changed;
}

}  // namespace KEPComponentArrays
