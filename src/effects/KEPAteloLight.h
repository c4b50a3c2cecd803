#pragma once

#include <QDialog>
#include <QPointer>
#include <vector>

#include "effects/KEPAnalysisArea.h"
#include "effects/KEPAnalysisTarget.h"
#include "effects/KEPLightSettings.h"
#include "platform/viewer/KEPMathPoint2Df.h"

class KEP2DIndicator;
class KEPAnalysisSpinner;
class KEPAnalysisSwatch;
class KEPAnalysisView;
class KEPAtelIma;
class KEPAteloDocumentHost;
class QCheckBox;
class QLineEdit;
class QRadioButton;
class QSlider;

// "Color Analysis": marks in a control colour the pixels of the selected
// area whose hue, lightness and saturation lie within tolerances of a
// chosen colour. A reduced copy of the area shows the result inside the
// window; "Preview" shows it on the document's picture; OK applies it and
// Cancel puts the picture back. The colour can be picked by a click on the
// document's picture.
class KEPAteloLight : public QDialog {
  Q_OBJECT

 public:
  KEPAteloLight(KEPAteloDocumentHost* document, QWidget* parent);
  ~KEPAteloLight() override;

  const KEPLightSettings& GetSettings() const { return _settings; }
  const KEPLightSettings& GetConfirmedSettings() const { return _confirmed; }
  // The control copies (source or analysed) and their size.
  const std::vector<unsigned char>& GetControlImage(bool analysed) const {
    return analysed ? _controlAnalysed : _controlSource;
  }
  int GetControlWidth() const { return _controlWidth; }
  int GetControlHeight() const { return _controlHeight; }
  // The document is about to delete an image: if it is the one analysed,
  // the window closes without touching it.
  void ImageDeleted(KEPAtelIma* image);

  // --- operations ------------------------------------------------------------
  void AnalyseImage(const unsigned char* src, unsigned char* dst, int width, int height,
                    const KEPAnalysisArea& area) const;
  void UpdateAnalysisImage(short redraw);
  void UpdateDocumentImage();
  void RestoreDocumentImage();
  void UpdateColorViewers();
  void UpdateControlColorViewer();
  // A press and its release on the document's viewer, in view coordinates.
  void GrabColorSampleAction(const KEPMathPoint2Df& viewPoint);
  void GrabColorSampleEndAction();
  bool InitDialog();
  void OKAction();
  void HideAction();

  // --- controls --------------------------------------------------------------
  void PreviewChkBAction();
  void AnalysisRadBAction();
  void ImageRadBAction();
  void ControlColorSliderAction();
  void ControlColorSliderEndAction();
  void HueChkBAction();
  void HueSliderAction();
  void HueSliderEndAction();
  void HueEditAction();
  void LightChkBAction();
  void LightSliderAction();
  void LightSliderEndAction();
  void LightEditAction();
  void SaturationChkBAction();
  void SaturationSliderAction();
  void SaturationSliderEndAction();
  void SaturationEditAction();
  void HuePrecisionSpinnerAction();
  void LightPrecisionSpinnerAction();
  void SaturationPrecisionSpinnerAction();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void BuildWindow();
  // Controls from the settings in use, without notifications.
  void SetControls();
  // The document picture follows when the preview is on.
  void UpdateDocumentIfPreview();
  // Both pictures: the control copy now, the document's with the preview.
  void Reanalyse();
  // A whole number typed in an editor, within low..high, or a warning.
  bool ReadEditor(QLineEdit* editor, int low, int high, const char* warning, int& value);
  void SetHueEditor();
  // Checks and stores a precision spinner's value (divided by `unit`).
  void ReadSpinner(KEPAnalysisSpinner* spinner, float unit, const char* warning, float& precision);
  void Warn(const char* text);
  void ShowControlImage();
  void Subscribe();
  void Unsubscribe();
  // Frees the work pictures; the window is no longer initialised.
  void EndSession();

  KEPAteloDocumentHost* _document;
  KEPLightSettings _confirmed;
  KEPLightSettings _settings;
  short _preview = 0;
  short _showAnalysed = 1;
  bool _initialised = false;
  KEPAnalysisTarget _target;
  std::vector<unsigned char> _controlSource, _controlAnalysed;
  KEPAnalysisArea _controlArea;
  int _controlWidth = 0, _controlHeight = 0;
  // Press and release on the document's viewer while the window is open.
  KEP2DIndicator* _indicator = nullptr;
  int _pressId = 0, _moveId = 0, _releaseId = 0;

  QCheckBox* _previewCheck;
  KEPAnalysisView* _resultsControl;
  QRadioButton* _analysisRadio;
  QRadioButton* _imageRadio;
  QSlider* _controlColorSlider;
  KEPAnalysisSwatch* _controlColorViewer;
  QCheckBox* _hueCheck;
  QSlider* _hueSlider;
  QLineEdit* _hueEditor;
  QCheckBox* _lightCheck;
  QSlider* _lightSlider;
  QLineEdit* _lightEditor;
  QCheckBox* _saturationCheck;
  QSlider* _saturationSlider;
  QLineEdit* _saturationEditor;
  KEPAnalysisSpinner* _huePrecision;
  KEPAnalysisSpinner* _lightPrecision;
  KEPAnalysisSpinner* _saturationPrecision;
  KEPAnalysisSwatch* _hueColorViewer;
  KEPAnalysisSwatch* _lightColorViewer;
  KEPAnalysisSwatch* _saturationColorViewer;
  KEPAnalysisSwatch* _hlsColorViewer;
};
