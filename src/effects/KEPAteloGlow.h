#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "effects/KEPGlowParams.h"
#include "effects/KEPGlowProfiles.h"

class KEPAteloDocumentHost;
class KEPAteloProgress;
class KEPGlowPixelView;
struct KEPMathPoint2Df;
class QCheckBox;
class QPushButton;
class QSlider;
class QSpinBox;

// The "Glow Effect" window: the user picks the colour of a light in the
// document's image (by clicking it in the document's viewer), the light's
// colour and intensity and the halo's shape, sees the halo and a reduced
// preview of the result, and applies the glow to the current image (with an
// undo copy, a progress window and an Interrupt).
//
// The preview runs on a copy of the selected area reduced to at most 200
// pixels a side, with a kernel reduced in proportion; it keeps its
// accumulators so that a change of intensity or flare weight only redoes
// the final combination.
class KEPAteloGlow : public QDialog {
  Q_OBJECT

 public:
  // The hue and saturation disc: its centre and radius in its viewer.
  static constexpr int kDiscCentre = 60;
  static constexpr int kDiscRadius = 57;

  KEPAteloGlow(KEPAteloDocumentHost* host, QWidget* parent);
  ~KEPAteloGlow() override;

  // --- parameters ------------------------------------------------------------
  const KEPGlowLightSource& GetLightSource() const { return _light; }
  const KEPGlowHalo& GetHalo() const { return _halo; }
  const KEPGlowLineValues& GetLineValues() const { return _lines; }
  void GetSelectionColor(int& red, int& green, int& blue) const;
  void SetSelectionColor(int red, int green, int blue);
  void GetHighlightColor(int& red, int& green, int& blue) const;
  const KEPGlowSizes& GetSizes() const { return _sizes; }
  const KEPGlowSizes& GetPreviewSizes() const { return _previewSizes; }

  // --- area and preview ---------------------------------------------------------
  void GetArea(int& x, int& y, int& width, int& height) const;
  void GetZoomedSize(int& width, int& height, float& ratio) const;
  // The last preview (zoomed size), or the zoomed area before any.
  const std::vector<unsigned char>& GetPreviewPixels() const { return _previewPixels; }
  bool IsPreviewRunning() const { return _previewRunning != 0; }
  bool IsApplyRunning() const { return _applyRunning; }
  // Previews computed to their end since the window was built.
  int GetPreviewCount() const { return _previewCount; }
  KEPAteloProgress* GetProgress() const { return _progress.get(); }

  // --- actions ---------------------------------------------------------------
  void HCSliderAction();
  void GrabColorSelectionAction(const KEPMathPoint2Df& viewPoint);
  void GrabColorSelectionEndAction();
  void GrabLSColorAction(int px, int py);
  void GrabLSColorEndAction();
  void LSIntensSliderAction();
  void LSIntensSpinnerAction();
  void LSWhiteSatChkBtnAction();
  void HaloSizeSliderAction();
  void HaloSizeSpinnerAction();
  void FlarePropSliderAction();
  void FlarePropSpinnerAction();
  void FlareDiffSliderAction();
  void FlareDiffSpinnerAction();
  void RadLinesSliderAction();
  void RadLinesSpinnerAction();
  void StarEffectSliderAction();
  void StarEffectSpinnerAction();
  void DrawRLValuesBtnAction();
  void ResultPreviewChkRTAction();
  void ResultPreviewDoPBtnAction();
  void ResultPreviewInterruptBtnAction();
  void HaloVisuChkRTAction();
  void HaloVisuGetVBtnAction();
  void OkAction();
  void HideAction();
  void VisibilityAction();

  // --- computation -----------------------------------------------------------------
  void UpdateHVViewer();
  // Asks for a preview at the next idle moment (or, while one runs, stops
  // it and runs again after).
  void UpdateRPControlViewer();
  void ExecuteResultPreview();
  void DoResultPreview();
  // The glow of the current image's selected area, written into the image;
  // 0 on success, 1 when interrupted, -1 on error (errmsg set).
  int DoGlow();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void ConnectSlider(QSlider* slider, QSpinBox* spinner, void (KEPAteloGlow::*sliderAction)(),
                     void (KEPAteloGlow::*spinnerAction)());
  void SetControlsFromParameters();
  // The parameter that `value` of the slider/spinner pair gives.
  void IntensityFrom(int value);
  void SizeFrom(int value);
  void FlarePropFrom(int value);
  void FlareDiffFrom(int value);
  void RadLinesFrom(int value);
  void SymmetryFrom(int value);
  // What follows every parameter change: the halo viewer when it depends
  // on the parameter and is in real time, the preview when in real time.
  void ParameterChanged(bool haloChanged);
  void ComputeSizes();
  void SubscribeToViewer();
  void RemoveViewerCallbacks();

  void AllocateReps();
  void DeallocateReps();
  void DrawHighlightSwatch();
  void DrawLightSourceSwatch();
  void DrawHueSatDisc();
  void DrawSelectionViewer();
  void DrawBusyIndicator(bool busy);
  void StartApply();
  void ExecuteGlow();
  void ForgetPreview();

  KEPAteloDocumentHost* _host;

  // --- parameters ---------------------------------------------------------------
  int _selColor[3] = {-1, -1, -1};
  int _hlColor[3] = {255, 0, 255};
  KEPGlowLightSource _light;
  KEPGlowHalo _halo;
  KEPGlowLineValues _lines;
  unsigned char _interrupt = 0;
  KEPGlowSizes _sizes;
  KEPGlowSizes _previewSizes;

  // --- area ---------------------------------------------------------------------
  int _areaX = 0, _areaY = 0, _areaW = 0, _areaH = 0;
  std::vector<unsigned char> _areaPixels;
  std::vector<unsigned char> _areaMask;  // w x h, 0 inside the drawn shape; empty without
  int _zoomW = 0, _zoomH = 0;
  float _zoomRatio = 0.0f;
  std::vector<unsigned char> _zoomPixels;

  // --- preview -------------------------------------------------------------------
  struct PreviewKey {
    bool valid = false;
    KEPGlowLightSource light;
    KEPGlowHalo halo;
    int selection[3] = {-1, -1, -1};
  };
  PreviewKey _lastPreview;
  // Accumulators (and their kernels) that hold a finished run.
  bool _bloomValid = false, _flareValid = false;
  std::vector<float> _pvBloomProfile, _pvFlareProfile, _pvBloomKernel, _pvFlareKernel;
  std::vector<float> _pvBloomAcc, _pvFlareAcc;
  std::vector<unsigned char> _previewPixels;
  int _previewCount = 0;

  // --- halo visualisation -------------------------------------------------------
  struct HaloKey {
    bool valid = false;
    short whiteSaturation = 0;
    float flareDiffusion = 0.0f, hue = 0.0f, saturation = 0.0f;
  };
  HaloKey _lastHalo;
  bool _hvLinesValid = false;
  std::vector<float> _hvMap1, _hvMap2, _hvBloomProfile, _hvFlareProfile;

  // --- flags ---------------------------------------------------------------------
  short _previewRT = 0, _haloRT = 1;
  short _previewRunning = 0;
  unsigned char _previewInterrupt = 0;
  short _rerunPreview = 0, _hideWhenDone = 0, _applyWhenDone = 0;
  bool _applyRunning = false;
  bool _shown = false;
  int _previewIdle = 0, _applyIdle = 0;
  std::vector<int> _viewerCallbacks;
  std::unique_ptr<KEPAteloProgress> _progress;

  // --- controls ------------------------------------------------------------------
  QSlider* _hcSlider = nullptr;
  KEPGlowPixelView* _hcViewer = nullptr;
  KEPGlowPixelView* _scControlViewer = nullptr;
  KEPGlowPixelView* _rpControlViewer = nullptr;
  QCheckBox* _previewRTBtn = nullptr;
  QPushButton* _previewDoBtn = nullptr;
  QPushButton* _previewInterruptBtn = nullptr;
  KEPGlowPixelView* _calcViewer = nullptr;
  QSlider* _intensSlider = nullptr;
  QSpinBox* _intensSpinner = nullptr;
  KEPGlowPixelView* _hueSatViewer = nullptr;
  KEPGlowPixelView* _lsColorViewer = nullptr;
  QCheckBox* _whiteSatBtn = nullptr;
  KEPGlowPixelView* _hvViewer = nullptr;
  QCheckBox* _haloRTBtn = nullptr;
  QPushButton* _haloGetBtn = nullptr;
  QSlider* _sizeSlider = nullptr;
  QSpinBox* _sizeSpinner = nullptr;
  QSlider* _flarePropSlider = nullptr;
  QSpinBox* _flarePropSpinner = nullptr;
  QSlider* _flareDiffSlider = nullptr;
  QSpinBox* _flareDiffSpinner = nullptr;
  QSlider* _radLinesSlider = nullptr;
  QSpinBox* _radLinesSpinner = nullptr;
  QSlider* _starSlider = nullptr;
  QSpinBox* _starSpinner = nullptr;
};
