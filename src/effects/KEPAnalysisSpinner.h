#pragma once

#include <QDoubleSpinBox>

// A number field with arrows that step within low..high but that accepts
// any number typed in: the window that owns it refuses a value out of
// range with its own warning and puts the field back. Shown as "%g".
class KEPAnalysisSpinner : public QDoubleSpinBox {
 public:
  KEPAnalysisSpinner(const char* name, double low, double high);

  double GetLow() const { return _low; }
  double GetHigh() const { return _high; }
  // Sets the value without notifying.
  void SetQuietly(double value);

  void stepBy(int steps) override;
  QString textFromValue(double value) const override;

 protected:
  StepEnabled stepEnabled() const override;

 private:
  double _low, _high;
};
