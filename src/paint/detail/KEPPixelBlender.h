#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <span>

// The blend of a paint colour into pixels, worked out once per call for every
// possible old byte value: the float formula then costs a table look-up per
// byte, and when every byte comes out constant or unchanged (blend 0, or a
// channel left alone) a pixel is a single masked 32-bit write.
class KEPPixelBlender {
 public:
  KEPPixelBlender(std::span<const int, 4> colour, float blend);

  void Apply(unsigned char* pixel) const {
    if (_simple) {
      std::uint32_t v;
      std::memcpy(&v, pixel, 4);
      v = (v & _keep) | _bits;
      std::memcpy(pixel, &v, 4);
      return;
    }
    for (int k = 0; k < 4; ++k) pixel[k] = _table[k][pixel[k]];
  }

  // `count` pixels from `pixel` on.
  void ApplyRun(unsigned char* pixel, std::size_t count) const;

 private:
  std::array<std::array<unsigned char, 256>, 4> _table;
  bool _simple = false;
  std::uint32_t _keep = 0, _bits = 0;
};
