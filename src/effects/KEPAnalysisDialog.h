#pragma once

#include <QDialog>
#include <vector>

#include "effects/KEPAnalysisArea.h"
#include "effects/KEPAnalysisTarget.h"

class KEPAnalysisView;
class KEPAtelIma;
class KEPAteloDocumentHost;
class QBoxLayout;
class QCheckBox;
class QGridLayout;
class QRadioButton;

// What the analysis windows share: the session on the document's current
// picture (opened when the window shows, closed by OK, Cancel or the
// image's deletion), the reduced control copy shown inside the window with
// its "Analyzed Image" / "Source Image" switch, and "Preview" on the
// document's picture. A window supplies its controls and its analysis.
class KEPAnalysisDialog : public QDialog {
  Q_OBJECT

 public:
  KEPAnalysisDialog(KEPAteloDocumentHost* document, QWidget* parent);

  // The control copies (source or analysed) and their size.
  const std::vector<unsigned char>& GetControlImage(bool analysed) const {
    return analysed ? _controlAnalysed : _controlSource;
  }
  int GetControlWidth() const { return _controlWidth; }
  int GetControlHeight() const { return _controlHeight; }
  // The document is about to delete an image: if it is the one analysed,
  // the window closes without touching it.
  void ImageDeleted(KEPAtelIma* image);

  bool InitDialog();
  void OKAction();
  void HideAction();
  void UpdateAnalysisImage(short redraw);
  void UpdateDocumentImage();
  void RestoreDocumentImage();

  void PreviewChkBAction();
  void AnalysisRadBAction();
  void ImageRadBAction();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

  // The analysis from `src` into `dst` (both width x height) with the
  // settings in use.
  virtual void Analyse(const unsigned char* src, unsigned char* dst, int width, int height,
                       const KEPAnalysisArea& area) = 0;
  // At opening, once the control copy is there and before its first
  // analysis: the confirmed settings come back into use and the controls
  // show them.
  virtual void StartSession() = 0;
  // OK keeps the settings in use for the next opening.
  virtual void ConfirmSettings() = 0;
  // Listening to the document's viewer while the session lasts.
  virtual void Subscribe() = 0;
  virtual void Unsubscribe() = 0;

  // The preview check, the results frame with its two radio buttons
  // (titled `title`), added to `main`.
  void AddResultsControl(QBoxLayout* main, const char* title);
  // The OK and Cancel row, added to `main`.
  void AddOkCancel(QBoxLayout* main);
  // The grid inside the results frame, for rows below the radio buttons.
  QGridLayout* GetResultsGrid() const { return _resultsGrid; }
  // The document picture follows when the preview is on.
  void UpdateDocumentIfPreview();
  void ShowControlImage();

  KEPAteloDocumentHost* _document;
  short _preview = 0;
  short _showAnalysed = 1;
  bool _initialised = false;
  KEPAnalysisTarget _target;
  std::vector<unsigned char> _controlSource, _controlAnalysed;
  KEPAnalysisArea _controlArea;
  int _controlWidth = 0, _controlHeight = 0;

  QCheckBox* _previewCheck = nullptr;
  KEPAnalysisView* _resultsControl = nullptr;
  QRadioButton* _analysisRadio = nullptr;
  QRadioButton* _imageRadio = nullptr;

 private:
  // Frees the work pictures; the window is no longer initialised.
  void EndSession();

  QGridLayout* _resultsGrid = nullptr;
};
