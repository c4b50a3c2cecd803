#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;

// The "Messages" window: renderer messages and errors outside picture mode,
// one line each.
class KEPAteloMessage : public QDialog {
  Q_OBJECT

 public:
  explicit KEPAteloMessage(QWidget* parent);

  // Text without a final newline waits in a pending line; text ending with
  // one completes the pending line, which becomes the field's last line.
  void AddMessage(const char* text);
  void ClearMessage();
  QString GetText() const;

 public slots:
  void HideAction();
  void ClearAction();

 private:
  QPlainTextEdit* _editor;
  std::string _pending;
};
