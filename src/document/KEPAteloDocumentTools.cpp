// Drawing and selection tools: the tool parameters and colour, the tools
// installed on the viewer, and the draw toolbar.
#include "document/KEPAteloDocument.h"
#include "platform/KEPTrace.h"

void KEPAteloDocument::GetDrawParams(int& thickness, float& blend, int& radius,
                                     int& density) const {
  thickness = _thickness;
  blend = _blend;
  radius = _sprayRadius;
  density = _sprayDensity;
}

void KEPAteloDocument::SetDrawParams(int thickness, float blend, int radius, int density) {
  _thickness = thickness;
  _blend = blend;
  _sprayRadius = radius;
  _sprayDensity = density;
}

void KEPAteloDocument::GetColor(int& red, int& green, int& blue, int& alpha) const {
  red = _color[0];
  green = _color[1];
  blue = _color[2];
  alpha = _color[3];
}

void KEPAteloDocument::SetColor(int red, int green, int blue, int alpha) {
  _color[0] = red;
  _color[1] = green;
  _color[2] = blue;
  _color[3] = alpha;
}

int KEPAteloDocument::GetCurrentTool() const {
  return _currentTool;
}

void KEPAteloDocument::SetToolCallbacks(int code) {
  KEP_TRACE(4, "(KEPAteloDocument::SetToolCallbacks) %#x", code);
  if (SetPreviewPositioningTool(code)) return;
  KEP_TRACE(4, "Error: Non existing tool !!");
}

void KEPAteloDocument::SetColorOrLight(int flag) {
  _colorOrLight = flag;
}

int KEPAteloDocument::GetColorOrLight() const {
  return _colorOrLight;
}

void KEPAteloDocument::ToolsSetupAction() {
  NotAvailable("Tools Settings");
}

void KEPAteloDocument::ColorAction() {
  NotAvailable("Color Chooser");
}
