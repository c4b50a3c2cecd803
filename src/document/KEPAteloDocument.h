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
#include "series/KEPAteloSeriesHost.h"
#include "settings/KEPAteloSettings.h"

class KEP2DIndicator;
class KEP2DViewer;
class KEPAtelIma;
class KEPAteloDefaults;
class KEPAteloMessage;
class KEPAteloSeries;
class KEPCatalog2DImagePixelRep;
class QAction;
class QLabel;
class QMenu;

// The main window and owner of everything the user works on: the series of
// images, the viewer that shows the current one, the menus, the secondary
// windows and the user's defaults. The renderer drives it through its
// Render operations, the user through its commands.
class KEPAteloDocument : public QMainWindow,
                         public KEPAteloSeriesHost,
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
  KEPAtelIma* GetPosImage(int position) const;
  int GetNbrImage() const;
  bool DisplayImage(KEPAtelIma* image, bool fit);
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
  void GetVisuSize(int& width, int& height) const;
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
  int GetPrintTimeout() const { return _settings.GetPrintTimeout(); }
  int GetMergeLogoMode() const override { return _settings.GetMergeLogoMode(); }
  void SetMergeLogoMode(int mode) { _settings.SetMergeLogoMode(mode); }

  // --- series host ----------------------------------------------------------------
  std::string GetTitle() const override;
  QWidget* GetPromptParent() override { return this; }
  void LinkImageToViewer(KEPAtelIma* image) override;
  void RemoveImageRep(KEPAtelIma* image) override;
  void ImageDeleted(KEPAtelIma* image) override;
  bool IsStereoActivate() const override { return false; }
  void PromptIfOddImageNumber(int count) override;

  // --- commands -------------------------------------------------------------------
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
  void FitAction();
  void ReframeAction();
  void Reframe(float x, float y, float zoom);
  void SeriesAction();
  void MessageAction();
  void DefaultsAction();
  void InterruptAction();
  void PauseSelection() {}

  // --- parts for tests and dialogs --------------------------------------------------
  KEPAteloSeries* GetSeries() const { return _series.get(); }
  KEP2DViewer* GetViewer() const { return _viewer; }
  KEP2DIndicator* GetViewerIndicator() const { return _viewerIndicator.get(); }
  KEPAteloMessage* GetMessageDialog() const { return _messageDialog.get(); }
  QAction* FindAction(const char* name) const;
  QString GetStatusText() const;
  bool HasBackground() const { return _background != nullptr; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateMenuBar();
  QAction* AddItem(QMenu* menu, const char* name, const char* label, const char* help,
                   char mnemonic, const QKeySequence& accelerator,
                   void (KEPAteloDocument::*slot)());
  void SetSensitive(std::initializer_list<QAction*> actions, bool sensitive);
  void SetLastFileItem(int slot);
  // Start directory and filter of a file box from the defaults.
  std::string FileBoxDirectory(const char* key, bool save) const;
  std::string FileBoxFilter() const;
  // Completes a name without extension from the filter pattern ("*.ext"),
  // or with "tif".
  static std::string CompleteExtension(const std::string& name, const std::string& filter);
  // The directory of a file name, with its trailing "/" ("" without one).
  static std::string DirectoryOf(const std::string& name);
  // Unchecks a check item without running its command.
  void UncheckQuietly(const char* name);
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
  int _playbackState = 3;
  // The quit sequence has run: the window closes for good and Exit is not
  // run again.
  bool _quitting = false;
  // Exit was confirmed during a rendering: the program ends with it.
  bool _quitPending = false;
  // Status the program ends with (non-zero: a batch run failed its job).
  int _exitStatus = 0;
};
