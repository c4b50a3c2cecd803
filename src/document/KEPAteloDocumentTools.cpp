// Drawing and selection tools: the tool parameters and colour, the tools
// installed on the viewer, and the draw toolbar.
//
// A tool is a code (one bit) with up to three handlers hung on the viewer
// indicator's begin, manipulate and end notifications, and the client data
// they receive (the tool's variant). FindTool's table lists them; a code
// missing from it only traces. A tool with a toolbar button is installed
// when its button is pressed and removed when it is released; the buttons
// are kept by code in _tools.toolButtons, so that the enabling rules and the
// releasing of the other tools need no list of names.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QToolBar>
#include <algorithm>

#include "document/KEPAteloDocument.h"
#include "document/KEPAteloIcons.h"
#include "image/KEPAtelIma.h"
#include "paint/KEPAteloToolsSetting.h"
#include "paint/KEPGeometry.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DIndicator.h"
#include "platform/viewer/KEPMathPoint2Df.h"

namespace {

enum ToolKindCode { kDrawTool = 1, kSelectionTool = 2, kExternalTool = 3 };

Qt::ToolBarArea AreaOfDock(int dock) {
  switch (dock) {
    case KEPAteloSettings::DOCK_TOP:
      return Qt::TopToolBarArea;
    case KEPAteloSettings::DOCK_BOTTOM:
      return Qt::BottomToolBarArea;
    case KEPAteloSettings::DOCK_LEFT:
      return Qt::LeftToolBarArea;
    default:
      // The side the defaults give it when nothing else is said.
      return Qt::RightToolBarArea;
  }
}

int DockOfArea(Qt::ToolBarArea area) {
  switch (area) {
    case Qt::TopToolBarArea:
      return KEPAteloSettings::DOCK_TOP;
    case Qt::BottomToolBarArea:
      return KEPAteloSettings::DOCK_BOTTOM;
    case Qt::LeftToolBarArea:
      return KEPAteloSettings::DOCK_LEFT;
    default:
      return KEPAteloSettings::DOCK_RIGHT;
  }
}

}  // namespace

// --- parameters ------------------------------------------------------------------------

void KEPAteloDocument::GetDrawParams(int& thickness, float& blend, int& radius,
                                     int& density) const {
  thickness = _tools.thickness;
  blend = _tools.blend;
  radius = _tools.sprayRadius;
  density = _tools.sprayDensity;
}

void KEPAteloDocument::SetDrawParams(int thickness, float blend, int radius, int density) {
  // Beyond these a tool would draw nothing sensible (or spray without end):
  // such values are refused whole and the tools keep the ones they had.
  if (thickness < 0 || thickness > kMaxThickness || !(blend >= 0.0f && blend <= 1.0f) ||
      radius < 0 || radius > kMaxSprayRadius || density < 0 || density > kMaxSprayDensity) {
    KEP_TRACE(4, "(KEPAteloDocument::SetDrawParams) refused %d %g %d %d", thickness, blend, radius,
              density);
    return;
  }
  _tools.thickness = thickness;
  _tools.blend = blend;
  _tools.sprayRadius = radius;
  _tools.sprayDensity = density;
  UpdateToolView();
}

void KEPAteloDocument::GetColor(int& red, int& green, int& blue, int& alpha) const {
  red = _tools.color[0];
  green = _tools.color[1];
  blue = _tools.color[2];
  alpha = _tools.color[3];
}

void KEPAteloDocument::SetColor(int red, int green, int blue, int alpha) {
  const int colour[4] = {red, green, blue, alpha};
  // 0..255 paints that byte, 256 leaves it; anything else is refused.
  for (int value : colour)
    if (value < 0 || value > 256) {
      KEP_TRACE(4, "(KEPAteloDocument::SetColor) refused %d %d %d %d", red, green, blue, alpha);
      return;
    }
  std::copy(std::begin(colour), std::end(colour), _tools.color);
  // A grey far from the colour's lightness, for the sample to show on.
  const int lightness =
      static_cast<int>((std::max({red, green, blue}) + std::min({red, green, blue})) * 0.5);
  _tools.toolViewBackground = static_cast<unsigned char>((lightness + 128) % 256);
  UpdateToolView();
}

int KEPAteloDocument::GetCurrentTool() const {
  return _tools.currentTool;
}

void KEPAteloDocument::SetColorOrLight(int flag) {
  _tools.colorOrLight = flag;
}

int KEPAteloDocument::GetColorOrLight() const {
  return _tools.colorOrLight;
}

// --- installing tools -----------------------------------------------------------------------

const KEPAteloDocument::ToolEntry* KEPAteloDocument::FindTool(int code) {
  using D = KEPAteloDocument;
  static const ToolEntry kTools[] = {
      {TOOL_SELECT_RECTANGLE, &D::BeginSquareDraw, &D::ManipulateSquareDraw, &D::EndSquareDraw,
       kSelectionVariant},
      {TOOL_SELECT_CIRCLE, &D::BeginCircleDraw, &D::ManipulateCircleDraw, &D::EndCircleDraw,
       kSelectionVariant},
      // Polygon vertices are placed by presses; a drag moves the one being
      // placed.
      {TOOL_SELECT_POLYGON, &D::BeginLineSelection, &D::ManipulateLineSelection, nullptr,
       kSelectionVariant},
      {TOOL_SELECT_HAND, &D::BeginHandSelection, &D::ManipulateHandSelection, &D::EndHandSelection,
       kSelectionVariant},
      {TOOL_RECTANGLE, &D::BeginSquareDraw, &D::ManipulateSquareDraw, &D::EndSquareDraw,
       kOutlineVariant},
      {TOOL_FILLED_RECTANGLE, &D::BeginSquareDraw, &D::ManipulateSquareDraw, &D::EndSquareDraw,
       kFilledVariant},
      {TOOL_CIRCLE, &D::BeginCircleDraw, &D::ManipulateCircleDraw, &D::EndCircleDraw,
       kOutlineVariant},
      {TOOL_FILLED_CIRCLE, &D::BeginCircleDraw, &D::ManipulateCircleDraw, &D::EndCircleDraw,
       kFilledVariant},
      {TOOL_LINE, &D::BeginLineDraw, &D::ManipulateLineDraw, &D::EndLineDraw, kOutlineVariant},
      {TOOL_FILLED_POLYGON, &D::BeginLineSelection, &D::ManipulateLineSelection, nullptr,
       kFilledVariant},
      // A release away from the last move still draws up to it.
      {TOOL_HAND, &D::BeginHandDraw, &D::ManipulateHandDraw, &D::ManipulateHandDraw,
       kOutlineVariant},
      {TOOL_FILLED_HAND, &D::BeginHandSelection, &D::ManipulateHandSelection, &D::EndHandSelection,
       kFilledVariant},
      {TOOL_PAINT, &D::BeginPaint, nullptr, nullptr, kOutlineVariant},
      {TOOL_ERASER, &D::BeginErase, &D::ManipulateErase, &D::ManipulateErase, kOutlineVariant},
      {TOOL_SPRAY, &D::BeginSprayDraw, &D::ManipulateSprayDraw, &D::ManipulateSprayDraw,
       kOutlineVariant},
      {TOOL_SAMPLE_COLOR, &D::BeginSampleColor, nullptr, nullptr, kOutlineVariant},
      {TOOL_PREVIEW_POSITIONING, &D::BeginPreviewPositioning, &D::ManipulatePreviewPositioning,
       &D::EndPreviewPositioning, 0},
      {TOOL_PASTE, &D::DefaultBeginManipulate, nullptr, nullptr, 0},
  };
  for (const ToolEntry& entry : kTools)
    if (entry.code == code) return &entry;
  return nullptr;
}

int KEPAteloDocument::ToolKind(int code) {
  if (code & kSelectionTools) return kSelectionTool;
  if (code >= TOOL_RECTANGLE && code <= TOOL_SPRAY) return kDrawTool;
  return kExternalTool;
}

QAction* KEPAteloDocument::GetToolButton(int code) const {
  auto it = _tools.toolButtons.find(code);
  return it == _tools.toolButtons.end() ? nullptr : it->second;
}

void KEPAteloDocument::SetToolCallbacks(int code) {
  KEP_TRACE(4, "(KEPAteloDocument::SetToolCallbacks) %#x", code);
  if (code == 0) {
    // A window without a button of its own (the smoothing window's Select)
    // lets its tool go.
    RemoveViewerIndicatorCallbacks();
    RemovePreviewOutline();
    _tools.currentTool = 0;
    return;
  }
  QAction* button = GetToolButton(code);
  if (button && !button->isChecked()) {
    // The user released the button: the tool goes, nothing else changes.
    if (_tools.currentTool == code) {
      RemoveViewerIndicatorCallbacks();
      _tools.currentTool = 0;
    }
    return;
  }
  const ToolEntry* tool = FindTool(code);
  if (!tool) {
    KEP_TRACE(4, "Error: Non existing tool !!");
    return;
  }
  switch (ToolKind(code)) {
    case kDrawTool:
      DrawToolsSelectedInit(code);
      break;
    case kSelectionTool:
      SelToolsSelectedInit(code);
      break;
    default:
      ExtToolsSelectedInit(code);
      break;
  }
  RemoveViewerIndicatorCallbacks();
  if (!_viewerIndicator) return;
  const ToolHandler handlers[] = {tool->begin, tool->manipulate, tool->end};
  const KEP2DIndicator::Event events[] = {KEP2DIndicator::kBegin, KEP2DIndicator::kManipulate,
                                          KEP2DIndicator::kEnd};
  const int clientData = tool->clientData;
  for (int i = 0; i < 3; ++i) {
    if (!handlers[i]) continue;
    ToolHandler handler = handlers[i];
    _tools.toolCallbackIds.push_back(_viewerIndicator->AddCallback(
        events[i], [this, handler, clientData](KEP2DIndicator&, const KEPMathPoint2Df& point) {
          (this->*handler)(point, clientData);
        }));
  }
  SetCursor(code);
}

void KEPAteloDocument::RemoveViewerIndicatorCallbacks() {
  if (_viewerIndicator)
    for (int id : _tools.toolCallbackIds) _viewerIndicator->RemoveCallback(id);
  _tools.toolCallbackIds.clear();
  SetCursor(0);
}

void KEPAteloDocument::DrawToolAction(int code) {
  SetToolCallbacks(code);
}

void KEPAteloDocument::SelZoneToolAction(int code) {
  SetToolCallbacks(code);
}

void KEPAteloDocument::UncheckBtn(QAction* button) {
  if (!button) return;
  if (button->isChecked()) {
    RemoveViewerIndicatorCallbacks();
    _tools.currentTool = 0;
  }
  QSignalBlocker quiet(button);
  button->setChecked(false);
}

void KEPAteloDocument::PrepareTool(int code, int keep) {
  // The buttons act as one radio group across the toolbar: a tool chosen
  // releases every other, a button pressed again releases itself.
  for (const auto& [other, button] : _tools.toolButtons)
    if (other != keep) UncheckBtn(button);
  if (_tools.currentTool == TOOL_PREVIEW_POSITIONING && code != TOOL_PREVIEW_POSITIONING) {
    RemovePreviewOutline();
    UncheckSmoothingSelect();
  }
  IncrustClipboard(GetPosImage(0));
  _tools.currentTool = code;
}

void KEPAteloDocument::DrawToolsSelectedInit(int code) {
  ResetColorDialog();
  PrepareTool(code, code);
  if (_tools.toolsSettingDialog) _tools.toolsSettingDialog->UpdateTool(code);
  UpdateToolView();
}

void KEPAteloDocument::SelToolsSelectedInit(int code) {
  ResetColorDialog();
  PrepareTool(code, code);
  if (_tools.toolsSettingDialog) _tools.toolsSettingDialog->UpdateTool(code);
  UpdateToolView();
}

void KEPAteloDocument::ExtToolsSelectedInit(int code) {
  // The colour chooser's own tool keeps its "Sample" pressed.
  if (code != TOOL_SAMPLE_COLOR || !_tools.colorOrLight) ResetColorDialog();
  PrepareTool(code, 0);
  if (_tools.toolsSettingDialog) _tools.toolsSettingDialog->UpdateTool(code);
  if (_tools.colorOrLight) UpdateToolView();
}

void KEPAteloDocument::SetBtnSensitivity(QAction* button, int sensitivity) {
  if (!button) return;
  if (button->isCheckable() && button->isChecked() && _tools.currentTool != 0 &&
      button == GetToolButton(_tools.currentTool)) {
    if (sensitivity != SENSITIVE)
      RemoveViewerIndicatorCallbacks();
    else if (!button->isEnabled())
      // Greyed, it had lost its callbacks; an enabled one still has them.
      SetToolCallbacks(_tools.currentTool);
  }
  button->setEnabled(sensitivity == SENSITIVE);
}

// --- draw toolbar ---------------------------------------------------------------------------

QAction* KEPAteloDocument::AddDrawButton(const char* name, const char* label, const char* icon,
                                         const char* help, std::function<void()> operation) {
  auto* action = new QAction(KEPAteloIcon(icon), label, _tools.drawToolBar);
  action->setObjectName(name);
  action->setToolTip(help);
  action->setStatusTip(help);
  if (operation) connect(action, &QAction::triggered, this, [operation] { operation(); });
  _tools.drawToolBar->addAction(action);
  _actions[name] = action;
  return action;
}

QAction* KEPAteloDocument::AddToolButton(int code, const char* name, const char* label,
                                         const char* icon, const char* help) {
  QAction* action = AddDrawButton(name, label, icon, help, nullptr);
  action->setCheckable(true);
  const bool selection = ToolKind(code) == kSelectionTool;
  connect(action, &QAction::triggered, this, [this, code, selection] {
    if (selection)
      SelZoneToolAction(code);
    else
      DrawToolAction(code);
  });
  _tools.toolButtons[code] = action;
  return action;
}

void KEPAteloDocument::AddSelectionGroup() {
  AddToolButton(TOOL_SELECT_RECTANGLE, "selRecButton", "Rect Sel", "atvserec",
                "Rectangle Selection Tool");
  AddToolButton(TOOL_SELECT_CIRCLE, "selCirButton", "Circ Sel", "atvsecir",
                "Circle Selection Tool");
  AddToolButton(TOOL_SELECT_POLYGON, "selSegButton", "Seg Sel", "atvseseg",
                "Polygon Selection Tool");
  AddToolButton(TOOL_SELECT_HAND, "selHandButton", "Hand Sel", "atvsehnd", "Hand Selection Tool");
  AddDrawButton("selSideButton", _edit.side ? "Out" : "In", _edit.side ? "atvout" : "atvin",
                "Selection Side", [this] { SelZoneSideAction(); });
}

void KEPAteloDocument::AddManipulationGroup() {
  _tools.drawToolBar->addSeparator()->setObjectName("toolbarLbl1");
  AddDrawButton("leftButton", "Rot Left", "atvleft", "Counter Clockwise Rotation",
                [this] { ManipsAction(KEP_ROTATE_LEFT); });
  AddDrawButton("rightButton", "Rot Right", "atvright", "Clockwise Rotation",
                [this] { ManipsAction(KEP_ROTATE_RIGHT); });
  AddDrawButton("symvButton", "Vert Sym", "atvsymv", "Vertical Flip",
                [this] { ManipsAction(KEP_FLIP_VERTICAL); });
  AddDrawButton("symhButton", "Horiz Sym", "atvsymh", "Horizontal Flip",
                [this] { ManipsAction(KEP_FLIP_HORIZONTAL); });
  AddDrawButton("sizeButton", "Resize", "atvsize", "Change Image Size",
                [this] { SetSizeAction(); });
  AddDrawButton("cropButton", "Crop", "atvcrop", "Crop Image Area", [this] { CropAction(); });
  _tools.drawToolBar->addSeparator()->setObjectName("toolbarLbl2");
}

void KEPAteloDocument::CreateDrawToolBar() {
  if (_tools.drawToolBar) return;
  _tools.drawToolBar = new QToolBar("Draw Toolbar", this);
  _tools.drawToolBar->setObjectName("drawToolBar");
  _tools.drawToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  addToolBar(AreaOfDock(_settings.GetDockState(KEPAteloSettings::TOOLBAR_DRAW)),
             _tools.drawToolBar);
  _tools.drawToolBar->hide();
  // Closing it from the window's toolbar menu is the View item unchecked.
  connect(_tools.drawToolBar->toggleViewAction(), &QAction::triggered, this, [this](bool shown) {
    if (QAction* item = FindAction("drawChkItem")) {
      QSignalBlocker quiet(item);
      item->setChecked(shown);
    }
    ToggleDrawAction();
  });
  AddSelectionGroup();
  AddManipulationGroup();
  AddDrawingGroup();
  // The buttons start as the commands stand for the current image.
  if (KEPAtelIma* image = GetPosImage(0))
    EnableEditCommands(image);
  else
    DisableEditCommands();
}

void KEPAteloDocument::ShowDrawToolBar(bool shown) {
  CreateDrawToolBar();
  _tools.drawToolBar->setVisible(shown);
  _settings.SetDockState(
      KEPAteloSettings::TOOLBAR_DRAW,
      shown ? DockOfArea(toolBarArea(_tools.drawToolBar)) : KEPAteloSettings::DOCK_NONE);
}

void KEPAteloDocument::InitEditTools(bool toolbarsHidden) {
  // Paste follows what the desktop offers too.
  if (QClipboard* desktop = QGuiApplication::clipboard())
    connect(desktop, &QClipboard::dataChanged, this, [this] { UpdatePasteSensitivity(); });
  if (toolbarsHidden ||
      _settings.GetDockState(KEPAteloSettings::TOOLBAR_DRAW) == KEPAteloSettings::DOCK_NONE)
    return;
  if (QAction* item = FindAction("drawChkItem")) {
    QSignalBlocker quiet(item);
    item->setChecked(true);
  }
  ToggleDrawAction();
}
