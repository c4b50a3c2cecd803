// The pointer handlers of the shape tools: a rubber-band rectangle, circle
// or polygon follows the pointer, and the finished shape is drawn into the
// image (client data 0 outline, 1 filled) or becomes a selection (client
// data 3). The shape being drawn lives in _tools.objectRep; a finished
// selection's outline moves to _edit.selectionRep and stays while the selection
// does.
#include <algorithm>
#include <cmath>

#include "document/KEPAteloDocument.h"
#include "image/KEPAtelIma.h"
#include "paint/KEPRaster.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DArcCircleGP.h"
#include "platform/viewer/KEP2DCustomRep.h"
#include "platform/viewer/KEP2DLineGP.h"
#include "platform/viewer/KEP2DPolylineGP.h"
#include "platform/viewer/KEP2DRectangleGP.h"
#include "platform/viewer/KEP2DViewer.h"

namespace {

// Shapes snap to pixel centres; a selection rectangle snaps to pixel edges
// instead, so that its outline encloses whole pixels.
KEPMathPoint2Df PixelCentre(const KEPMathPoint2Df& p) {
  return KEPMathPoint2Df(std::floor(p.x) + 0.5f, std::floor(p.y) + 0.5f);
}

void SquareCorners(const KEPMathPoint2Df& a, const KEPMathPoint2Df& b, bool selection,
                   KEPMathPoint2Df& low, KEPMathPoint2Df& high) {
  const float x0 = std::floor(std::min(a.x, b.x)), y0 = std::floor(std::min(a.y, b.y));
  const float x1 = std::floor(std::max(a.x, b.x)), y1 = std::floor(std::max(a.y, b.y));
  if (selection) {
    low = KEPMathPoint2Df(x0, y0);
    high = KEPMathPoint2Df(x1 + 1.0f, y1 + 1.0f);
  } else {
    low = KEPMathPoint2Df(x0 + 0.5f, y0 + 0.5f);
    high = KEPMathPoint2Df(x1 + 0.5f, y1 + 0.5f);
  }
}

template <class Primitive>
Primitive* ShapeOf(KEP2DCustomRep* rep) {
  return rep && rep->GetPrimitiveCount() > 0 ? dynamic_cast<Primitive*>(rep->GetPrimitive(0))
                                             : nullptr;
}

}  // namespace

template <class Primitive>
Primitive* KEPAteloDocument::StartObjectRep(std::unique_ptr<Primitive> primitive, bool selection) {
  // A new selection replaces the one shown; a drawing shape only its own
  // rubber band.
  if (selection)
    RemoveSelectionRep();
  else
    RemoveObjectRep();
  KEP2DGraphicAttributes attributes;
  // A selection shows black and white dashes; a shape being drawn a solid
  // line.
  attributes.dashed = selection;
  attributes.colour = selection ? QColor(255, 255, 255) : QColor(255, 255, 0);
  if (selection) attributes.gapColour = QColor(0, 0, 0);
  _tools.objectRep = std::make_unique<KEP2DCustomRep>(attributes);
  Primitive* raw = _tools.objectRep->AddPrimitive(std::move(primitive));
  if (_viewer) _viewer->AddRep(_tools.objectRep.get());
  return raw;
}

void KEPAteloDocument::CommitPolygon(const std::vector<KEPMathPoint2Df>& points, int mode) {
  KEPAtelIma* image = GetPosImage(0);
  if (!image || points.empty()) return;
  std::vector<float> flat;
  flat.reserve(points.size() * 2);
  int x0, y0, x1, y1;
  PointerToPixel(image, points.front(), x0, y0);
  x1 = x0, y1 = y0;
  for (const KEPMathPoint2Df& p : points) {
    flat.insert(flat.end(), {p.x, p.y});
    int x, y;
    PointerToPixel(image, p, x, y);
    x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
  }
  const int reach = mode == kFilledVariant ? 0 : BrushReach(_tools.thickness);
  float ox = 0, oy = 0;
  image->GetOrigin(ox, oy);
  _edit.undoTaken = false;
  CommitDrawing(image, x0 - reach, y0 - reach, x1 + reach, y1 + reach, true,
                [&](KEPAtelIma& target) {
                  int w = 0, h = 0;
                  target.GetSize(w, h);
                  DrawPolygon({target.GetPixels(), target.GetMemorySize()}, w, h, ox, oy, flat,
                              _tools.color, _tools.thickness, _tools.blend, mode);
                });
}

void KEPAteloDocument::CommitCircle(const KEPMathPoint2Df& centre, float radius, int mode) {
  KEPAtelIma* image = GetPosImage(0);
  // Radius 0 traces no circle.
  if (!image || !(radius >= 1.0f)) return;
  int x, y;
  PointerToPixel(image, centre, x, y);
  const int reach = static_cast<int>(std::min(radius, 1e8f)) + 1 +
                    (mode == kFilledVariant ? 0 : BrushReach(_tools.thickness));
  float ox = 0, oy = 0;
  image->GetOrigin(ox, oy);
  _edit.undoTaken = false;
  CommitDrawing(image, x - reach, y - reach, x + reach, y + reach, true, [&](KEPAtelIma& target) {
    int w = 0, h = 0;
    target.GetSize(w, h);
    DrawCircle({target.GetPixels(), target.GetMemorySize()}, w, h, ox, oy, centre.x, centre.y,
               radius, _tools.color, _tools.thickness, _tools.blend, mode);
  });
}

bool KEPAteloDocument::DropPolygonInProgress() {
  if (_tools.currentTool != TOOL_FILLED_POLYGON && _tools.currentTool != TOOL_SELECT_POLYGON)
    return false;
  auto* polygon = ShapeOf<KEP2DPolylineGP>(_tools.objectRep.get());
  if (!polygon || polygon->IsClosed()) return false;
  KEP_TRACE(4, "(KEPAteloDocument::DropPolygonInProgress)");
  RemoveObjectRep();
  return true;
}

void KEPAteloDocument::RemoveObjectRep() {
  // The representation leaves the viewer (and repaints its place) as it
  // goes.
  _tools.objectRep.reset();
}

// --- rectangle ----------------------------------------------------------------------------

void KEPAteloDocument::BeginSquareDraw(const KEPMathPoint2Df& point, int clientData) {
  const bool selection = clientData == kSelectionVariant;
  _tools.pressX = point.x;
  _tools.pressY = point.y;
  KEPMathPoint2Df low, high;
  SquareCorners(point, selection ? point : point + KEPMathPoint2Df(1.0f, 1.0f), selection, low,
                high);
  StartObjectRep(std::make_unique<KEP2DRectangleGP>(low, high), selection);
}

void KEPAteloDocument::ManipulateSquareDraw(const KEPMathPoint2Df& point, int clientData) {
  auto* rectangle = ShapeOf<KEP2DRectangleGP>(_tools.objectRep.get());
  if (!rectangle) return;
  KEPMathPoint2Df low, high;
  SquareCorners(KEPMathPoint2Df(_tools.pressX, _tools.pressY), point,
                clientData == kSelectionVariant, low, high);
  rectangle->SetCorners(low, high);
  _tools.objectRep->Invalidate();
}

void KEPAteloDocument::EndSquareDraw(const KEPMathPoint2Df& point, int clientData) {
  auto* rectangle = ShapeOf<KEP2DRectangleGP>(_tools.objectRep.get());
  if (!rectangle) return;
  ManipulateSquareDraw(point, clientData);
  if (clientData == kSelectionVariant) return ComputeImageMask(TOOL_SELECT_RECTANGLE);
  KEPMathPoint2Df low, high;
  rectangle->GetCorners(low, high);
  RemoveObjectRep();
  // Five corners, the last repeating the first: the outline is closed
  // though drawn as an open polyline.
  CommitPolygon({low, {high.x, low.y}, high, {low.x, high.y}, low}, clientData);
}

// --- circle ---------------------------------------------------------------------------------

void KEPAteloDocument::BeginCircleDraw(const KEPMathPoint2Df& point, int clientData) {
  const KEPMathPoint2Df centre = PixelCentre(point);
  _tools.pressX = centre.x;
  _tools.pressY = centre.y;
  StartObjectRep(std::make_unique<KEP2DArcCircleGP>(centre, 0.0f), clientData == kSelectionVariant);
}

void KEPAteloDocument::ManipulateCircleDraw(const KEPMathPoint2Df& point, int) {
  auto* circle = ShapeOf<KEP2DArcCircleGP>(_tools.objectRep.get());
  if (!circle) return;
  circle->SetRadius(std::hypot(point.x - _tools.pressX, point.y - _tools.pressY));
  _tools.objectRep->Invalidate();
}

void KEPAteloDocument::EndCircleDraw(const KEPMathPoint2Df& point, int clientData) {
  auto* circle = ShapeOf<KEP2DArcCircleGP>(_tools.objectRep.get());
  if (!circle) return;
  // Whole pixels: a release at the press point gives radius 0.
  const float radius = std::floor(std::hypot(point.x - _tools.pressX, point.y - _tools.pressY));
  circle->SetRadius(radius);
  _tools.objectRep->Invalidate();
  if (clientData == kSelectionVariant) return ComputeImageMask(TOOL_SELECT_CIRCLE);
  RemoveObjectRep();
  CommitCircle(KEPMathPoint2Df(_tools.pressX, _tools.pressY), radius, clientData);
}

// --- line -------------------------------------------------------------------------------

void KEPAteloDocument::BeginLineDraw(const KEPMathPoint2Df& point, int) {
  _tools.pressX = point.x;
  _tools.pressY = point.y;
  StartObjectRep(std::make_unique<KEP2DLineGP>(point, point), false);
}

void KEPAteloDocument::ManipulateLineDraw(const KEPMathPoint2Df& point, int) {
  auto* line = ShapeOf<KEP2DLineGP>(_tools.objectRep.get());
  if (!line) return;
  line->SetEnds(KEPMathPoint2Df(_tools.pressX, _tools.pressY), point);
  _tools.objectRep->Invalidate();
}

void KEPAteloDocument::EndLineDraw(const KEPMathPoint2Df& point, int) {
  if (!ShapeOf<KEP2DLineGP>(_tools.objectRep.get())) return;
  RemoveObjectRep();
  KEPAtelIma* image = GetPosImage(0);
  if (!image) return;
  int x1, y1, x2, y2;
  PointerToPixel(image, KEPMathPoint2Df(_tools.pressX, _tools.pressY), x1, y1);
  PointerToPixel(image, point, x2, y2);
  const int reach = BrushReach(_tools.thickness);
  _edit.undoTaken = false;
  CommitDrawing(image, std::min(x1, x2) - reach, std::min(y1, y2) - reach, std::max(x1, x2) + reach,
                std::max(y1, y2) + reach, true, [&](KEPAtelIma& target) {
                  int w = 0, h = 0;
                  target.GetSize(w, h);
                  DrawSegment({target.GetPixels(), target.GetMemorySize()}, w, h, _tools.color, x1,
                              y1, x2, y2, _tools.thickness, _tools.blend);
                });
}

// --- polygon by clicks ------------------------------------------------------------------------

void KEPAteloDocument::BeginLineSelection(const KEPMathPoint2Df& point, int clientData) {
  const bool selection = clientData == kSelectionVariant;
  const KEPMathPoint2Df vertex = PixelCentre(point);
  auto* polygon = ShapeOf<KEP2DPolylineGP>(_tools.objectRep.get());
  if (!polygon || polygon->IsClosed()) {
    StartObjectRep(std::make_unique<KEP2DPolylineGP>(std::vector<KEPMathPoint2Df>{vertex}),
                   selection);
    return;
  }
  // About five millimetres on the screen, never less than one unit.
  float tolerance = 1.0f;
  if (_viewer) {
    const float scale = _viewer->GetViewpoint().GetZoom() * _viewer->GetMillimetersPerSupportUnit();
    if (scale > 0.0f) tolerance = std::max(5.0f / scale, 1.0f);
  }
  const KEPMathPoint2Df first = polygon->GetPoints().front();
  if (polygon->GetPoints().size() >= 3 && std::fabs(vertex.x - first.x) < tolerance &&
      std::fabs(vertex.y - first.y) < tolerance) {
    polygon->AddPoint(first);
    polygon->SetClosed(true);
    _tools.objectRep->Invalidate();
    if (selection) return ComputeImageMask(TOOL_SELECT_POLYGON);
    const std::vector<KEPMathPoint2Df> points = polygon->GetPoints();
    RemoveObjectRep();
    CommitPolygon(points, kFilledVariant);
    return;
  }
  polygon->AddPoint(vertex);
  _tools.objectRep->Invalidate();
}

void KEPAteloDocument::ManipulateLineSelection(const KEPMathPoint2Df& point, int) {
  auto* polygon = ShapeOf<KEP2DPolylineGP>(_tools.objectRep.get());
  if (!polygon || polygon->IsClosed() || polygon->GetPoints().size() < 2) return;
  std::vector<KEPMathPoint2Df> points = polygon->GetPoints();
  points.back() = PixelCentre(point);
  polygon->SetPoints(std::move(points));
  _tools.objectRep->Invalidate();
}

// --- free hand ----------------------------------------------------------------------------------

void KEPAteloDocument::BeginHandSelection(const KEPMathPoint2Df& point, int clientData) {
  StartObjectRep(
      std::make_unique<KEP2DPolylineGP>(std::vector<KEPMathPoint2Df>{PixelCentre(point)}),
      clientData == kSelectionVariant);
}

void KEPAteloDocument::ManipulateHandSelection(const KEPMathPoint2Df& point, int) {
  auto* line = ShapeOf<KEP2DPolylineGP>(_tools.objectRep.get());
  if (!line || line->IsClosed()) return;
  if (line->GetPoints().back() == point) return;
  line->AddPoint(point);
  _tools.objectRep->Invalidate();
}

void KEPAteloDocument::EndHandSelection(const KEPMathPoint2Df& point, int clientData) {
  auto* line = ShapeOf<KEP2DPolylineGP>(_tools.objectRep.get());
  if (!line || line->IsClosed()) return;
  ManipulateHandSelection(point, clientData);
  const KEPMathPoint2Df first = line->GetPoints().front();
  if (!(line->GetPoints().back() == first)) line->AddPoint(first);
  line->SetClosed(true);
  _tools.objectRep->Invalidate();
  if (clientData == kSelectionVariant) return ComputeImageMask(TOOL_SELECT_HAND);
  const std::vector<KEPMathPoint2Df> points = line->GetPoints();
  RemoveObjectRep();
  CommitPolygon(points, kFilledVariant);
}

// --- floating object ----------------------------------------------------------------------------

void KEPAteloDocument::DefaultBeginManipulate(const KEPMathPoint2Df&, int) {
  KEP_TRACE(6, "(KEPAteloDocument::DefaultBeginManipulate)");
  IncrustClipboard(GetPosImage(0));
}
