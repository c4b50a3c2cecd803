#pragma once

#include <string>

#include "series/KEPAteloSeriesHost.h"

class KEP2DIndicator;
class KEP2DViewer;
class KEPAteloSeries;

// What the workbench's secondary windows (tool settings and colour chooser,
// the effects, printing and information windows) need of the document that
// owns them. They reach it through this and nothing else; the document
// implements it, and tests may use a fake.
class KEPAteloDocumentHost : public KEPAteloSeriesHost {
 public:
  // Tool codes, one bit each.
  enum : int {
    TOOL_RECTANGLE = 2,
    TOOL_FILLED_RECTANGLE = 4,
    TOOL_CIRCLE = 8,
    TOOL_FILLED_CIRCLE = 16,
    TOOL_LINE = 32,
    TOOL_FILLED_POLYGON = 64,
    TOOL_HAND = 128,
    TOOL_FILLED_HAND = 256,
    TOOL_PAINT = 512,
    TOOL_ERASER = 1024,
    TOOL_SPRAY = 2048,
    TOOL_SELECT_RECTANGLE = 0x1000,
    TOOL_SELECT_POLYGON = 0x2000,
    TOOL_SELECT_HAND = 0x4000,
    TOOL_SELECT_CIRCLE = 0x8000,
    TOOL_SAMPLE_COLOR = 0x10000,
    TOOL_PREVIEW_POSITIONING = 0x20000,
    TOOL_PASTE = 0x400000,
  };
  static constexpr int kSelectionTools = 0xf000;

  // --- images ----------------------------------------------------------------
  // Position 0: the current image (null without one); else the image at that
  // 1-based position of the series.
  virtual KEPAtelIma* GetPosImage(int position) const = 0;
  virtual int GetNbrImage() const = 0;
  virtual KEPAteloSeries* GetSeries() const = 0;
  // The viewer's visible size in pixels.
  virtual void GetVisuSize(int& width, int& height) const = 0;

  // --- display ---------------------------------------------------------------
  // Shows the image (fitted to the window when `fit` and Fit to Window is
  // checked); false when nothing can be shown.
  virtual bool DisplayImage(KEPAtelIma* image, bool fit) = 0;
  // The image's pixels changed in place (its buffer and size are the same):
  // the viewer shows the change, of the whole image or of a rectangle of it.
  virtual void RedisplayImage(KEPAtelIma* image) = 0;
  virtual void RedisplayImageRect(KEPAtelIma* image, int x, int y, int width, int height) = 0;
  virtual KEP2DViewer* GetViewer() const = 0;
  // Pointer gestures over the whole viewer (the tools' indicator).
  virtual KEP2DIndicator* GetViewerIndicator() const = 0;
  virtual void SetBusyCursor(bool busy) = 0;
  // Text of the main window's status bar.
  virtual void SetStatusText(const std::string& text) = 0;

  // --- editing ---------------------------------------------------------------
  // Keeps the undo copy of the image (and of its stereo partner) before a
  // change; eraseStyle 1 lets the eraser restore from it.
  virtual void SaveImageForUndo(KEPAtelIma* image, int eraseStyle) = 0;
  // The selection mask (one byte per pixel of its rectangle, 0 inside the
  // drawn shape, 1 outside) with its rectangle in image pixels; null without
  // a selection, the rectangle then being the whole current image.
  virtual const unsigned char* GetSelectionMasque(int& x, int& y, int& width,
                                                  int& height) const = 0;
  // 0: the shape's pixels are selected ("In"); 1: all others ("Out").
  virtual int GetSelZoneSide() const = 0;

  // --- tools -----------------------------------------------------------------
  // Thickness, blend (weight of the pixel already there), spray radius and
  // spray dot count.
  virtual void GetDrawParams(int& thickness, float& blend, int& radius, int& density) const = 0;
  virtual void SetDrawParams(int thickness, float blend, int radius, int density) = 0;
  // The paint colour: 0..255 per byte, 256 leaves that byte unchanged.
  virtual void GetColor(int& red, int& green, int& blue, int& alpha) const = 0;
  virtual void SetColor(int red, int green, int blue, int alpha) = 0;
  virtual int GetCurrentTool() const = 0;
  // Installs (or, when its button is released, removes) a tool on the
  // viewer.
  virtual void SetToolCallbacks(int code) = 0;
  virtual void SetColorOrLight(int flag) = 0;
  virtual int GetColorOrLight() const = 0;
  // The colour chooser's "Sample": a press on the image then takes the
  // pixel's colour. Leaving it gives back the tool that was current before;
  // entering twice or leaving when not in it does nothing.
  virtual void EnterSampleColorTool() = 0;
  virtual void LeaveSampleColorTool() = 0;

  // --- render reception --------------------------------------------------------
  // A new picture made by the workbench itself (compose) arrives as a
  // rendering does (RenderMessage and RenderEnd are the series host's).
  virtual void RenderNew(const char* fileName, int displayCode, int frame, int width,
                         int height) = 0;
  virtual int RenderDisp(int x0, int y0, int nx, int ny, unsigned byteCount,
                         const unsigned char* pixels) = 0;

  // --- settings ----------------------------------------------------------------
  virtual int GetPrintTimeout() const = 0;
};
