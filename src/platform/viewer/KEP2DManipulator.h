#pragma once

#include <QPointer>
#include <functional>
#include <string>

#include "platform/viewer/KEPEventCallbacks.h"
#include "platform/viewer/KEPMathPoint2Df.h"

class KEP2DRep;
class KEP2DViewer;

// Lets the user drag one representation with the left button. Its position
// is the representation's translation: a drag adds the pointer's way to the
// position it had at the press. Subscribers hear the begin, each move and
// the end of a drag; SetPosition moves the representation without
// notifying. Manipulators take a press before any indicator; among several
// under the pointer, the one whose representation is drawn on top wins.
class KEP2DManipulator {
 public:
  enum Event { kBegin = 0, kMove = 1, kEnd = 2 };
  using Callback = std::function<void(KEP2DManipulator& manipulator)>;

  // `style` is kept for the caller; every style drags freely in the plane.
  KEP2DManipulator(KEP2DViewer* viewer, const char* name, KEP2DRep* rep = nullptr, int style = 0);
  KEP2DManipulator(const KEP2DManipulator&) = delete;
  KEP2DManipulator& operator=(const KEP2DManipulator&) = delete;
  ~KEP2DManipulator();

  const std::string& GetName() const { return _name; }
  int GetStyle() const { return _style; }
  KEP2DViewer* GetViewer() const;

  // 0 on success, -1 for a representation of another viewer.
  int SetRep(KEP2DRep* rep);
  KEP2DRep* GetRep() const { return _rep; }
  KEPMathPoint2Df GetPosition() const;
  void SetPosition(const KEPMathPoint2Df& position);
  // An inactive manipulator lets presses through to the indicators.
  void SetActive(bool active) { _active = active; }
  bool IsActive() const { return _active; }
  bool IsDragging() const { return _dragging; }

  int AddCallback(Event event, Callback callback);
  bool RemoveCallback(int id);
  void RemoveAllCallbacks();

  // Used by the viewer.
  bool Picks(const KEPMathPoint2Df& viewPoint) const;
  void Deliver(Event event, const KEPMathPoint2Df& viewPoint);
  void ForgetRep(const KEP2DRep* rep);

 private:
  QPointer<KEP2DViewer> _viewer;
  std::string _name;
  KEP2DRep* _rep = nullptr;
  int _style;
  bool _active = true;
  bool _dragging = false;
  KEPMathPoint2Df _pressPointer, _pressPosition;
  KEPEventCallbacks<KEP2DManipulator&> _callbacks;
};
