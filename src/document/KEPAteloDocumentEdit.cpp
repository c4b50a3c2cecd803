// Editing commands: undo and redo, and the states of the edit commands. The
// clipboard, the selection and the geometric operations have files of their
// own (KEPAteloDocumentClipboard.cpp, KEPAteloDocumentSelection.cpp,
// KEPAteloDocumentGeometry.cpp).
#include <QAction>

#include "document/KEPAteloDocument.h"
#include "document/KEPAteloSetSize.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DViewer.h"
#include "series/KEPAteloSeries.h"

// --- undo and redo ---------------------------------------------------------------------

void KEPAteloDocument::SaveImageForUndo(KEPAtelIma* image, int eraseStyle) {
  KEP_TRACE(6, "(KEPAteloDocument::SaveImageForUndo) %d", eraseStyle);
  if (!image) return;
  image->SaveForUndo(eraseStyle);
  if (KEPAtelIma* partner = image->GetCoupledImage()) partner->SaveForUndo(eraseStyle);
  UndoCopyTaken(image, eraseStyle);
}

void KEPAteloDocument::ReplacePixelsForUndo(KEPAtelIma* image, std::vector<unsigned char>&& pixels,
                                            const int size[2],
                                            std::vector<unsigned char>* partnerPixels,
                                            const int* partnerSize) {
  KEPAtelIma* partner = image->GetCoupledImage();
  // The callers build the buffers for these sizes; a mismatch leaves both
  // records as they were.
  if (!image->ReplacePixelsForUndo(std::move(pixels), size)) return;
  if (partner && partnerPixels)
    partner->ReplacePixelsForUndo(std::move(*partnerPixels), partnerSize ? partnerSize : size);
  else if (partner)
    partner->SaveForUndo(0);
  UndoCopyTaken(image, 0);
}

void KEPAteloDocument::UndoCopyTaken(KEPAtelIma* image, int eraseStyle) {
  _edit.undoTaken = true;
  // The change about to be made leaves the file behind: Save stays offered
  // and closing asks.
  image->ClearSaved();
  if (KEPAtelIma* partner = image->GetCoupledImage()) partner->ClearSaved();
  for (const char* name : {"saveAllItem", "saveButton", "saveItem", "undoButton", "undoItem"})
    SetBtnSensitivity(FindAction(name), SENSITIVE);
  for (const char* name : {"redoButton", "redoItem", "shellPrintItem"})
    SetBtnSensitivity(FindAction(name), INSENSITIVE);
  // A change that cannot be erased back ends an eraser stroke in progress.
  if (QAction* eraser = GetToolButton(TOOL_ERASER)) {
    if (eraser->isChecked() && eraseStyle == 0) UncheckBtn(eraser);
    SetBtnSensitivity(eraser, eraseStyle == 1 ? SENSITIVE : INSENSITIVE);
  }
}

namespace {

// Swaps the image, and its stereo partner when it holds a copy too, with
// their undo copies; the new undo state, or 0 (errmsg set) when the two
// copies differ in size and the pair would no longer match.
int SwapWithUndoCopy(KEPAtelIma* image, const char* word) {
  KEPAtelIma* partner = image->GetCoupledImage();
  if (partner && partner->GetUndoState() == 0) partner = nullptr;
  if (partner) {
    int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
    image->GetUndoSize(w1, h1);
    partner->GetUndoSize(w2, h2);
    if (w1 != w2 || h1 != h2) {
      KEPFormatError(errmsg,
                     "%s Impossible in stereo view.\nThe images have different size.\n"
                     "Toggle stereo view to %s.",
                     word, word[0] == 'U' ? "undo" : "redo");
      return 0;
    }
  }
  if (partner) partner->SwapUndo();
  return image->SwapUndo();
}

}  // namespace

void KEPAteloDocument::UndoAction() {
  KEP_TRACE(4, "(KEPAteloDocument::UndoAction)");
  KEPAtelIma* image = GetPosImage(0);
  if (!image || image->GetUndoState() != 1) return;
  const int state = SwapWithUndoCopy(image, "Undo");
  if (state == 0) {
    DisplayError();
    return;
  }
  RemoveSelectionRep();
  ImageBufferChanged(image);
  SetBtnSensitivity(FindAction("undoButton"), INSENSITIVE);
  SetBtnSensitivity(FindAction("undoItem"), INSENSITIVE);
  // The undo copy now holds the undone change: erasing back to it would
  // paint that change in again.
  if (QAction* eraser = GetToolButton(TOOL_ERASER)) {
    UncheckBtn(eraser);
    SetBtnSensitivity(eraser, INSENSITIVE);
  }
  if (state == 2) {
    SetBtnSensitivity(FindAction("redoButton"), SENSITIVE);
    SetBtnSensitivity(FindAction("redoItem"), SENSITIVE);
  }
}

void KEPAteloDocument::RedoAction() {
  KEP_TRACE(4, "(KEPAteloDocument::RedoAction)");
  KEPAtelIma* image = GetPosImage(0);
  if (!image || image->GetUndoState() != 2) return;
  const int state = SwapWithUndoCopy(image, "Redo");
  if (state == 0) {
    DisplayError();
    return;
  }
  RemoveSelectionRep();
  ImageBufferChanged(image);
  SetBtnSensitivity(FindAction("redoButton"), INSENSITIVE);
  SetBtnSensitivity(FindAction("redoItem"), INSENSITIVE);
  if (state == 1) {
    SetBtnSensitivity(FindAction("undoButton"), SENSITIVE);
    SetBtnSensitivity(FindAction("undoItem"), SENSITIVE);
    if (QAction* eraser = GetToolButton(TOOL_ERASER))
      SetBtnSensitivity(eraser, image->CanErase() ? SENSITIVE : INSENSITIVE);
  }
}

void KEPAteloDocument::ImageBufferChanged(KEPAtelIma* image) {
  int width = 0, height = 0;
  image->GetSize(width, height);
  if (_edit.setSizeDialog && !_edit.clipboardRep) _edit.setSizeDialog->UpdateSize(width, height);
  // The buffer may be another one, of another size: the representation is
  // pointed at it again and the image re-centred.
  if (!DisplayImage(image, false)) RedisplayImage(image);
}

// --- command states -----------------------------------------------------------------------

void KEPAteloDocument::EnableEditCommands(KEPAtelIma* image) {
  const int undo = image->GetUndoState();
  for (const char* name : {"undoItem", "undoButton"})
    SetBtnSensitivity(FindAction(name), undo == 1 ? SENSITIVE : INSENSITIVE);
  for (const char* name : {"redoItem", "redoButton"})
    SetBtnSensitivity(FindAction(name), undo == 2 ? SENSITIVE : INSENSITIVE);
  SetBtnSensitivity(FindAction("copyWholeItem"), SENSITIVE);
  const int editable = image->IsEditable() ? SENSITIVE : INSENSITIVE;
  for (const char* name :
       {"leftButton", "rightButton", "symvButton", "symhButton", "sizeButton", "selSideButton"})
    SetBtnSensitivity(FindAction(name), editable);
  for (const auto& [code, button] : _tools.toolButtons) {
    if (code == TOOL_ERASER)
      SetBtnSensitivity(button, image->CanErase() ? SENSITIVE : INSENSITIVE);
    else
      SetBtnSensitivity(button, editable);
  }
  UpdateSelectionSensitivity();
  UpdatePasteSensitivity();
}

void KEPAteloDocument::DisableEditCommands() {
  for (const char* name : {"undoItem", "undoButton", "redoItem", "redoButton", "copyItem",
                           "copyButton", "copyWholeItem", "cutItem", "cutButton", "pasteItem",
                           "pastePartItem", "pasteButton", "leftButton", "rightButton",
                           "symvButton", "symhButton", "sizeButton", "cropButton", "selSideButton"})
    SetBtnSensitivity(FindAction(name), INSENSITIVE);
  for (const auto& [code, button] : _tools.toolButtons) SetBtnSensitivity(button, INSENSITIVE);
}

void KEPAteloDocument::UpdateSelectionSensitivity() {
  const int state = _edit.selectionMask.empty() ? INSENSITIVE : SENSITIVE;
  for (const char* name : {"copyItem", "copyButton", "cutItem", "cutButton", "cropButton"})
    SetBtnSensitivity(FindAction(name), state);
}

void KEPAteloDocument::EditImageChanged(KEPAtelIma* image) {
  RemoveSelectionRep();
  // An object floats over the image it was pasted on; it does not follow to
  // another one (the clipboard keeps its pixels for a new paste).
  if (_edit.clipboardRep && image != _edit.floatingImage) RemoveClipboard();
  if (_edit.setSizeDialog && !_edit.clipboardRep) {
    int width = 0, height = 0;
    if (image) image->GetSize(width, height);
    _edit.setSizeDialog->UpdateSize(width, height);
  }
}

void KEPAteloDocument::FreeEditDisplay() {
  RemoveClipboard();
  RemoveSelectionRep();
}
