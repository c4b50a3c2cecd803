#pragma once

#include <QDialog>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "image/KEPAtelIma.h"
#include "series/KEPSeriesLabels.h"

class KEPAteloSeriesHost;
class QAction;
class QListWidget;
class QMenu;
class QPushButton;

// The series: every image open in the workbench, in the user's order, with
// the current one; and the "Series" window that shows one line per image.
// The series owns its images. Every save of an image goes through it
// (SaveSingle) so that the same row of questions is always asked.
class KEPAteloSeries : public QDialog {
  Q_OBJECT

 public:
  explicit KEPAteloSeries(KEPAteloSeriesHost* host, QWidget* parent = nullptr);
  ~KEPAteloSeries() override;

  // --- operations offered to the rest of the system ------------------------
  // One playback step; returns the direction to keep.
  virtual int NextImage(int direction, int loop);
  // Makes the image at `position` current and shows it, even when it
  // already is (a redisplay).
  virtual int SelectImage(int position);
  virtual KEPAtelIma* GetCurImage() const;
  virtual KEPAtelIma* GetPosImage(int position) const;
  virtual int GetNbrImage() const;
  virtual int GetCurValue() const;
  virtual std::string GetCurLabel() const;
  virtual int LocateImage(const KEPAtelIma* image) const;
  // Whether the image is in the series, without looking for its place.
  bool Contains(const KEPAtelIma* image) const;
  // Inserts after the current image (or the last selected line); with
  // `select` the new image becomes current. 0 = success.
  virtual int InsertOneImageAfter(const char* fileName, int select);
  // Takes `image` (or inserts a copy when it is in the series already).
  virtual int InsertOneImageAfter(KEPAtelIma* image, int select);
  // Takes `image`, puts it last and makes it current.
  virtual int AppendOneImage(KEPAtelIma* image);
  virtual int CloseSelectedImage();
  virtual int CloseAllImages();
  virtual int SaveSelectedImages(int maxCount, const char* newName);
  virtual int SaveAllImages(const char* newName = nullptr);
  virtual int SaveOneImage(KEPAtelIma* image, const char* newName = nullptr);
  virtual int InsertSeries(const char* fileName, int select);
  virtual int SaveSeries(const char* fileName);
  virtual void RemoveAllReps();
  virtual KEPAtelIma* GetCoupledImage(const KEPAtelIma* image) const;
  virtual void AssociateStereoImages();
  virtual void DissociateStereoImages();
  virtual void DeleteListPaste();
  // Position 0: after the current image, or after the last selected line
  // when lines are selected. Otherwise after that 1-based position.
  virtual int InsertSingleAfter(const char* fileName, int position);
  virtual int InsertSingleAfter(KEPAtelIma* image, int position);

  // --- saving policy --------------------------------------------------------
  // 0 = success (or the user gave the save up); otherwise errmsg holds why.
  int SaveSingle(KEPAtelIma* image, const char* newName);
  int SaveSingle(int position, const char* newName);
  // The images at `positions` in order, or every image when none are given
  // or as many as the series holds; stops at the first failure.
  int SaveMulti(const char* newName, std::span<const int> positions);

  // The row of questions. PromptIfNotDone, PromptIfNotSaved and
  // PromptIfExist return 1 to go on and 0 to stop; PromptIfLogo returns the
  // merge choice; PromptIfOverWrite the button chosen (0 when not asked).
  int PromptIfNotDone(KEPAtelIma* image);
  int PromptIfNotSaved(KEPAtelIma* image);
  int PromptIfExist(const char* fileName);
  int PromptIfLogo(KEPAtelIma* image);
  int PromptIfOverWrite(KEPAtelIma* image);
  void PromptIfTiffFormat(KEPAtelIma* image);

  static std::string ResolveFilename(const char* name);

  // --- list editing -----------------------------------------------------------
  // Empty `positions`, or every position: all images.
  int RemoveMulti(std::span<const int> positions);
  int CopyMulti(std::span<const int> positions);
  // The selected lines, at most maxCount of them (0 = all); nothing when
  // no line is selected.
  int RemoveSelectedImages(int maxCount);
  int UpSingle(int position);
  int DownSingle(int position);
  int UpMulti(std::span<const int> positions);
  int DownMulti(std::span<const int> positions);
  int SwapImages(int first, int second);
  void UpdateLine(int position);

  // Frees at least `missing` bytes of pixels if it can, by dropping those of
  // saved images that are not shown, least recently shown first (they are
  // read again when shown); returns the bytes freed. The image memory budget
  // calls it when an allocation would pass the budget.
  std::uint64_t ReclaimPixels(std::uint64_t missing);

  // Selected lines as 1-based positions, in list order.
  std::vector<int> GetSelectedPositions() const;
  // Selects exactly these lines, without making any of them current.
  void SetSelectedPositions(std::span<const int> positions);
  const KEPListPtrKEPAtelIma& GetPasteList() const { return _pasteList; }
  // Text of the line of `position` ("" when there is none).
  std::string GetLabel(int position) const;

  // --- window handlers --------------------------------------------------------
  void OpenAction();
  void SaveAction();
  void CutAction();
  void CopyAction();
  void PasteAction();
  void UpAction();
  void DownAction();
  void HideAction();
  // The list's selection changed: the first selected line becomes current.
  void SingleSelection();

 private:
  void BuildWindow();
  void UpdateButtons();

  // The images at `positions`, or every image when none are given or as
  // many as the series holds (the rule of the multi-line commands).
  std::vector<KEPAtelIma*> ImagesAt(std::span<const int> positions) const;
  // Position after which a new image goes, from a caller's position.
  int InsertionPoint(int position) const;
  // Puts an image after `after` (0..count) with its unique label; returns
  // its position.
  int PlaceImage(std::unique_ptr<KEPAtelIma> image, int after);
  int InsertImageAfter(KEPAtelIma* image, int after);
  int InsertFileAfter(const char* fileName, int after);
  // Takes the image at `position` out of the list and its line out of the
  // window; the current position keeps to its image when it can.
  std::unique_ptr<KEPAtelIma> TakeImage(int position);
  // An image that left the series: kept while the paste list shows it,
  // deleted otherwise.
  void Discard(std::unique_ptr<KEPAtelIma> image);
  void MoveImage(int from, int to);
  // Makes `position` current, loading its pixels back when they were
  // dropped, and has the host show it.
  void ActivatePosition(int position, bool keepSelection);
  int MoveOne(KEPAtelIma* image, bool up);
  int MoveMulti(std::span<const int> positions, bool up);
  // The label the image gets now (its line's own label not counting).
  std::string LabelOf(const KEPAtelIma* image);
  void RegisterReclaimer();
  void UnregisterReclaimer();
  // The image was put in the series or made current.
  void MarkShown(const KEPAtelIma* image);
  // `names` counts the images of each file name.
  bool CanDropPixels(const KEPAtelIma* image,
                     const std::unordered_map<std::string, int>& names) const;

  // A question in a box in picture mode; otherwise `defaultAnswer` at once
  // and `statement` to the message path.
  int Ask(const std::string& text, std::vector<std::string> buttons, const std::string& statement,
          int defaultAnswer);

  KEPAteloSeriesHost* _host;  // not owned
  // A deque: closing the series takes its images from the front, which a
  // vector would pay for with a move of all the others each time.
  std::deque<std::unique_ptr<KEPAtelIma>> _images;
  std::unordered_set<const KEPAtelIma*> _members;  // the same images, to test membership
  KEPSeriesLabels _labels;                         // what the lines show
  int _current = 0;
  // When each image was last made current (or put in), for the memory
  // budget's order of reclaiming.
  std::unordered_map<const KEPAtelIma*, std::uint64_t> _lastShown;
  std::uint64_t _showClock = 0;
  // The image being saved: its pixels stay while the save reads others.
  const KEPAtelIma* _pinned = nullptr;
  // Cut or copied images waiting to be pasted; those that left the series
  // are owned by _pasteOwned.
  KEPListPtrKEPAtelIma _pasteList;
  std::vector<std::unique_ptr<KEPAtelIma>> _pasteOwned;
  int _lastInserted = 0;

  QListWidget* _list = nullptr;
  QMenu* _listMenu = nullptr;
  QPushButton *_openBtn = nullptr, *_saveBtn = nullptr, *_cutBtn = nullptr, *_copyBtn = nullptr,
              *_pasteBtn = nullptr, *_upBtn = nullptr, *_downBtn = nullptr;
  QAction *_cutItem = nullptr, *_copyItem = nullptr, *_pasteItem = nullptr;
};
