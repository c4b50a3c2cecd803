#pragma once

#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "platform/viewer/KEPEventCallbacks.h"
#include "platform/viewer/KEPMathPoint2Df.h"
#include "platform/viewer/KEPMathTransformation2D.h"

class KEP2DRep;
class KEP2DViewer;

// Pointer gestures over a viewer, in view coordinates: a press of the left
// button begins, each move while it is held manipulates, the release ends.
// An indicator hears the gestures that start on one of its representations
// (AddRepToManipulate); the viewer's background indicator hears, besides,
// every gesture that starts on no manipulator and no other indicator's
// representation, anywhere in the viewer.
class KEP2DIndicator {
 public:
  enum Event { kBegin = 0, kManipulate = 1, kEnd = 2 };
  using Callback = std::function<void(KEP2DIndicator& indicator, const KEPMathPoint2Df& viewPoint)>;

  KEP2DIndicator(KEP2DViewer* viewer, const char* name);
  KEP2DIndicator(const KEP2DIndicator&) = delete;
  KEP2DIndicator& operator=(const KEP2DIndicator&) = delete;
  ~KEP2DIndicator();

  const std::string& GetName() const { return _name; }
  KEP2DViewer* GetViewer() const;

  // Returns the subscription's id (> 0), by which RemoveCallback removes it.
  int AddCallback(Event event, Callback callback);
  bool RemoveCallback(int id);
  void RemoveAllCallbacks();
  int GetCallbackCount(Event event) const;

  // 0 on success, -1 for a null representation or one of another viewer;
  // adding one twice keeps one entry.
  int AddRepToManipulate(KEP2DRep* rep);
  int RemoveRepToManipulate(KEP2DRep* rep);
  bool IsRepToManipulate(const KEP2DRep* rep) const;
  const std::vector<KEP2DRep*>& GetRepsToManipulate() const { return _reps; }

  // The pointer of the gesture in progress (or of the last one).
  KEPMathPoint2Df GetPointer() const { return _pointer; }
  // The translation that takes the point (1, 1) onto the pointer: the image
  // of (1, 1) is the pointer position and that of (0, 0) lies one view unit
  // down and to the left of it.
  KEPMathTransformation2D GetCurrentTransformation() const;
  // Topmost of this indicator's representations under the press, or null.
  KEP2DRep* GetPickedRep() const { return _picked; }
  bool IsManipulating() const { return _manipulating; }

  // Used by the viewer.
  void Deliver(Event event, const KEPMathPoint2Df& viewPoint, KEP2DRep* picked);
  void ForgetRep(const KEP2DRep* rep);

 private:
  QPointer<KEP2DViewer> _viewer;
  std::string _name;
  KEPEventCallbacks<KEP2DIndicator&, const KEPMathPoint2Df&> _callbacks;
  std::vector<KEP2DRep*> _reps;
  KEPMathPoint2Df _pointer;
  KEP2DRep* _picked = nullptr;
  bool _manipulating = false;
};
