// Geometric operations: quarter turns, flips and resizing of the current
// image (with its stereo partner) or of the floating object, and New, which
// makes a blank image of a chosen size.
#include <QApplication>
#include <cstring>

#include "document/KEPAteloDocument.h"
#include "document/KEPAteloSetSize.h"
#include "image/KEPAtelIma.h"
#include "paint/KEPGeometry.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DViewer.h"
#include "series/KEPAteloSeries.h"

namespace {

std::span<unsigned char> PixelsOf(KEPAtelIma* image) {
  unsigned char* pixels = image ? image->GetPixels(KEPAtelIma::LAYOUT_GEOMETRY) : nullptr;
  return pixels ? std::span<unsigned char>(pixels, image->GetMemorySize())
                : std::span<unsigned char>();
}

bool IsRotation(int code) {
  return code == KEP_ROTATE_LEFT || code == KEP_ROTATE_RIGHT;
}

// A size the image record can hold; errmsg says why not.
bool SizeAllowed(int width, int height) {
  if (width >= 1 && height >= 1 && width <= KEPAtelIma::kMaxSide &&
      height <= KEPAtelIma::kMaxSide &&
      static_cast<std::int64_t>(width) * height <= KEPAtelIma::kMaxPixels)
    return true;
  KEPFormatError(errmsg,
                 "Size %d x %d is not possible.\nWidth and height go from 1 to %d pixels, "
                 "and an image holds at most %lld pixels.",
                 width, height, KEPAtelIma::kMaxSide,
                 static_cast<long long>(KEPAtelIma::kMaxPixels));
  return false;
}

}  // namespace

// --- turns and flips -----------------------------------------------------------------------

void KEPAteloDocument::ManipsAction(int code) {
  KEP_TRACE(4, "(KEPAteloDocument::ManipsAction) %#x", code);
  KEPAtelIma* image = GetPosImage(0);
  if (!image) {
    KEPFormatError(errmsg, "No image to turn or flip !\nSelect an Image.");
    DisplayError();
    return;
  }
  SelectionRepToClipboardRep();
  if (_edit.clipboardRep) {
    ManipulateFloatingObject(code);
    return;
  }
  if (!TransformImage(image, code)) {
    KEPFormatError(errmsg, "An error occured during the operation !\n\tBad rotation parameters.\n");
    DisplayError();
  }
}

void KEPAteloDocument::ManipulateFloatingObject(int code) {
  int width = _edit.floatingWidth, height = _edit.floatingHeight;
  if (IsRotation(code)) {
    std::vector<unsigned char> turned = RotateBitmap(_edit.floatingPixels, width, height, code);
    if (turned.empty()) return;
    ReplaceFloatingObject(std::move(turned), width, height);
    if (_edit.setSizeDialog) _edit.setSizeDialog->UpdateSize(width, height);
  } else {
    std::vector<unsigned char> pixels = std::move(_edit.floatingPixels);
    FlipBitmapInPlace(pixels, width, height, code);
    ReplaceFloatingObject(std::move(pixels), width, height);
  }
  if (_viewer) _viewer->Redraw();
}

bool KEPAteloDocument::TransformImage(KEPAtelIma* image, int code) {
  KEPAtelIma* partner = image->GetCoupledImage();
  std::span<unsigned char> pixels = PixelsOf(image), partnerPixels = PixelsOf(partner);
  if (pixels.empty() || (partner && partnerPixels.empty())) return false;
  int width = 0, height = 0, partnerWidth = 0, partnerHeight = 0;
  image->GetSize(width, height);
  if (partner) partner->GetSize(partnerWidth, partnerHeight);
  if (!IsRotation(code)) {
    // A mirror keeps the size: it is done in place once the undo copy holds
    // the pixels as they were.
    SaveImageForUndo(image, 0);
    FlipBitmapInPlace(pixels, width, height, code);
    if (partner) FlipBitmapInPlace(partnerPixels, partnerWidth, partnerHeight, code);
    RemoveSelectionRep();
    RedisplayImage(image);
    return true;
  }
  // The old undo copies go when the turned pixels take their place: their
  // memory receives the turn.
  std::vector<unsigned char> turned = RotateBitmap(pixels, width, height, code,
                                                   image->TakeUndoBufferForReuse()),
                             partnerTurned;
  if (partner)
    partnerTurned = RotateBitmap(partnerPixels, partnerWidth, partnerHeight, code,
                                 partner->TakeUndoBufferForReuse());
  if (turned.empty() || (partner && partnerTurned.empty())) return false;
  const int size[2] = {width, height}, partnerSize[2] = {partnerWidth, partnerHeight};
  ReplacePixelsForUndo(image, std::move(turned), size, partner ? &partnerTurned : nullptr,
                       partnerSize);
  RemoveSelectionRep();
  ImageBufferChanged(image);
  return true;
}

// --- sizes -------------------------------------------------------------------------------------

void KEPAteloDocument::ShowSetSize(const char* title, int width, int height, bool newImage) {
  SetBusyCursor(true);
  if (!_edit.setSizeDialog) {
    _edit.setSizeDialog = std::make_unique<KEPAteloSetSize>(
        this, [this](int w, int h, bool make) { ResizeImage(w, h, make); });
  }
  // Title and mode are set at every opening, so that Apply does what the
  // window says whichever command opened it last.
  _edit.setSizeDialog->setWindowTitle(title);
  _edit.setSizeDialog->UpdateSize(width, height);
  if (newImage)
    _edit.setSizeDialog->NewImage();
  else
    _edit.setSizeDialog->ClearNewImage();
  SetBusyCursor(false);
  _edit.setSizeDialog->show();
  _edit.setSizeDialog->raise();
}

void KEPAteloDocument::NewAction() {
  KEP_TRACE(4, "(KEPAteloDocument::NewAction)");
  int width = _visuWidth, height = _visuHeight;
  if (KEPAtelIma* image = GetPosImage(0)) image->GetSize(width, height);
  ShowSetSize("New Image", width, height, true);
}

void KEPAteloDocument::SetSizeAction() {
  KEP_TRACE(4, "(KEPAteloDocument::SetSizeAction)");
  SelectionRepToClipboardRep();
  int width = 0, height = 0;
  KEPAtelIma* image = GetPosImage(0);
  if (_edit.clipboardRep) {
    width = _edit.floatingWidth;
    height = _edit.floatingHeight;
  } else if (image) {
    image->GetSize(width, height);
  } else {
    KEPFormatError(errmsg, "No image to resize !\nSelect an Image.");
    DisplayError();
    return;
  }
  ShowSetSize("Resize Image", width, height, false);
}

void KEPAteloDocument::ResizeImage(int width, int height, bool newImage) {
  KEP_TRACE(4, "(KEPAteloDocument::ResizeImage) %d x %d new %d", width, height, newImage);
  if (!SizeAllowed(width, height)) {
    DisplayError();
    return;
  }
  if (newImage) {
    CreateNewImage(width, height);
    return;
  }
  KEPAtelIma* image = GetPosImage(0);
  if (!image) {
    KEPFormatError(errmsg, "No image to resize !\nSelect an Image.");
    DisplayError();
    return;
  }
  std::vector<unsigned char> resized, partnerResized;
  if (_edit.clipboardRep) {
    // The image record's filter serves the object too.
    KEPAtelIma holder(KEPAtelIma::STATE_IN_MEMORY, 0u);
    const int size[2] = {_edit.floatingWidth, _edit.floatingHeight};
    holder.ReplacePixels(std::vector<unsigned char>(_edit.floatingPixels), size);
    if (holder.Resample(2, width, height, resized) != 0) {
      KEPFormatError(errmsg, "Not enough memory to resize to %d x %d.", width, height);
      DisplayError();
      return;
    }
    ReplaceFloatingObject(std::move(resized), width, height);
    if (_viewer) _viewer->Redraw();
    return;
  }
  KEPAtelIma* partner = image->GetCoupledImage();
  if (image->Resample(2, width, height, resized) != 0 ||
      (partner && partner->Resample(2, width, height, partnerResized) != 0)) {
    KEPFormatError(errmsg, "Not enough memory to resize to %d x %d.", width, height);
    DisplayError();
    return;
  }
  const int size[2] = {width, height};
  ReplacePixelsForUndo(image, std::move(resized), size, partner ? &partnerResized : nullptr);
  RemoveSelectionRep();
  if (_edit.setSizeDialog) _edit.setSizeDialog->UpdateSize(width, height);
  DisplayImage(image, true);
}

void KEPAteloDocument::CreateNewImage(int width, int height) {
  PromptIfOddImageNumber(1);
  std::string directory, name, type;
  KEPAteloSettings::ReadNamingDefaults(directory, name, type);
  auto image = std::make_unique<KEPAtelIma>(directory.c_str(), name.c_str(), type.c_str(), "", 0,
                                            KEPAtelIma::STATE_IN_MEMORY, 0u);
  if (image->AllocatePixels(width, height) != 0) {
    KEPFormatError(errmsg, "Not enough memory for a new %d x %d image.", width, height);
    DisplayError();
    return;
  }
  std::memset(image->GetPixels(), 255, image->GetMemorySize());
  // Nothing renders into it: it is complete as made.
  image->SetDone();
  LinkImageToViewer(image.get());
  KEPAtelIma* raw = image.release();
  if (_series->InsertOneImageAfter(raw, 1) != 0) {
    if (!_series->LocateImage(raw)) delete raw;
    DisplayError();
    return;
  }
  RemoveSelectionRep();
}
