#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "platform/viewer/KEP2DViewMapping.h"
#include "platform/viewer/KEP2DViewpoint.h"
#include "platform/viewer/KEPCallbackList.h"
#include "platform/viewer/KEPMathPoint2Df.h"

class KEP2DFloatingPixelRep;
class KEP2DIndicator;
class KEP2DManipulator;
class KEP2DRep;
class QRegion;

// The 2D viewer: a widget showing representations in a plane whose y axis
// points up. The viewpoint puts its origin at the widget's centre; its zoom
// is the number of widget pixels per view unit.
//
// Representations are drawn in the order they were added, the background
// representation first and under all others. Paints are limited to what
// changed: a representation that changes asks for the widget area it covers
// and only that area is redrawn.
//
// Pointer: the left button goes to the manipulators and indicators (see
// KEP2DIndicator); the wheel zooms around the pointer within the zoom
// bounds; a middle-button drag pans. In full screen, Escape returns.
class KEP2DViewer : public QWidget {
  Q_OBJECT

 public:
  // A view unit at zoom 1 is one screen pixel, and the viewer counts it as
  // one millimetre: screen-size rules of the callers (a grid shown from 8
  // units per pixel, a 5-unit pick tolerance) then mean screen pixels, which
  // is what they look like on any monitor, whatever its reported density.
  static constexpr float kMillimetersPerSupportUnit = 1.0f;
  // One wheel notch (120 eighths of a degree) zooms by this factor.
  static constexpr double kWheelZoomStep = 1.25;
  // Temporary pixel blocks kept at most, in bytes, before the oldest go.
  static constexpr std::size_t kMaxPixelBlockBytes = std::size_t{64} << 20;

  explicit KEP2DViewer(QWidget* parent = nullptr, int width = 0, int height = 0);
  ~KEP2DViewer() override;

  KEP2DViewpoint& GetViewpoint() { return _viewpoint; }
  const KEP2DViewpoint& GetViewpoint() const { return _viewpoint; }
  float GetMillimetersPerSupportUnit() const { return kMillimetersPerSupportUnit; }

  // The drawing area's size in pixels.
  void GetGraphicSize(float& width, float& height) const;
  KEP2DViewMapping GetMapping() const;
  KEPMathPoint2Df WidgetToView(const QPointF& widgetPoint) const;
  QPointF ViewToWidget(const KEPMathPoint2Df& viewPoint) const;

  // --- representations ------------------------------------------------------
  // 0 on success; -1 for null or a representation of another viewer. Adding
  // one already present leaves it in its place.
  int AddRep(KEP2DRep* rep);
  int RemoveRep(KEP2DRep* rep);
  bool HasRep(const KEP2DRep* rep) const;
  const std::vector<KEP2DRep*>& GetReps() const { return _reps; }
  // Drawn under every other representation; null removes it. 0 on success.
  int SetBackgroundRep(KEP2DRep* rep);
  KEP2DRep* GetBackgroundRep() const { return _background; }

  // Draws `rep` over everything at once without keeping it: the next
  // Redraw, viewpoint change or EraseFurtive removes it. A representation
  // that is in the viewer is simply repainted where it lies.
  void DrawFurtive(KEP2DRep& rep);
  void EraseFurtive();
  int GetFurtiveCount() const { return static_cast<int>(_furtive.size()); }

  // A block of nx x ny pixels (bottom row first, copied) whose pixel (0, 0)
  // sits at view point (x, y), shown over the representations until the next
  // Redraw: the piece of an image that changed, seen before the image is
  // redrawn whole. 0 on success; -1 for an empty or impossible block.
  int AddPixelBlock(float x, float y, int nx, int ny, const unsigned char* pixels);
  int GetPixelBlockCount() const { return static_cast<int>(_blocks.size()); }

  // Repaints everything, dropping furtive drawings and pixel blocks.
  void Redraw();

  // --- indicators -------------------------------------------------------------
  void SetBackgroundIndicator(KEP2DIndicator* indicator);
  KEP2DIndicator* GetBackgroundIndicator() const { return _backgroundIndicator; }

  // --- pointer motion -----------------------------------------------------------
  // Hears every move of the pointer over the viewer, a button held or not,
  // in view coordinates, as PointerMoved does. Returns the subscription's
  // id (> 0).
  int AddHoverCallback(std::function<void(const KEPMathPoint2Df&)> callback);
  bool RemoveHoverCallback(int id);

  // --- navigation --------------------------------------------------------------
  void SetNavigation(bool on) { _navigation = on; }
  bool GetNavigation() const { return _navigation; }
  // Zooms so that the view point under `widgetPoint` stays under it.
  void ZoomAt(const QPointF& widgetPoint, float zoom);
  // Sets the viewpoint to `point` and `zoom` (in millimetres per unit)
  // unless it is there already; true when it changed.
  bool Reframe(const KEPMathPoint2Df& point, float zoom);
  bool Reframe() { return Reframe(KEPMathPoint2Df(0.0f, 0.0f), 1.0f); }
  // The zoom at which a width x height picture fills a viewWidth x
  // viewHeight area without being cut, computed in single precision; 0 when
  // a size is not positive.
  static float FitZoom(float viewWidth, float viewHeight, int width, int height);

  // --- display modes ------------------------------------------------------------
  // Stereo: image representations given a partner (the other eye's
  // buffer) show as a red/cyan anaglyph, red from the left eye and green
  // and blue from the right, to be seen with red/cyan glasses. Chosen over
  // side by side because each pixel stays where it is placed, so the tools,
  // the grid and the pointer work unchanged on a stereo pair.
  void SetStereoMode(bool on);
  bool IsStereoMode() const { return _stereo; }
  // Shows the viewer alone on the whole screen; Escape or
  // SetFullScreen(false) puts it back where it was. Other keys go on to the
  // widget it came from.
  void SetFullScreen(bool on);
  bool IsFullScreen() const { return _fullScreen; }
  void SetClearColour(const QColor& colour);

  // Called after every paint with the area painted (tests, measurements).
  void SetPaintObserver(std::function<void(const QRegion&)> observer);

  QSize sizeHint() const override;

  // --- used by representations, indicators and manipulators ---------------------
  void InvalidateViewRect(const QRectF& viewRect, int screenMargin);
  void AdoptRep(KEP2DRep* rep);
  void ForgetRep(KEP2DRep* rep);
  void RegisterIndicator(KEP2DIndicator* indicator);
  void UnregisterIndicator(KEP2DIndicator* indicator);
  void RegisterManipulator(KEP2DManipulator* manipulator);
  void UnregisterManipulator(KEP2DManipulator* manipulator);

 signals:
  void GraphicSizeChanged(float width, float height);
  void FullScreenChanged(bool on);
  // The pointer moved over the viewer, held button or not, to the view
  // point (x, y); PointerLeft when it left the viewer.
  void PointerMoved(float x, float y);
  void PointerLeft();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Closing the full-screen window (the window manager's close, Alt+F4)
  // brings the viewer back, as Escape does, instead of hiding it.
  void closeEvent(QCloseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  struct Furtive {
    QImage image;
    QPoint at;
    QSize viewerSize;  // placed for this widget size
  };

  QRect WidgetRect(const QRectF& viewRect, int screenMargin) const;
  std::vector<KEP2DRep*> DrawOrder() const;
  void ViewpointChanged();
  void EndGesture(const QPointF& widgetPoint);
  void NotifyPointer(const QPointF& widgetPoint);

  KEP2DViewpoint _viewpoint;
  QSize _hint;
  QColor _clear{64, 64, 64};
  std::vector<KEP2DRep*> _reps;
  KEP2DRep* _background = nullptr;
  std::vector<std::unique_ptr<KEP2DFloatingPixelRep>> _blocks;
  std::size_t _blockBytes = 0;
  std::vector<Furtive> _furtive;
  std::vector<KEP2DIndicator*> _indicators;
  std::vector<KEP2DManipulator*> _manipulators;
  KEP2DIndicator* _backgroundIndicator = nullptr;
  KEP2DIndicator* _dragIndicator = nullptr;
  KEP2DManipulator* _dragManipulator = nullptr;
  bool _navigation = true;
  bool _panning = false;
  QPointF _panStart;
  KEPMathPoint2Df _panOrigin;
  bool _stereo = false;
  bool _fullScreen = false;
  bool _wasWindow = false;
  QRect _normalGeometry;
  QImage _scratchOpaque, _scratchAlpha;
  std::function<void(const QRegion&)> _paintObserver;
  KEPCallbackList<const KEPMathPoint2Df&> _hover;
};
