#pragma once

#include <map>
#include <memory>
#include <vector>

class KEP2DCustomRep;
class KEP2DIndicator;
class KEP2DViewer;
class KEPAteloColor;
class KEPAteloToolsSetting;
class KEPCatalog2DImagePixelRep;
class QAction;
class QToolBar;

// The drawing tools' state: the tool in use and its parameters, the stroke
// or shape under way, the draw toolbar with its tool view, and the tool
// windows.
struct KEPAteloToolState {
  int currentTool = 0;
  int thickness = 0;
  float blend = 0.0f;
  int sprayRadius = 10;
  int sprayDensity = 12;
  int color[4] = {0, 0, 0, 255};
  int colorOrLight = 0;
  QToolBar* drawToolBar = nullptr;  // child widget
  // Tool code -> its toolbar button.
  std::map<int, QAction*> toolButtons;
  // Subscriptions of the current tool on the viewer indicator.
  std::vector<int> toolCallbackIds;
  // The shape being drawn (rubber band), and the press that started it.
  std::unique_ptr<KEP2DCustomRep> objectRep;
  float pressX = 0, pressY = 0;
  // The pixel of the previous position of a pen, spray or eraser stroke.
  int strokeX = 0, strokeY = 0;
  // Sample mode of the colour chooser, and the tool it gives back.
  bool sampling = false;
  bool restoringSampled = false;
  int toolBeforeSample = 0;
  std::unique_ptr<KEPAteloToolsSetting> toolsSettingDialog;
  std::unique_ptr<KEPAteloColor> colorDialog;
  // The draw toolbar's tool view: its sample picture, cleared with a grey
  // far from the colour's lightness, and the indicator whose press opens
  // the tool settings.
  KEP2DViewer* toolViewer = nullptr;  // child widget
  std::vector<unsigned char> toolViewPixels;
  unsigned char toolViewBackground = 255;
  std::unique_ptr<KEPCatalog2DImagePixelRep> toolViewRep;
  std::unique_ptr<KEP2DIndicator> toolsIndicator;
};
