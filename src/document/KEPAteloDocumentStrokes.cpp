// The drawing tools that change pixels while the pointer moves (the
// free-hand pen, the spray, the eraser), the fill and the colour sample,
// and the commit that every drawing tool shares: one undo copy per
// stroke, the same change on the stereo companion, and only the changed
// area shown again.
#include <QAction>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <span>

#include "document/KEPAteloDocument.h"
#include "image/KEPAtelIma.h"
#include "paint/KEPAteloColor.h"
#include "paint/KEPAteloToolsSetting.h"
#include "paint/KEPRaster.h"
#include "platform/KEPTrace.h"

namespace {

// Pixel coordinates are held within this, far beyond any image, so that
// sums of two of them never overflow.
constexpr float kCoordLimit = 1 << 29;

int PixelCoordinate(float v) {
  if (!(v == v)) return 0;
  return static_cast<int>(std::clamp(std::floor(v), -kCoordLimit, kCoordLimit));
}

struct Pixels {
  std::span<unsigned char> bytes;
  int width = 0, height = 0;
  explicit Pixels(KEPAtelIma& image) : bytes(image.GetPixels(), image.GetMemorySize()) {
    image.GetSize(width, height);
  }
};

bool Inside(const KEPAtelIma* image, int x, int y) {
  int width = 0, height = 0;
  image->GetSize(width, height);
  return x >= 0 && y >= 0 && x < width && y < height;
}

// The uniform draws of one spray burst, taken from drand48 for the image and
// given again to its stereo companion, so that both receive the same dots.
class SprayDraws {
 public:
  SprayDraws() { _active = this; }
  ~SprayDraws() { _active = nullptr; }
  SprayDraws(const SprayDraws&) = delete;
  SprayDraws& operator=(const SprayDraws&) = delete;
  // The next image receives the draws already taken.
  void Replay() { _next = 0, _replaying = true; }
  static double Draw() { return _active->Next(); }

 private:
  double Next() {
    if (_replaying && _next < _draws.size()) return _draws[_next++];
    const double draw = drand48();
    if (!_replaying) _draws.push_back(draw);
    return draw;
  }
  static inline SprayDraws* _active = nullptr;
  std::vector<double> _draws;
  std::size_t _next = 0;
  bool _replaying = false;
};

}  // namespace

int KEPAteloDocument::BrushReach(int thickness) {
  return std::clamp(thickness, 0, 7);
}

bool KEPAteloDocument::PointerToPixel(const KEPAtelIma* image, const KEPMathPoint2Df& point, int& x,
                                      int& y) {
  float ox = 0, oy = 0;
  image->GetOrigin(ox, oy);
  x = PixelCoordinate(point.x - ox);
  y = PixelCoordinate(point.y - oy);
  return Inside(image, x, y);
}

bool KEPAteloDocument::CommitDrawing(KEPAtelIma* image, int x0, int y0, int x1, int y1,
                                     bool saveForUndo,
                                     const std::function<void(KEPAtelIma&)>& draw) {
  int width = 0, height = 0;
  image->GetSize(width, height);
  x0 = std::max(x0, 0), y0 = std::max(y0, 0);
  x1 = std::min(x1, width - 1), y1 = std::min(y1, height - 1);
  if (x0 > x1 || y0 > y1 || !image->GetPixels()) return false;
  if (saveForUndo && !_edit.undoTaken) SaveImageForUndo(image, 1);
  draw(*image);
  KEPAtelIma* partner = image->GetCoupledImage();
  if (partner && partner->GetPixels()) draw(*partner);
  // The viewer repaints every representation over the area, the grid
  // included, so nothing else needs drawing again.
  RedisplayImageRect(image, x0, y0, x1 - x0 + 1, y1 - y0 + 1);
  return true;
}

bool KEPAteloDocument::NextStrokeSegment(const KEPAtelIma* image, const KEPMathPoint2Df& point,
                                         int& fromX, int& fromY, int& x, int& y) {
  const bool inside = PointerToPixel(image, point, x, y);
  if (x == _tools.strokeX && y == _tools.strokeY) return false;
  fromX = std::exchange(_tools.strokeX, x);
  fromY = std::exchange(_tools.strokeY, y);
  // A stroke that comes in from outside draws from its last point outside.
  return inside || Inside(image, fromX, fromY);
}

void KEPAteloDocument::CommitSegment(KEPAtelIma* image, int fromX, int fromY, int x, int y,
                                     int reach, bool saveForUndo,
                                     const std::function<void(KEPAtelIma&)>& draw) {
  CommitDrawing(image, std::min(fromX, x) - reach, std::min(fromY, y) - reach,
                std::max(fromX, x) + reach, std::max(fromY, y) + reach, saveForUndo, draw);
}

// --- free-hand pen --------------------------------------------------------------------------

void KEPAteloDocument::BeginHandDraw(const KEPMathPoint2Df& point, int) {
  KEPAtelIma* image = GetPosImage(0);
  if (!image) return;
  _edit.undoTaken = false;
  if (!PointerToPixel(image, point, _tools.strokeX, _tools.strokeY)) return;
  const int x = _tools.strokeX, y = _tools.strokeY, reach = BrushReach(_tools.thickness);
  CommitDrawing(image, x - reach, y - reach, x + reach, y + reach, true, [&](KEPAtelIma& target) {
    const Pixels t(target);
    DrawMotif(t.bytes, t.width, t.height, _tools.color, x, y, _tools.thickness, _tools.blend);
  });
}

void KEPAteloDocument::ManipulateHandDraw(const KEPMathPoint2Df& point, int) {
  KEPAtelIma* image = GetPosImage(0);
  if (!image) return;
  int fromX, fromY, x, y;
  if (!NextStrokeSegment(image, point, fromX, fromY, x, y)) return;
  CommitSegment(image, fromX, fromY, x, y, BrushReach(_tools.thickness), true,
                [&](KEPAtelIma& target) {
                  const Pixels t(target);
                  DrawSegment(t.bytes, t.width, t.height, _tools.color, fromX, fromY, x, y,
                              _tools.thickness, _tools.blend);
                });
}

// --- spray ----------------------------------------------------------------------------------

void KEPAteloDocument::BeginSprayDraw(const KEPMathPoint2Df& point, int) {
  KEPAtelIma* image = GetPosImage(0);
  if (!image) return;
  _edit.undoTaken = false;
  if (!PointerToPixel(image, point, _tools.strokeX, _tools.strokeY)) return;
  const int x = _tools.strokeX, y = _tools.strokeY, r = _tools.sprayRadius;
  SprayDraws draws;
  CommitDrawing(image, x - r, y - r, x + r, y + r, true, [&](KEPAtelIma& target) {
    const Pixels t(target);
    SprayWithSource(SprayDraws::Draw, t.bytes, t.width, t.height, x, y, _tools.color, r,
                    _tools.sprayDensity, _tools.blend);
    draws.Replay();
  });
}

void KEPAteloDocument::ManipulateSprayDraw(const KEPMathPoint2Df& point, int) {
  KEPAtelIma* image = GetPosImage(0);
  if (!image) return;
  int fromX, fromY, x, y;
  if (!NextStrokeSegment(image, point, fromX, fromY, x, y)) return;
  const int r = _tools.sprayRadius;
  SprayDraws draws;
  CommitSegment(image, fromX, fromY, x, y, r, true, [&](KEPAtelIma& target) {
    const Pixels t(target);
    SpraySegmentWithSource(SprayDraws::Draw, t.bytes, t.width, t.height, fromX, fromY, x, y,
                           _tools.color, r, _tools.sprayDensity, _tools.blend);
    draws.Replay();
  });
}

// --- eraser ---------------------------------------------------------------------------------

void KEPAteloDocument::StopEraser() {
  KEP_TRACE(4, "(KEPAteloDocument::StopEraser)");
  if (QAction* button = GetToolButton(TOOL_ERASER)) {
    UncheckBtn(button);
    SetBtnSensitivity(button, INSENSITIVE);
  }
  if (_tools.currentTool == TOOL_ERASER) {
    RemoveViewerIndicatorCallbacks();
    _tools.currentTool = 0;
  }
  if (_tools.toolsSettingDialog) _tools.toolsSettingDialog->UpdateTool(_tools.currentTool);
  UpdateToolView();
}

void KEPAteloDocument::BeginErase(const KEPMathPoint2Df& point, int) {
  KEPAtelIma* image = GetPosImage(0);
  if (!image) return;
  // Erasing restores the undo copy: without one of the image as it is now
  // (less this stroke's changes) there is nothing to restore.
  if (!image->CanErase()) return StopEraser();
  if (!PointerToPixel(image, point, _tools.strokeX, _tools.strokeY)) return;
  const int x = _tools.strokeX, y = _tools.strokeY, reach = BrushReach(_tools.thickness);
  CommitDrawing(image, x - reach, y - reach, x + reach, y + reach, false,
                [&](KEPAtelIma& target) { ErasePt(target, x, y, _tools.thickness); });
}

void KEPAteloDocument::ManipulateErase(const KEPMathPoint2Df& point, int) {
  KEPAtelIma* image = GetPosImage(0);
  if (!image) return;
  if (!image->CanErase()) return StopEraser();
  int fromX, fromY, x, y;
  if (!NextStrokeSegment(image, point, fromX, fromY, x, y)) return;
  CommitSegment(
      image, fromX, fromY, x, y, BrushReach(_tools.thickness), false,
      [&](KEPAtelIma& target) { EraseSegment(target, fromX, fromY, x, y, _tools.thickness); });
}

// --- fill -----------------------------------------------------------------------------------

void KEPAteloDocument::BeginPaint(const KEPMathPoint2Df& point, int) {
  KEPAtelIma* image = GetPosImage(0);
  if (!image || !image->GetPixels()) return;
  int x, y;
  if (!PointerToPixel(image, point, x, y)) return;
  SetBusyCursor(true);
  bool saved = false, changed = false;
  KEPAtelIma* partner = image->GetCoupledImage();
  for (KEPAtelIma* target : {image, partner}) {
    if (!target || !target->GetPixels() || !Inside(target, x, y)) continue;
    const Pixels t(*target);
    const unsigned char* seed = &t.bytes[(static_cast<std::size_t>(y) * t.width + x) * 4];
    const int old[4] = {seed[0], seed[1], seed[2], seed[3]};
    // A region already of the colour would be found again without end;
    // each image of a pair is judged by its own pixel.
    bool differs = false;
    for (int k = 0; k < 4; ++k) differs |= _tools.color[k] != 256 && _tools.color[k] != old[k];
    if (!differs) continue;
    if (!saved) SaveImageForUndo(image, 1);
    saved = changed = true;
    Paint(t.bytes, t.width, t.height, x, y, old, _tools.color);
  }
  if (changed) RedisplayImage(image);
  SetBusyCursor(false);
}

// --- colour sample --------------------------------------------------------------------------

void KEPAteloDocument::BeginSampleColor(const KEPMathPoint2Df& point, int) {
  KEPAtelIma* image = GetPosImage(0);
  if (!image || !image->GetPixels()) return;
  int x, y;
  if (!PointerToPixel(image, point, x, y)) return;
  const Pixels pixels(*image);
  const unsigned char* p = &pixels.bytes[(static_cast<std::size_t>(y) * pixels.width + x) * 4];
  KEP_TRACE(4, "(KEPAteloDocument::BeginSampleColor) %d %d: %d %d %d %d", x, y, p[0], p[1], p[2],
            p[3]);
  // The chooser shows it; its OK makes it the paint colour.
  if (_tools.colorDialog)
    _tools.colorDialog->SetColor(p[0], p[1], p[2], p[3]);
  else
    SetColor(p[0], p[1], p[2], p[3]);
}
