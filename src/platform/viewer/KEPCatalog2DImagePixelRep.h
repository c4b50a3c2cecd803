#pragma once

#include <memory>
#include <vector>

#include "platform/viewer/KEP2DRep.h"

// Shows a pixel buffer that belongs to someone else: 4 bytes a pixel (red,
// green, blue, alpha), rows one after the other, bottom row first. Pixel
// (c, r) covers the view square from origin + (c, r) to origin + (c+1, r+1).
//
// The buffer is read in place at every paint and never copied or turned
// over: only the part on screen is sampled (nearest pixel from zoom 1 up, so
// that magnified pixels stay crisp; a small average below). Below zoom 1/2 it
// samples half-size copies instead (made at the first such draw, ~1/3 of the
// buffer's size, kept up to date patch by patch), so that a zoomed-out
// redraw costs the window, not the image. The owner keeps the buffer alive
// while the representation shows it, tells it of changed pixels
// (UpdatePatch, UpdatePixels) and calls SetPixels again when it reallocates
// the buffer.
//
// Draw modes: normal draws the pixels opaque, ignoring alpha; above
// background blends them by alpha over what lies beneath (the viewer's
// background image, or the picture under a pasted object); over checkerboard
// blends them by alpha over a grey checkerboard, so that transparent parts
// (a render's empty background often carries alpha 0) show as transparent.
//
// Stereo: given the partner buffer of the other eye (same size), the
// representation draws, while its viewer is in stereo mode, a red/cyan
// anaglyph: red from the left eye's picture, green and blue from the right
// eye's. Anaglyph rather than side by side because it keeps each pixel where
// the document placed it, so tools, the grid and the pointer mapping work
// unchanged on a stereo pair.
class KEPCatalog2DImagePixelRep : public KEP2DRep {
 public:
  enum DrawMode { kNormal = 0, kAboveBackground = 1, kOverCheckerboard = 2 };
  // Largest width or height a buffer may have.
  static constexpr int kMaxSide = 65535;

  KEPCatalog2DImagePixelRep() = default;
  KEPCatalog2DImagePixelRep(const unsigned char* pixels, int width, int height,
                            float originX = 0.0f, float originY = 0.0f);
  ~KEPCatalog2DImagePixelRep() override;

  // 0 on success; -1 (and an empty representation) for a null buffer or a
  // size that is not positive or exceeds 65535 pixels a side.
  int SetPixels(const unsigned char* pixels, int width, int height);
  const unsigned char* GetPixels() const { return _pixels; }
  void GetSize(int& width, int& height) const;
  void SetOrigin(float x, float y);
  void GetOrigin(float& x, float& y) const;
  void SetDrawMode(DrawMode mode);
  DrawMode GetDrawMode() const { return _mode; }

  // `partner` is the other eye's buffer, of this representation's size, or
  // null; `side` is this representation's eye: 0 left, 1 right.
  void SetStereoPartner(const unsigned char* partner, int side);
  const unsigned char* GetStereoPartner() const { return _partner; }
  int GetStereoSide() const { return _side; }

  // The pixels of the rectangle (x, y, width, height), in pixel
  // coordinates, changed: only the screen area they cover is repainted.
  void UpdatePatch(int x, int y, int width, int height);
  // All pixels changed.
  void UpdatePixels();

  // The pixel under a view point: false when the point is off the image.
  bool PixelAt(const KEPMathPoint2Df& viewPoint, int& column, int& row) const;

  void Draw(const KEP2DDrawContext& context) const override;
  QRectF GetLocalBounds() const override;

 private:
  const unsigned char* _pixels = nullptr;
  int _width = 0, _height = 0;
  float _originX = 0.0f, _originY = 0.0f;
  DrawMode _mode = kNormal;
  const unsigned char* _partner = nullptr;
  int _side = 0;

  // Half-size copies: level k (k >= 1) at _levels[k - 1], 2^k source pixels
  // a side per pixel. Built lazily by Draw; cleared when the buffer changes
  // whole.
  struct Level {
    std::unique_ptr<unsigned char[]> pixels;
    std::size_t capacity = 0;
    int width = 0, height = 0;
  };
  const Level* LevelFor(int level) const;
  // Hands the copies' buffers to the spares that later copies reuse.
  void ReleaseLevels();
  mutable std::vector<Level> _levels;
};
