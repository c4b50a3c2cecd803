#pragma once

#include <cstdint>
#include <string>

class KEPAtelIma;
class QWidget;

// What the series needs of the window that owns it (the document): its
// display mode and title for questions, its message path, the user's saving
// settings, and the display of images. The document implements it; tests
// use a fake.
class KEPAteloSeriesHost {
 public:
  // Display modes: questions are asked in boxes only in picture mode.
  enum : int { MODE_RENDER = 1, MODE_PICTURE = 2, MODE_RENDER_VISU_OFF = 3 };

  virtual ~KEPAteloSeriesHost() = default;

  // --- mode, title, messages ---------------------------------------------
  virtual int GetModeAff() const = 0;
  // Title given to every box the series shows.
  virtual std::string GetTitle() const = 0;
  // Parent of the boxes the series shows.
  virtual QWidget* GetPromptParent() = 0;
  // Messages window, or standard output in a batch run.
  virtual void RenderMessage(int length, const char* text) = 0;
  // Ends the rendering in progress.
  virtual void RenderEnd() = 0;
  // Shows errmsg: a box in picture mode, the message path otherwise.
  virtual void DisplayError() = 0;

  // --- settings (Defaults) -------------------------------------------------
  virtual int GetKeepMode() const = 0;
  virtual void SetKeepMode(int mode) = 0;
  virtual int GetWriteMode() const = 0;  // overwrite
  virtual void SetWriteMode(int mode) = 0;
  virtual int GetIncrementMode() const = 0;
  virtual void SetIncrementMode(int mode) = 0;
  virtual int GetPromptMode() const = 0;
  virtual int GetSplitMode() const = 0;
  virtual std::int64_t GetSplitSize() const = 0;  // bytes
  virtual int GetMergeLogoMode() const = 0;       // 0 never, 1 ask, 2 always

  // --- display -------------------------------------------------------------
  // Lets the image display itself in the viewer later.
  virtual void LinkImageToViewer(KEPAtelIma* image) = 0;
  // The current image of the series changed (or was saved): show it.
  virtual void UpdateImage() = 0;
  // Takes the image's representation off the viewer and the viewer
  // indicator, before the image leaves the series or its pixels go.
  virtual void RemoveImageRep(KEPAtelIma* image) = 0;

  // --- stereo --------------------------------------------------------------
  virtual bool IsStereoActivate() const = 0;
  virtual void PromptIfOddImageNumber(int count) = 0;

  // --- window commands -----------------------------------------------------
  virtual void OpenAction() = 0;
  // clientData 1: the file box offers series files.
  virtual void SaveAsAction(int clientData) = 0;

  // The series is about to delete `image` (it left the series and no paste
  // waits for it): whoever still points at it lets go.
  virtual void ImageDeleted(KEPAtelIma* image) { (void)image; }

  // A file at least as large as the split size is offered for splitting.
  // Returning true means the host took `image` (it owns it from then on)
  // and will insert its pieces after `position`; false opens it whole.
  virtual bool OpenSplitDialog(KEPAtelIma* image, int position) {
    (void)image;
    (void)position;
    return false;
  }
};
