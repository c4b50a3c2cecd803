#include "paint/detail/KEPPixelBlender.h"

#include <cmath>

namespace {

// Low 8 bits of trunc(v), defined for every float: fmod is exact, so the
// result is what a wide integer conversion would give, without its undefined
// behaviour for values beyond int.
unsigned char LowByteOfTrunc(float v) {
  if (!std::isfinite(v)) return 0;
  const double r = std::fmod(std::trunc(static_cast<double>(v)), 256.0);
  return static_cast<unsigned char>(static_cast<int>(r) & 0xFF);
}

}  // namespace

KEPPixelBlender::KEPPixelBlender(std::span<const int, 4> colour, float blend) {
  bool simple = true;
  unsigned char keepBytes[4], bitBytes[4];
  for (int k = 0; k < 4; ++k) {
    auto& table = _table[k];
    if (colour[k] == 256) {
      for (int old = 0; old < 256; ++old) table[old] = static_cast<unsigned char>(old);
      keepBytes[k] = 0xFF;
      bitBytes[k] = 0;
      continue;
    }
    // (1 - blend) * paint does not depend on the pixel; float throughout, as
    // the painted result must match byte for byte.
    const float weighted = (1.0f - blend) * static_cast<float>(colour[k]);
    bool constant = true;
    for (int old = 0; old < 256; ++old) {
      table[old] = LowByteOfTrunc(blend * static_cast<float>(old) + weighted);
      if (table[old] != table[0]) constant = false;
    }
    bool identity = true;
    for (int old = 0; old < 256; ++old) {
      if (table[old] != old) identity = false;
    }
    if (constant) {
      keepBytes[k] = 0;
      bitBytes[k] = table[0];
    } else if (identity) {
      keepBytes[k] = 0xFF;
      bitBytes[k] = 0;
    } else {
      simple = false;
    }
  }
  _simple = simple;
  if (simple) {
    std::memcpy(&_keep, keepBytes, 4);
    std::memcpy(&_bits, bitBytes, 4);
  }
}

void KEPPixelBlender::ApplyRun(unsigned char* pixel, std::size_t count) const {
  if (_simple) {
    if (_keep == 0) {
      for (std::size_t i = 0; i < count; ++i) std::memcpy(pixel + 4 * i, &_bits, 4);
      return;
    }
    for (std::size_t i = 0; i < count; ++i) {
      std::uint32_t v;
      std::memcpy(&v, pixel + 4 * i, 4);
      v = (v & _keep) | _bits;
      std::memcpy(pixel + 4 * i, &v, 4);
    }
    return;
  }
  for (std::size_t i = 0; i < count; ++i, pixel += 4) {
    pixel[0] = _table[0][pixel[0]];
    pixel[1] = _table[1][pixel[1]];
    pixel[2] = _table[2][pixel[2]];
    pixel[3] = _table[3][pixel[3]];
  }
}
