#pragma once

#include "platform/viewer/KEPCallbackList.h"

// One subscriber list per event of a gesture (begin, move, end) under a
// single id space, so that a subscription is removed by its id alone: the
// ids of event e are e + 1 + 3 k.
template <class... Args>
class KEPEventCallbacks {
 public:
  static constexpr int kEvents = 3;
  using Callback = typename KEPCallbackList<Args...>::Callback;

  // The subscription's id (> 0), or 0 for an unknown event or an empty
  // callback.
  int Add(int event, Callback callback) {
    if (!IsEvent(event) || !callback) return 0;
    int id = _lists[event].Add(std::move(callback));
    return id > 0 ? (id - 1) * kEvents + event + 1 : 0;
  }
  bool Remove(int id) {
    if (id <= 0) return false;
    return _lists[(id - 1) % kEvents].Remove((id - 1) / kEvents + 1);
  }
  void Clear() {
    for (auto& list : _lists) list.Clear();
  }
  int Size(int event) const { return IsEvent(event) ? _lists[event].Size() : 0; }
  void Notify(int event, Args... args) {
    if (IsEvent(event)) _lists[event].Notify(args...);
  }

 private:
  static bool IsEvent(int event) { return event >= 0 && event < kEvents; }
  KEPCallbackList<Args...> _lists[kEvents];
};
