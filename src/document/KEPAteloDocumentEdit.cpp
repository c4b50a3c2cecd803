// Editing commands: undo and redo, the clipboard, the selection and the
// geometric operations.
#include <QAction>

#include "document/KEPAteloDocument.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPTrace.h"
#include "series/KEPAteloSeries.h"

// --- undo and redo ---------------------------------------------------------------------

void KEPAteloDocument::SaveImageForUndo(KEPAtelIma* image, int eraseStyle) {
  KEP_TRACE(6, "(KEPAteloDocument::SaveImageForUndo) %d", eraseStyle);
  if (!image) return;
  image->SaveForUndo(eraseStyle);
  if (KEPAtelIma* partner = image->GetCoupledImage()) partner->SaveForUndo(eraseStyle);
  for (const char* name : {"saveAllItem", "saveButton", "saveItem", "undoButton", "undoItem"})
    SetBtnSensitivity(FindAction(name), SENSITIVE);
  for (const char* name : {"redoButton", "redoItem", "shellPrintItem"})
    SetBtnSensitivity(FindAction(name), INSENSITIVE);
}

void KEPAteloDocument::UndoAction() {
  NotAvailable("Undo");
}

void KEPAteloDocument::RedoAction() {
  NotAvailable("Redo");
}

// --- clipboard -----------------------------------------------------------------------

void KEPAteloDocument::CopyAction(int) {
  NotAvailable("Copy");
}

void KEPAteloDocument::CutAction() {
  NotAvailable("Cut");
}

void KEPAteloDocument::PasteAction(int) {
  NotAvailable("Paste");
}

// --- selection -------------------------------------------------------------------------

const unsigned char* KEPAteloDocument::GetSelectionMasque(int& x, int& y, int& width,
                                                          int& height) const {
  if (!_selectionMask.empty()) {
    x = _maskX;
    y = _maskY;
    width = _maskWidth;
    height = _maskHeight;
    return _selectionMask.data();
  }
  x = y = width = height = 0;
  if (KEPAtelIma* image = GetPosImage(0)) image->GetSize(width, height);
  return nullptr;
}

int KEPAteloDocument::GetSelZoneSide() const {
  return _side;
}

void KEPAteloDocument::SelZoneSideAction() {
  NotAvailable("Selection Side");
}

void KEPAteloDocument::CropAction() {
  NotAvailable("Crop");
}

// --- geometry ----------------------------------------------------------------------------

void KEPAteloDocument::NewAction() {
  NotAvailable("New");
}

void KEPAteloDocument::ManipsAction(int) {
  NotAvailable("Rotation and flip");
}

void KEPAteloDocument::SetSizeAction() {
  NotAvailable("Resize");
}
