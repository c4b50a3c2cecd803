#include "document/KEPAteloDocument.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "document/KEPAteloFileTypes.h"
#include "document/KEPAteloFramePart.h"
#include "document/KEPAteloMessage.h"
#include "document/KEPAteloSetSize.h"
#include "document/KEPAteloWindowRules.h"
#include "effects/KEPAteloCompose.h"
#include "effects/KEPAteloGlow.h"
#include "effects/KEPAteloLight.h"
#include "effects/KEPAteloLisse.h"
#include "effects/KEPAteloLuminosity.h"
#include "effects/KEPAteloSplit.h"
#include "image/KEPAtelIma.h"
#include "link/KEPAteloInterrupt.h"
#include "link/KEPAteloLinkSession.h"
#include "output/KEPAteloFormats.h"
#include "output/KEPAteloHelp.h"
#include "output/KEPAteloInfo.h"
#include "output/KEPAteloPrinter.h"
#include "paint/KEPAteloColor.h"
#include "paint/KEPAteloToolsSetting.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPPrompt.h"
#include "platform/KEPTrace.h"
#include "platform/settings/KEPSettingsFile.h"
#include "platform/viewer/KEP2DCustomRep.h"
#include "platform/viewer/KEP2DFloatingPixelRep.h"
#include "platform/viewer/KEP2DIndicator.h"
#include "platform/viewer/KEP2DManipulator.h"
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
  if (!(style & STYLE_NO_TOOLBARS)) ShowEditToolBarFromDefaults();

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
  InitEditTools(style & STYLE_NO_TOOLBARS);

  _status = new QLabel(" ", this);
  _status->setObjectName("statusLabel");
  statusBar()->setObjectName("statusBar");
  statusBar()->addWidget(_status, 1);
  SetUpView(style);
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

std::string KEPAteloDocument::DirectoryOf(const std::string& name) {
  std::string directory, base, suffix, extension;
  int number = 0;
  litelements(name.c_str(), directory, base, number, suffix, extension);
  return directory;
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
  // A filter of several patterns ("All images") names no one type.
  if (extension.empty() || extension.find_first_of("*?[ ") != std::string::npos ||
      filter.find(' ') != std::string::npos)
    extension = "tif";
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
  StoreToolbarSides();
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
  return _view.baseTitle.toStdString();
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
  // In a batch run the error ends the run (RenderEnd) before its work is
  // done.
  if (_modAff == MODE_RENDER_VISU_OFF) _exitStatus |= EXIT_ERROR;
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
