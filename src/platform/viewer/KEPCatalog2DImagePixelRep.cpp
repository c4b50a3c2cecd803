#include "platform/viewer/KEPCatalog2DImagePixelRep.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/viewer/KEP2DDrawContext.h"
#include "platform/viewer/KEPPixelSampling.h"

namespace {

// Buffers of half-size copies whose representation went or changed its
// buffer, kept for the next copies: a playback makes a new representation
// per frame, each wanting buffers of the same sizes, and fresh memory costs
// its zeroing and page faults on every frame. Bounded, oldest dropped first.
constexpr std::size_t kSpareBytes = std::size_t{64} << 20;

struct Spare {
  std::unique_ptr<unsigned char[]> pixels;
  std::size_t capacity = 0;
};

std::vector<Spare>& Spares() {
  static std::vector<Spare> spares;
  return spares;
}

void KeepSpare(std::unique_ptr<unsigned char[]> pixels, std::size_t capacity) {
  if (!pixels || capacity > kSpareBytes) return;
  std::vector<Spare>& spares = Spares();
  spares.push_back({std::move(pixels), capacity});
  std::size_t total = 0;
  for (const Spare& spare : spares) total += spare.capacity;
  while (total > kSpareBytes) {
    total -= spares.front().capacity;
    spares.erase(spares.begin());
  }
}

// A buffer of at least `bytes`, its contents undefined.
std::unique_ptr<unsigned char[]> TakeBuffer(std::size_t bytes, std::size_t& capacity) {
  std::vector<Spare>& spares = Spares();
  auto best = spares.end();
  for (auto it = spares.begin(); it != spares.end(); ++it)
    if (it->capacity >= bytes && (best == spares.end() || it->capacity < best->capacity)) best = it;
  if (best != spares.end()) {
    capacity = best->capacity;
    std::unique_ptr<unsigned char[]> pixels = std::move(best->pixels);
    spares.erase(best);
    return pixels;
  }
  capacity = bytes;
  return std::make_unique_for_overwrite<unsigned char[]>(bytes);
}

}  // namespace

KEPCatalog2DImagePixelRep::KEPCatalog2DImagePixelRep(const unsigned char* pixels, int width,
                                                     int height, float originX, float originY)
    : _originX(originX), _originY(originY) {
  SetPixels(pixels, width, height);
}

KEPCatalog2DImagePixelRep::~KEPCatalog2DImagePixelRep() {
  ReleaseLevels();
}

void KEPCatalog2DImagePixelRep::ReleaseLevels() {
  for (Level& level : _levels) KeepSpare(std::move(level.pixels), level.capacity);
  _levels.clear();
}

int KEPCatalog2DImagePixelRep::SetPixels(const unsigned char* pixels, int width, int height) {
  bool ok = pixels && width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
  _pixels = ok ? pixels : nullptr;
  _width = ok ? width : 0;
  _height = ok ? height : 0;
  if (!ok) _partner = nullptr;
  ReleaseLevels();
  Invalidate();
  return ok ? 0 : -1;
}

void KEPCatalog2DImagePixelRep::GetSize(int& width, int& height) const {
  width = _width;
  height = _height;
}

void KEPCatalog2DImagePixelRep::SetOrigin(float x, float y) {
  if (x == _originX && y == _originY) return;
  _originX = x;
  _originY = y;
  Invalidate();
}

void KEPCatalog2DImagePixelRep::GetOrigin(float& x, float& y) const {
  x = _originX;
  y = _originY;
}

void KEPCatalog2DImagePixelRep::SetDrawMode(DrawMode mode) {
  if (mode == _mode) return;
  _mode = mode;
  Invalidate();
}

void KEPCatalog2DImagePixelRep::SetStereoPartner(const unsigned char* partner, int side) {
  _partner = _pixels ? partner : nullptr;
  _side = side ? 1 : 0;
  Invalidate();
}

void KEPCatalog2DImagePixelRep::UpdatePatch(int x, int y, int width, int height) {
  int x0 = std::max(0, x), y0 = std::max(0, y);
  int x1 = std::min(_width, x + std::max(0, width)),
      y1 = std::min(_height, y + std::max(0, height));
  if (x0 >= x1 || y0 >= y1) return;
  // Each level above gets the patch's footprint recomputed from the one
  // below it.
  int lx0 = x0, ly0 = y0, lx1 = x1, ly1 = y1;
  const unsigned char* below = _pixels;
  int bw = _width, bh = _height;
  for (Level& level : _levels) {
    lx0 /= 2;
    ly0 /= 2;
    lx1 = (lx1 + 1) / 2;
    ly1 = (ly1 + 1) / 2;
    KEPHalvePixels(below, bw, bh, level.pixels.get(), lx0, ly0, lx1, ly1);
    below = level.pixels.get();
    bw = level.width;
    bh = level.height;
  }
  InvalidateLocal(QRectF(_originX + x0, _originY + y0, x1 - x0, y1 - y0));
}

void KEPCatalog2DImagePixelRep::UpdatePixels() {
  ReleaseLevels();
  Invalidate();
}

const KEPCatalog2DImagePixelRep::Level* KEPCatalog2DImagePixelRep::LevelFor(int level) const {
  while (static_cast<int>(_levels.size()) < level) {
    const unsigned char* below = _levels.empty() ? _pixels : _levels.back().pixels.get();
    int bw = _levels.empty() ? _width : _levels.back().width;
    int bh = _levels.empty() ? _height : _levels.back().height;
    Level next;
    next.width = (bw + 1) / 2;
    next.height = (bh + 1) / 2;
    next.pixels = TakeBuffer(static_cast<std::size_t>(next.width) * next.height * 4, next.capacity);
    KEPHalvePixels(below, bw, bh, next.pixels.get(), 0, 0, next.width, next.height);
    _levels.push_back(std::move(next));
  }
  return &_levels[static_cast<std::size_t>(level) - 1];
}

bool KEPCatalog2DImagePixelRep::PixelAt(const KEPMathPoint2Df& viewPoint, int& column,
                                        int& row) const {
  KEPMathPoint2Df t = GetTranslation();
  double c = std::floor(static_cast<double>(viewPoint.x) - t.x - _originX);
  double r = std::floor(static_cast<double>(viewPoint.y) - t.y - _originY);
  if (!(c >= 0 && c < _width && r >= 0 && r < _height)) return false;
  column = static_cast<int>(c);
  row = static_cast<int>(r);
  return true;
}

QRectF KEPCatalog2DImagePixelRep::GetLocalBounds() const {
  if (!_pixels) return QRectF();
  return QRectF(_originX, _originY, _width, _height);
}

void KEPCatalog2DImagePixelRep::Draw(const KEP2DDrawContext& context) const {
  if (!_pixels) return;
  const KEP2DViewMapping& m = context.Mapping();
  const QRect& clip = context.Clip();
  const double zoom = m.GetZoom();
  const KEPMathPoint2Df t = GetTranslation();
  const double left = static_cast<double>(_originX) + t.x;
  const double bottom = static_cast<double>(_originY) + t.y;
  const bool anaglyph = context.IsStereo() && _partner;
  // Zoomed out, read the half-size copy whose pixels are closest to (and
  // not smaller than) a screen pixel. The anaglyph reads two buffers and
  // keeps the plain path.
  int level = 0;
  while (!anaglyph && zoom * (2 << level) <= 1.0 && (_width >> (level + 1)) > 0 &&
         (_height >> (level + 1)) > 0) {
    ++level;
  }
  const unsigned char* source = _pixels;
  int sw = _width, sh = _height;
  if (level > 0) {
    const Level* copy = LevelFor(level);
    source = copy->pixels.get();
    sw = copy->width;
    sh = copy->height;
  }
  const double scale = 1 << level;
  const int samples = KEPSamplesForZoom(zoom * scale);
  KEPSampleAxis cols = KEPBuildSampleAxis((m.ToViewX(clip.left()) - left) / scale,
                                          1.0 / (zoom * scale), clip.width(), samples, sw);
  if (cols.Empty()) return;
  KEPSampleAxis rows = KEPBuildSampleAxis((m.ToViewY(clip.top()) - bottom) / scale,
                                          -1.0 / (zoom * scale), clip.height(), samples, sh);
  if (rows.Empty()) return;

  const bool alpha = !anaglyph && _mode == kAboveBackground;
  const int tw = cols.end - cols.begin, th = rows.end - rows.begin;
  QImage& scratch = context.Scratch(alpha, tw, th);
  auto* target = reinterpret_cast<std::uint32_t*>(scratch.bits());
  const std::ptrdiff_t stride = scratch.bytesPerLine() / 4;
  if (anaglyph) {
    const unsigned char* leftEye = _side == 0 ? _pixels : _partner;
    const unsigned char* rightEye = _side == 0 ? _partner : _pixels;
    KEPResampleAnaglyph(leftEye, rightEye, _width, cols, rows, target, stride);
  } else if (_mode == kOverCheckerboard) {
    KEPResampleOverChecker(source, sw, cols, rows, target, stride, clip.left(), clip.top());
  } else {
    KEPResamplePixels(source, sw, cols, rows,
                      alpha ? KEPPixelBlend::kAlpha : KEPPixelBlend::kOpaque, target, stride);
  }
  context.Painter().drawImage(QPoint(clip.left() + cols.begin, clip.top() + rows.begin), scratch,
                              QRect(0, 0, tw, th));
}
