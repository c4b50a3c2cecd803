// The selection: the mask built from the shape of a selection tool, its
// side, Crop, and the lifting of a selection into a floating object.
#include <QAction>
#include <cmath>

#include "document/KEPAteloDocument.h"
#include "document/KEPAteloIcons.h"
#include "document/KEPAteloSetSize.h"
#include "image/KEPAtelIma.h"
#include "paint/KEPGeometry.h"
#include "paint/KEPRaster.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DArcCircleGP.h"
#include "platform/viewer/KEP2DCustomRep.h"
#include "platform/viewer/KEP2DPolylineGP.h"
#include "platform/viewer/KEP2DRectangleGP.h"

const unsigned char* KEPAteloDocument::GetSelectionMasque(int& x, int& y, int& width,
                                                          int& height) const {
  if (!_edit.selectionMask.empty()) {
    x = _edit.maskX;
    y = _edit.maskY;
    width = _edit.maskWidth;
    height = _edit.maskHeight;
    return _edit.selectionMask.data();
  }
  x = y = width = height = 0;
  if (KEPAtelIma* image = GetPosImage(0)) image->GetSize(width, height);
  return nullptr;
}

void KEPAteloDocument::SetSelectionMasque(int x, int y, int width, int height,
                                          std::vector<unsigned char>&& mask) {
  const bool sized =
      width > 0 && height > 0 &&
      mask.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (sized) {
    _edit.selectionMask = std::move(mask);
    _edit.maskX = x;
    _edit.maskY = y;
    _edit.maskWidth = width;
    _edit.maskHeight = height;
  } else {
    std::vector<unsigned char>().swap(_edit.selectionMask);
    _edit.maskX = _edit.maskY = _edit.maskWidth = _edit.maskHeight = 0;
    // The outline shows the selection; none is left to show.
    _edit.selectionRep.reset();
  }
  UpdateSelectionSensitivity();
}

int KEPAteloDocument::GetSelZoneSide() const {
  return _edit.side;
}

void KEPAteloDocument::SelZoneSideAction() {
  _edit.side = _edit.side ? 0 : 1;
  KEP_TRACE(4, "(KEPAteloDocument::SelZoneSideAction) %d", _edit.side);
  if (QAction* button = FindAction("selSideButton")) {
    button->setIcon(KEPAteloIcon(_edit.side ? "atvout" : "atvin"));
    button->setText(_edit.side ? "Out" : "In");
  }
  if (_tools.currentTool & kSelectionTools) UpdateToolView();
}

void KEPAteloDocument::RemoveSelectionRep() {
  RemoveObjectRep();
  SetSelectionMasque(0, 0, 0, 0, {});
}

void KEPAteloDocument::ComputeImageMask(int tool) {
  KEP_TRACE(4, "(KEPAteloDocument::ComputeImageMask) %#x", tool);
  KEPAtelIma* image = GetPosImage(0);
  if (!image) {
    KEPFormatError(errmsg, "No Image to compute selection mask\n");
    RemoveSelectionRep();
    DisplayError();
    return;
  }
  int width = 0, height = 0;
  float ox = 0, oy = 0;
  image->GetSize(width, height);
  image->GetOrigin(ox, oy);
  KEP2DGraphicPrimitive* shape = _tools.objectRep && _tools.objectRep->GetPrimitiveCount() > 0
                                     ? _tools.objectRep->GetPrimitive(0)
                                     : nullptr;

  std::vector<unsigned char> mask;
  int maskWidth = 0, maskHeight = 0, maskX = 0, maskY = 0;
  bool drawn = false;
  if (tool == TOOL_SELECT_RECTANGLE) {
    if (auto* rectangle = dynamic_cast<KEP2DRectangleGP*>(shape)) {
      drawn = true;
      KEPMathPoint2Df a, b;
      rectangle->GetCorners(a, b);
      const KEPMathPoint2Df low(std::min(a.x, b.x), std::min(a.y, b.y));
      const KEPMathPoint2Df high(std::max(a.x, b.x), std::max(a.y, b.y));
      // The corners enclose whole pixels: the last column and row are one
      // before the upper corner.
      const float polygon[] = {low.x,         low.y, high.x - 1.0f, low.y, high.x - 1.0f,
                               high.y - 1.0f, low.x, high.y - 1.0f, low.x, low.y};
      std::vector<float> clipped = ClipPolygone(polygon, width, height, ox, oy);
      if (!clipped.empty()) {
        std::vector<float> box = GetMinMaxOfPointArray(clipped);
        maskWidth = static_cast<int>(box[2] - box[0] + 1.0f);
        maskHeight = static_cast<int>(box[3] - box[1] + 1.0f);
        maskX = static_cast<int>(std::ceil(box[0]));
        maskY = static_cast<int>(std::ceil(box[1]));
        mask.assign(static_cast<std::size_t>(maskWidth) * maskHeight, 0);
      }
    }
  } else if (tool == TOOL_SELECT_POLYGON || tool == TOOL_SELECT_HAND) {
    if (auto* polyline = dynamic_cast<KEP2DPolylineGP*>(shape)) {
      drawn = true;
      std::vector<float> points;
      for (const KEPMathPoint2Df& p : polyline->GetPoints())
        points.insert(points.end(), {p.x, p.y});
      mask = ComputeMaskFromPts(points, width, height, ox, oy, maskWidth, maskHeight, maskX, maskY);
    }
  } else if (tool == TOOL_SELECT_CIRCLE) {
    if (auto* circle = dynamic_cast<KEP2DArcCircleGP*>(shape)) {
      drawn = true;
      const KEPMathPoint2Df centre = circle->GetCentre();
      std::vector<float> points =
          ComputeCircle(width, height, ox, oy, std::floor(centre.x) + 0.5,
                        std::floor(centre.y) + 0.5, std::floor(circle->GetRadius()));
      if (!points.empty())
        mask =
            ComputeMaskFromPts(points, width, height, ox, oy, maskWidth, maskHeight, maskX, maskY);
    }
  }
  if (!drawn) {
    KEPFormatError(errmsg, "No Graphical primitive to compute selection mask\n");
    RemoveSelectionRep();
    DisplayError();
    return;
  }
  // A shape that misses the image selects nothing, silently.
  std::unique_ptr<KEP2DCustomRep> outline = std::move(_tools.objectRep);
  SetSelectionMasque(maskX, maskY, maskWidth, maskHeight, std::move(mask));
  if (!_edit.selectionMask.empty()) _edit.selectionRep = std::move(outline);
}

void KEPAteloDocument::CropAction() {
  KEP_TRACE(4, "(KEPAteloDocument::CropAction)");
  KEPAtelIma* image = GetPosImage(0);
  int width = 0, height = 0;
  std::vector<unsigned char> pixels;
  if (image && !_edit.selectionMask.empty()) pixels = GetMasquedBitmap(image, width, height, false);
  RemoveSelectionRep();
  if (pixels.empty()) {
    KEPFormatError(errmsg, "No zone or image to crop !\nSelect a zone first.");
    DisplayError();
    return;
  }
  const int size[2] = {width, height};
  ReplacePixelsForUndo(image, std::move(pixels), size);
  if (_edit.setSizeDialog && !_edit.clipboardRep) _edit.setSizeDialog->UpdateSize(width, height);
  DisplayImage(image, true);
}

bool KEPAteloDocument::SelectionRepToClipboardRep() {
  KEPAtelIma* image = GetPosImage(0);
  if (!image || _edit.selectionMask.empty()) return false;
  KEP_TRACE(4, "(KEPAteloDocument::SelectionRepToClipboardRep)");
  int width = 0, height = 0;
  std::vector<unsigned char> pixels = GetMasquedBitmap(image, width, height, false);
  if (pixels.empty()) return false;
  // The object lies over the pixels it came from: the shape's box, or with
  // the side "Out" the whole image, so that nothing moves until the user
  // drags it.
  float ox = 0, oy = 0;
  image->GetOrigin(ox, oy);
  const float x = ox + (_edit.side ? 0.0f : static_cast<float>(_edit.maskX));
  const float y = oy + (_edit.side ? 0.0f : static_cast<float>(_edit.maskY));
  SetToolCallbacks(TOOL_PASTE);
  _edit.clipboardFramePart = 0;
  SetClipboard(width, height, std::vector<unsigned char>(pixels));
  ShowFloatingObject(std::move(pixels), width, height, x, y);
  RemoveSelectionRep();
  return true;
}
