#include "platform/viewer/KEP2DManipulator.h"

#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DRep.h"
#include "platform/viewer/KEP2DViewer.h"

KEP2DManipulator::KEP2DManipulator(KEP2DViewer* viewer, const char* name, KEP2DRep* rep, int style)
    : _viewer(viewer), _name(name ? name : ""), _style(style) {
  KEP_TRACE(2, "(KEP2DManipulator::KEP2DManipulator) %s", _name.c_str());
  if (_viewer) _viewer->RegisterManipulator(this);
  SetRep(rep);
}

KEP2DManipulator::~KEP2DManipulator() {
  KEP_TRACE(2, "(KEP2DManipulator::~KEP2DManipulator) %s", _name.c_str());
  if (_viewer) _viewer->UnregisterManipulator(this);
}

int KEP2DManipulator::SetRep(KEP2DRep* rep) {
  if (rep && rep->GetViewer() && rep->GetViewer() != _viewer) return -1;
  if (rep && _viewer) _viewer->AdoptRep(rep);
  _rep = rep;
  _dragging = false;
  return 0;
}

KEPMathPoint2Df KEP2DManipulator::GetPosition() const {
  return _rep ? _rep->GetTranslation() : KEPMathPoint2Df();
}

void KEP2DManipulator::SetPosition(const KEPMathPoint2Df& position) {
  if (_rep) _rep->SetTranslation(position);
}

int KEP2DManipulator::AddCallback(Event event, Callback callback) {
  return _callbacks.Add(event, std::move(callback));
}

bool KEP2DManipulator::RemoveCallback(int id) {
  return _callbacks.Remove(id);
}

void KEP2DManipulator::RemoveAllCallbacks() {
  _callbacks.Clear();
}

bool KEP2DManipulator::Picks(const KEPMathPoint2Df& viewPoint) const {
  return _active && _rep && _rep->IsVisible() && _rep->Contains(viewPoint);
}

void KEP2DManipulator::Deliver(Event event, const KEPMathPoint2Df& viewPoint) {
  if (!_rep || event < kBegin || event > kEnd) return;
  if (event == kBegin) {
    _pressPointer = viewPoint;
    _pressPosition = _rep->GetTranslation();
    _dragging = true;
  } else if (!_dragging) {
    return;
  } else {
    _rep->SetTranslation(_pressPosition + (viewPoint - _pressPointer));
    if (event == kEnd) _dragging = false;
  }
  KEP_TRACE(6, "(KEP2DManipulator::Deliver) %s %d", _name.c_str(), static_cast<int>(event));
  _callbacks.Notify(event, *this);
}

void KEP2DManipulator::ForgetRep(const KEP2DRep* rep) {
  if (_rep == rep) {
    _rep = nullptr;
    _dragging = false;
  }
}

KEP2DViewer* KEP2DManipulator::GetViewer() const {
  return _viewer.data();
}
