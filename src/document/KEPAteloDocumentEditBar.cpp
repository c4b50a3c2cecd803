// The edit toolbar, and the toolbars' sides kept with the defaults.
#include <QAction>
#include <QToolBar>

#include "document/KEPAteloDocument.h"
#include "document/KEPAteloIcons.h"
#include "platform/KEPTrace.h"

namespace {

struct EditButton {
  const char* name;
  const char* label;
  const char* icon;
  const char* help;
  // The menu item whose command the button runs and whose sensitivity it
  // follows.
  const char* item;
};

// Groups: files, clipboard, history, view.
constexpr EditButton kEditButtons[] = {
    {"newButton", "New", "i3std001", "Create New Image", "newItem"},
    {"openButton", "Open", "i3std002", "Open Image Files", "openItem"},
    {"saveButton", "Save", "i3std003", "Save Current Image", "saveItem"},
    {"printButton", "Print", "i3std004", "Print Current Image", "printItem"},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
    {"cutButton", "Cut", "i3std009", "Cut Selected Area", "cutItem"},
    {"copyButton", "Copy", "i3std007", "Copy Selected Area", "copyItem"},
    {"pasteButton", "Paste", "i3std008", "Paste Selection", "pasteItem"},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
    {"undoButton", "Undo", "i3std005", "Undo Last Command", "undoItem"},
    {"redoButton", "Redo", "i3std006", "Redo Last Command", "redoItem"},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
    {"reframeButton", "Reframe", "i3std019", "Reframe Image", "reframeItem"},
};

Qt::ToolBarArea AreaOf(int dock) {
  switch (dock) {
    case KEPAteloSettings::DOCK_BOTTOM:
      return Qt::BottomToolBarArea;
    case KEPAteloSettings::DOCK_LEFT:
      return Qt::LeftToolBarArea;
    case KEPAteloSettings::DOCK_RIGHT:
      return Qt::RightToolBarArea;
    default:
      return Qt::TopToolBarArea;
  }
}

int DockOf(Qt::ToolBarArea area) {
  switch (area) {
    case Qt::BottomToolBarArea:
      return KEPAteloSettings::DOCK_BOTTOM;
    case Qt::LeftToolBarArea:
      return KEPAteloSettings::DOCK_LEFT;
    case Qt::RightToolBarArea:
      return KEPAteloSettings::DOCK_RIGHT;
    default:
      return KEPAteloSettings::DOCK_TOP;
  }
}

}  // namespace

void KEPAteloDocument::CreateEditToolBar() {
  if (_output.editToolBar) return;
  KEP_TRACE(2, "(KEPAteloDocument::CreateEditToolBar)");
  _output.editToolBar = new QToolBar("Edit Toolbar", this);
  _output.editToolBar->setObjectName("editToolBar");
  _output.editToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  int spacer = 0;
  for (const EditButton& button : kEditButtons) {
    if (!button.name) {
      _output.editToolBar->addSeparator()->setObjectName(QString("editbarLbl%1").arg(++spacer));
      continue;
    }
    QAction* item = FindAction(button.item);
    auto* action = new QAction(KEPAteloIcon(button.icon), button.label, _output.editToolBar);
    action->setObjectName(button.name);
    action->setToolTip(QString("%1: %2").arg(button.label, button.help));
    action->setStatusTip(button.help);
    _output.editToolBar->addAction(action);
    _actions[button.name] = action;
    if (!item) continue;
    connect(action, &QAction::triggered, item, &QAction::trigger);
    action->setEnabled(item->isEnabled());
    connect(item, &QAction::changed, action,
            [item, action] { action->setEnabled(item->isEnabled()); });
  }
  // Closed from its own menu (or the window's toolbar menu): the View item
  // says so. A toolbar hidden along with the window stays checked.
  connect(_output.editToolBar, &QToolBar::visibilityChanged, this, [this] {
    if (QAction* check = FindAction("editChkItem")) {
      QSignalBlocker quiet(check);
      check->setChecked(!_output.editToolBar->isHidden());
    }
  });
  addToolBar(AreaOf(_settings.GetDockState(KEPAteloSettings::TOOLBAR_EDIT)), _output.editToolBar);
}

void KEPAteloDocument::ToggleEditAction() {
  KEP_TRACE(4, "(KEPAteloDocument::ToggleEditAction)");
  QAction* check = FindAction("editChkItem");
  CreateEditToolBar();
  _output.editToolBar->setVisible(check && check->isChecked());
}

void KEPAteloDocument::ShowEditToolBarFromDefaults() {
  if (_settings.GetDockState(KEPAteloSettings::TOOLBAR_EDIT) == KEPAteloSettings::DOCK_NONE) return;
  if (QAction* check = FindAction("editChkItem")) {
    QSignalBlocker quiet(check);
    check->setChecked(true);
  }
  ToggleEditAction();
}

void KEPAteloDocument::StoreToolbarSides() {
  static const struct {
    const char* name;
    KEPAteloSettings::Toolbar toolbar;
  } kToolbars[] = {{"editToolBar", KEPAteloSettings::TOOLBAR_EDIT},
                   {"playbackToolBar", KEPAteloSettings::TOOLBAR_PLAYBACK},
                   {"drawToolBar", KEPAteloSettings::TOOLBAR_DRAW}};
  for (const auto& entry : kToolbars) {
    // A toolbar never built keeps the state read at start.
    auto* bar = findChild<QToolBar*>(entry.name, Qt::FindDirectChildrenOnly);
    if (!bar) continue;
    int side = bar->isHidden() ? KEPAteloSettings::DOCK_NONE : DockOf(toolBarArea(bar));
    _settings.SetDockState(entry.toolbar, side);
  }
}
