#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// A perfect maze of one-pixel corridors carved into a 4-byte pixel buffer:
// cell (i, j) is pixel (2i + 1, 2j + 1) and carving removes the wall pixel
// between two cells, so every corridor pixel is 4-connected to every other
// one and to nothing else. Returns the number of corridor pixels.
inline std::size_t CarveMaze(std::vector<unsigned char>& pixels, int width, int height,
                             const unsigned char wall[4], const unsigned char corridor[4]) {
  pixels.resize(static_cast<std::size_t>(width) * height * 4);
  for (std::size_t i = 0; i < pixels.size(); i += 4) std::memcpy(&pixels[i], wall, 4);
  const int cw = (width - 1) / 2, ch = (height - 1) / 2;
  if (cw < 1 || ch < 1) return 0;
  auto open = [&](int x, int y) {
    std::memcpy(&pixels[(static_cast<std::size_t>(y) * width + x) * 4], corridor, 4);
  };
  std::vector<std::uint8_t> seen(static_cast<std::size_t>(cw) * ch, 0);
  std::vector<int> stack = {0};
  seen[0] = 1;
  open(1, 1);
  std::size_t count = 1;
  std::uint64_t rng = 88172645463325252ULL;
  const int moves[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  while (!stack.empty()) {
    const int cell = stack.back();
    const int ci = cell % cw, cj = cell / cw;
    int choices[4], n = 0;
    for (int m = 0; m < 4; ++m) {
      const int ni = ci + moves[m][0], nj = cj + moves[m][1];
      if (ni >= 0 && nj >= 0 && ni < cw && nj < ch && !seen[nj * cw + ni]) choices[n++] = m;
    }
    if (n == 0) {
      stack.pop_back();
      continue;
    }
    rng ^= rng << 13;
    rng ^= rng >> 7;
    rng ^= rng << 17;
    const int m = choices[rng % n];
    const int ni = ci + moves[m][0], nj = cj + moves[m][1];
    seen[nj * cw + ni] = 1;
    open(2 * ci + 1 + moves[m][0], 2 * cj + 1 + moves[m][1]);
    open(2 * ni + 1, 2 * nj + 1);
    count += 2;
    stack.push_back(nj * cw + ni);
  }
  return count;
}
