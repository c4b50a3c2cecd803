#pragma once

#include <memory>
#include <vector>

class KEP2DCustomRep;
class KEP2DFloatingPixelRep;
class KEP2DManipulator;
class KEPAtelIma;
class KEPAteloFramePart;
class KEPAteloSetSize;

// What the edit commands work with: the selection, the clipboard and the
// floating object dragged over the image, and the edit windows.
struct KEPAteloEditState {
  // Selection mask: one byte per pixel of its rectangle (0 inside the drawn
  // shape, 1 outside), empty without a selection; its outline on the viewer.
  std::vector<unsigned char> selectionMask;
  int maskX = 0, maskY = 0, maskWidth = 0, maskHeight = 0;
  signed char side = 0;
  std::unique_ptr<KEP2DCustomRep> selectionRep;
  // Clipboard pixels (0 in all four bytes outside the copied shape).
  std::vector<unsigned char> clipboard;
  int clipboardWidth = 0, clipboardHeight = 0;
  int clipboardFramePart = 0;
  // The floating object: its own pixels (what a merge writes), the
  // representation that shows them, the manipulator that drags it and the
  // image it floats over.
  std::vector<unsigned char> floatingPixels;
  int floatingWidth = 0, floatingHeight = 0;
  std::unique_ptr<KEP2DFloatingPixelRep> clipboardRep;
  std::unique_ptr<KEP2DManipulator> clipboardManipulator;
  KEPAtelIma* floatingImage = nullptr;
  // Set by every SaveImageForUndo; a stroke clears it so that it saves once.
  bool undoTaken = false;
  std::unique_ptr<KEPAteloFramePart> framePartDialog;
  std::unique_ptr<KEPAteloSetSize> setSizeDialog;
};
