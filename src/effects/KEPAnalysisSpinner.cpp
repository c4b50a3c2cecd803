#include "effects/KEPAnalysisSpinner.h"

#include <QSignalBlocker>
#include <algorithm>

namespace {
// Wide enough for any typed mistake to reach the owner's check.
constexpr double kTypedLimit = 1e9;
}  // namespace

KEPAnalysisSpinner::KEPAnalysisSpinner(const char* name, double low, double high)
    : _low(low), _high(high) {
  setObjectName(name);
  setRange(-kTypedLimit, kTypedLimit);
  setDecimals(6);
  setSingleStep(1.0);
  // One notification per value given (Return, leaving the field, an arrow),
  // not one per key.
  setKeyboardTracking(false);
}

void KEPAnalysisSpinner::SetQuietly(double value) {
  QSignalBlocker quiet(this);
  setValue(value);
}

void KEPAnalysisSpinner::stepBy(int steps) {
  setValue(std::clamp(value() + steps * singleStep(), _low, _high));
  selectAll();
}

QString KEPAnalysisSpinner::textFromValue(double value) const {
  return QString::asprintf("%g", value);
}

QAbstractSpinBox::StepEnabled KEPAnalysisSpinner::stepEnabled() const {
  StepEnabled enabled = StepNone;
  if (value() > _low) enabled |= StepDownEnabled;
  if (value() < _high) enabled |= StepUpEnabled;
  return enabled;
}
