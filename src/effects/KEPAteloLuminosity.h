#pragma once

#include <QDialog>
#include <QPointer>
#include <vector>

#include "effects/KEPAnalysisArea.h"
#include "effects/KEPAnalysisTarget.h"
#include "effects/KEPLuminosityAnalysis.h"
#include "effects/KEPLuminosityShading.h"
#include "platform/viewer/KEPMathPoint2Df.h"

class KEP2DViewer;
class KEPAnalysisSwatch;
class KEPAnalysisView;
class KEPAtelIma;
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
class KEPAteloLuminosity : public QDialog {
  Q_OBJECT

 public:
  KEPAteloLuminosity(KEPAteloDocumentHost* document, QWidget* parent);
  ~KEPAteloLuminosity() override;

  const KEPLuminositySettings& GetSettings() const { return _settings; }
  const KEPLuminositySettings& GetConfirmedSettings() const { return _confirmed; }
  const std::vector<unsigned char>& GetControlImage(bool analysed) const {
    return analysed ? _controlAnalysed : _controlSource;
  }
  int GetControlWidth() const { return _controlWidth; }
  int GetControlHeight() const { return _controlHeight; }
  const std::vector<unsigned char>& GetShadingBar() const { return _shadingBar; }
  // The range of values measured when the window opened (-1 before).
  float GetSmallest() const { return _smallest; }
  float GetLargest() const { return _largest; }
  // The document is about to delete an image: if it is the one analysed,
  // the window closes without touching it.
  void ImageDeleted(KEPAtelIma* image);

  // --- operations ------------------------------------------------------------
  void AnalyseImage(const unsigned char* src, unsigned char* dst, int width, int height,
                    const KEPAnalysisArea& area, bool busy);
  void InitSortedShadingStep();
  void SortShadingStep();
  void ControlCheckBoxes();
  void UpdateAnalysisImage(short redraw);
  void UpdateDocumentImage();
  void RestoreDocumentImage();
  void UpdateColorShadingViewer();
  // The pointer moved over the document's viewer (view coordinates).
  void DisplayLuminosityValueAction(const KEPMathPoint2Df& viewPoint);
  bool InitDialog();
  void OKAction();
  void HideAction();

  // --- controls --------------------------------------------------------------
  void PreviewChkBAction();
  void AnalysisRadBAction();
  void ImageRadBAction();
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
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void BuildWindow();
  void SetControls();
  void LevelCheckAction(int level);
  void LevelSliderAction(int level);
  void LevelSliderEndAction(int level);
  void SetType(int type);
  void UpdateDocumentIfPreview();
  void ShowControlImage();
  void Subscribe();
  void Unsubscribe();
  void EndSession();

  KEPAteloDocumentHost* _document;
  KEPLuminositySettings _confirmed;
  KEPLuminositySettings _settings;
  // Points at the levels of _settings.
  KEPLuminosityShading _shading;
  short _preview = 0;
  short _showAnalysed = 1;
  bool _initialised = false;
  float _smallest = -1.0f, _largest = -1.0f;
  KEPAnalysisTarget _target;
  std::vector<unsigned char> _controlSource, _controlAnalysed, _shadingBar;
  KEPAnalysisArea _controlArea;
  int _controlWidth = 0, _controlHeight = 0;
  // Pointer motion over the document's viewer while the window is open.
  QPointer<KEP2DViewer> _viewer;
  int _hoverId = 0;

  QCheckBox* _previewCheck;
  KEPAnalysisView* _resultsControl;
  QRadioButton* _analysisRadio;
  QRadioButton* _imageRadio;
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
