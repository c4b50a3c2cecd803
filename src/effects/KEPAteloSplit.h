#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "effects/KEPSplit.h"

class KEP2DCustomRep;
class KEP2DViewer;
class KEPAtelIma;
class KEPAteloDocumentHost;
class KEPCatalog2DImagePixelRep;
class QLineEdit;
class QPushButton;

// The "Split" window: an image file too large to open whole is offered for
// cutting into an exact grid of equal tiles. The user steps through the
// grids that fit and OK puts the tiles into the series, named after the
// image, in place of it. The window owns the image; it is dropped with the
// window, which tells its owner when it is done (Finished).
class KEPAteloSplit : public QDialog {
  Q_OBJECT

 public:
  // Largest side of the preview picture.
  static constexpr int kPreviewSide = 320;

  KEPAteloSplit(KEPAteloDocumentHost* document, QWidget* parent);
  ~KEPAteloSplit() override;

  // Reads the image's pixels and shows the first proposal; the tiles will
  // follow series position `position`. Non-zero when the image cannot be
  // read (errmsg says why; the window stays hidden).
  int Init(std::unique_ptr<KEPAtelIma> image, int position);
  void ComputeValues();
  void NextAction();
  void PreviousAction();
  void UpdatePreview();
  void OkAction();
  void HideAction();

  const std::vector<KEPSplit::Proposal>& GetProposals() const { return _proposals; }
  int GetCurrent() const { return _current; }
  KEPAtelIma* GetImage() const { return _image.get(); }

 signals:
  // Hidden for good: the owner may delete the window.
  void Finished();

 public slots:
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void UpdateButtons();

  KEPAteloDocumentHost* _document;
  std::unique_ptr<KEPAtelIma> _image;
  int _position = 0;
  int _width = 0, _height = 0;
  float _aspect = 1.0f;
  std::vector<KEPSplit::Proposal> _proposals;
  int _current = 0;

  QLineEdit* _patchNbHorizVal;
  QLineEdit* _patchNbVertVal;
  QLineEdit* _patchWidthVal;
  QLineEdit* _patchHeightVal;
  KEP2DViewer* _splitPreviewer;
  QPushButton* _prevBtn;
  QPushButton* _nextBtn;
  QPushButton* _okBtn;
  std::vector<unsigned char> _thumbnail;
  int _thumbWidth = 0, _thumbHeight = 0;
  std::unique_ptr<KEPCatalog2DImagePixelRep> _thumbRep;
  std::unique_ptr<KEP2DCustomRep> _gridRep;
};
