#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "effects/KEPComposeLayout.h"

class KEP2DCustomRep;
class KEP2DViewer;
class KEPAteloDocumentHost;
class KEPCatalog2DImagePixelRep;
class QCheckBox;
class QLineEdit;
class QSlider;
class QSpinBox;

// The "Compose" window: the images of the series laid out as patches of one
// new picture, a contact sheet, over a background image or a vertical
// gradient. The picture arrives as a rendering does, so it joins the series
// like one.
class KEPAteloCompose : public QDialog {
  Q_OBJECT

 public:
  KEPAteloCompose(KEPAteloDocumentHost* document, QWidget* parent);
  ~KEPAteloCompose() override;

  // The values for the series as it is now: the current image's size (the
  // viewer's without one), a square grid that holds every image.
  void Init();

  // --- controls ------------------------------------------------------------
  void ImageSizeAction();
  void PatchCountAction();
  void PatchSizeAction();
  void ImageSizeChkAction(bool on);
  void PatchSizeChkAction(bool on);
  void PatchClipChkAction(bool on);
  // A typed background name.
  void BgFileAction();
  void BgFileBtnAction();
  void OkBgFile(const std::string& name);
  void BgFitChkAction(bool on);
  // index 0..2 top red, green, blue; 3..5 bottom.
  void ColorSliderAction(int index, int value);
  void ColorSpinnerAction(int index, int value);
  void UpdatePreview();
  void OkAction();
  void HideAction();

  // --- state, for the document and tests ------------------------------------------
  const KEPComposeLayout& GetLayout() const { return _layout; }
  const std::string& GetBackground() const { return _bgFile; }
  void GetColors(int top[3], int bottom[3]) const;

 public slots:
  void reject() override;

 private:
  void ShowValues();
  // The number typed into a field, or 0 when it is not one from 1 to the
  // largest image side.
  static int FieldValue(const QLineEdit* field);
  void UpdateColorViewer();

  KEPAteloDocumentHost* _document;
  KEPComposeLayout _layout;
  std::string _bgFile;
  bool _clip = false;
  bool _fit = false;
  int _colors[6] = {96, 112, 160, 16, 16, 32};

  QLineEdit* _imageWidthVal;
  QLineEdit* _imageHeightVal;
  QLineEdit* _patchNbWidthVal;
  QLineEdit* _patchNbHeightVal;
  QLineEdit* _patchWidthVal;
  QLineEdit* _patchHeightVal;
  QCheckBox* _imageSizeChk;
  QCheckBox* _patchSizeChk;
  QCheckBox* _patchClipChk;
  QLineEdit* _bgFileVal;
  QCheckBox* _bgFitChk;
  QSlider* _sliders[6];
  QSpinBox* _spinners[6];
  KEP2DViewer* _previewViewer;
  std::unique_ptr<KEP2DCustomRep> _layoutRep;
  KEP2DViewer* _colorViewer;
  std::vector<unsigned char> _colorPixels;
  std::unique_ptr<KEPCatalog2DImagePixelRep> _colorRep;
};
