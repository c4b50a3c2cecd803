// Playback: the series shown as an animation, step by step or continuously
// from idle time, with a delay between frames; and its toolbar.
#include <QAction>
#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "document/KEPAteloDocument.h"
#include "document/KEPAteloIcons.h"
#include "document/KEPAteloWindowRules.h"
#include "platform/KEPClock.h"
#include "platform/KEPIdleWork.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DViewer.h"
#include "series/KEPAteloSeries.h"

namespace {

Qt::ToolBarArea AreaOf(int dock) {
  switch (dock) {
    case KEPAteloSettings::DOCK_TOP:
      return Qt::TopToolBarArea;
    case KEPAteloSettings::DOCK_LEFT:
      return Qt::LeftToolBarArea;
    case KEPAteloSettings::DOCK_RIGHT:
      return Qt::RightToolBarArea;
    default:
      return Qt::BottomToolBarArea;
  }
}

int DockOf(Qt::ToolBarArea area) {
  switch (area) {
    case Qt::TopToolBarArea:
      return KEPAteloSettings::DOCK_TOP;
    case Qt::LeftToolBarArea:
      return KEPAteloSettings::DOCK_LEFT;
    case Qt::RightToolBarArea:
      return KEPAteloSettings::DOCK_RIGHT;
    default:
      return KEPAteloSettings::DOCK_BOTTOM;
  }
}

// The delay's timer counts tenths of milliseconds; the controls show
// milliseconds.
constexpr float kTicksPerShownUnit = 10.0f;
constexpr double kTicksPerSecond = 10000.0;

}  // namespace

// --- toolbar ------------------------------------------------------------------------------

void KEPAteloDocument::CreatePlaybackToolBar() {
  _view.playbackToolBar = new QToolBar("Playback", this);
  _view.playbackToolBar->setObjectName("playbackToolBar");
  // Shown and hidden by View > Playback Toolbar alone, so that the item
  // always tells the truth.
  _view.playbackToolBar->toggleViewAction()->setVisible(false);
  auto* frame = new QFrame;
  frame->setObjectName("playbackFrame");
  auto* layout = new QBoxLayout(QBoxLayout::LeftToRight, frame);
  layout->setContentsMargins(2, 2, 2, 2);
  auto* buttons = new QFrame(frame);
  buttons->setObjectName("playbtnFrame");
  auto* buttonLayout = new QBoxLayout(QBoxLayout::LeftToRight, buttons);
  buttonLayout->setContentsMargins(0, 0, 0, 0);
  struct Button {
    const char* name;
    const char* label;
    const char* icon;
    const char* help;
    void (KEPAteloDocument::*operation)();
    bool repeats;
  };
  static const Button kButtons[] = {
      {"fbwdBtn", "<", "atvfbwd", "Backward Playback", &KEPAteloDocument::FastBackwardSelection,
       false},
      {"bwdBtn", "<<", "atvbwd", "Step By Step Backward Playback",
       &KEPAteloDocument::BackwardSelection, true},
      {"stopBtn", "Stop", "atvstop", "Stop Playback", &KEPAteloDocument::PauseSelection, false},
      {"fwdBtn", ">>", "atvfwd", "Step By Step Forward Playback",
       &KEPAteloDocument::ForwardSelection, true},
      {"ffwdBtn", ">", "atvffwd", "Forward Playback", &KEPAteloDocument::FastForwardSelection,
       false},
  };
  for (const Button& b : kButtons) {
    auto* button = new QToolButton(buttons);
    button->setObjectName(b.name);
    button->setText(b.label);
    button->setIcon(KEPAteloIcon(b.icon));
    button->setToolTip(b.help);
    button->setStatusTip(b.help);
    // The arrow keys step through the series; a button with the focus
    // would take them.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(b.repeats);
    connect(button, &QToolButton::clicked, this, [this, op = b.operation] { (this->*op)(); });
    buttonLayout->addWidget(button);
  }
  layout->addWidget(buttons);

  const int maximum = std::max(1, _settings.GetWaitMax());
  auto* title = new QLabel("Delay Between Frames", frame);
  title->setObjectName("delayTitleLbl");
  auto* slider = new QSlider(Qt::Horizontal, frame);
  slider->setObjectName("delaySlider");
  slider->setRange(0, maximum);
  slider->setSingleStep(1);
  slider->setFocusPolicy(Qt::ClickFocus);
  auto* spinner = new QSpinBox(frame);
  spinner->setObjectName("delaySpinner");
  spinner->setRange(0, maximum);
  auto* unit = new QLabel("ms", frame);
  unit->setObjectName("delayLabel");
  connect(slider, &QSlider::valueChanged, this, &KEPAteloDocument::DelaySliderAction);
  connect(spinner, &QSpinBox::valueChanged, this, &KEPAteloDocument::DelaySpinnerAction);
  for (QWidget* widget : {static_cast<QWidget*>(title), static_cast<QWidget*>(slider),
                          static_cast<QWidget*>(spinner), static_cast<QWidget*>(unit)})
    layout->addWidget(widget);

  _view.playbackToolBar->addWidget(frame);
  addToolBar(AreaOf(_settings.GetDockState(KEPAteloSettings::TOOLBAR_PLAYBACK)),
             _view.playbackToolBar);
  connect(_view.playbackToolBar, &QToolBar::orientationChanged, this,
          [layout, buttonLayout](Qt::Orientation orientation) {
            const auto direction =
                orientation == Qt::Vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight;
            layout->setDirection(direction);
            buttonLayout->setDirection(direction);
          });
  connect(_view.playbackToolBar, &QToolBar::orientationChanged, this,
          [this] { RecordPlaybackDock(); });
  connect(_view.playbackToolBar, &QToolBar::topLevelChanged, this,
          [this] { RecordPlaybackDock(); });
}

void KEPAteloDocument::RecordPlaybackDock() {
  // The defaults keep the side the toolbar is on, or that it is off.
  const bool shown = _view.playbackToolBar && !_view.playbackToolBar->isHidden();
  _settings.SetDockState(KEPAteloSettings::TOOLBAR_PLAYBACK,
                         shown ? DockOf(toolBarArea(_view.playbackToolBar))
                               : static_cast<int>(KEPAteloSettings::DOCK_NONE));
}

void KEPAteloDocument::DelaySliderAction(int value) {
  if (auto* spinner = findChild<QSpinBox*>("delaySpinner")) {
    QSignalBlocker quiet(spinner);
    spinner->setValue(value);
  }
  _view.delay = static_cast<float>(value) * kTicksPerShownUnit;
}

void KEPAteloDocument::DelaySpinnerAction(int value) {
  if (auto* slider = findChild<QSlider*>("delaySlider")) {
    QSignalBlocker quiet(slider);
    slider->setValue(value);
  }
  _view.delay = static_cast<float>(value) * kTicksPerShownUnit;
}

// --- playback -----------------------------------------------------------------------------

void KEPAteloDocument::StopPlayback() {
  _view.playbackIdle.Remove();
  // A wait under way (see ExecuteIdleWork) ends with nothing to resume.
  ++_view.playbackRun;
  _view.playbackWaiting = false;
  _view.playbackState = PLAY_STOPPED;
}

void KEPAteloDocument::StartPlayback(int direction) {
  _view.playbackWaiting = false;
  _view.playbackIdle.id = KEPIdleWork::Subscribe([this, direction] { ExecuteIdleWork(direction); });
}

void KEPAteloDocument::PauseSelection() {
  KEP_TRACE(4, "(KEPAteloDocument::PauseSelection)");
  StopPlayback();
  UpdateImage();
}

void KEPAteloDocument::ForwardSelection() {
  KEP_TRACE(4, "(KEPAteloDocument::ForwardSelection)");
  if (_series->GetNbrImage() < 2) {
    OpenAction();
    return;
  }
  // The step redisplays (and so re-enables the commands) by itself.
  StopPlayback();
  _series->NextImage(PLAY_FORWARD, 1);
}

void KEPAteloDocument::BackwardSelection() {
  KEP_TRACE(4, "(KEPAteloDocument::BackwardSelection)");
  if (_series->GetNbrImage() < 2) {
    OpenAction();
    return;
  }
  StopPlayback();
  _series->NextImage(PLAY_BACKWARD, 1);
}

void KEPAteloDocument::FastForwardSelection() {
  KEP_TRACE(4, "(KEPAteloDocument::FastForwardSelection)");
  PauseSelection();
  if (_series->GetNbrImage() < 2) {
    OpenAction();
    return;
  }
  DisableAll();
  StartPlayback(PLAY_FORWARD);
  _view.lastStepTime = KEPClock::Now();
}

void KEPAteloDocument::FastBackwardSelection() {
  KEP_TRACE(4, "(KEPAteloDocument::FastBackwardSelection)");
  PauseSelection();
  if (_series->GetNbrImage() < 2) {
    OpenAction();
    return;
  }
  DisableAll();
  StartPlayback(PLAY_BACKWARD);
  _view.lastStepTime = KEPClock::Now();
}

void KEPAteloDocument::ExecuteIdleWork(int direction) {
  // Images closed under a running playback leave nothing to animate.
  if (_series->GetNbrImage() < 2) {
    PauseSelection();
    return;
  }
  const double now = KEPClock::Now();
  const double early =
      static_cast<double>(_view.delay) - (now - _view.lastStepTime) * kTicksPerSecond;
  if (early > 0.0) {
    // Idle time comes back at once: a long wait spent polling the clock
    // would keep a processor busy for nothing. It is slept out on a timer
    // instead, up to the last couple of milliseconds, which are polled so
    // that the step comes on time.
    const int sleepMs = static_cast<int>(early / (kTicksPerSecond / 1000.0)) - 2;
    if (sleepMs > 0 && _view.playbackIdle.id) {
      _view.playbackIdle.Remove();
      _view.playbackWaiting = true;
      QTimer::singleShot(sleepMs, this, [this, run = _view.playbackRun, direction] {
        if (run == _view.playbackRun && _view.playbackWaiting) StartPlayback(direction);
      });
    }
    return;
  }
  if (_view.playbackState == PLAY_STOPPED) _view.playbackState = direction;
  // The time noted is the one the step was due at, not the one it ran at:
  // the frames keep the delay's pace whatever a step costs below it and
  // however late the idle time came. A step more than a delay late starts
  // the count afresh rather than rushing to catch up.
  const double period = static_cast<double>(_view.delay) / kTicksPerSecond;
  _view.lastStepTime = now - _view.lastStepTime < 2.0 * period ? _view.lastStepTime + period : now;
  const int next = _series->NextImage(_view.playbackState, _settings.GetLoopMode());
  // Painted now rather than when the platform next refreshes: with a short
  // delay the next step could come first, and that frame would never show.
  if (_viewer && _viewer->isVisible()) _viewer->repaint();
  // A step may have stopped playback (a stereo pair that cannot be shown).
  if (IsPlaying()) _view.playbackState = next;
  KEP_TRACE(6, "(KEPAteloDocument::ExecuteIdleWork) image %d direction %d", _series->GetCurValue(),
            _view.playbackState);
}
