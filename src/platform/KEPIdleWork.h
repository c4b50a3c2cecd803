#pragma once

#include <functional>

// Work run between events, when the main loop has nothing else to do:
// playback steps and the long effect runs. A subscription runs at every idle
// moment until it is removed (it may remove itself while it runs).
namespace KEPIdleWork {

// Returns the subscription's id (> 0).
int Subscribe(std::function<void()> work);
// Removing an id that is not subscribed does nothing.
void RemoveSubscribe(int id);
bool IsSubscribed(int id);

// A subscription removed with its owner.
struct Subscription {
  int id = 0;
  Subscription() = default;
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  ~Subscription() { Remove(); }
  void Remove() {
    if (id) RemoveSubscribe(id);
    id = 0;
  }
};

}  // namespace KEPIdleWork
