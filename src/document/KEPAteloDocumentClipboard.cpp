// The clipboard: Copy, Cut, Paste and Special Paste, and the floating
// object a paste shows until it is merged into the image. Copy also puts
// the pixels on the desktop clipboard, and Paste takes the desktop's image
// when the workbench's own clipboard is empty.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <cmath>
#include <cstring>

#include "document/KEPAteloDocument.h"
#include "document/KEPAteloFramePart.h"
#include "document/KEPAteloSetSize.h"
#include "image/KEPAtelIma.h"
#include "paint/KEPGeometry.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DFloatingPixelRep.h"
#include "platform/viewer/KEP2DManipulator.h"
#include "platform/viewer/KEP2DViewer.h"
#include "series/KEPAteloSeries.h"

namespace {

// Rows of a bottom-first RGBA buffer into a top-first QImage, or back.
QImage ToDesktopImage(const std::vector<unsigned char>& pixels, int width, int height) {
  QImage image(width, height, QImage::Format_RGBA8888);
  if (image.isNull()) return image;
  const std::size_t row = static_cast<std::size_t>(width) * 4;
  for (int r = 0; r < height; ++r)
    std::memcpy(image.scanLine(height - 1 - r), pixels.data() + r * row, row);
  return image;
}

}  // namespace

// --- clipboard contents --------------------------------------------------------------------

void KEPAteloDocument::SetClipboard(int width, int height, std::vector<unsigned char>&& pixels) {
  const bool sized =
      width > 0 && height > 0 && pixels.size() == static_cast<std::size_t>(width) * height * 4;
  if (sized) {
    _edit.clipboard = std::move(pixels);
    _edit.clipboardWidth = width;
    _edit.clipboardHeight = height;
  } else {
    std::vector<unsigned char>().swap(_edit.clipboard);
    _edit.clipboardWidth = _edit.clipboardHeight = 0;
  }
  UpdatePasteSensitivity();
}

const std::vector<unsigned char>& KEPAteloDocument::GetClipboard(int& width, int& height) const {
  width = _edit.clipboardWidth;
  height = _edit.clipboardHeight;
  return _edit.clipboard;
}

void KEPAteloDocument::UpdatePasteSensitivity() {
  bool offered = !_edit.clipboard.empty();
  if (!offered) {
    const QMimeData* desktop = QGuiApplication::clipboard()->mimeData();
    offered = desktop && desktop->hasImage();
  }
  const int state = offered && GetPosImage(0) ? SENSITIVE : INSENSITIVE;
  for (const char* name : {"pasteItem", "pastePartItem", "pasteButton"})
    SetBtnSensitivity(FindAction(name), state);
}

void KEPAteloDocument::PutOnDesktopClipboard() const {
  QImage image = ToDesktopImage(_edit.clipboard, _edit.clipboardWidth, _edit.clipboardHeight);
  if (!image.isNull()) QGuiApplication::clipboard()->setImage(image);
}

bool KEPAteloDocument::TakeDesktopImage() {
  QImage image = QGuiApplication::clipboard()->image();
  if (image.isNull()) return false;
  const int width = image.width(), height = image.height();
  if (width > KEPAtelIma::kMaxSide || height > KEPAtelIma::kMaxSide ||
      std::int64_t{width} * height > KEPAtelIma::kMaxPixels)
    return false;
  image.convertTo(QImage::Format_RGBA8888);
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
  const std::size_t row = static_cast<std::size_t>(width) * 4;
  for (int r = 0; r < height; ++r)
    std::memcpy(pixels.data() + r * row, image.constScanLine(height - 1 - r), row);
  _edit.clipboardFramePart = 0;
  SetClipboard(width, height, std::move(pixels));
  return true;
}

std::vector<unsigned char> KEPAteloDocument::GetMasquedBitmap(KEPAtelIma* image, int& width,
                                                              int& height, bool clear) {
  if (!image || !image->GetPixels() || _edit.selectionMask.empty()) return {};
  image->GetSize(width, height);
  const KEPSelectionMask mask{_edit.selectionMask, _edit.maskX, _edit.maskY, _edit.maskWidth,
                              _edit.maskHeight};
  return ExtractMaskedPixels(std::span<unsigned char>(image->GetPixels(), image->GetMemorySize()),
                             width, height, mask, _edit.side, clear);
}

void KEPAteloDocument::ClipboardFailed() {
  SetClipboard(0, 0, {});
  RemoveSelectionRep();
  DisplayError();
}

// --- commands --------------------------------------------------------------------------------

void KEPAteloDocument::CopyAction(int clientData) {
  KEP_TRACE(4, "(KEPAteloDocument::CopyAction) %d", clientData);
  KEPAtelIma* image = GetPosImage(0);
  if (clientData && image) {
    int width = 0, height = 0;
    image->GetSize(width, height);
    SetSelectionMasque(0, 0, width, height,
                       std::vector<unsigned char>(static_cast<std::size_t>(width) * height, 0));
  }
  TakeSelection(image, false, "No image to copy !\nSelect an image.");
  // A whole frame part keeps its place in the frame for Special Paste.
  if (clientData && image && !_edit.clipboard.empty())
    _edit.clipboardFramePart = image->GetFramePart();
}

void KEPAteloDocument::CutAction() {
  KEP_TRACE(4, "(KEPAteloDocument::CutAction)");
  TakeSelection(GetPosImage(0), true, "No image to cut !\nSelect an image.");
}

void KEPAteloDocument::TakeSelection(KEPAtelIma* image, bool cut, const char* noImage) {
  // The selection is taken: its tool is done with.
  for (int code :
       {TOOL_SELECT_RECTANGLE, TOOL_SELECT_POLYGON, TOOL_SELECT_HAND, TOOL_SELECT_CIRCLE})
    UncheckBtn(GetToolButton(code));
  _edit.clipboardFramePart = 0;
  if (!image || _edit.selectionMask.empty()) {
    KEPFormatError(errmsg, "%s", noImage);
    ClipboardFailed();
    return;
  }
  if (cut && image->GetPixels()) SaveImageForUndo(image, 1);
  int width = 0, height = 0;
  std::vector<unsigned char> pixels = GetMasquedBitmap(image, width, height, cut);
  if (pixels.empty()) {
    KEPFormatError(errmsg, "An error occured during the operation !");
    ClipboardFailed();
    return;
  }
  SetClipboard(width, height, std::move(pixels));
  RemoveSelectionRep();
  PutOnDesktopClipboard();
  if (cut) RedisplayImage(image);
}

void KEPAteloDocument::PasteAction(int clientData) {
  KEP_TRACE(4, "(KEPAteloDocument::PasteAction) %d", clientData);
  RemoveViewerIndicatorCallbacks();
  KEPAtelIma* image = GetPosImage(0);
  if (image && _edit.clipboard.empty()) TakeDesktopImage();
  if (!image || _edit.clipboard.empty()) {
    SetClipboard(0, 0, {});
    KEPFormatError(errmsg, "No image or No zone to paste.");
    DisplayError();
    return;
  }
  SetToolCallbacks(TOOL_PASTE);
  if (clientData == 1 && _edit.clipboardFramePart == 0) {
    if (!_edit.framePartDialog)
      _edit.framePartDialog =
          std::make_unique<KEPAteloFramePart>(this, [this](int cell) { PasteAsFramePart(cell); });
    _edit.framePartDialog->show();
    _edit.framePartDialog->raise();
    return;
  }
  PlaceClipboard(clientData == 1 ? _edit.clipboardFramePart : 0);
}

void KEPAteloDocument::PasteAsFramePart(int cell) {
  KEP_TRACE(4, "(KEPAteloDocument::PasteAsFramePart) %d", cell);
  if (!GetPosImage(0) || cell < 1 || cell > 16 || _edit.clipboard.empty()) {
    KEPFormatError(errmsg, "No image or No zone to paste.");
    DisplayError();
    return;
  }
  PlaceClipboard(cell);
}

void KEPAteloDocument::PlaceClipboard(int cell) {
  KEPAtelIma* image = GetPosImage(0);
  if (!image) return;
  // The chooser may have stayed open while another tool was taken.
  if (_tools.currentTool != TOOL_PASTE) SetToolCallbacks(TOOL_PASTE);
  float x = 0, y = 0, ox = 0, oy = 0;
  int width = 0, height = 0;
  image->GetOrigin(ox, oy);
  image->GetSize(width, height);
  if (cell >= 1) {
    const int column = (cell - 1) % 4, row = (cell - 1) / 4;
    x = ox + static_cast<float>(column * (width / 4));
    y = oy + static_cast<float>(row * (height / 4));
  } else {
    // Centred in the view, on whole pixels of the image as it will merge.
    const KEPMathPoint2Df centre =
        _viewer ? _viewer->GetViewpoint().GetOrigin() : KEPMathPoint2Df();
    x = ox + std::round(centre.x - 0.5f * static_cast<float>(_edit.clipboardWidth) - ox);
    y = oy + std::round(centre.y - 0.5f * static_cast<float>(_edit.clipboardHeight) - oy);
  }
  ShowFloatingObject(std::vector<unsigned char>(_edit.clipboard), _edit.clipboardWidth,
                     _edit.clipboardHeight, x, y);
}

// --- floating object ----------------------------------------------------------------------------

void KEPAteloDocument::ShowFloatingObject(std::vector<unsigned char>&& pixels, int width,
                                          int height, float x, float y) {
  RemoveClipboard();
  auto rep = std::make_unique<KEP2DFloatingPixelRep>();
  if (rep->SetOwnedPixels(IncrustPreview(pixels), width, height) != 0) return;
  _edit.floatingPixels = std::move(pixels);
  _edit.floatingWidth = width;
  _edit.floatingHeight = height;
  _edit.floatingImage = GetPosImage(0);
  _edit.clipboardRep = std::move(rep);
  _edit.clipboardManipulator = std::make_unique<KEP2DManipulator>(
      _viewer, "clipboardRepManipulator", _edit.clipboardRep.get(), 2);
  _edit.clipboardManipulator->SetPosition(KEPMathPoint2Df(x, y));
  _edit.clipboardManipulator->AddCallback(KEP2DManipulator::kMove,
                                          [this](KEP2DManipulator&) { ManipulateClipboard(); });
  _edit.clipboardManipulator->AddCallback(KEP2DManipulator::kEnd,
                                          [this](KEP2DManipulator&) { ManipulateClipboard(); });
  AddClipboard();
  if (_edit.setSizeDialog) _edit.setSizeDialog->UpdateSize(width, height);
}

void KEPAteloDocument::ReplaceFloatingObject(std::vector<unsigned char>&& pixels, int width,
                                             int height) {
  if (!_edit.clipboardRep || !_edit.clipboardManipulator) return;
  const KEPMathPoint2Df old = _edit.clipboardManipulator->GetPosition();
  // The centre stays put.
  const float x = std::trunc(old.x + static_cast<float>(_edit.floatingWidth - width) * 0.5f);
  const float y = std::trunc(old.y + static_cast<float>(_edit.floatingHeight - height) * 0.5f);
  if (_edit.clipboardRep->SetOwnedPixels(IncrustPreview(pixels), width, height) != 0) return;
  _edit.floatingPixels = std::move(pixels);
  _edit.floatingWidth = width;
  _edit.floatingHeight = height;
  _edit.clipboardManipulator->SetPosition(KEPMathPoint2Df(x, y));
  _edit.clipboardRep->Invalidate();
}

bool KEPAteloDocument::GetFloatingObject(float& x, float& y, int& width, int& height) const {
  if (!_edit.clipboardRep) return false;
  const KEPMathPoint2Df at = _edit.clipboardRep->GetTranslation();
  x = at.x;
  y = at.y;
  width = _edit.floatingWidth;
  height = _edit.floatingHeight;
  return true;
}

void KEPAteloDocument::AddClipboard() {
  if (_edit.clipboardRep && _viewer) _viewer->AddRep(_edit.clipboardRep.get());
}

void KEPAteloDocument::ManipulateClipboard() {
  KEPAtelIma* image = GetPosImage(0);
  if (!_edit.clipboardManipulator || !image) return;
  // What is seen is what merges: the object moves by whole image pixels.
  float ox = 0, oy = 0;
  image->GetOrigin(ox, oy);
  const KEPMathPoint2Df at = _edit.clipboardManipulator->GetPosition();
  _edit.clipboardManipulator->SetPosition(
      KEPMathPoint2Df(ox + std::round(at.x - ox), oy + std::round(at.y - oy)));
}

void KEPAteloDocument::RemoveClipboard() {
  const bool floating = _edit.clipboardRep != nullptr;
  _edit.clipboardManipulator.reset();
  _edit.clipboardRep.reset();
  std::vector<unsigned char>().swap(_edit.floatingPixels);
  _edit.floatingWidth = _edit.floatingHeight = 0;
  _edit.floatingImage = nullptr;
  if (!floating) return;
  if (_tools.currentTool == TOOL_PASTE) {
    RemoveViewerIndicatorCallbacks();
    _tools.currentTool = 0;
  }
  if (_edit.setSizeDialog) {
    int width = 0, height = 0;
    if (KEPAtelIma* image = GetPosImage(0)) image->GetSize(width, height);
    _edit.setSizeDialog->UpdateSize(width, height);
  }
}

void KEPAteloDocument::IncrustClipboard(KEPAtelIma* image) {
  RemoveObjectRep();
  if (!_edit.clipboardRep) return;
  KEP_TRACE(4, "(KEPAteloDocument::IncrustClipboard)");
  if (image && image->GetPixels()) {
    float ox = 0, oy = 0, x = 0, y = 0;
    int width = 0, height = 0, w = 0, h = 0;
    image->GetOrigin(ox, oy);
    image->GetSize(width, height);
    GetFloatingObject(x, y, w, h);
    const float dx = x - ox, dy = y - oy;
    // An object wholly off the image goes without a change or an undo copy.
    if (dx < static_cast<float>(width) && dx + static_cast<float>(w) > 0.0f &&
        dy < static_cast<float>(height) && dy + static_cast<float>(h) > 0.0f) {
      SaveImageForUndo(image, 1);
      const int px = static_cast<int>(std::lround(dx)), py = static_cast<int>(std::lround(dy));
      IncrustPixels(std::span<unsigned char>(image->GetPixels(), image->GetMemorySize()), width,
                    height, _edit.floatingPixels, w, h, px, py);
      if (KEPAtelIma* partner = image->GetCoupledImage(); partner && partner->GetPixels()) {
        int pw = 0, ph = 0;
        partner->GetSize(pw, ph);
        IncrustPixels(std::span<unsigned char>(partner->GetPixels(), partner->GetMemorySize()), pw,
                      ph, _edit.floatingPixels, w, h, px, py);
      }
      RedisplayImageRect(image, px, py, w, h);
    }
  }
  RemoveClipboard();
  if (_viewer) _viewer->Redraw();
}
