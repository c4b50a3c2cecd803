#pragma once

#include <QDialog>
#include <memory>
#include <vector>

class KEP2DViewer;
class KEPAteloDocumentHost;
class KEPCatalog2DImagePixelRep;
class QSlider;

// The "Tools Settings" window: thickness, blend, spray radius and spray
// density for the drawing tools, with a live sample of the current tool
// drawn with the values on the sliders. OK gives the values to the document;
// Close drops what was not applied.
class KEPAteloToolsSetting : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kPreviewWidth = 160, kPreviewHeight = 100;

  KEPAteloToolsSetting(KEPAteloDocumentHost* document, QWidget* parent);
  ~KEPAteloToolsSetting() override;

  // Makes `code` the tool whose sample is shown and whose parameters are
  // offered (the others are greyed).
  void UpdateTool(int code);
  // The sliders show the document's values.
  void ResetParams();
  void ModifyParamsAction();
  void ApplyAction();
  void HideAction();

  int GetTool() const { return _tool; }
  // The sample, 160 x 100 RGBA pixels, bottom row first.
  const std::vector<unsigned char>& GetPreview() const { return _preview; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  KEPAteloDocumentHost* _document;
  int _tool = 0;
  std::vector<unsigned char> _preview;
  KEP2DViewer* _toolsViewer = nullptr;  // child widget
  std::unique_ptr<KEPCatalog2DImagePixelRep> _previewRep;
  QSlider* _thicknessSlider = nullptr;
  QSlider* _blendSlider = nullptr;
  QSlider* _radiusSlider = nullptr;
  QSlider* _densitySlider = nullptr;
};
