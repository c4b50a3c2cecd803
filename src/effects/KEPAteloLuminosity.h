#pragma once

#include <QPointer>

#include "effects/KEPAnalysisDialog.h"
#include "effects/KEPLuminosityAnalysis.h"
#include "effects/KEPLuminosityShading.h"
#include "platform/viewer/KEPMathPoint2Df.h"

class KEP2DViewer;
class KEPAnalysisSwatch;
class KEPAnalysisView;
class KEPAteloDocumentHost;
class QCheckBox;
class QPushButton;
class QRadioButton;
class QSlider;

// "Luminosity Analysis": false colours for the luminosity or the local
// contrast of the selected area, cut into bands and shaded through up to
// three colour levels, with outlines between bands if asked. A reduced copy
// of the area shows the result inside the window; "Preview" shows it on the
// document's picture; OK applies it and Cancel puts the picture back. While
// the window is open, the status bar tells the value under the pointer.
class KEPAteloLuminosity : public KEPAnalysisDialog {
  Q_OBJECT

 public:
  KEPAteloLuminosity(KEPAteloDocumentHost* document, QWidget* parent);
  ~KEPAteloLuminosity() override;

  const KEPLuminositySettings& GetSettings() const { return _settings; }
  const KEPLuminositySettings& GetConfirmedSettings() const { return _confirmed; }
  const std::vector<unsigned char>& GetShadingBar() const { return _shadingBar; }
  // The range of values measured when the window opened (-1 before).
  float GetSmallest() const { return _smallest; }
  float GetLargest() const { return _largest; }

  // --- operations ------------------------------------------------------------
  void AnalyseImage(const unsigned char* src, unsigned char* dst, int width, int height,
                    const KEPAnalysisArea& area, bool busy);
  void InitSortedShadingStep();
  void SortShadingStep();
  void ControlCheckBoxes();
  void UpdateColorShadingViewer();
  // The pointer moved over the document's viewer (view coordinates).
  void DisplayLuminosityValueAction(const KEPMathPoint2Df& viewPoint);

  // --- controls --------------------------------------------------------------
  void LuminosityRadBAction();
  void ContrastRadBAction();
  void LuminosityFreqSliderAction();
  void LuminosityFreqSliderEndAction();
  void OutlinesChkBAction();
  void Luminosity1ChkBAction() { LevelCheckAction(0); }
  void Luminosity2ChkBAction() { LevelCheckAction(1); }
  void Luminosity3ChkBAction() { LevelCheckAction(2); }
  void Luminosity1SliderAction() { LevelSliderAction(0); }
  void Luminosity2SliderAction() { LevelSliderAction(1); }
  void Luminosity3SliderAction() { LevelSliderAction(2); }
  void Luminosity1SliderEndAction() { LevelSliderEndAction(0); }
  void Luminosity2SliderEndAction() { LevelSliderEndAction(1); }
  void Luminosity3SliderEndAction() { LevelSliderEndAction(2); }
  void AutoAdjustmentPushBAction();

 protected:
  void Analyse(const unsigned char* src, unsigned char* dst, int width, int height,
               const KEPAnalysisArea& area) override {
    AnalyseImage(src, dst, width, height, area, false);
  }
  void StartSession() override;
  void ConfirmSettings() override { _confirmed = _settings; }
  void Subscribe() override;
  void Unsubscribe() override;

 private:
  void BuildWindow();
  void SetControls();
  void LevelCheckAction(int level);
  void LevelSliderAction(int level);
  void LevelSliderEndAction(int level);
  void SetType(int type);

  KEPLuminositySettings _confirmed;
  KEPLuminositySettings _settings;
  // Points at the levels of _settings.
  KEPLuminosityShading _shading;
  float _smallest = -1.0f, _largest = -1.0f;
  std::vector<unsigned char> _shadingBar;
  // Pointer motion over the document's viewer while the window is open.
  QPointer<KEP2DViewer> _viewer;
  int _hoverId = 0;

  QRadioButton* _luminosityRadio;
  QRadioButton* _contrastRadio;
  QSlider* _frequencySlider;
  QCheckBox* _outlinesCheck;
  KEPAnalysisView* _shadingViewer;
  QCheckBox* _levelChecks[3];
  QSlider* _levelSliders[3];
  KEPAnalysisSwatch* _levelSwatches[3];
  QPushButton* _autoAdjust;
};
