#include "document/KEPAteloDocument.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "document/KEPAteloFileTypes.h"
#include "document/KEPAteloMessage.h"
#include "document/KEPAteloWindowRules.h"
#include "image/KEPAtelIma.h"
#include "link/KEPAteloInterrupt.h"
#include "link/KEPAteloLinkSession.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPPrompt.h"
#include "platform/KEPTrace.h"
#include "platform/settings/KEPSettingsFile.h"
#include "platform/viewer/KEP2DIndicator.h"
#include "platform/viewer/KEPCatalog2DImagePixelRep.h"
#include "platform/viewer/KEPNavigation2DViewer.h"
#include "series/KEPAteloSeries.h"
#include "settings/KEPAteloDefaults.h"

namespace {

std::string ExtensionOrTif(const std::string& name) {
  std::string extension = litextension(name.c_str());
  return extension.empty() ? "tif" : extension;
}

// Defaults keys of the last-file slots 1 to 3. The settings give the slots
// as read at start; from then on the document's list is the one in force.
const char* const kLastFileKeys[KEPAteloLastFiles::kSlots] = {"LAST_FILE1", "LAST_FILE2",
                                                              "LAST_FILE3"};

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

KEPAteloDocument::KEPAteloDocument(const char* name, int width, int height,
                                   const std::vector<std::string>& files, int style,
                                   QWidget* parent)
    : QMainWindow(parent),
      _modAff(style & STYLE_HIDDEN ? MODE_RENDER_VISU_OFF : MODE_PICTURE),
      _visuWidth(width),
      _visuHeight(height) {
  KEP_TRACE(2, "(KEPAteloDocument::KEPAteloDocument) %s %dx%d %zu files", name ? name : "", width,
            height, files.size());
  setObjectName(name ? name : "atelo");

  _settings.ReadDefaults();
  for (int slot = 1; slot <= KEPAteloLastFiles::kSlots; ++slot)
    _lastFiles.Set(slot, _settings.GetLastFile(slot));

  _series = std::make_unique<KEPAteloSeries>(this, this);
  _series->setObjectName("seriesDialog");
  CreateMenuBar();

  KEPAteloMargins margins = ComputeMargins(
      style & STYLE_NO_TOOLBARS, _settings.GetDockState(KEPAteloSettings::TOOLBAR_EDIT),
      _settings.GetDockState(KEPAteloSettings::TOOLBAR_PLAYBACK),
      _settings.GetDockState(KEPAteloSettings::TOOLBAR_DRAW));

  if (!files.empty()) {
    std::vector<std::string> names = files;
    // The window is not up yet: the error is shown once it is (and once the
    // application has given the window its title), rather than going to a
    // Messages window nobody has opened.
    if (OpenFile(names, 0) != 0) {
      std::string text = errmsg;
      QTimer::singleShot(0, this, [this, text] {
        std::snprintf(errmsg, KEP_ERRMSG_SIZE, "%s", text.c_str());
        DisplayError();
      });
    }
  }
  if (_visuWidth <= 0 || _visuHeight <= 0) {
    if (KEPAtelIma* first = _series->GetPosImage(1)) {
      first->GetSize(_visuWidth, _visuHeight);
    }
  }

  int maxWidth = 0, maxHeight = 0;
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    maxWidth = screen->availableGeometry().width();
    maxHeight = screen->availableGeometry().height();
  }
  FitVisuSize(_visuWidth, _visuHeight, margins, maxWidth, maxHeight);

  _viewer = new KEPNavigation2DViewer(this, _visuWidth, _visuHeight);
  _viewer->setObjectName("2DViewer");
  _viewer->setMinimumSize(64, 64);
  setCentralWidget(_viewer);
  _viewer->GetViewpoint().SetZoomBounds(KEP2DViewpoint::kDefaultMinZoom, 250.0f);
  connect(_viewer, &KEP2DViewer::GraphicSizeChanged, this, [this] { ResizeAction(); });
  _viewerIndicator = std::make_unique<KEP2DIndicator>(_viewer, "viewerIndicator");
  _viewer->SetBackgroundIndicator(_viewerIndicator.get());

  _status = new QLabel(" ", this);
  _status->setObjectName("statusLabel");
  statusBar()->setObjectName("statusBar");
  statusBar()->addWidget(_status, 1);
  for (int i = 1; i <= _series->GetNbrImage(); ++i) LinkImageToViewer(_series->GetPosImage(i));

  if (!_settings.DefaultsFileExisted()) {
    std::fputs("Warning: Undefined default parameters.\n", stderr);
    std::fputs(
        "         Predefined values will be used (See 'Defaults' panel in 'Settings' menu).\n",
        stderr);
  }

  resize(_visuWidth,
         _visuHeight + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
  setWindowTitle(name ? name : "");
  if (_modAff != MODE_RENDER_VISU_OFF) show();
  if (_series->GetNbrImage() > 0) _series->SelectImage(1);
  UpdateImage();
  SetSensitive({FindAction("interruptItem")}, false);
}

KEPAteloDocument::~KEPAteloDocument() {
  KEP_TRACE(2, "(KEPAteloDocument::~KEPAteloDocument)");
  RemoveBackground();
  DropImageRep();
  _renderImage = nullptr;
  // The series' images go before the viewer that may still point at them.
  _series.reset();
  _viewerIndicator.reset();
}

// --- menus ----------------------------------------------------------------------

QAction* KEPAteloDocument::AddItem(QMenu* menu, const char* name, const char* label,
                                   const char* help, char mnemonic, const QKeySequence& accelerator,
                                   void (KEPAteloDocument::*slot)()) {
  auto* action = menu->addAction(WithMnemonic(label, mnemonic));
  action->setObjectName(name);
  action->setStatusTip(help);
  action->setToolTip(help);
  if (!accelerator.isEmpty()) action->setShortcut(accelerator);
  if (slot) connect(action, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
  _actions[name] = action;
  return action;
}

void KEPAteloDocument::CreateMenuBar() {
  menuBar()->setObjectName("menuBar");
  auto subMenu = [this](const char* name, const char* label, char mnemonic) {
    QMenu* menu = menuBar()->addMenu(WithMnemonic(label, mnemonic));
    menu->setObjectName(name);
    return menu;
  };
  const QKeySequence none;
  using D = KEPAteloDocument;

  _fileMenu = subMenu("fileSubMenu", "File", 'F');
  AddItem(_fileMenu, "newItem", "New...", "Create New Image", 'N', QKeySequence("Ctrl+N"),
          &D::NewAction);
  AddItem(_fileMenu, "openItem", "Open...", "Open Image Files", 'O', QKeySequence("Ctrl+O"),
          &D::OpenAction);
  AddItem(_fileMenu, "closeItem", "Close", "Close Current Image", 'C', none, &D::CloseAction);
  AddItem(_fileMenu, "closeAllItem", "Close All", "Close All Images", 'l', none,
          &D::CloseAllAction);
  _fileMenu->addSeparator()->setObjectName("separatorItem");
  AddItem(_fileMenu, "saveItem", "Save", "Save Current Image", 'S', QKeySequence("Ctrl+S"),
          &D::SaveAction);
  QAction* saveAs = AddItem(_fileMenu, "saveAsItem", "Save As...",
                            "Save Current Image With New Name", 'A', none, nullptr);
  connect(saveAs, &QAction::triggered, this, [this] { SaveAsAction(2); });
  AddItem(_fileMenu, "saveAllItem", "Save All", "Save All Images", 'v', none, &D::SaveAllAction);
  _fileMenu->addSeparator()->setObjectName("separatorItem1");
  AddItem(_fileMenu, "printItem", "Print...", "Print Current Image", 'P', QKeySequence("Ctrl+P"),
          nullptr);
  AddItem(_fileMenu, "printManagerItem", "Printer Setup...", "Printer Setup", 'u',
          QKeySequence("Ctrl+U"), nullptr);
  AddItem(_fileMenu, "shellPrintItem", "Shell Print...", "Print Current Image Via Shell", 'h',
          QKeySequence("Ctrl+H"), nullptr);
  // Printing arrives with its own windows; until then its items stay grey.
  SetSensitive(
      {FindAction("printItem"), FindAction("printManagerItem"), FindAction("shellPrintItem")},
      false);
  _fileMenu->addSeparator()->setObjectName("separatorItem2");
  AddItem(_fileMenu, "exitItem", "Exit", "Exit Program", 'x', QKeySequence("Ctrl+Q"),
          &D::QuitAction);
  for (int slot = 1; slot <= KEPAteloLastFiles::kSlots; ++slot) SetLastFileItem(slot);

  QMenu* view = subMenu("viewSubMenu", "View", 'V');
  QAction* background = AddItem(view, "BackgroundItem", "Background...",
                                "Show/Hide Background Image", 'B', none, &D::BackgroundAction);
  background->setCheckable(true);
  view->addSeparator()->setObjectName("separatorItem5");
  QAction* fit = AddItem(view, "fitItem", "Fit to Window", "Fit Image To Window", 'W',
                         QKeySequence("Ctrl+W"), &D::FitAction);
  fit->setCheckable(true);
  fit->setChecked(true);
  AddItem(view, "reframeItem", "Reframe", "Restore Initial Viewpoint", 'R', QKeySequence("Ctrl+R"),
          &D::ReframeAction);
  view->addSeparator()->setObjectName("separatorItem8");
  AddItem(view, "seriesItem", "Series...", "Show List Of Loaded Images", 'e',
          QKeySequence("Ctrl+E"), &D::SeriesAction);
  AddItem(view, "messageItem", "Messages...", "Show Messages Window", 'M', QKeySequence("Ctrl+M"),
          &D::MessageAction);

  QMenu* process = subMenu("processSubMenu", "Process", 'P');
  AddItem(process, "interruptItem", "Interrupt", "Interrupt Rendering", 'I',
          QKeySequence("Ctrl+Esc"), &D::InterruptAction);

  QMenu* settings = subMenu("settingsSubMenu", "Settings", 'S');
  AddItem(settings, "defaultsItem", "Defaults...", "Modify Defaults Setup", 'D', none,
          &D::DefaultsAction);
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

std::string KEPAteloDocument::DirectoryOf(const std::string& name) {
  std::string directory, base, suffix, extension;
  int number = 0;
  litelements(name.c_str(), directory, base, number, suffix, extension);
  return directory;
}

void KEPAteloDocument::SetBtnSensitivity(QAction* button, int sensitivity) {
  if (button) button->setEnabled(sensitivity == SENSITIVE);
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

// --- files ------------------------------------------------------------------------

int KEPAteloDocument::OpenFile(std::vector<std::string>& names, int flag) {
  KEP_TRACE(4, "(KEPAteloDocument::OpenFile) %zu names", names.size());
  int result = 0;
  bool first = true;
  for (std::size_t i = names.size(); i-- > 0;) {
    std::string extension = ExtensionOrTif(names[i]);
    int select = first && flag ? 1 : 0;
    first = false;
    int outcome;
    if (KEPAtelIma::CanReadFormat(extension.c_str())) {
      outcome = _series->InsertOneImageAfter(names[i].c_str(), select);
    } else if (extension == "series") {
      outcome = _series->InsertSeries(names[i].c_str(), select);
    } else {
      KEPFormatError(errmsg, "Image type '%s' not supported on open", extension.c_str());
      outcome = 1;
    }
    if (outcome != 0) names[i].clear();
    result = outcome;
  }
  PromptIfOddImageNumber(_series->GetNbrImage());
  if (result == 0) UpdateLastFiles(names);
  return result;
}

int KEPAteloDocument::SaveFile(std::vector<std::string>& names) {
  int result = 0;
  for (const std::string& name : names) {
    std::string extension = ExtensionOrTif(name);
    if (KEPAtelIma::CanWriteFormat(extension.c_str())) {
      result = _series->SaveSelectedImages(1, name.c_str());
    } else if (extension == "series") {
      result = _series->SaveSeries(name.c_str());
    } else {
      KEPFormatError(errmsg, "Image type '%s' not supported on save", extension.c_str());
      result = 1;
    }
  }
  return result;
}

void KEPAteloDocument::UpdateLastFiles(const std::vector<std::string>& names) {
  _lastFiles.Update(names);
  for (int slot = 1; slot <= KEPAteloLastFiles::kSlots; ++slot) {
    const std::string& name = _lastFiles.Get(slot);
    if (name.empty()) continue;
    SetLastFileItem(slot);
    ecritfic(kLastFileKeys[slot - 1], name.c_str());
  }
}

void KEPAteloDocument::LastFileAction(int slot) {
  KEP_TRACE(4, "(KEPAteloDocument::LastFileAction) %d", slot);
  std::vector<std::string> names{_lastFiles.Get(slot)};
  if (names[0].empty() || OpenFile(names, 1) == 0) return;
  DisplayError();
  _lastFiles.Remove(slot);
  for (int n = slot; n <= KEPAteloLastFiles::kSlots; ++n) {
    const std::string& name = _lastFiles.Get(n);
    SetLastFileItem(n);
    if (!name.empty() || n == KEPAteloLastFiles::kSlots)
      ecritfic(kLastFileKeys[n - 1], name.c_str());
  }
}

std::string KEPAteloDocument::FileBoxDirectory(const char* key, bool save) const {
  char value[1024];
  if (litfic(key, value, sizeof value) == 0) {
    std::string directory = value;
    if (!save ||
        (!directory.empty() && directory[0] == '/' && std::filesystem::is_directory(directory)))
      return directory;
  }
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/db/picture";
}

std::string KEPAteloDocument::FileBoxFilter() const {
  char value[256];
  return litfic("DEF_FILT", value, sizeof value) == 0 ? std::string(value) : "*.tif";
}

std::string KEPAteloDocument::CompleteExtension(const std::string& name,
                                                const std::string& filter) {
  if (!litextension(name.c_str()).empty()) return name;
  std::string extension = litextension(filter.c_str());
  if (extension.empty() || extension.find_first_of("*?[") != std::string::npos) extension = "tif";
  return name + "." + extension;
}

void KEPAteloDocument::OpenAction() {
  KEP_TRACE(4, "(KEPAteloDocument::OpenAction)");
  KEPFileBoxRequest request{
      "open", "Open", FileBoxDirectory("DEF_READ", false), OpenFileTypes(), FileBoxFilter(),
      true,   false};
  KEPFileBoxAnswer answer = KEPPrompt::ChooseFiles(this, request);
  if (answer.accepted)
    OkOpen(answer.files, answer.filter);
  else
    CancelOpen();
}

void KEPAteloDocument::OkOpen(const std::vector<std::string>& selected, const std::string& filter) {
  if (selected.empty()) return;
  std::vector<std::string> names;
  for (const std::string& name : selected) names.push_back(CompleteExtension(name, filter));
  std::string last = names.back();
  if (OpenFile(names, 1) != 0) {
    DisplayError();
    return;
  }
  ecritfic("DEF_READ", DirectoryOf(last).c_str());
  ecritfic("DEF_FILT", ("*." + litextension(last.c_str())).c_str());
}

void KEPAteloDocument::CancelOpen() {
  if (_series->GetNbrImage() <= 1) PauseSelection();
}

void KEPAteloDocument::SaveAction() {
  KEP_TRACE(4, "(KEPAteloDocument::SaveAction)");
  PauseSelection();
  if (_series->SaveSelectedImages(1, nullptr) == 0)
    UpdateImage();
  else
    DisplayError();
}

void KEPAteloDocument::SaveAllAction() {
  KEP_TRACE(4, "(KEPAteloDocument::SaveAllAction)");
  PauseSelection();
  if (_series->SaveAllImages(nullptr) != 0) DisplayError();
}

void KEPAteloDocument::SaveAsAction(int clientData) {
  KEP_TRACE(4, "(KEPAteloDocument::SaveAsAction) %d", clientData);
  KEPFileBoxRequest request{"saveAs",
                            "Save As",
                            FileBoxDirectory("DEF_WRITE", true),
                            SaveFileTypes(),
                            clientData == 1 ? "*.series" : "*",
                            false,
                            true};
  KEPFileBoxAnswer answer = KEPPrompt::ChooseFiles(this, request);
  if (answer.accepted && !answer.files.empty())
    OkSave(answer.files, answer.filter);
  else
    CancelSave();
}

void KEPAteloDocument::OkSave(const std::vector<std::string>& selected, const std::string& filter) {
  if (selected.empty()) return;
  std::vector<std::string> names{CompleteExtension(selected.front(), filter)};
  std::string name = names.front();
  if (SaveFile(names) != 0) {
    DisplayError();
    return;
  }
  ecritfic("DEF_WRITE", DirectoryOf(name).c_str());
  ecritfic("DEF_FILT", ("*." + litextension(name.c_str())).c_str());
  UpdateImage();
}

void KEPAteloDocument::NewAction() {
  // Blank images are made by the set-size dialog, which comes with the
  // geometric operations; until then New says so instead of doing nothing.
  KEPFormatError(errmsg, "New images are not available in this version.");
  DisplayError();
}

void KEPAteloDocument::CloseAction() {
  KEP_TRACE(4, "(KEPAteloDocument::CloseAction)");
  PauseSelection();
  _series->CloseSelectedImage();
  if (_series->GetNbrImage() == 0) RenderEnd();
}

void KEPAteloDocument::CloseAllAction() {
  KEP_TRACE(4, "(KEPAteloDocument::CloseAllAction)");
  PauseSelection();
  _series->CloseAllImages();
  if (_series->GetNbrImage() == 0) RenderEnd();
}

void KEPAteloDocument::QuitAction() {
  KEP_TRACE(4, "(KEPAteloDocument::QuitAction) mode %d", _modAff);
  if (_quitting) return;
  if (_modAff == MODE_RENDER) {
    int answer = KEPPrompt::Ask(
        this,
        {"warnDlg", GetTitle(), "Rendering in progress. Confirm exit?", {" Yes  ", "Cancel"}});
    if (answer == 2) return;
    // The rendering goes on in the background; only the windows go. The
    // quit is finished when the rendering ends (RenderEnd), so that no
    // invisible process stays behind.
    _quitPending = true;
    HideAllWindows();
    return;
  }
  if (_modAff == MODE_PICTURE && !_quitPending) {
    CloseAllAction();
    if (_series->GetNbrImage() > 0) return;
  }
  FinishQuit();
}

void KEPAteloDocument::FinishQuit() {
  KEP_TRACE(4, "(KEPAteloDocument::FinishQuit)");
  _quitting = true;
  _quitPending = false;
  _settings.SaveDefaults();
  KEPAteloLinkQuit();
  if (_quitHandler) {
    _quitHandler();
    return;
  }
  // exit(), not quit(): quit() first asks every window to close and gives up
  // when one refuses, and a close refused here would run Exit again. Queued,
  // so that a quit during start-up ends the loop once it runs.
  const int status = _exitStatus;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [status] { QCoreApplication::exit(status); },
      Qt::QueuedConnection);
}

void KEPAteloDocument::HideAllWindows() {
  _series->hide();
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window != this && window->isVisible()) window->hide();
  hide();
}

void KEPAteloDocument::closeEvent(QCloseEvent* event) {
  // Closing the window is Exit: it asks about unsaved images, saves the
  // defaults and tells the renderer, or only hides during a rendering. Once
  // the quit is under way the window simply closes.
  if (_quitting) {
    event->accept();
    return;
  }
  event->ignore();
  QuitAction();
}

void KEPAteloDocument::SeriesAction() {
  _series->show();
  _series->raise();
}

void KEPAteloDocument::MessageAction() {
  if (!_messageDialog) _messageDialog = std::make_unique<KEPAteloMessage>(this);
  _messageDialog->show();
  _messageDialog->raise();
}

void KEPAteloDocument::DefaultsAction() {
  if (!_defaultsDialog) {
    _defaultsDialog = std::make_unique<KEPAteloDefaults>(this, _settings);
    _defaultsDialog->setObjectName("defaultsDialog");
  }
  _defaultsDialog->show();
  _defaultsDialog->raise();
}

void KEPAteloDocument::InterruptAction() {
  KEP_TRACE(4, "(KEPAteloDocument::InterruptAction)");
  KEPAteloInterruptRendering();
}

// --- errors and messages ----------------------------------------------------------

std::string KEPAteloDocument::GetTitle() const {
  return windowTitle().toStdString();
}

bool KEPAteloDocument::IsPictureShown() const {
  return _modAff == MODE_PICTURE && isVisible();
}

void KEPAteloDocument::DisplayError() {
  KEP_TRACE(4, "(KEPAteloDocument::DisplayError) %s", errmsg);
  if (IsPictureShown()) {
    KEPPrompt::Warn(this, "warnDlg", GetTitle(), errmsg);
    return;
  }
  std::string text = errmsg;
  if (text.empty() || text.back() != '\n') text += '\n';
  RenderMessage(static_cast<int>(text.size()), text.c_str());
  RenderEnd();
}

void KEPAteloDocument::RenderMessage(int length, const char* text) {
  if (!text) return;
  std::size_t size = length > 0 ? static_cast<std::size_t>(length) : std::strlen(text);
  if (_modAff == MODE_RENDER_VISU_OFF) {
    std::fwrite(text, 1, size, stdout);
    std::fflush(stdout);
    return;
  }
  if (!_messageDialog) _messageDialog = std::make_unique<KEPAteloMessage>(this);
  _messageDialog->AddMessage(std::string(text, size).c_str());
}

void KEPAteloDocument::PromptIfOddImageNumber(int) {
  // Stereo viewing comes with the view commands; without it no count is odd.
}
