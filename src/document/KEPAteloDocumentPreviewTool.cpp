// The smoothing window's preview area: a square of 100 x 100 view units
// follows the pointer over the image and, at release, the pixels under it
// become the smoothing preview.
#include <cmath>

#include "document/KEPAteloDocument.h"
#include "effects/KEPAteloLisse.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DCustomRep.h"
#include "platform/viewer/KEP2DIndicator.h"
#include "platform/viewer/KEP2DRectangleGP.h"
#include "platform/viewer/KEP2DViewer.h"

namespace {

constexpr float kPreviewSide = 100.0f;

KEPMathPoint2Df LowerCorner(const KEPMathPoint2Df& point) {
  return {std::floor(point.x), std::floor(point.y)};
}

KEPMathPoint2Df UpperCorner(const KEPMathPoint2Df& point) {
  const KEPMathPoint2Df lower = LowerCorner(point);
  return {lower.x + kPreviewSide, lower.y + kPreviewSide};
}

}  // namespace

void KEPAteloDocument::RemovePreviewOutline() {
  if (_effects.previewOutline && _viewer) _viewer->RemoveRep(_effects.previewOutline.get());
  _effects.previewOutline.reset();
  _effects.previewSquare = nullptr;
}

void KEPAteloDocument::BeginPreviewPositioning(const KEPMathPoint2Df& point, int) {
  RemovePreviewOutline();
  if (!_viewer) return;
  KEP2DGraphicAttributes attributes;
  attributes.colour = QColor(255, 255, 0);
  attributes.dashed = true;
  _effects.previewOutline.reset(new KEP2DCustomRep(attributes));
  _effects.previewSquare = _effects.previewOutline->AddPrimitive(
      std::make_unique<KEP2DRectangleGP>(LowerCorner(point), UpperCorner(point)));
  _viewer->AddRep(_effects.previewOutline.get());
}

void KEPAteloDocument::ManipulatePreviewPositioning(const KEPMathPoint2Df& point, int) {
  if (!_effects.previewSquare) return;
  _effects.previewSquare->SetCorners(LowerCorner(point), UpperCorner(point));
  _effects.previewOutline->Invalidate();
}

void KEPAteloDocument::EndPreviewPositioning(const KEPMathPoint2Df& point, int) {
  KEPAtelIma* image = GetPosImage(0);
  if (!image || !image->GetPixels()) {
    RemovePreviewOutline();
    if (_effects.lisseDialog) _effects.lisseDialog->SetSelectState(INSENSITIVE);
    return;
  }
  const KEPMathPoint2Df lower = LowerCorner(point), upper = UpperCorner(point);
  int width = 0, height = 0;
  image->GetSize(width, height);
  float ox = 0, oy = 0;
  image->GetOrigin(ox, oy);
  const int x0 = std::max(0, static_cast<int>(std::rint(lower.x) - ox));
  const int y0 = std::max(0, static_cast<int>(std::rint(lower.y) - oy));
  const int x1 = std::min(width, static_cast<int>(std::rint(upper.x) - ox));
  const int y1 = std::min(height, static_cast<int>(std::rint(upper.y) - oy));
  if (x1 > 0 && y1 > 0 && x0 < width && y0 < height && x1 > x0 && y1 > y0 && _effects.lisseDialog) {
    const std::vector<unsigned char> pixels = image->CopyRect(x0, y0, x1 - x0, y1 - y0);
    if (!pixels.empty()) _effects.lisseDialog->SetPreview(pixels.data(), x1 - x0, y1 - y0);
  }
  RemovePreviewOutline();
}
