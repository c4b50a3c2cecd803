#pragma once

#include <QDialog>
#include <memory>
#include <vector>

class KEP2DViewer;
class KEPAtelIma;
class KEPAteloDocumentHost;
class KEPAteloProgress;
class KEPCatalog2DImagePixelRep;
class KEPSmoothingRun;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;

// The "Smoothing" window: an edge-preserving diffusion of three colour
// components, RGB or HLS, tried step by step on a small preview taken from
// the image, then applied to the image (and its stereo partner) with an
// undo copy, under the selection. The image run is done between events, a
// few rows at a time, with a progress window whose Interrupt keeps the
// iterations done so far.
class KEPAteloLisse : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kMaxIterations = 20;

  KEPAteloLisse(KEPAteloDocumentHost* document, QWidget* parent);
  ~KEPAteloLisse() override;

  // --- controls ------------------------------------------------------------
  void OkAction();
  void StepAction();
  void ResetAction();
  // Parameters back to their defaults (K, one iteration, HLS lightness).
  void ResetParams();
  void SelectAction();
  void ReframeAction();
  void HideAction();
  // Slider value v gives K = exp(v).
  void KAction(double value);
  void IterAction(int value);
  // 0 RGB, 1 HLS.
  void CompoAction(int space);
  void Check1Action(bool on);
  void Check2Action(bool on);
  void Check3Action(bool on);

  // --- the document's side ---------------------------------------------------
  // A width x height block of RGBA pixels becomes the preview (copied).
  void SetPreview(const unsigned char* pixels, int width, int height);
  // The current image changed: the preview goes.
  void UpdateImage();
  // Releases "Select" without telling the document (it chose another tool).
  void UncheckSelect();
  // 8 sensitive, 16 insensitive.
  void SetSelectState(int sensitivity);

  // --- smoothing ------------------------------------------------------------------
  // Smooths the preview at once (quietly) or, for the document's image,
  // prepares the run that ExecLisseImage carries out. 0 on success.
  int LisseImage(bool preview, KEPAtelIma* image, int iterations);
  // The scheduled run: one piece of it per call, between events.
  void ExecLisseImage();
  // Its start: the done count cleared, an undo copy of the current image,
  // and the run prepared.
  void LisseImageWithInterrupt();
  // Shows the rows done in the progress window.
  void AffProgress(long rowsDone);

  // --- state, for the document and tests ------------------------------------------
  float GetK() const { return _k; }
  void SetK(float k) { _k = k; }
  float GetIterations() const { return _iterations; }
  int GetDone() const { return _done; }
  bool IsRunning() const { return _idleId != 0; }
  KEPAtelIma* GetPreview() const { return _preview.get(); }
  KEPAteloProgress* GetProgress() const { return _progress.get(); }

 public slots:
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // The end of the image run (all iterations, or interrupted: `write`; an
  // image that went away: not): the pixels written back, the progress window
  // hidden, the image redisplayed.
  void EndLisseImage(bool write);
  // The preview back to its saved pixels, the counts untouched.
  void RestorePreview();
  // The slider and the requested count, together.
  void ShowIterations(int count);
  bool AnyComponent() const { return _compo[0] || _compo[1] || _compo[2]; }
  void Message(const char* text);

  KEPAteloDocumentHost* _document;
  std::unique_ptr<KEPAtelIma> _preview;
  std::vector<unsigned char> _savedPixels;
  int _savedWidth = 0, _savedHeight = 0;
  float _k = 0.05f;
  float _iterations = 1.0f;
  int _done = 0;
  unsigned char _space = 1;
  unsigned char _interrupt = 0;
  unsigned char _compo[3] = {0, 1, 0};
  std::unique_ptr<KEPAteloProgress> _progress;

  // The image run in progress.
  std::unique_ptr<KEPSmoothingRun> _run;
  KEPAtelIma* _runImage = nullptr;
  std::vector<std::pair<KEPAtelIma*, const unsigned char*>> _runPixels;
  int _idleId = 0;

  QSlider* _kSlider;
  QLabel* _kValue;
  QSlider* _iterSlider;
  QLabel* _iterValue;
  QComboBox* _compoCmb;
  QCheckBox* _compoChk[3];
  KEP2DViewer* _previewer;
  std::unique_ptr<KEPCatalog2DImagePixelRep> _previewRep;
  QPushButton* _stepBtn;
  QPushButton* _resetBtn;
  QRadioButton* _selectBtn;
  QPushButton* _reframeBtn;
};
