#pragma once

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "document/KEPAteloEditState.h"
#include "document/KEPAteloEffectWindows.h"
#include "document/KEPAteloLastFiles.h"
#include "document/KEPAteloLogo.h"
#include "document/KEPAteloOutputWindows.h"
#include "document/KEPAteloToolState.h"
#include "document/KEPAteloViewState.h"
#include "link/KEPAteloRenderTarget.h"
#include "platform/viewer/KEP2DCustomRep.h"
#include "platform/viewer/KEP2DManipulator.h"
#include "series/KEPAteloDocumentHost.h"
#include "settings/KEPAteloSettings.h"

class KEP2DCustomRep;
class KEP2DIndicator;
class KEP2DManipulator;
class KEP2DViewer;
class KEPAtelIma;
class KEPAteloColor;
class KEPAteloCompose;
class KEPAteloDefaults;
class KEPAteloFramePart;
class KEPAteloMessage;
class KEPAteloSetSize;
class KEPAteloLisse;
class KEPAteloSplit;
class KEPAteloFormats;
class KEPAteloHelp;
class KEPAteloInfo;
class KEPAteloPrinter;
class KEPAteloSeries;
class KEPAteloToolsSetting;
class KEPCatalog2DImagePixelRep;
struct KEPMathPoint2Df;
class QAction;
class QLabel;
class QMenu;
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

  // Exit statuses of a batch run that could not do its job; they add up.
  // An error ended the run early (a start file, or a file the renderer asked
  // for, could not be opened).
  static constexpr int EXIT_ERROR = 2;
  // A frame was not saved: its save failed, its image could not be made, or
  // it was still unfinished when the renderer moved on or the run ended.
  static constexpr int EXIT_FRAME_NOT_SAVED = 4;
  // The renderer went away without "END_DISP" and none took its place.
  static constexpr int EXIT_RENDERER_GONE = 16;
  int GetExitStatus() const { return _exitStatus; }
  // A batch run whose renderer is gone ends as "END_DISP" would end it,
  // saying so; `renderer` is its name on the link.
  void RendererGone(const char* renderer);

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

  // --- edit: undo, clipboard, selection, geometry -------------------------------------
  // (KEPAteloDocumentEdit.cpp, KEPAteloDocumentClipboard.cpp,
  // KEPAteloDocumentSelection.cpp, KEPAteloDocumentGeometry.cpp)
  void SaveImageForUndo(KEPAtelIma* image, int eraseStyle) override;
  // A change that builds whole new buffers: they become the pixels of
  // `image` (of `size`) and, when given, of its stereo companion (of
  // `partnerSize`, or `size`), and the buffers they replace the undo
  // copies, so that nothing is copied.
  void ReplacePixelsForUndo(KEPAtelIma* image, std::vector<unsigned char>&& pixels,
                            const int size[2], std::vector<unsigned char>* partnerPixels = nullptr,
                            const int* partnerSize = nullptr);
  void UndoAction();
  void RedoAction();
  // The edit commands' states from the image's (called by EnableAll), and
  // all of them greyed (DisableAll).
  void EnableEditCommands(KEPAtelIma* image);
  void DisableEditCommands();
  // The current image changed (UpdateImage): the selection goes, the set-size
  // window learns the size, an object floating over another image is dropped.
  void EditImageChanged(KEPAtelIma* image);
  // The floating object and the selection outline leave the viewer
  // (FreeDisplay).
  void FreeEditDisplay();

  // clientData 0: the selection; 1: the whole image.
  void CopyAction(int clientData);
  void CutAction();
  // clientData 0: Paste; 1: Special Paste (into one of 16 cells).
  void PasteAction(int clientData);
  // Cell 1..16 of the 4 x 4 grid, bottom-left first; 0 = none chosen.
  void PasteAsFramePart(int cell);
  // The selected pixels of the image (see ExtractMaskedPixels); width and
  // height become the result's size. Empty without a selection.
  std::vector<unsigned char> GetMasquedBitmap(KEPAtelIma* image, int& width, int& height,
                                              bool clear);
  // Replaces the clipboard; empty pixels empty it.
  void SetClipboard(int width, int height, std::vector<unsigned char>&& pixels);
  const std::vector<unsigned char>& GetClipboard(int& width, int& height) const;
  int GetClipboardFramePart() const { return _edit.clipboardFramePart; }
  // The floating object (a paste or a lifted selection) until it is merged.
  void AddClipboard();
  void RemoveClipboard();
  void IncrustClipboard(KEPAtelIma* image);
  bool HasFloatingObject() const { return _edit.clipboardRep != nullptr; }
  // Its view position (of its pixel (0, 0)), size and pixels.
  bool GetFloatingObject(float& x, float& y, int& width, int& height) const;
  const std::vector<unsigned char>& GetFloatingPixels() const { return _edit.floatingPixels; }
  KEP2DManipulator* GetClipboardManipulator() const { return _edit.clipboardManipulator.get(); }

  const unsigned char* GetSelectionMasque(int& x, int& y, int& width, int& height) const override;
  // Takes the mask (width x height bytes, 0 inside the shape) at image pixel
  // (x, y); an empty mask clears the selection.
  void SetSelectionMasque(int x, int y, int width, int height, std::vector<unsigned char>&& mask);
  int GetSelZoneSide() const override;
  void SelZoneSideAction();
  void SelZoneToolAction(int code);
  // The mask from the shape drawn with a selection tool (0x1000 rectangle,
  // 0x2000 polygon, 0x4000 free hand, 0x8000 circle).
  void ComputeImageMask(int tool);
  void RemoveSelectionRep();
  KEP2DCustomRep* GetSelectionRep() const { return _edit.selectionRep.get(); }
  void CropAction();
  // Lifts the selection into a floating object; false without one.
  bool SelectionRepToClipboardRep();

  // code: 0x40000 and 0x80000 quarter turns, 0x100000 and 0x200000 flips.
  void ManipsAction(int code);
  void SetSizeAction();
  // Resizes the floating object or the current image, or with `newImage`
  // makes a new white image of that size.
  void ResizeImage(int width, int height, bool newImage);
  KEPAteloSetSize* GetSetSizeDialog() const { return _edit.setSizeDialog.get(); }
  KEPAteloFramePart* GetFramePartDialog() const { return _edit.framePartDialog.get(); }

  // --- tools (KEPAteloDocumentTools.cpp, KEPAteloDocumentShapes.cpp,
  //     KEPAteloDocumentStrokes.cpp, KEPAteloDocumentToolView.cpp) ---------------------
  void GetDrawParams(int& thickness, float& blend, int& radius, int& density) const override;
  void SetDrawParams(int thickness, float blend, int radius, int density) override;
  void GetColor(int& red, int& green, int& blue, int& alpha) const override;
  void SetColor(int red, int green, int blue, int alpha) override;
  int GetCurrentTool() const override;
  void SetTool(int code) { _tools.currentTool = code; }
  // Installs the tool on the viewer indicator (its button pressed, or a tool
  // without a button) or removes it (its button released).
  void SetToolCallbacks(int code) override;
  void DrawToolAction(int code);
  // The preparation of each tool kind: the other tool buttons released, the
  // floating object merged, the tool made current.
  void DrawToolsSelectedInit(int code);
  void SelToolsSelectedInit(int code);
  void ExtToolsSelectedInit(int code);
  // Releases a tool button without notification; a pressed one first loses
  // its callbacks and the current tool becomes 0.
  void UncheckBtn(QAction* button);
  void RemoveViewerIndicatorCallbacks();
  void SetColorOrLight(int flag) override;
  int GetColorOrLight() const override;
  // "Tools Settings" and "Color Chooser", created on first use.
  void ToolsSetupAction();
  void ColorAction();
  KEPAteloToolsSetting* GetToolsSettingDialog() const { return _tools.toolsSettingDialog.get(); }
  KEPAteloColor* GetColorDialog() const { return _tools.colorDialog.get(); }
  void EnterSampleColorTool() override;
  void LeaveSampleColorTool() override;
  // Redraws the current tool's sample in the draw toolbar.
  void UpdateToolView();
  // The sample's pixels (90 x 80, RGBA) and the byte they were cleared with.
  const std::vector<unsigned char>& GetToolViewPixels() const { return _tools.toolViewPixels; }
  unsigned char GetToolViewBackground() const { return _tools.toolViewBackground; }
  // The viewer's pointer for a tool: a cross-hair, or for the fill, the spray,
  // the eraser and the colour sample a cross-hair with the tool's picture;
  // the plain arrow without a tool.
  void SetCursor(int code);
  // The tool windows follow the current image (null: none), from EnableAll
  // and DisableAll.
  void EnableToolDialogs(KEPAtelIma* image);
  // Escape: a polygon being placed by clicks is dropped. False when there
  // was none.
  bool DropPolygonInProgress();
  // The button of a tool code, or null (no button, or no draw toolbar yet).
  QAction* GetToolButton(int code) const;
  QToolBar* GetDrawToolBar() const { return _tools.drawToolBar; }
  // Start-up: the draw toolbar shown when the defaults say so, and Paste
  // kept in step with the desktop clipboard.
  void InitEditTools(bool toolbarsHidden);
  // Creates the draw toolbar on first need, shows or hides it and keeps its
  // dock state for the defaults.
  void ShowDrawToolBar(bool shown);
  // The shape being drawn by a tool, or null.
  KEP2DCustomRep* GetObjectRep() const { return _tools.objectRep.get(); }
  void RemoveObjectRep();

  // --- view, stereo, playback, logo (KEPAteloDocumentView.cpp,
  //     KEPAteloDocumentPlayback.cpp, KEPAteloDocumentLogo.cpp) -----------------------
  void FitAction();
  void ReframeAction();
  void Reframe(float x, float y, float zoom);
  void FullScreenAction();
  void GridAction();
  // Rebuilds the grid of the current image (or drops it) and shows it for
  // the current scale.
  void UpdateGrid();
  void DrawGrid();
  // Shown from 8 screen pixels per image pixel up.
  void DisplayGrid(float scale);
  virtual void ViewpointChanged();
  void StereoAction();
  bool IsStereoActivate() const override;
  // 3: the pair can be shown; 1: stereo is to be switched off; 2: the next
  // image is to be shown; 0: stereo was aborted here.
  int PromptIfStereoImpossible(KEPAtelIma* image);
  void PromptIfOddImageNumber(int count) override;
  void ToggleEditAction();
  void TogglePlaybackAction();
  void ToggleDrawAction();
  // Playback. Directions: 1 backward, 2 forward, 3 stopped.
  static constexpr int PLAY_BACKWARD = 1, PLAY_FORWARD = 2, PLAY_STOPPED = 3;
  void FastBackwardSelection();
  void BackwardSelection();
  // Stops playback (direction 3) and redisplays the current image.
  void PauseSelection();
  void ForwardSelection();
  void FastForwardSelection();
  // One turn of continuous playback, run at idle time.
  void ExecuteIdleWork(int direction);
  void DelaySliderAction(int value);
  void DelaySpinnerAction(int value);
  int GetPlaybackState() const { return _view.playbackState; }
  // In tenths of milliseconds: the value shown next to "ms" times 10.
  float GetDelay() const { return _view.delay; }
  bool IsPlaying() const { return _view.playbackIdle.id != 0 || _view.playbackWaiting; }
  // Logo.
  void LogoAction();
  void LogoSetupAction();
  void CheckViewLogoItem();
  void UpdateLogo(KEPAtelIma* image);
  void RemoveLogoManipulator();
  KEPAteloLogo* GetLogoDialog() const { return _view.logoDialog.get(); }
  KEP2DManipulator* GetLogoManipulator() const { return _view.logoManipulator.get(); }
  // The right part of the status bar: zoom and the pixel under the pointer.
  QString GetPointerText() const;
  bool IsGridDisplayed() const { return _view.gridDisplayed != 0; }
  const KEP2DCustomRep* GetGridRep() const { return _view.gridRep.get(); }

  // --- effects (KEPAteloDocumentEffects.cpp) ---------------------------------------
  void ComposeAction();
  void LisseAction();
  void BlurAction();
  void LightAction();
  void GlowAction();
  void LuminosityAction();
  // The image is about to be deleted: the effect windows let go of it.
  void EffectsForgetImage(KEPAtelIma* image);
  // Mean lightness over size x size pixels, under the selection. 0 on
  // success.
  int BlurImage(KEPAtelIma* image, int size);
  // The smoothing window lets its "Select" go (another tool was chosen).
  void UncheckSmoothingSelect();
  // The current image changed: the smoothing preview goes.
  void SmoothingImageChanged();
  KEPAteloLisse* GetLisseDialog() const { return _effects.lisseDialog.get(); }
  KEPAteloCompose* GetComposeDialog() const { return _effects.composeDialog.get(); }
  // The split windows open, oldest first.
  std::vector<KEPAteloSplit*> GetSplitDialogs() const;

  // --- smoothing preview area (KEPAteloDocumentPreviewTool.cpp) -----------------------
  // Tool 0x20000 on the viewer, installed by SetToolCallbacks.
  void BeginPreviewPositioning(const KEPMathPoint2Df& point, int clientData);
  void ManipulatePreviewPositioning(const KEPMathPoint2Df& point, int clientData);
  void EndPreviewPositioning(const KEPMathPoint2Df& point, int clientData);
  void RemovePreviewOutline();

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
  KEPAteloInfo* GetInfoDialog() const { return _output.infoDialog.get(); }
  KEPAteloFormats* GetFormatsDialog() const { return _output.formatsDialog.get(); }
  KEPAteloPrinter* GetShellPrintDialog() const { return _output.shellPrintDialog.get(); }
  KEPAteloHelp* GetHelpContents() const { return _output.helpContents.get(); }
  KEPAteloHelp* GetHelpInterface() const { return _output.helpInterface.get(); }

  // --- edit toolbar (KEPAteloDocumentEditBar.cpp) ------------------------------------
  // Builds the edit toolbar on the side its dock state names (top when it
  // has none); its buttons are in the action map like the menu items.
  void CreateEditToolBar();
  QToolBar* GetEditToolBar() const { return _output.editToolBar; }
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
  // Page Down / Page Up and the arrows step through the series.
  void keyPressEvent(QKeyEvent* event) override;
  // A title given from outside (the command line's) is kept as the first
  // part of the shown title.
  void changeEvent(QEvent* event) override;

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

  // A batch run's frame that the renderer left unfinished: the exit status
  // and a line saying so (`when`: what came instead of its last patch).
  void NoteUnfinishedFrame(KEPAtelIma* image, const char* when);

  // --- edit helpers -----------------------------------------------------------------
  // What follows an undo copy: Save and Undo offered, Redo not, the eraser
  // as the copy allows.
  void UndoCopyTaken(KEPAtelIma* image, int eraseStyle);
  // Shows the clipboard as the floating object, in cell 1..16 of the image
  // or (cell 0) in the middle of the view.
  void PlaceClipboard(int cell);
  // The floating object shows `pixels` at view position (x, y).
  void ShowFloatingObject(std::vector<unsigned char>&& pixels, int width, int height, float x,
                          float y);
  // The floating object was replaced: its rep shows the new pixels, placed so
  // that its centre stays put.
  void ReplaceFloatingObject(std::vector<unsigned char>&& pixels, int width, int height);
  // Snaps the dragged object onto whole pixels of the image.
  void ManipulateClipboard();
  // Copy and Cut: the selected pixels into the clipboard (and, for a cut, 0
  // in the image); `noImage` is the message without an image or selection.
  void TakeSelection(KEPAtelIma* image, bool cut, const char* noImage);
  // Clears the clipboard after a failure and greys the paste commands.
  void ClipboardFailed();
  void UpdatePasteSensitivity();
  void UpdateSelectionSensitivity();
  // An image from the desktop clipboard, bottom row first; false without one.
  bool TakeDesktopImage();
  void PutOnDesktopClipboard() const;
  void ManipulateFloatingObject(int code);
  bool TransformImage(KEPAtelIma* image, int code);
  // Redisplays the image after its buffer or size changed.
  void ImageBufferChanged(KEPAtelIma* image);
  void ShowSetSize(const char* title, int width, int height, bool newImage);
  void CreateNewImage(int width, int height);

  // --- tool helpers ---------------------------------------------------------------------
  using ToolHandler = void (KEPAteloDocument::*)(const KEPMathPoint2Df& point, int clientData);
  // Client data of the shape handlers: outline, filled, selection.
  static constexpr int kOutlineVariant = 0, kFilledVariant = 1, kSelectionVariant = 3;
  // The largest tool parameters taken: thickness 8 is the whole 15 x 15
  // brush, and the spray's radius and dot count are those of its sliders.
  static constexpr int kMaxThickness = 8, kMaxSprayRadius = 30, kMaxSprayDensity = 30;
  struct ToolEntry {
    int code;
    ToolHandler begin, manipulate, end;
    int clientData;
  };
  static const ToolEntry* FindTool(int code);
  // Kinds: 1 drawing, 2 selection, 3 external (no toolbar group of its own).
  static int ToolKind(int code);
  // Releases every tool button but `keep`'s, merges the floating object and
  // makes `code` current.
  void PrepareTool(int code, int keep);
  void CreateDrawToolBar();
  QAction* AddToolButton(int code, const char* name, const char* label, const char* icon,
                         const char* help);
  QAction* AddDrawButton(const char* name, const char* label, const char* icon, const char* help,
                         std::function<void()> operation);
  void AddSelectionGroup();
  void AddManipulationGroup();
  // The outline being drawn: a fresh one holding `primitive`.
  template <class Primitive>
  Primitive* StartObjectRep(std::unique_ptr<Primitive> primitive, bool selection);
  // Rectangle, circle, polygon by clicks, free hand (client data 3:
  // selection).
  void BeginSquareDraw(const KEPMathPoint2Df& point, int clientData);
  void ManipulateSquareDraw(const KEPMathPoint2Df& point, int clientData);
  void EndSquareDraw(const KEPMathPoint2Df& point, int clientData);
  void BeginCircleDraw(const KEPMathPoint2Df& point, int clientData);
  void ManipulateCircleDraw(const KEPMathPoint2Df& point, int clientData);
  void EndCircleDraw(const KEPMathPoint2Df& point, int clientData);
  void BeginLineSelection(const KEPMathPoint2Df& point, int clientData);
  void ManipulateLineSelection(const KEPMathPoint2Df& point, int clientData);
  void BeginHandSelection(const KEPMathPoint2Df& point, int clientData);
  void ManipulateHandSelection(const KEPMathPoint2Df& point, int clientData);
  void EndHandSelection(const KEPMathPoint2Df& point, int clientData);
  // A press while an object floats: the object is merged.
  void DefaultBeginManipulate(const KEPMathPoint2Df& point, int clientData);
  // The drawing tools (KEPAteloDocumentStrokes.cpp): a line, the free-hand
  // pen, the spray and the eraser change pixels at every position of the
  // stroke; the fill and the colour sample act on one press.
  void BeginLineDraw(const KEPMathPoint2Df& point, int clientData);
  void ManipulateLineDraw(const KEPMathPoint2Df& point, int clientData);
  void EndLineDraw(const KEPMathPoint2Df& point, int clientData);
  void BeginHandDraw(const KEPMathPoint2Df& point, int clientData);
  void ManipulateHandDraw(const KEPMathPoint2Df& point, int clientData);
  void BeginSprayDraw(const KEPMathPoint2Df& point, int clientData);
  void ManipulateSprayDraw(const KEPMathPoint2Df& point, int clientData);
  void BeginErase(const KEPMathPoint2Df& point, int clientData);
  void ManipulateErase(const KEPMathPoint2Df& point, int clientData);
  void BeginPaint(const KEPMathPoint2Df& point, int clientData);
  void BeginSampleColor(const KEPMathPoint2Df& point, int clientData);
  // The pixel under a view point (floor of the point less the image's
  // origin); true when it lies inside the image.
  static bool PointerToPixel(const KEPAtelIma* image, const KEPMathPoint2Df& point, int& x, int& y);
  // How far the brush of that thickness reaches from its centre, in pixels.
  static int BrushReach(int thickness);
  // The commit of a drawing on the current image: the undo copy (once per
  // stroke, unless `saveForUndo` is false), `draw` on the image and on its
  // stereo companion, and the changed area (pixels x0..x1, y0..y1, cut to
  // the image) shown again. Nothing happens, and false is returned, when the
  // area misses the image.
  bool CommitDrawing(KEPAtelIma* image, int x0, int y0, int x1, int y1, bool saveForUndo,
                     const std::function<void(KEPAtelIma&)>& draw);
  // The stroke's next segment, from its last pixel to the one under
  // `point`, which becomes the last; false when the pointer stayed on the
  // same pixel or the segment runs wholly outside the image.
  bool NextStrokeSegment(const KEPAtelIma* image, const KEPMathPoint2Df& point, int& fromX,
                         int& fromY, int& x, int& y);
  // CommitDrawing over the box a brush of `reach` covers along a segment.
  void CommitSegment(KEPAtelIma* image, int fromX, int fromY, int x, int y, int reach,
                     bool saveForUndo, const std::function<void(KEPAtelIma&)>& draw);
  // A shape finished with a drawing tool: a polygon through view points, or
  // a circle, drawn in `mode` (0 outline, 1 filled) with the current colour
  // and parameters.
  void CommitPolygon(const std::vector<KEPMathPoint2Df>& points, int mode);
  void CommitCircle(const KEPMathPoint2Df& centre, float radius, int mode);
  // The eraser can no longer restore pixels: it is released and greyed.
  void StopEraser();
  // Another tool was chosen: "Sample" of the colour chooser is released.
  void ResetColorDialog();
  void AddDrawingGroup();
  void CreateToolViewer();

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

  // --- edit state -------------------------------------------------------------------
  KEPAteloEditState _edit;

  // --- tools state ------------------------------------------------------------------
  KEPAteloToolState _tools;

  // --- view state ----------------------------------------------------------------------
  // Called once the viewer and the status bar exist: the status readout,
  // the viewpoint subscription and the playback toolbar of the defaults.
  void SetUpView(int style);
  void UpdateWindowTitle();
  void UpdatePointerStatus();
  void RemoveGrid();
  // The logo, the grid: drawn over the image, so put back on top when the
  // image's representation is new.
  void KeepOverlaysOnTop();
  // The other eye's buffer for the current representation, while stereo is on.
  void AttachStereoPartner(KEPAtelIma* image);
  // Whether a new representation may be made for `image` with stereo on.
  bool StereoRepAllowed(KEPAtelIma* image);
  // The background under the current image, corner on its corner.
  void PlaceBackground();
  // Whether Save is offered for `image`: unsaved, or a logo that may be
  // merged is shown over it.
  bool SaveOffered(const KEPAtelIma* image) const;
  void CreatePlaybackToolBar();
  void RecordPlaybackDock();
  // Stops continuous playback without redisplaying.
  void StopPlayback();
  void StartPlayback(int direction);
  KEPAteloLogo* LogoDialog(const char* name);
  // Shows the current image's logo over it (or takes it away).
  void ShowImageLogo(KEPAtelIma* image);
  void HideLogoRep();
  void LogoDragged();

  KEPAteloViewState _view;

  // --- effects state ----------------------------------------------------------------
  KEPAteloEffectWindows _effects;

  // --- output state ---------------------------------------------------------------
  KEPAteloOutputWindows _output;
};
