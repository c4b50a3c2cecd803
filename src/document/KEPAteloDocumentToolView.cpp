// The drawing group of the draw toolbar with its tool view, the tool
// windows ("Tools Settings", "Color Chooser") and the colour chooser's
// sample mode, and the viewer's pointer for each tool.
#include <QAction>
#include <QCursor>
#include <QPainter>
#include <QPixmap>
#include <QToolBar>
#include <algorithm>
#include <map>
#include <string>
#include <utility>

#include "document/KEPAteloDocument.h"
#include "document/KEPAteloIcons.h"
#include "image/KEPAtelIma.h"
#include "paint/KEPAteloColor.h"
#include "paint/KEPAteloToolsSetting.h"
#include "paint/KEPToolSample.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DIndicator.h"
#include "platform/viewer/KEP2DViewer.h"
#include "platform/viewer/KEPCatalog2DImagePixelRep.h"

namespace {

constexpr int kToolViewWidth = 90, kToolViewHeight = 80;

// A cross-hair whose centre is the hot spot, with the tool's picture below
// and to the right of it, so that the point clicked stays exact.
QCursor ToolCursor(const char* icon) {
  static std::map<std::string, QCursor> cursors;
  auto found = cursors.find(icon);
  if (found != cursors.end()) return found->second;
  constexpr int kSide = 32, kHot = 6, kArm = 5;
  QPixmap picture(kSide, kSide);
  picture.fill(Qt::transparent);
  {
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const auto& [pen, width] : {std::pair{QColor(Qt::white), 3}, {QColor(Qt::black), 1}}) {
      painter.setPen(QPen(pen, width));
      painter.drawLine(kHot - kArm, kHot, kHot + kArm, kHot);
      painter.drawLine(kHot, kHot - kArm, kHot, kHot + kArm);
    }
    painter.drawPixmap(kHot + 4, kHot + 4, KEPAteloIcon(icon).pixmap(20, 20));
  }
  return cursors.emplace(icon, QCursor(picture, kHot, kHot)).first->second;
}

}  // namespace

// --- draw toolbar ---------------------------------------------------------------------------

void KEPAteloDocument::AddDrawingGroup() {
  AddToolButton(TOOL_RECTANGLE, "recButton", "Rectangle", "atvdrrec", "Rectangle Tool");
  AddToolButton(TOOL_FILLED_RECTANGLE, "filledRecButton", "Filled Rect", "atvdrfrc",
                "Filled Rectangle Tool");
  AddToolButton(TOOL_CIRCLE, "circleButton", "Circle", "atvdrcir", "Circle Tool");
  AddToolButton(TOOL_FILLED_CIRCLE, "filledCircleButton", "Filled Circ", "atvdrfcr",
                "Filled Circle Tool");
  AddToolButton(TOOL_LINE, "segButton", "Line", "atvdrseg", "Line Tool");
  AddToolButton(TOOL_FILLED_POLYGON, "filledSegButton", "Filled Poly", "atvdrfsg",
                "Filled Polygone Tool");
  AddToolButton(TOOL_HAND, "handButton", "Hand Draw", "atvdrhnd", "Hand Draw Tool");
  AddToolButton(TOOL_FILLED_HAND, "filledHandButton", "Filled form", "atvdrfhd",
                "Filled Hand Draw Tool");
  AddToolButton(TOOL_PAINT, "paintButton", "Fill", "atvpaint", "Paint Tool");
  AddToolButton(TOOL_SPRAY, "sprayButton", "Spray", "atvspray", "Spray Tool");
  AddToolButton(TOOL_ERASER, "eraseButton", "Erase", "i3std010", "Erase Tool");
  _tools.drawToolBar->addSeparator()->setObjectName("toolbarLbl3");
  AddDrawButton("colorButton", "Colors", "atvcolor", "Color Editor", [this] { ColorAction(); });
  CreateToolViewer();
}

void KEPAteloDocument::CreateToolViewer() {
  _tools.toolViewer = new KEP2DViewer(_tools.drawToolBar, kToolViewWidth, kToolViewHeight);
  _tools.toolViewer->setObjectName("toolViewer");
  _tools.toolViewer->setToolTip("Current Tool Parameters");
  _tools.toolViewer->setFixedSize(kToolViewWidth, kToolViewHeight);
  _tools.toolViewer->SetNavigation(false);
  _tools.toolViewPixels.assign(static_cast<std::size_t>(kToolViewWidth) * kToolViewHeight * 4,
                               _tools.toolViewBackground);
  _tools.toolViewRep = std::make_unique<KEPCatalog2DImagePixelRep>(
      _tools.toolViewPixels.data(), kToolViewWidth, kToolViewHeight, 0.0f, 0.0f);
  _tools.toolViewer->AddRep(_tools.toolViewRep.get());
  _tools.toolViewer->Reframe(KEPMathPoint2Df(0.5f * kToolViewWidth, 0.5f * kToolViewHeight), 1.0f);
  _tools.toolsIndicator = std::make_unique<KEP2DIndicator>(_tools.toolViewer, "toolsIndicator");
  _tools.toolViewer->SetBackgroundIndicator(_tools.toolsIndicator.get());
  _tools.toolsIndicator->AddCallback(
      KEP2DIndicator::kBegin,
      [this](KEP2DIndicator&, const KEPMathPoint2Df&) { ToolsSetupAction(); });
  _tools.drawToolBar->addWidget(_tools.toolViewer);
  UpdateToolView();
}

void KEPAteloDocument::UpdateToolView() {
  KEP_TRACE(6, "(KEPAteloDocument::UpdateToolView) %#x", _tools.currentTool);
  if (!_tools.toolViewRep) return;
  std::fill(_tools.toolViewPixels.begin(), _tools.toolViewPixels.end(), _tools.toolViewBackground);
  const KEPToolParameters parameters{_tools.thickness, _tools.blend, _tools.sprayRadius,
                                     _tools.sprayDensity};
  DrawToolbarSample(_tools.toolViewPixels, kToolViewWidth, kToolViewHeight, _tools.currentTool,
                    std::span<const int, 4>(_tools.color), parameters, _edit.side,
                    _tools.toolViewBackground);
  _tools.toolViewRep->UpdatePixels();
}

// --- pointer --------------------------------------------------------------------------------

void KEPAteloDocument::SetCursor(int code) {
  if (!_viewer) return;
  switch (code) {
    case 0:
    case TOOL_PASTE:
      _viewer->unsetCursor();
      break;
    case TOOL_PAINT:
      _viewer->setCursor(ToolCursor("atvpaint"));
      break;
    case TOOL_SPRAY:
      _viewer->setCursor(ToolCursor("atvspray"));
      break;
    case TOOL_ERASER:
      _viewer->setCursor(ToolCursor("i3std010"));
      break;
    case TOOL_SAMPLE_COLOR:
      _viewer->setCursor(ToolCursor("atvcolor"));
      break;
    default:
      _viewer->setCursor(Qt::CrossCursor);
      break;
  }
}

// --- tool windows ---------------------------------------------------------------------------

void KEPAteloDocument::ToolsSetupAction() {
  KEP_TRACE(4, "(KEPAteloDocument::ToolsSetupAction)");
  SetBusyCursor(true);
  if (!_tools.toolsSettingDialog)
    _tools.toolsSettingDialog = std::make_unique<KEPAteloToolsSetting>(this, this);
  _tools.toolsSettingDialog->ResetParams();
  _tools.toolsSettingDialog->UpdateTool(_tools.currentTool);
  _tools.toolsSettingDialog->setEnabled(GetPosImage(0) != nullptr);
  _tools.toolsSettingDialog->show();
  _tools.toolsSettingDialog->raise();
  SetBusyCursor(false);
}

void KEPAteloDocument::ColorAction() {
  KEP_TRACE(4, "(KEPAteloDocument::ColorAction)");
  SetBusyCursor(true);
  if (!_tools.colorDialog) _tools.colorDialog = std::make_unique<KEPAteloColor>(this, this);
  _tools.colorDialog->SetSampleState(GetPosImage(0) ? SENSITIVE : INSENSITIVE);
  _tools.colorDialog->show();
  _tools.colorDialog->raise();
  SetBusyCursor(false);
}

void KEPAteloDocument::EnableToolDialogs(KEPAtelIma* image) {
  if (_tools.toolsSettingDialog) _tools.toolsSettingDialog->setEnabled(image != nullptr);
  if (_tools.colorDialog) _tools.colorDialog->SetSampleState(image ? SENSITIVE : INSENSITIVE);
}

// --- colour sample --------------------------------------------------------------------------

void KEPAteloDocument::EnterSampleColorTool() {
  if (_tools.sampling) return;
  KEP_TRACE(4, "(KEPAteloDocument::EnterSampleColorTool) after %#x", _tools.currentTool);
  _tools.toolBeforeSample = _tools.currentTool;
  _tools.sampling = true;
  _tools.colorOrLight = 1;
  SetToolCallbacks(TOOL_SAMPLE_COLOR);
}

void KEPAteloDocument::LeaveSampleColorTool() {
  if (!_tools.sampling) return;
  KEP_TRACE(4, "(KEPAteloDocument::LeaveSampleColorTool) back to %#x", _tools.toolBeforeSample);
  _tools.sampling = false;
  _tools.colorOrLight = 0;
  const int previous = std::exchange(_tools.toolBeforeSample, 0);
  if (_tools.currentTool != TOOL_SAMPLE_COLOR) return;
  RemoveViewerIndicatorCallbacks();
  _tools.currentTool = 0;
  // Only a tool of the toolbar comes back: the others (the smoothing
  // preview, a paste) ended when the sample began.
  QAction* button = GetToolButton(previous);
  if (button && button->isEnabled()) {
    {
      QSignalBlocker quiet(button);
      button->setChecked(true);
    }
    _tools.restoringSampled = true;
    SetToolCallbacks(previous);
    _tools.restoringSampled = false;
    return;
  }
  if (_tools.toolsSettingDialog) _tools.toolsSettingDialog->UpdateTool(0);
  UpdateToolView();
}

void KEPAteloDocument::ResetColorDialog() {
  // Giving back the tool from before the sample leaves "Sample" as the
  // chooser set it (released, or held while greyed).
  if (_tools.restoringSampled) return;
  _tools.sampling = false;
  _tools.colorOrLight = 0;
  _tools.toolBeforeSample = 0;
  if (_tools.colorDialog) _tools.colorDialog->UncheckSample();
}
