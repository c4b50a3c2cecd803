#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

// The "Progress" window of long computations. Its "Interrupt" button sets
// the byte the computation polls, then hides the window.
class KEPAteloProgress : public QDialog {
  Q_OBJECT

 public:
  explicit KEPAteloProgress(QWidget* parent);

  void SetText(const QString& text);
  void Init(int minimum, int maximum, int step);
  void StepIt();
  void AssociateToFlag(unsigned char* flag) { _flag = flag; }
  int GetValue() const;

 public slots:
  void OkAction();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QLabel* _text;
  QProgressBar* _bar;
  int _step = 1;
  unsigned char* _flag = nullptr;
};
