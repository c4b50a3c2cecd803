#include "effects/KEPAnalysisControls.h"

#include <QGroupBox>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>

namespace KEPAnalysisControls {

QGroupBox* Frame(const char* name, const char* title) {
  return Named(new QGroupBox(title), name);
}

QSlider* Slider(const char* name, int low, int high) {
  auto* slider = Named(new QSlider(Qt::Horizontal), name);
  slider->setRange(low, high);
  slider->setSingleStep(1);
  slider->setPageStep(std::max(1, (high - low) / 10));
  return slider;
}

void OnSlider(QSlider* slider, QObject* context, std::function<void()> moving,
              std::function<void()> settled) {
  QObject::connect(slider, &QSlider::valueChanged, context, [slider, moving, settled] {
    if (slider->isSliderDown())
      moving();
    else
      settled();
  });
  QObject::connect(slider, &QSlider::sliderReleased, context, settled);
}

void SetQuietly(QSlider* slider, int value) {
  QSignalBlocker quiet(slider);
  slider->setValue(value);
}

}  // namespace KEPAnalysisControls
