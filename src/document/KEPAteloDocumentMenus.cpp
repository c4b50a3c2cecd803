// The menu bar: every command of the workbench with its control name,
// label, short help (shown in the status bar), mnemonic and accelerator.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "document/KEPAteloDocument.h"
#include "platform/KEPErrmsg.h"

namespace {

// "&" before the mnemonic letter, so that Qt underlines it.
QString WithMnemonic(const char* label, char mnemonic) {
  QString text = QString::fromUtf8(label);
  if (!mnemonic) return text;
  int at = text.indexOf(QChar(mnemonic));
  if (at < 0) at = text.indexOf(QChar(mnemonic), 0, Qt::CaseInsensitive);
  if (at >= 0) text.insert(at, '&');
  return text;
}

}  // namespace

QAction* KEPAteloDocument::AddItem(QMenu* menu, const char* name, const char* label,
                                   const char* help, char mnemonic, const QKeySequence& accelerator,
                                   std::function<void()> operation) {
  auto* action = menu->addAction(WithMnemonic(label, mnemonic));
  action->setObjectName(name);
  action->setStatusTip(help);
  action->setToolTip(help);
  if (!accelerator.isEmpty()) action->setShortcut(accelerator);
  if (operation) connect(action, &QAction::triggered, this, [operation] { operation(); });
  _actions[name] = action;
  return action;
}

QAction* KEPAteloDocument::AddCheckItem(QMenu* menu, const char* name, const char* label,
                                        const char* help, char mnemonic,
                                        const QKeySequence& accelerator,
                                        std::function<void()> operation) {
  QAction* action = AddItem(menu, name, label, help, mnemonic, accelerator, std::move(operation));
  action->setCheckable(true);
  return action;
}

void KEPAteloDocument::CreateMenuBar() {
  menuBar()->setObjectName("menuBar");
  auto subMenu = [this](const char* name, const char* label, char mnemonic) {
    QMenu* menu = menuBar()->addMenu(WithMnemonic(label, mnemonic));
    menu->setObjectName(name);
    return menu;
  };
  auto separator = [](QMenu* menu, const char* name) { menu->addSeparator()->setObjectName(name); };
  const QKeySequence none;
  auto key = [](const char* sequence) { return QKeySequence(sequence); };

  _fileMenu = subMenu("fileSubMenu", "File", 'F');
  QMenu* m = _fileMenu;
  AddItem(m, "newItem", "New...", "Create New Image", 'N', key("Ctrl+N"), [this] { NewAction(); });
  AddItem(m, "openItem", "Open...", "Open Image Files", 'O', key("Ctrl+O"),
          [this] { OpenAction(); });
  AddItem(m, "closeItem", "Close", "Close Current Image", 'C', none, [this] { CloseAction(); });
  AddItem(m, "closeAllItem", "Close All", "Close All Images", 'l', none,
          [this] { CloseAllAction(); });
  separator(m, "separatorItem");
  AddItem(m, "saveItem", "Save", "Save Current Image", 'S', key("Ctrl+S"),
          [this] { SaveAction(); });
  AddItem(m, "saveAsItem", "Save As...", "Save Current Image With New Name", 'A', none,
          [this] { SaveAsAction(2); });
  AddItem(m, "saveAllItem", "Save All", "Save All Images", 'v', none, [this] { SaveAllAction(); });
  separator(m, "separatorItem1");
  AddItem(m, "printItem", "Print...", "Print Current Image", 'P', key("Ctrl+P"),
          [this] { PrintAction(); });
  AddItem(m, "printManagerItem", "Printer Setup...", "Printer Setup", 'u', key("Ctrl+U"),
          [this] { PrinterSetupAction(); });
  AddItem(m, "shellPrintItem", "Shell Print...", "Print Current Image Via Shell", 'h',
          key("Ctrl+H"), [this] { ShellPrintAction(); });
  separator(m, "separatorItem2");
  AddItem(m, "exitItem", "Exit", "Exit Program", 'x', key("Ctrl+Q"), [this] { QuitAction(); });
  for (int slot = 1; slot <= KEPAteloLastFiles::kSlots; ++slot) SetLastFileItem(slot);

  m = subMenu("editSubMenu", "Edit", 'E');
  AddItem(m, "undoItem", "Undo", "Undo Last Action", 'U', key("Ctrl+Z"), [this] { UndoAction(); });
  AddItem(m, "redoItem", "Redo", "Redo Last Action", 'R', key("Ctrl+Y"), [this] { RedoAction(); });
  separator(m, "separatorItem3");
  AddItem(m, "copyItem", "Copy", "Copy Selected Area", 'C', key("Ctrl+C"),
          [this] { CopyAction(0); });
  AddItem(m, "copyWholeItem", "Copy Whole Image", "Copy Whole Image", 'W', none,
          [this] { CopyAction(1); });
  AddItem(m, "cutItem", "Cut", "Cut Selected Area", 't', key("Ctrl+X"), [this] { CutAction(); });
  AddItem(m, "pasteItem", "Paste", "Paste Selected Area", 'P', key("Ctrl+V"),
          [this] { PasteAction(0); });
  AddItem(m, "pastePartItem", "Special Paste", "Paste Selected Area as 16th", 'S', none,
          [this] { PasteAction(1); });

  m = subMenu("viewSubMenu", "View", 'V');
  AddCheckItem(m, "logoItem", "Logo", "Show/Hide Logo", 'L', none, [this] { LogoAction(); });
  AddCheckItem(m, "BackgroundItem", "Background...", "Show/Hide Background Image", 'B', none,
               [this] { BackgroundAction(); });
  separator(m, "separatorItem5");
  AddCheckItem(m, "editChkItem", "Edit Toolbar", "Show/Hide Edit Toolbar", 'E', none,
               [this] { ToggleEditAction(); });
  AddCheckItem(m, "playbackChkItem", "Playback Toolbar", "Show/Hide Playback Toolbar", 'P', none,
               [this] { TogglePlaybackAction(); });
  AddCheckItem(m, "drawChkItem", "Draw Toolbar", "Show/Hide Draw Toolbar", 'D', none,
               [this] { ToggleDrawAction(); });
  separator(m, "separatorItem6");
  AddCheckItem(m, "gridItem", "Grid", "Show/Hide Grid", 'G', key("Ctrl+G"),
               [this] { GridAction(); });
  AddCheckItem(m, "fullScreenItem", "Full Screen", "Full Screen Viewer", 'F', key("Ctrl+F"),
               [this] { FullScreenAction(); });
  AddCheckItem(m, "fitItem", "Fit to Window", "Fit Image To Window", 'W', key("Ctrl+W"), [this] {
    FitAction();
  })->setChecked(true);
  AddItem(m, "reframeItem", "Reframe", "Restore Initial Viewpoint", 'R', key("Ctrl+R"),
          [this] { ReframeAction(); });
  separator(m, "separatorItem7");
  AddCheckItem(m, "stereoItem", "Stereoscopy", "Activate Stereoscopy (3D)", 'y', none,
               [this] { StereoAction(); });
  separator(m, "separatorItem8");
  AddItem(m, "seriesItem", "Series...", "Show List Of Loaded Images", 'e', key("Ctrl+E"),
          [this] { SeriesAction(); });
  AddItem(m, "infoItem", "Image Information...", "Show Information On Current Image", 'I',
          key("Ctrl+I"), [this] { InfoAction(); });
  AddItem(m, "formatsItem", "Supported Formats...", "Show Information On Supported Image Formats",
          'a', key("Ctrl+A"), [this] { FormatsAction(); });
  AddItem(m, "messageItem", "Messages...", "Show Messages Window", 'M', key("Ctrl+M"),
          [this] { MessageAction(); });

  m = subMenu("processSubMenu", "Process", 'P');
  AddItem(m, "interruptItem", "Interrupt", "Interrupt Rendering", 'I', key("Ctrl+Esc"),
          [this] { InterruptAction(); });

  m = subMenu("toolsSubMenu", "Tools", 'T');
  AddItem(m, "composeItem", "Compose...", "Compose New Image With Series", 'C', none,
          [this] { ComposeAction(); });
  AddItem(m, "lisseItem", "Smooth...", "Smooth Current Image", 'S', none,
          [this] { LisseAction(); });
  AddItem(m, "blurItem", "Blur", "Blur Current Image", 'B', none, [this] { BlurAction(); });
  AddItem(m, "lightItem", "Color Analysis...", "Analyse Color on Current Image", 'A', none,
          [this] { LightAction(); });
  AddItem(m, "glowItem", "Glow...", "Add Glow Effects on Current Image", 'G', none,
          [this] { GlowAction(); });
  AddItem(m, "luminosityItem", "Luminosity Analysis...", "Analyse luminosity on Current Image", 'L',
          none, [this] { LuminosityAction(); });

  m = subMenu("settingsSubMenu", "Settings", 'S');
  AddItem(m, "defaultsItem", "Defaults...", "Modify Defaults Setup", 'D', none,
          [this] { DefaultsAction(); });
  separator(m, "separatorItem9");
  AddItem(m, "logoSetupItem", "Logo...", "Modify Logo Setup", 'L', none,
          [this] { LogoSetupAction(); });
  AddItem(m, "toolsSetupItem", "Tools...", "Modify Tools Parameters", 'T', none,
          [this] { ToolsSetupAction(); });

  m = subMenu("helpSubMenu", "Help", 'H');
  AddItem(m, "contentsItem", "Contents...", "Show Help Contents", 'C', key("F1"),
          [this] { ContentsAction(); });
  AddItem(m, "interfaceItem", "Interface Description...", "Show Interface Description", 'I',
          key("F2"), [this] { InterfaceAction(); });
}

QAction* KEPAteloDocument::FindAction(const char* name) const {
  auto it = _actions.find(name);
  return it == _actions.end() ? nullptr : it->second;
}

void KEPAteloDocument::SetSensitive(std::initializer_list<QAction*> actions, bool sensitive) {
  for (QAction* action : actions) {
    if (action) action->setEnabled(sensitive);
  }
}

void KEPAteloDocument::UncheckQuietly(const char* name) {
  if (QAction* item = FindAction(name)) {
    QSignalBlocker quiet(item);
    item->setChecked(false);
  }
}

void KEPAteloDocument::NotAvailable(const char* command) {
  KEPFormatError(errmsg, "%s is not available in this version.", command);
  DisplayError();
}

void KEPAteloDocument::SetLastFileItem(int slot) {
  static const char* const kItems[] = {"file1Item", "file2Item", "file3Item"};
  QAction*& item = _fileItems[slot - 1];
  const std::string& name = _lastFiles.Get(slot);
  if (name.empty()) {
    if (item) {
      _actions.erase(kItems[slot - 1]);
      // It may be the item whose own notification is running.
      _fileMenu->removeAction(item);
      item->deleteLater();
      item = nullptr;
    }
    return;
  }
  if (!item) {
    if (!_lastFileSeparator) {
      _lastFileSeparator = _fileMenu->addSeparator();
      _lastFileSeparator->setObjectName("separatorItem4");
    }
    // Items stay in slot order whichever is created first.
    QAction* before = nullptr;
    for (int later = slot + 1; later <= KEPAteloLastFiles::kSlots && !before; ++later)
      before = _fileItems[later - 1];
    item = new QAction(_fileMenu);
    _fileMenu->insertAction(before, item);
    item->setObjectName(kItems[slot - 1]);
    item->setStatusTip("Open File");
    item->setShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_0 + slot)));
    connect(item, &QAction::triggered, this, [this, slot] { LastFileAction(slot); });
    _actions[kItems[slot - 1]] = item;
  }
  // A "&" of the name is text, not a mnemonic.
  item->setText(QString("&%1: %2").arg(slot).arg(QString::fromStdString(name).replace("&", "&&")));
}
