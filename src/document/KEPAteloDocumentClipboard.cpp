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
    _clipboard = std::move(pixels);
    _clipboardWidth = width;
    _clipboardHeight = height;
  } else {
    std::vector<unsigned char>().swap(_clipboard);
    _clipboardWidth = _clipboardHeight = 0;
  }
  UpdatePasteSensitivity();
}

const std::vector<unsigned char>& KEPAteloDocument::GetClipboard(int& width, int& height) const {
  width = _clipboardWidth;
  height = _clipboardHeight;
  return _clipboard;
}

void KEPAteloDocument::UpdatePasteSensitivity() {
  bool offered = !_clipboard.empty();
  if (!offered) {
    const QMimeData* desktop = QGuiApplication::clipboard()->mimeData();
    offered = desktop && desktop->hasImage();
  }
  const int state = offered && GetPosImage(0) ? SENSITIVE : INSENSITIVE;
  for (const char* name : {"pasteItem", "pastePartItem", "pasteButton"})
    SetBtnSensitivity(FindAction(name), state);
}

void KEPAteloDocument::PutOnDesktopClipboard() const {
  QImage image = ToDesktopImage(_clipboard, _clipboardWidth, _clipboardHeight);
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
  _clipboardFramePart = 0;
  SetClipboard(width, height, std::move(pixels));
  return true;
}

std::vector<unsigned char> KEPAteloDocument::GetMasquedBitmap(KEPAtelIma* image, int& width,
                                                              int& height, bool clear) {
  if (!image || !image->GetPixels() || _selectionMask.empty()) return {};
  image->GetSize(width, height);
  const KEPSelectionMask mask{_selectionMask, _maskX, _maskY, _maskWidth, _maskHeight};
  return ExtractMaskedPixels(std::span<unsigned char>(image->GetPixels(), image->GetMemorySize()),
                             width, height, mask, _side, clear);
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
  if (clientData && image && !_clipboard.empty()) _clipboardFramePart = image->GetFramePart();
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
  _clipboardFramePart = 0;
  if (!image || _selectionMask.empty()) {
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
  if (image && _clipboard.empty()) TakeDesktopImage();
  if (!image || _clipboard.empty()) {
    SetClipboard(0, 0, {});
    KEPFormatError(errmsg, "No image or No zone to paste.");
    DisplayError();
    return;
  }
  SetToolCallbacks(TOOL_PASTE);
  if (clientData == 1 && _clipboardFramePart == 0) {
    if (!_framePartDialog)
      _framePartDialog =
          std::make_unique<KEPAteloFramePart>(this, [this](int cell) { PasteAsFramePart(cell); });
    _framePartDialog->show();
    _framePartDialog->raise();
    return;
  }
  PlaceClipboard(clientData == 1 ? _clipboardFramePart : 0);
}

void KEPAteloDocument::PasteAsFramePart(int cell) {
  KEP_TRACE(4, "(KEPAteloDocument::PasteAsFramePart) %d", cell);
  if (!GetPosImage(0) || cell < 1 || cell > 16 || _clipboard.empty()) {
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
  if (_currentTool != TOOL_PASTE) SetToolCallbacks(TOOL_PASTE);
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
    x = ox + std::round(centre.x - 0.5f * static_cast<float>(_clipboardWidth) - ox);
    y = oy + std::round(centre.y - 0.5f * static_cast<float>(_clipboardHeight) - oy);
  }
  ShowFloatingObject(std::vector<unsigned char>(_clipboard), _clipboardWidth, _clipboardHeight, x,
                     y);
}

// --- floating object ----------------------------------------------------------------------------

void KEPAteloDocument::ShowFloatingObject(std::vector<unsigned char>&& pixels, int width,
                                          int height, float x, float y) {
  RemoveClipboard();
  auto rep = std::make_unique<KEP2DFloatingPixelRep>();
  if (rep->SetOwnedPixels(IncrustPreview(pixels), width, height) != 0) return;
  _floatingPixels = std::move(pixels);
  _floatingWidth = width;
  _floatingHeight = height;
  _floatingImage = GetPosImage(0);
  _clipboardRep = std::move(rep);
  _clipboardManipulator = std::make_unique<KEP2DManipulator>(_viewer, "clipboardRepManipulator",
                                                             _clipboardRep.get(), 2);
  _clipboardManipulator->SetPosition(KEPMathPoint2Df(x, y));
  _clipboardManipulator->AddCallback(KEP2DManipulator::kMove,
                                     [this](KEP2DManipulator&) { ManipulateClipboard(); });
  _clipboardManipulator->AddCallback(KEP2DManipulator::kEnd,
                                     [this](KEP2DManipulator&) { ManipulateClipboard(); });
  AddClipboard();
  if (_setSizeDialog) _setSizeDialog->UpdateSize(width, height);
}

void KEPAteloDocument::ReplaceFloatingObject(std::vector<unsigned char>&& pixels, int width,
                                             int height) {
  if (!_clipboardRep || !_clipboardManipulator) return;
  const KEPMathPoint2Df old = _clipboardManipulator->GetPosition();
  // The centre stays put.
  const float x = std::trunc(old.x + static_cast<float>(_floatingWidth - width) * 0.5f);
  const float y = std::trunc(old.y + static_cast<float>(_floatingHeight - height) * 0.5f);
  if (_clipboardRep->SetOwnedPixels(IncrustPreview(pixels), width, height) != 0) return;
  _floatingPixels = std::move(pixels);
  _floatingWidth = width;
  _floatingHeight = height;
  _clipboardManipulator->SetPosition(KEPMathPoint2Df(x, y));
  _clipboardRep->Invalidate();
}

bool KEPAteloDocument::GetFloatingObject(float& x, float& y, int& width, int& height) const {
  if (!_clipboardRep) return false;
  const KEPMathPoint2Df at = _clipboardRep->GetTranslation();
  x = at.x;
  y = at.y;
  width = _floatingWidth;
  height = _floatingHeight;
  return true;
}

void KEPAteloDocument::AddClipboard() {
  if (_clipboardRep && _viewer) _viewer->AddRep(_clipboardRep.get());
}

void KEPAteloDocument::ManipulateClipboard() {
  KEPAtelIma* image = GetPosImage(0);
  if (!_clipboardManipulator || !image) return;
  // What is seen is what merges: the object moves by whole image pixels.
  float ox = 0, oy = 0;
  image->GetOrigin(ox, oy);
  const KEPMathPoint2Df at = _clipboardManipulator->GetPosition();
  _clipboardManipulator->SetPosition(
      KEPMathPoint2Df(ox + std::round(at.x - ox), oy + std::round(at.y - oy)));
}

void KEPAteloDocument::RemoveClipboard() {
  const bool floating = _clipboardRep != nullptr;
  _clipboardManipulator.reset();
  _clipboardRep.reset();
  std::vector<unsigned char>().swap(_floatingPixels);
  _floatingWidth = _floatingHeight = 0;
  _floatingImage = nullptr;
  if (!floating) return;
  if (_currentTool == TOOL_PASTE) {
    RemoveViewerIndicatorCallbacks();
    _currentTool = 0;
  }
  if (_setSizeDialog) {
    int width = 0, height = 0;
    if (KEPAtelIma* image = GetPosImage(0)) image->GetSize(width, height);
    _setSizeDialog->UpdateSize(width, height);
  }
}

void KEPAteloDocument::IncrustClipboard(KEPAtelIma* image) {
  RemoveObjectRep();
  if (!_clipboardRep) return;
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
                    height, _floatingPixels, w, h, px, py);
      if (KEPAtelIma* partner = image->GetCoupledImage(); partner && partner->GetPixels()) {
        int pw = 0, ph = 0;
        partner->GetSize(pw, ph);
        IncrustPixels(std::span<unsigned char>(partner->GetPixels(), partner->GetMemorySize()), pw,
                      ph, _floatingPixels, w, h, px, py);
      }
      RedisplayImageRect(image, px, py, w, h);
    }
  }
  RemoveClipboard();
  if (_viewer) _viewer->Redraw();
}
