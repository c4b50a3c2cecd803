#include "platform/viewer/KEP2DIndicator.h"

#include <algorithm>

#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DRep.h"
#include "platform/viewer/KEP2DViewer.h"

KEP2DIndicator::KEP2DIndicator(KEP2DViewer* viewer, const char* name)
    : _viewer(viewer), _name(name ? name : "") {
  KEP_TRACE(2, "(KEP2DIndicator::KEP2DIndicator) %s", _name.c_str());
  if (_viewer) _viewer->RegisterIndicator(this);
}

KEP2DIndicator::~KEP2DIndicator() {
  KEP_TRACE(2, "(KEP2DIndicator::~KEP2DIndicator) %s", _name.c_str());
  if (_viewer) _viewer->UnregisterIndicator(this);
}

int KEP2DIndicator::AddCallback(Event event, Callback callback) {
  return _callbacks.Add(event, std::move(callback));
}

bool KEP2DIndicator::RemoveCallback(int id) {
  return _callbacks.Remove(id);
}

void KEP2DIndicator::RemoveAllCallbacks() {
  _callbacks.Clear();
}

int KEP2DIndicator::GetCallbackCount(Event event) const {
  return _callbacks.Size(event);
}

int KEP2DIndicator::AddRepToManipulate(KEP2DRep* rep) {
  if (!rep || (rep->GetViewer() && rep->GetViewer() != _viewer)) return -1;
  if (_viewer) _viewer->AdoptRep(rep);
  if (!IsRepToManipulate(rep)) _reps.push_back(rep);
  return 0;
}

int KEP2DIndicator::RemoveRepToManipulate(KEP2DRep* rep) {
  auto it = std::find(_reps.begin(), _reps.end(), rep);
  if (it == _reps.end()) return -1;
  _reps.erase(it);
  if (_picked == rep) _picked = nullptr;
  return 0;
}

bool KEP2DIndicator::IsRepToManipulate(const KEP2DRep* rep) const {
  return std::find(_reps.begin(), _reps.end(), rep) != _reps.end();
}

KEPMathTransformation2D KEP2DIndicator::GetCurrentTransformation() const {
  return KEPMathTransformation2D::Translation(_pointer.x - 1.0f, _pointer.y - 1.0f);
}

void KEP2DIndicator::Deliver(Event event, const KEPMathPoint2Df& viewPoint, KEP2DRep* picked) {
  if (event < kBegin || event > kEnd) return;
  _pointer = viewPoint;
  if (event == kBegin) _picked = picked;
  _manipulating = event != kEnd;
  KEP_TRACE(6, "(KEP2DIndicator::Deliver) %s %d %g %g", _name.c_str(), static_cast<int>(event),
            viewPoint.x, viewPoint.y);
  _callbacks.Notify(event, *this, viewPoint);
}

void KEP2DIndicator::ForgetRep(const KEP2DRep* rep) {
  _reps.erase(std::remove(_reps.begin(), _reps.end(), rep), _reps.end());
  if (_picked == rep) _picked = nullptr;
}

KEP2DViewer* KEP2DIndicator::GetViewer() const {
  return _viewer.data();
}
