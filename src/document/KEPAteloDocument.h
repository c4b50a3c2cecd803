#pragma once

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "document/KEPAteloLastFiles.h"
#include "link/KEPAteloRenderTarget.h"
#include "series/KEPAteloDocumentHost.h"
#include "settings/KEPAteloSettings.h"

class KEP2DIndicator;
class KEP2DViewer;
class KEPAtelIma;
class KEPAteloDefaults;
class KEPAteloFormats;
class KEPAteloHelp;
class KEPAteloInfo;
class KEPAteloMessage;
class KEPAteloPrinter;
class KEPAteloSeries;
class KEPCatalog2DImagePixelRep;
class QAction;
class QLabel;
class QMenu;
class QPrinter;
class QToolBar;

// The main window and owner of everything the user works on: the series of
// images, the viewer that shows the current one, the menus, the secondary
// windows and the user's defaults. The renderer drives it through its
// Render operations, the user through its commands.
//
// Its operations live in one file per command family: KEPAteloDocument.cpp
// (construction, file commands, Exit), KEPAteloDocumentMenus.cpp (the menu
// bar), KEPAteloDocumentRender.cpp (display and render reception),
// KEPAteloDocumentEdit.cpp (undo, clipboard, selection, geometry),
// KEPAteloDocumentTools.cpp (drawing and selection tools, draw toolbar),
// KEPAteloDocumentView.cpp (view commands, stereo, playback, logo),
// KEPAteloDocumentEffects.cpp (the effect windows) and
// KEPAteloDocumentOutput.cpp (printing, information and help windows).
class KEPAteloDocument : public QMainWindow,
                         public KEPAteloDocumentHost,
                         public KEPAteloRenderTarget {
  Q_OBJECT

 public:
  // Style bits of the constructor.
  static constexpr int STYLE_HIDDEN = 0x20000000;
  static constexpr int STYLE_NO_TOOLBARS = 0x40000000;
  // Sensitivity values.
  static constexpr int SENSITIVE = 8;
  static constexpr int INSENSITIVE = 16;

  KEPAteloDocument(const char* name, int width, int height, const std::vector<std::string>& files,
                   int style, QWidget* parent = nullptr);
  ~KEPAteloDocument() override;

  // What ends the program once the quit sequence is done (the application's
  // own destruction); by default the event loop is left.
  void SetQuitHandler(std::function<void()> handler) { _quitHandler = std::move(handler); }

  // --- files ------------------------------------------------------------------
  // Loads the files into the series, the last of the list first; the result
  // is the outcome of the first name (0 = success). Names that fail are
  // emptied so that they stay out of the last-file list.
  int OpenFile(std::vector<std::string>& names, int flag);
  int SaveFile(std::vector<std::string>& names);
  void UpdateLastFiles(const std::vector<std::string>& names);
  const KEPAteloLastFiles& GetLastFiles() const { return _lastFiles; }

  // --- display ------------------------------------------------------------------
  void ConfigDisplay(int mode);
  KEPAtelIma* GetPosImage(int position) const override;
  int GetNbrImage() const override;
  bool DisplayImage(KEPAtelIma* image, bool fit) override;
  void RedisplayImage(KEPAtelIma* image) override;
  void RedisplayImageRect(KEPAtelIma* image, int x, int y, int width, int height) override;
  void SetBusyCursor(bool busy) override;
  void SetStatusText(const std::string& text) override;
  void AddAndDisplayImage(KEPAtelIma* image);
  KEPCatalog2DImagePixelRep* CreateImageRep(KEPAtelIma* image);
  void UpdateImage() override;
  void EnableAll(KEPAtelIma* image);
  void DisableAll();
  void SetBtnSensitivity(QAction* button, int sensitivity);
  void FreeDisplay();
  void CleanDisplay();
  void RemoveRepFromIndicator(KEPAtelIma* image);
  void ResizeAction();
  void DisplayError() override;
  void DisplaySubImage(int x, int y, int nx, int ny, const unsigned char* pixels);

  // --- render reception -----------------------------------------------------
  void RenderInit() override;
  void RenderNew(const char* fileName, int displayCode, int frame, int width, int height) override;
  int RenderDisp(int x0, int y0, int nx, int ny, unsigned int byteCount,
                 const unsigned char* pixels) override;
  void RenderMessage(int length, const char* text) override;
  void RenderPath(int length, const char* fileName) override;
  void RenderEnd() override;
  int GetMsgMode() const override { return _settings.GetMsgMode(); }
  KEPAtelIma* GetRenderImage() const { return _renderImage; }

  // --- settings -----------------------------------------------------------------
  KEPAteloSettings& Settings() { return _settings; }
  int GetModeAff() const override { return _modAff; }
  void GetVisuSize(int& width, int& height) const override;
  void SetVisuSize(int width, int height);
  int GetSaveMode() const { return _settings.GetSaveMode(); }
  void SetSaveMode(int mode) { _settings.SetSaveMode(mode); }
  int GetMinTime() const { return _settings.GetMinTime(); }
  void SetMinTime(int seconds) { _settings.SetMinTime(seconds); }
  void SetMsgMode(int mode) { _settings.SetMsgMode(mode); }
  int GetIncrementMode() const override { return _settings.GetIncrementMode(); }
  void SetIncrementMode(int mode) override { _settings.SetIncrementMode(mode); }
  int GetPromptMode() const override { return _settings.GetPromptMode(); }
  void SetPromptMode(int mode) { _settings.SetPromptMode(mode); }
  int GetWriteMode() const override { return _settings.GetWriteMode(); }
  void SetWriteMode(int mode) override { _settings.SetWriteMode(mode); }
  int GetKeepMode() const override { return _settings.GetKeepMode(); }
  void SetKeepMode(int mode) override { _settings.SetKeepMode(mode); }
  int GetLoopMode() const { return _settings.GetLoopMode(); }
  void SetLoopMode(int mode) { _settings.SetLoopMode(mode); }
  int GetSplitMode() const override { return _settings.GetSplitMode(); }
  void SetSplitMode(int mode) { _settings.SetSplitMode(mode); }
  std::int64_t GetSplitSize() const override { return _settings.GetSplitSize(); }
  void SetSplitSize(std::int64_t bytes) { _settings.SetSplitSize(bytes); }
  int GetPrintTimeout() const override { return _settings.GetPrintTimeout(); }
  int GetMergeLogoMode() const override { return _settings.GetMergeLogoMode(); }
  void SetMergeLogoMode(int mode) { _settings.SetMergeLogoMode(mode); }

  // --- series host ----------------------------------------------------------------
  std::string GetTitle() const override;
  QWidget* GetPromptParent() override { return this; }
  void LinkImageToViewer(KEPAtelIma* image) override;
  void RemoveImageRep(KEPAtelIma* image) override;
  void ImageDeleted(KEPAtelIma* image) override;
  bool OpenSplitDialog(KEPAtelIma* image, int position) override;

  // --- file commands (KEPAteloDocument.cpp) ------------------------------------------
  void NewAction();
  void OpenAction() override;
  void OkOpen(const std::vector<std::string>& selected, const std::string& filter);
  void CancelOpen();
  void LastFileAction(int slot);
  void SaveAction();
  void SaveAllAction();
  void SaveAsAction(int clientData) override;
  void OkSave(const std::vector<std::string>& selected, const std::string& filter);
  void CancelSave() {}
  void CloseAction();
  void CloseAllAction();
  void QuitAction();
  bool IsQuitPending() const { return _quitPending; }
  void BackgroundAction();
  void OkOpenBackground(const std::string& selected, const std::string& filter);
  void CancelOpenBackground();
  void RemoveBackground();
  void SeriesAction();
  void MessageAction();
  void DefaultsAction();
  void InterruptAction();

  // --- edit: undo, clipboard, selection, geometry (KEPAteloDocumentEdit.cpp) ----------
  void SaveImageForUndo(KEPAtelIma* image, int eraseStyle) override;
  void UndoAction();
  void RedoAction();
  // clientData 0: the selection; 1: the whole image.
  void CopyAction(int clientData);
  void CutAction();
  // clientData 0: Paste; 1: Special Paste.
  void PasteAction(int clientData);
  const unsigned char* GetSelectionMasque(int& x, int& y, int& width, int& height) const override;
  int GetSelZoneSide() const override;
  void SelZoneSideAction();
  void CropAction();
  // code: 0x40000 and 0x80000 quarter turns, 0x100000 and 0x200000 flips.
  void ManipsAction(int code);
  void SetSizeAction();

  // --- tools (KEPAteloDocumentTools.cpp) -------------------------------------------
  void GetDrawParams(int& thickness, float& blend, int& radius, int& density) const override;
  void SetDrawParams(int thickness, float blend, int radius, int density) override;
  void GetColor(int& red, int& green, int& blue, int& alpha) const override;
  void SetColor(int red, int green, int blue, int alpha) override;
  int GetCurrentTool() const override;
  void SetToolCallbacks(int code) override;
  void SetColorOrLight(int flag) override;
  int GetColorOrLight() const override;
  void ToolsSetupAction();
  void ColorAction();

  // --- view, stereo, playback, logo (KEPAteloDocumentView.cpp) ------------------------
  void FitAction();
  void ReframeAction();
  void Reframe(float x, float y, float zoom);
  void FullScreenAction();
  void GridAction();
  void StereoAction();
  bool IsStereoActivate() const override;
  void PromptIfOddImageNumber(int count) override;
  void ToggleEditAction();
  void TogglePlaybackAction();
  void ToggleDrawAction();
  void LogoAction();
  void LogoSetupAction();
  // Stops playback (direction 3) and redisplays the current image.
  void PauseSelection();

  // --- effects (KEPAteloDocumentEffects.cpp) ---------------------------------------
  void ComposeAction();
  void LisseAction();
  void BlurAction();
  void LightAction();
  void GlowAction();
  void LuminosityAction();

  // --- output: printing, information, help (KEPAteloDocumentOutput.cpp) ---------------
  void PrintAction();
  void PrinterSetupAction();
  void ShellPrintAction();
  void InfoAction();
  void FormatsAction();
  void ContentsAction();
  void InterfaceAction();
  // Print, Printer Setup, Shell Print and Image Information follow the
  // current image (null: none); called by EnableAll and DisableAll.
  void EnableOutput(KEPAtelIma* image);
  // The information window, when it exists, shows the current image.
  void UpdateInfoDialog();
  KEPAteloInfo* GetInfoDialog() const { return _infoDialog.get(); }
  KEPAteloFormats* GetFormatsDialog() const { return _formatsDialog.get(); }
  KEPAteloPrinter* GetShellPrintDialog() const { return _shellPrintDialog.get(); }
  KEPAteloHelp* GetHelpContents() const { return _helpContents.get(); }
  KEPAteloHelp* GetHelpInterface() const { return _helpInterface.get(); }

  // --- edit toolbar (KEPAteloDocumentEditBar.cpp) ------------------------------------
  // Builds the edit toolbar on the side its dock state names (top when it
  // has none); its buttons are in the action map like the menu items.
  void CreateEditToolBar();
  QToolBar* GetEditToolBar() const { return _editToolBar; }
  // Shows the edit toolbar when its dock state says so (start-up).
  void ShowEditToolBarFromDefaults();
  // The dock state of each toolbar that exists from where it is now: its
  // side, or 0 when hidden. Exit writes them.
  void StoreToolbarSides();

  // --- parts for tests and dialogs --------------------------------------------------
  KEPAteloSeries* GetSeries() const override { return _series.get(); }
  KEP2DViewer* GetViewer() const override { return _viewer; }
  KEP2DIndicator* GetViewerIndicator() const override { return _viewerIndicator.get(); }
  KEPAteloMessage* GetMessageDialog() const { return _messageDialog.get(); }
  QAction* FindAction(const char* name) const;
  QString GetStatusText() const;
  bool HasBackground() const { return _background != nullptr; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // --- menus (KEPAteloDocumentMenus.cpp) ---------------------------------------------
  void CreateMenuBar();
  QAction* AddItem(QMenu* menu, const char* name, const char* label, const char* help,
                   char mnemonic, const QKeySequence& accelerator, std::function<void()> operation);
  QAction* AddCheckItem(QMenu* menu, const char* name, const char* label, const char* help,
                        char mnemonic, const QKeySequence& accelerator,
                        std::function<void()> operation);
  void SetSensitive(std::initializer_list<QAction*> actions, bool sensitive);
  void SetLastFileItem(int slot);
  // Unchecks a check item without running its command.
  void UncheckQuietly(const char* name);
  // Says that a command is not built yet (errmsg and DisplayError).
  void NotAvailable(const char* command);

  // --- files and display (KEPAteloDocument.cpp, KEPAteloDocumentRender.cpp) -----------
  // Start directory and filter of a file box from the defaults.
  std::string FileBoxDirectory(const char* key, bool save) const;
  std::string FileBoxFilter() const;
  // Completes a name without extension from the filter pattern ("*.ext"),
  // or with "tif".
  static std::string CompleteExtension(const std::string& name, const std::string& filter);
  // The directory of a file name, with its trailing "/" ("" without one).
  static std::string DirectoryOf(const std::string& name);
  void DropImageRep();
  // The common end of Exit: defaults saved, renderer and host told, the
  // event loop left with the exit status.
  void FinishQuit();
  // Exit during a rendering: every window goes, the rendering goes on.
  void HideAllWindows();
  bool IsPictureShown() const;

  int _modAff;
  int _visuWidth, _visuHeight;
  KEPAteloSettings _settings;
  KEPAteloLastFiles _lastFiles;
  std::unique_ptr<KEPAteloSeries> _series;
  KEP2DViewer* _viewer = nullptr;  // child widget
  QLabel* _status = nullptr;       // child widget
  // Pointer events over the viewer, for the tools.
  std::unique_ptr<KEP2DIndicator> _viewerIndicator;

  // The viewer shows one image at a time; its representation is rebuilt
  // when the image or its buffer changes.
  std::unique_ptr<KEPCatalog2DImagePixelRep> _imageRep;
  KEPAtelIma* _repImage = nullptr;
  // Patches shown before the whole image is redrawn.
  std::vector<std::unique_ptr<KEPCatalog2DImagePixelRep>> _subImages;
  std::unique_ptr<KEPAtelIma> _backgroundImage;
  std::unique_ptr<KEPCatalog2DImagePixelRep> _background;

  KEPAtelIma* _renderImage = nullptr;  // owned by the series
  std::uint64_t _bytesReceived = 0;

  std::unique_ptr<KEPAteloMessage> _messageDialog;
  std::unique_ptr<KEPAteloDefaults> _defaultsDialog;

  std::map<std::string, QAction*> _actions;
  QMenu* _fileMenu = nullptr;
  QAction* _lastFileSeparator = nullptr;
  QAction* _fileItems[KEPAteloLastFiles::kSlots] = {nullptr, nullptr, nullptr};
  std::function<void()> _quitHandler;
  // The quit sequence has run: the window closes for good and Exit is not
  // run again.
  bool _quitting = false;
  // Exit was confirmed during a rendering: the program ends with it.
  bool _quitPending = false;
  // Status the program ends with (non-zero: a batch run failed its job).
  int _exitStatus = 0;

  // --- edit state ----------------------------------------------------------------------
  // Selection mask: one byte per pixel of its rectangle (0 inside the drawn
  // shape, 1 outside), empty without a selection.
  std::vector<unsigned char> _selectionMask;
  int _maskX = 0, _maskY = 0, _maskWidth = 0, _maskHeight = 0;
  signed char _side = 0;

  // --- tools state ---------------------------------------------------------------------
  int _currentTool = 0;
  int _thickness = 0;
  float _blend = 0.0f;
  int _sprayRadius = 10;
  int _sprayDensity = 12;
  int _color[4] = {0, 0, 0, 255};
  int _colorOrLight = 0;

  // --- view state ----------------------------------------------------------------------
  // Playback direction: 1 backward, 2 forward, 3 stopped.
  int _playbackState = 3;

  // --- effects state -------------------------------------------------------------------

  // --- output state --------------------------------------------------------------------
  // Printer and page chosen by Print and Printer Setup, kept between prints.
  std::unique_ptr<QPrinter> _printer;
  std::unique_ptr<KEPAteloPrinter> _shellPrintDialog;
  std::unique_ptr<KEPAteloInfo> _infoDialog;
  std::unique_ptr<KEPAteloFormats> _formatsDialog;
  std::unique_ptr<KEPAteloHelp> _helpContents;
  std::unique_ptr<KEPAteloHelp> _helpInterface;
  QToolBar* _editToolBar = nullptr;  // child widget
};
