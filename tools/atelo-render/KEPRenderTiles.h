#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A rectangle of a frame in pixels; y counts from the bottom row.
struct KEPRenderRect {
  int x, y, width, height;
};

enum class KEPRenderOrder { Rows, Columns, Random, Spiral };

// "rows", "columns", "random", "spiral"; false for anything else.
bool KEPParseRenderOrder(const std::string& text, KEPRenderOrder& order);

// The patches covering `area` in the given order: patchWidth x patchHeight,
// smaller at the right and top edges. Rows go bottom to top, left to right;
// columns left to right, bottom to top; random is a shuffle fixed by `seed`;
// spiral starts at the centre and winds outwards.
std::vector<KEPRenderRect> KEPRenderPatches(const KEPRenderRect& area, int patchWidth,
                                            int patchHeight, KEPRenderOrder order,
                                            std::uint32_t seed);

// The rectangle of a frame that frame part p (1..16) covers: a 4 x 4 grid,
// the last column and row taking the remainders; p = 0 is the whole frame.
KEPRenderRect KEPFramePartRect(int part, int frameWidth, int frameHeight);
