#pragma once

// The arithmetic of a contact sheet: gaps and margins between patches, the
// size an image takes in its patch, where each patch goes, and the gradient
// background. Pixels are RGBA, bottom row first.
namespace KEPCompose {

// Along one axis of `total` pixels holding `count` patches of `patch`
// pixels: the gap between patches and the margin before the first. The even
// share (total - patch * count) / (count + 1) is taken when it is whole;
// otherwise the nearest whole gap (a half to the even one) or, when that
// would push the last patch off, the gap below it, with the patches centred.
void Gaps(int total, int count, int patch, int& gap, int& margin);

// The size an iw x ih image is zoomed to in a pw x ph patch: the largest one
// of the same shape that fits, at least one pixel a side.
void ZoomSize(int iw, int ih, int pw, int ph, int& width, int& height);

// Cutting an image to a patch along one axis: the whole of it when it is
// smaller, else a patch-sized piece from its middle.
void CutAxis(int size, int patch, int& offset, int& length);

struct Grid {
  int width = 0, height = 0;   // the sheet
  int countX = 1, countY = 1;  // patches across and down
  int patchWidth = 1, patchHeight = 1;
  int gapX = 0, marginX = 0, gapY = 0, marginY = 0;
};

// Fills in the gaps and margins of a grid from its other values.
void ComputeGaps(Grid& grid);

// Lower-left pixel of the k-th patch (k from 0, rows counted from the top of
// the picture) for a piece of width x height centred in its patch.
void PatchPosition(const Grid& grid, int k, int width, int height, int& x, int& y);

// Vertical gradient from `top` (the picture's top row) to `bottom`, red,
// green and blue 0..255, opaque.
void FillGradient(unsigned char* pixels, int width, int height, const int top[3],
                  const int bottom[3]);

}  // namespace KEPCompose
