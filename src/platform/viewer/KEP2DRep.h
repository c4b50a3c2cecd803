#pragma once

#include <QPointer>
#include <QRectF>

#include "platform/viewer/KEPMathPoint2Df.h"

class KEP2DDrawContext;
class KEP2DViewer;

// Something a 2D viewer draws. Representations are not owned by the viewer:
// their owner creates and deletes them, and a representation that is
// deleted leaves its viewer, the viewer's indicators and manipulators by
// itself. A representation belongs to at most one viewer.
//
// Its translation moves it as a whole (a manipulator drags it by changing
// the translation); its bounds are in view units.
class KEP2DRep {
 public:
  KEP2DRep() = default;
  KEP2DRep(const KEP2DRep&) = delete;
  KEP2DRep& operator=(const KEP2DRep&) = delete;
  virtual ~KEP2DRep();

  virtual void Draw(const KEP2DDrawContext& context) const = 0;
  // Bounds before the translation; an empty rectangle draws nothing.
  virtual QRectF GetLocalBounds() const = 0;
  // Widget pixels drawn beyond the bounds (half a line width and so on).
  virtual int GetScreenMargin() const { return 0; }
  // Whether a view point picks this representation (a press on it).
  virtual bool Contains(const KEPMathPoint2Df& viewPoint) const;

  QRectF GetViewBounds() const;
  KEPMathPoint2Df GetTranslation() const { return _translation; }
  void SetTranslation(const KEPMathPoint2Df& translation);
  bool IsVisible() const { return _visible; }
  void SetVisible(bool visible);

  // Asks the viewer to repaint where the representation was last shown and
  // where it lies now: call it after changing what it draws.
  void Invalidate();
  KEP2DViewer* GetViewer() const;

 protected:
  // Repaints a part of the representation only (bounds before translation).
  void InvalidateLocal(const QRectF& localRect) const;

 private:
  friend class KEP2DViewer;
  QPointer<KEP2DViewer> _viewer;
  KEPMathPoint2Df _translation;
  bool _visible = true;
  // Where it was last shown, for repainting that place once it moved or
  // went (read without virtual calls, so even from the destructor).
  QRectF _shownBounds;
  int _shownMargin = 0;
};
