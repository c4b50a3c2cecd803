#pragma once

#include <QDialog>
#include <memory>
#include <vector>

class KEP2DViewer;
class KEPAteloDocumentHost;
class KEPCatalog2DImagePixelRep;
class QCheckBox;
class QPushButton;
class QSlider;
class QSpinBox;

// The "Color Chooser" window: the paint colour as red, green and blue values,
// each of which can be switched off (the tools then leave that byte alone),
// and transparency. "Sample" takes the colour of a pixel clicked in the image;
// "Match" replaces, in the image or the selection, every pixel of the last
// colour taken by the paint colour.
class KEPAteloColor : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kSwatchSide = 44;
  // A channel value that leaves the byte unchanged.
  static constexpr int kOff = 256;

  KEPAteloColor(KEPAteloDocumentHost* document, QWidget* parent);
  ~KEPAteloColor() override;

  // --- controls --------------------------------------------------------------
  void RedChkAction(bool on) { ChannelChkAction(0, on); }
  void GreenChkAction(bool on) { ChannelChkAction(1, on); }
  void BlueChkAction(bool on) { ChannelChkAction(2, on); }
  void RedSliderAction(int value) { ChannelSliderAction(0, value); }
  void GreenSliderAction(int value) { ChannelSliderAction(1, value); }
  void BlueSliderAction(int value) { ChannelSliderAction(2, value); }
  void RedSpinnerAction(int value) { ChannelSpinnerAction(0, value); }
  void GreenSpinnerAction(int value) { ChannelSpinnerAction(1, value); }
  void BlueSpinnerAction(int value) { ChannelSpinnerAction(2, value); }
  void AlphaChkAction(bool on);
  void SampleColorAction(bool on);
  void MatchAction();
  void ApplyAction();
  void HideAction();

  // --- the document's side -----------------------------------------------------
  // A pixel's four bytes (the sample tool): the channels switched on take
  // them, in the paint colour and the match colour alike.
  void SetColor(int red, int green, int blue, int alpha);
  void GetColor(int& red, int& green, int& blue, int& alpha) const;
  // Leaves sample mode and releases "Sample".
  void UncheckSample();
  // 8 sensitive, 16 insensitive: "Sample" and "Match" (sample mode is left
  // while they are greyed and taken up again after).
  void SetSampleState(int sensitivity);
  bool IsSampling() const;
  // Redraws the swatch.
  void AffColor();
  const std::vector<unsigned char>& GetSwatch() const { return _swatch; }
  const int* GetMatchColor() const { return _match; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void ChannelChkAction(int channel, bool on);
  void ChannelSliderAction(int channel, int value);
  void ChannelSpinnerAction(int channel, int value);
  // Slider and spinner show `value` without notifying.
  void ShowChannel(int channel, int value);
  // The controls show the paint colour.
  void ShowColour();

  KEPAteloDocumentHost* _document;
  int _color[4] = {0, 0, 0, 255};
  int _match[4] = {0, 0, 0, 255};
  std::vector<unsigned char> _swatch;
  KEP2DViewer* _colorViewer = nullptr;  // child widget
  std::unique_ptr<KEPCatalog2DImagePixelRep> _swatchRep;
  QCheckBox* _channelChk[3] = {nullptr, nullptr, nullptr};
  QSlider* _channelSlider[3] = {nullptr, nullptr, nullptr};
  QSpinBox* _channelSpinner[3] = {nullptr, nullptr, nullptr};
  QCheckBox* _transparentChk = nullptr;
  QPushButton* _sampleColorBtn = nullptr;
  QPushButton* _matchBtn = nullptr;
};
