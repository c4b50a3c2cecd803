#pragma once

#include "effects/KEPAnalysisDialog.h"
#include "effects/KEPLightSettings.h"
#include "platform/viewer/KEPMathPoint2Df.h"

class KEP2DIndicator;
class KEPAnalysisSpinner;
class KEPAnalysisSwatch;
class KEPAteloDocumentHost;
class QCheckBox;
class QLineEdit;
class QSlider;

// "Color Analysis": marks in a control colour the pixels of the selected
// area whose hue, lightness and saturation lie within tolerances of a
// chosen colour. A reduced copy of the area shows the result inside the
// window; "Preview" shows it on the document's picture; OK applies it and
// Cancel puts the picture back. The colour can be picked by a click on the
// document's picture.
class KEPAteloLight : public KEPAnalysisDialog {
  Q_OBJECT

 public:
  KEPAteloLight(KEPAteloDocumentHost* document, QWidget* parent);
  ~KEPAteloLight() override;

  const KEPLightSettings& GetSettings() const { return _settings; }
  const KEPLightSettings& GetConfirmedSettings() const { return _confirmed; }

  // --- operations ------------------------------------------------------------
  void AnalyseImage(const unsigned char* src, unsigned char* dst, int width, int height,
                    const KEPAnalysisArea& area) const;
  void UpdateColorViewers();
  void UpdateControlColorViewer();
  // A press and its release on the document's viewer, in view coordinates.
  void GrabColorSampleAction(const KEPMathPoint2Df& viewPoint);
  void GrabColorSampleEndAction();

  // --- controls --------------------------------------------------------------
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
  void Analyse(const unsigned char* src, unsigned char* dst, int width, int height,
               const KEPAnalysisArea& area) override {
    AnalyseImage(src, dst, width, height, area);
  }
  void StartSession() override;
  void ConfirmSettings() override { _confirmed = _settings; }
  void Subscribe() override;
  void Unsubscribe() override;

 private:
  void BuildWindow();
  // Controls from the settings in use, without notifications.
  void SetControls();
  // Both pictures: the control copy now, the document's with the preview.
  void Reanalyse();
  // A whole number typed in an editor, within low..high, or a warning.
  bool ReadEditor(QLineEdit* editor, int low, int high, const char* warning, int& value);
  void SetHueEditor();
  // Checks and stores a precision spinner's value (divided by `unit`).
  void ReadSpinner(KEPAnalysisSpinner* spinner, float unit, const char* warning, float& precision);
  void Warn(const char* text);

  KEPLightSettings _confirmed;
  KEPLightSettings _settings;
  // Press and release on the document's viewer while the window is open.
  KEP2DIndicator* _indicator = nullptr;
  int _pressId = 0, _moveId = 0, _releaseId = 0;

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
