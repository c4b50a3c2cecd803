#pragma once

#include <functional>

#include "platform/KEPDialogParts.h"

class QGroupBox;
class QObject;
class QSlider;
class QWidget;

// Building blocks shared by the analysis windows.
namespace KEPAnalysisControls {

using KEPDialogParts::Named;

QGroupBox* Frame(const char* name, const char* title);
// A horizontal slider of low..high in steps of one.
QSlider* Slider(const char* name, int low, int high);
// `moving` runs for each value while the slider is dragged, `settled` once
// a value is given (the drag released, a key, a click on the groove).
void OnSlider(QSlider* slider, QObject* context, std::function<void()> moving,
              std::function<void()> settled);
// Sets a control's value without its notifications.
void SetQuietly(QSlider* slider, int value);

}  // namespace KEPAnalysisControls
