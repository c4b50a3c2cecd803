#pragma once

#include <QDialog>
#include <string>

class KEPAtelIma;
class QPlainTextEdit;

// The "Image Information" window: name, size, memory, file format, rendering
// time, save state and frame part of one image.
class KEPAteloInfo : public QDialog {
  Q_OBJECT

 public:
  explicit KEPAteloInfo(QWidget* parent);

  // Shows the image's facts in place of the previous ones; null empties the
  // window.
  void UpdateInfo(const KEPAtelIma* image);
  void AddMessage(const std::string& text);
  void ClearMessage();
  QString GetText() const;
  // The comment of the image's file type, or "Unknown".
  static std::string GetFormat(const KEPAtelIma* image);

  void HideAction();

 protected:
  void reject() override;

 private:
  QPlainTextEdit* _editor;
};
