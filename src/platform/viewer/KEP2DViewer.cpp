#include "platform/viewer/KEP2DViewer.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DDrawContext.h"
#include "platform/viewer/KEP2DFloatingPixelRep.h"
#include "platform/viewer/KEP2DIndicator.h"
#include "platform/viewer/KEP2DManipulator.h"
#include "platform/viewer/KEP2DRep.h"

namespace {
template <class T>
bool Erase(std::vector<T*>& list, const T* item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end()) return false;
  list.erase(it);
  return true;
}

template <class T>
void AddOnce(std::vector<T*>& list, T* item) {
  if (item && std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}
}  // namespace

KEP2DViewer::KEP2DViewer(QWidget* parent, int width, int height) : QWidget(parent) {
  KEP_TRACE(2, "(KEP2DViewer::KEP2DViewer) %d x %d", width, height);
  // Every paint covers its whole area itself, so the toolkit need not clear
  // it first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::ClickFocus);
  // Moves without a button are followed too, for the pointer readout.
  setMouseTracking(true);
  if (width > 0 && height > 0) {
    _hint = QSize(width, height);
    resize(_hint);
  }
  _viewpoint.Subscribe([this](KEP2DViewpoint&) { ViewpointChanged(); });
}

KEP2DViewer::~KEP2DViewer() {
  KEP_TRACE(2, "(KEP2DViewer::~KEP2DViewer)");
  _blocks.clear();
  // Representations, indicators and manipulators outlive the viewer often
  // (their owner is the document): they learn it from their guarded
  // pointer, which the toolkit clears once the widget is gone.
}

void KEP2DViewer::GetGraphicSize(float& width, float& height) const {
  width = static_cast<float>(this->width());
  height = static_cast<float>(this->height());
}

KEP2DViewMapping KEP2DViewer::GetMapping() const {
  KEPMathPoint2Df o = _viewpoint.GetOrigin();
  return KEP2DViewMapping(o.x, o.y, _viewpoint.GetZoom(), static_cast<float>(width()),
                          static_cast<float>(height()));
}

KEPMathPoint2Df KEP2DViewer::WidgetToView(const QPointF& widgetPoint) const {
  return GetMapping().ToView(
      KEPMathPoint2Df(static_cast<float>(widgetPoint.x()), static_cast<float>(widgetPoint.y())));
}

QPointF KEP2DViewer::ViewToWidget(const KEPMathPoint2Df& viewPoint) const {
  KEPMathPoint2Df w = GetMapping().ToWidget(viewPoint);
  return QPointF(w.x, w.y);
}

// --- representations ----------------------------------------------------------

void KEP2DViewer::AdoptRep(KEP2DRep* rep) {
  if (rep && !rep->_viewer) rep->_viewer = this;
}

int KEP2DViewer::AddRep(KEP2DRep* rep) {
  if (!rep || (rep->_viewer && rep->_viewer != this)) return -1;
  AdoptRep(rep);
  if (!HasRep(rep)) {
    _reps.push_back(rep);
    rep->Invalidate();
  }
  return 0;
}

int KEP2DViewer::RemoveRep(KEP2DRep* rep) {
  if (!rep || !Erase(_reps, rep)) return -1;
  InvalidateViewRect(rep->GetViewBounds(), rep->GetScreenMargin());
  InvalidateViewRect(rep->_shownBounds, rep->_shownMargin);
  return 0;
}

bool KEP2DViewer::HasRep(const KEP2DRep* rep) const {
  return std::find(_reps.begin(), _reps.end(), rep) != _reps.end();
}

int KEP2DViewer::SetBackgroundRep(KEP2DRep* rep) {
  if (rep && rep->_viewer && rep->_viewer != this) return -1;
  if (rep == _background) return 0;
  if (_background) {
    InvalidateViewRect(_background->GetViewBounds(), _background->GetScreenMargin());
  }
  _background = rep;
  if (rep) {
    AdoptRep(rep);
    rep->Invalidate();
  }
  return 0;
}

void KEP2DViewer::ForgetRep(KEP2DRep* rep) {
  // Called from the representation's destructor: only its plain members
  // may be read.
  bool shown = Erase(_reps, rep);
  if (_background == rep) {
    _background = nullptr;
    shown = true;
  }
  if (shown) InvalidateViewRect(rep->_shownBounds, rep->_shownMargin);
  for (KEP2DIndicator* indicator : _indicators) indicator->ForgetRep(rep);
  for (KEP2DManipulator* manipulator : _manipulators) manipulator->ForgetRep(rep);
  if (_dragManipulator && !_dragManipulator->GetRep()) _dragManipulator = nullptr;
}

void KEP2DViewer::DrawFurtive(KEP2DRep& rep) {
  if (HasRep(&rep) || _background == &rep) {
    rep.Invalidate();
    return;
  }
  QRect area = WidgetRect(rep.GetViewBounds(), rep.GetScreenMargin()) & rect();
  if (area.isEmpty() || !rep.IsVisible()) return;
  Furtive furtive{QImage(area.size(), QImage::Format_ARGB32_Premultiplied), area.topLeft(), size()};
  furtive.image.fill(Qt::transparent);
  {
    QPainter painter(&furtive.image);
    painter.translate(-area.topLeft());
    KEP2DViewMapping mapping = GetMapping();
    KEP2DDrawContext context(painter, mapping, area, _stereo, &_scratchOpaque, &_scratchAlpha);
    rep.Draw(context);
  }
  _furtive.push_back(std::move(furtive));
  update(area);
}

void KEP2DViewer::EraseFurtive() {
  for (const Furtive& f : _furtive) update(QRect(f.at, f.image.size()));
  _furtive.clear();
}

int KEP2DViewer::AddPixelBlock(float x, float y, int nx, int ny, const unsigned char* pixels) {
  if (!pixels || nx <= 0 || ny <= 0 || nx > KEPCatalog2DImagePixelRep::kMaxSide ||
      ny > KEPCatalog2DImagePixelRep::kMaxSide || !std::isfinite(x) || !std::isfinite(y)) {
    return -1;
  }
  std::size_t bytes = static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny) * 4;
  if (bytes > kMaxPixelBlockBytes) return -1;
  auto block = std::make_unique<KEP2DFloatingPixelRep>(pixels, nx, ny);
  block->SetDrawMode(KEPCatalog2DImagePixelRep::kNormal);
  block->SetOrigin(x, y);
  // The oldest blocks go first: the image they belong to holds the same
  // pixels and shows them at its next redraw.
  while (!_blocks.empty() && _blockBytes + bytes > kMaxPixelBlockBytes) {
    int w = 0, h = 0;
    _blocks.front()->GetSize(w, h);
    _blockBytes -= static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4;
    _blocks.erase(_blocks.begin());
  }
  block->_viewer = this;
  block->Invalidate();
  _blocks.push_back(std::move(block));
  _blockBytes += bytes;
  return 0;
}

void KEP2DViewer::Redraw() {
  _furtive.clear();
  _blocks.clear();
  _blockBytes = 0;
  update();
}

// --- indicators and manipulators ------------------------------------------------

void KEP2DViewer::SetBackgroundIndicator(KEP2DIndicator* indicator) {
  _backgroundIndicator = indicator;
}

void KEP2DViewer::RegisterIndicator(KEP2DIndicator* indicator) {
  AddOnce(_indicators, indicator);
}

void KEP2DViewer::UnregisterIndicator(KEP2DIndicator* indicator) {
  Erase(_indicators, indicator);
  if (_backgroundIndicator == indicator) _backgroundIndicator = nullptr;
  if (_dragIndicator == indicator) _dragIndicator = nullptr;
}

void KEP2DViewer::RegisterManipulator(KEP2DManipulator* manipulator) {
  AddOnce(_manipulators, manipulator);
}

void KEP2DViewer::UnregisterManipulator(KEP2DManipulator* manipulator) {
  Erase(_manipulators, manipulator);
  if (_dragManipulator == manipulator) _dragManipulator = nullptr;
}

// --- navigation ---------------------------------------------------------------------

void KEP2DViewer::ZoomAt(const QPointF& widgetPoint, float zoom) {
  if (!std::isfinite(zoom) || zoom <= 0.0f) return;
  float minimum = 0.0f, maximum = 0.0f;
  _viewpoint.GetZoomBounds(minimum, maximum);
  float z = std::clamp(zoom, minimum, maximum);
  KEPMathPoint2Df under = WidgetToView(widgetPoint);
  double ox = under.x - (widgetPoint.x() - 0.5 * width()) / z;
  double oy = under.y - (0.5 * height() - widgetPoint.y()) / z;
  _viewpoint.Set(KEPMathPoint2Df(static_cast<float>(ox), static_cast<float>(oy)), z);
}

bool KEP2DViewer::Reframe(const KEPMathPoint2Df& point, float zoom) {
  float scale = _viewpoint.GetZoom() * kMillimetersPerSupportUnit;
  if (zoom == scale && _viewpoint.GetOrigin() == point) return false;
  KEP_TRACE(4, "(KEP2DViewer::Reframe) %g %g %g", point.x, point.y, zoom);
  return _viewpoint.Set(point, zoom / kMillimetersPerSupportUnit) == 0;
}

float KEP2DViewer::FitZoom(float viewWidth, float viewHeight, int width, int height) {
  if (width <= 0 || height <= 0 || !(viewWidth > 0.0f) || !(viewHeight > 0.0f)) return 0.0f;
  return std::min(viewWidth / static_cast<float>(width), viewHeight / static_cast<float>(height));
}

void KEP2DViewer::ViewpointChanged() {
  // Furtive drawings and pixel blocks belong to the old view: a viewpoint
  // change is a redraw.
  Redraw();
}

// --- display modes ----------------------------------------------------------------

void KEP2DViewer::SetStereoMode(bool on) {
  if (on == _stereo) return;
  KEP_TRACE(4, "(KEP2DViewer::SetStereoMode) %d", on ? 1 : 0);
  _stereo = on;
  update();
}

void KEP2DViewer::SetFullScreen(bool on) {
  if (on == _fullScreen) return;
  KEP_TRACE(4, "(KEP2DViewer::SetFullScreen) %d", on ? 1 : 0);
  _fullScreen = on;
  if (on) {
    // A child widget turned into a window leaves its parent's layout
    // (layouts skip windows) and keeps its parent, so that turning it back
    // puts it where it was.
    _wasWindow = isWindow();
    _normalGeometry = geometry();
    if (!_wasWindow) setWindowFlag(Qt::Window, true);
    showFullScreen();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
  } else if (_wasWindow) {
    showNormal();
  } else {
    setWindowFlag(Qt::Window, false);
    setGeometry(_normalGeometry);
    show();
    if (parentWidget() && parentWidget()->layout()) parentWidget()->layout()->invalidate();
  }
  emit FullScreenChanged(on);
}

void KEP2DViewer::SetClearColour(const QColor& colour) {
  _clear = colour;
  update();
}

void KEP2DViewer::SetPaintObserver(std::function<void(const QRegion&)> observer) {
  _paintObserver = std::move(observer);
}

QSize KEP2DViewer::sizeHint() const {
  return _hint.isValid() ? _hint : QSize(640, 480);
}

// --- painting -----------------------------------------------------------------------

QRect KEP2DViewer::WidgetRect(const QRectF& viewRect, int screenMargin) const {
  if (viewRect.isNull()) return QRect();
  KEP2DViewMapping m = GetMapping();
  double x0 = m.ToWidgetX(viewRect.left()), x1 = m.ToWidgetX(viewRect.right());
  double y0 = m.ToWidgetY(viewRect.bottom()), y1 = m.ToWidgetY(viewRect.top());
  // Far outside the widget the exact place does not matter; clamping keeps
  // the integer conversion defined for any zoom.
  auto clampCoord = [](double v) { return std::clamp(v, -1.0e6, 1.0e6); };
  int margin = std::max(0, screenMargin) + 1;
  int left = static_cast<int>(std::floor(clampCoord(std::min(x0, x1)))) - margin;
  int right = static_cast<int>(std::ceil(clampCoord(std::max(x0, x1)))) + margin;
  int top = static_cast<int>(std::floor(clampCoord(std::min(y0, y1)))) - margin;
  int bottom = static_cast<int>(std::ceil(clampCoord(std::max(y0, y1)))) + margin;
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void KEP2DViewer::InvalidateViewRect(const QRectF& viewRect, int screenMargin) {
  QRect area = WidgetRect(viewRect, screenMargin) & rect();
  if (!area.isEmpty()) update(area);
}

std::vector<KEP2DRep*> KEP2DViewer::DrawOrder() const {
  std::vector<KEP2DRep*> order;
  order.reserve(_reps.size() + 1);
  if (_background) order.push_back(_background);
  for (KEP2DRep* rep : _reps) {
    if (rep != _background) order.push_back(rep);
  }
  return order;
}

void KEP2DViewer::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const KEP2DViewMapping mapping = GetMapping();
  const std::vector<KEP2DRep*> order = DrawOrder();
  for (const QRect& area : event->region()) {
    painter.setClipRect(area);
    painter.fillRect(area, _clear);
    KEP2DDrawContext context(painter, mapping, area, _stereo, &_scratchOpaque, &_scratchAlpha);
    auto draw = [&](const KEP2DRep* rep) {
      if (rep->IsVisible() &&
          WidgetRect(rep->GetViewBounds(), rep->GetScreenMargin()).intersects(area)) {
        rep->Draw(context);
      }
    };
    for (const KEP2DRep* rep : order) draw(rep);
    for (const auto& block : _blocks) draw(block.get());
    for (const Furtive& f : _furtive) {
      if (QRect(f.at, f.image.size()).intersects(area)) painter.drawImage(f.at, f.image);
    }
  }
  if (_paintObserver) _paintObserver(event->region());
}

void KEP2DViewer::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Furtive drawings were placed for the old centre. (The first resize
  // event of a hidden widget may come late, with its size unchanged.)
  std::erase_if(_furtive, [this](const Furtive& f) { return f.viewerSize != size(); });
  emit GraphicSizeChanged(static_cast<float>(width()), static_cast<float>(height()));
}

// --- pointer --------------------------------------------------------------------------

void KEP2DViewer::mousePressEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  if (event->button() == Qt::MiddleButton && _navigation) {
    _panning = true;
    _panStart = at;
    _panOrigin = _viewpoint.GetOrigin();
    event->accept();
    return;
  }
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  event->accept();
  // A release we never saw (a box opened by a handler took it) leaves a
  // gesture open: the new press starts the next one, as a new begin ends a
  // stroke.
  _dragIndicator = nullptr;
  _dragManipulator = nullptr;
  const KEPMathPoint2Df v = WidgetToView(at);
  const std::vector<KEP2DRep*> order = DrawOrder();
  // Manipulators first, topmost representation first.
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    for (KEP2DManipulator* m : _manipulators) {
      if (m->GetRep() == *it && m->Picks(v)) {
        _dragManipulator = m;
        m->Deliver(KEP2DManipulator::kBegin, v);
        return;
      }
    }
  }
  // Then an indicator that asked for a representation under the pointer.
  KEP2DRep* backgroundPick = nullptr;
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    KEP2DRep* rep = *it;
    if (!rep->IsVisible() || !rep->Contains(v)) continue;
    for (KEP2DIndicator* indicator : _indicators) {
      if (indicator != _backgroundIndicator && indicator->IsRepToManipulate(rep)) {
        _dragIndicator = indicator;
        indicator->Deliver(KEP2DIndicator::kBegin, v, rep);
        return;
      }
    }
    if (!backgroundPick && _backgroundIndicator && _backgroundIndicator->IsRepToManipulate(rep)) {
      backgroundPick = rep;
    }
  }
  if (_backgroundIndicator) {
    _dragIndicator = _backgroundIndicator;
    _backgroundIndicator->Deliver(KEP2DIndicator::kBegin, v, backgroundPick);
  }
}

void KEP2DViewer::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  NotifyPointer(at);
  if (_panning) {
    const float z = _viewpoint.GetZoom();
    _viewpoint.SetOrigin(
        KEPMathPoint2Df(static_cast<float>(_panOrigin.x - (at.x() - _panStart.x()) / z),
                        static_cast<float>(_panOrigin.y + (at.y() - _panStart.y()) / z)));
    event->accept();
    return;
  }
  const KEPMathPoint2Df v = WidgetToView(at);
  if (_dragManipulator) {
    _dragManipulator->Deliver(KEP2DManipulator::kMove, v);
  } else if (_dragIndicator) {
    _dragIndicator->Deliver(KEP2DIndicator::kManipulate, v, nullptr);
  } else {
    QWidget::mouseMoveEvent(event);
    return;
  }
  event->accept();
}

void KEP2DViewer::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton && _panning) {
    _panning = false;
    event->accept();
    return;
  }
  if (event->button() == Qt::LeftButton && (_dragManipulator || _dragIndicator)) {
    EndGesture(event->position());
    event->accept();
    return;
  }
  QWidget::mouseReleaseEvent(event);
}

void KEP2DViewer::EndGesture(const QPointF& widgetPoint) {
  const KEPMathPoint2Df v = WidgetToView(widgetPoint);
  // Cleared before the notification: a handler may start something new.
  KEP2DManipulator* manipulator = _dragManipulator;
  KEP2DIndicator* indicator = _dragIndicator;
  _dragManipulator = nullptr;
  _dragIndicator = nullptr;
  if (manipulator)
    manipulator->Deliver(KEP2DManipulator::kEnd, v);
  else if (indicator)
    indicator->Deliver(KEP2DIndicator::kEnd, v, nullptr);
}

int KEP2DViewer::AddHoverCallback(std::function<void(const KEPMathPoint2Df&)> callback) {
  return _hover.Add(std::move(callback));
}

bool KEP2DViewer::RemoveHoverCallback(int id) {
  return _hover.Remove(id);
}

void KEP2DViewer::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (!_navigation || delta == 0) {
    QWidget::wheelEvent(event);
    return;
  }
  const double factor = std::pow(kWheelZoomStep, delta / 120.0);
  ZoomAt(event->position(), static_cast<float>(_viewpoint.GetZoom() * factor));
  event->accept();
}

void KEP2DViewer::NotifyPointer(const QPointF& widgetPoint) {
  const KEPMathPoint2Df v = WidgetToView(widgetPoint);
  if (_hover.Size() > 0) _hover.Notify(v);
  emit PointerMoved(v.x, v.y);
}

void KEP2DViewer::leaveEvent(QEvent* event) {
  emit PointerLeft();
  QWidget::leaveEvent(event);
}

void KEP2DViewer::closeEvent(QCloseEvent* event) {
  if (_fullScreen && !_wasWindow) {
    event->ignore();
    SetFullScreen(false);
    return;
  }
  QWidget::closeEvent(event);
}

void KEP2DViewer::keyPressEvent(QKeyEvent* event) {
  if (_fullScreen && event->key() == Qt::Key_Escape) {
    SetFullScreen(false);
    event->accept();
    return;
  }
  // Alone on the screen the viewer is a window of its own, which keys do
  // not leave: those it has no use for still go to the window it came from
  // (stepping through a series).
  if (_fullScreen && !_wasWindow && parentWidget()) {
    QCoreApplication::sendEvent(parentWidget(), event);
    return;
  }
  QWidget::keyPressEvent(event);
}
