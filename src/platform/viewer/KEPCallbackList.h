#pragma once

#include <functional>
#include <utility>
#include <vector>

// Subscribers of one notification. Each subscription gets an id (> 0) by
// which it is removed. A callback may add or remove subscriptions, itself
// included, while the notification runs: the notification goes to the
// subscriptions present when it started that are still present when their
// turn comes.
template <class... Args>
class KEPCallbackList {
 public:
  using Callback = std::function<void(Args...)>;

  int Add(Callback callback) {
    if (!callback) return 0;
    _entries.push_back({++_lastId, std::move(callback)});
    return _lastId;
  }
  bool Remove(int id) {
    for (auto it = _entries.begin(); it != _entries.end(); ++it) {
      if (it->id == id) {
        _entries.erase(it);
        return true;
      }
    }
    return false;
  }
  void Clear() { _entries.clear(); }
  int Size() const { return static_cast<int>(_entries.size()); }

  void Notify(Args... args) {
    std::vector<int> ids;
    ids.reserve(_entries.size());
    for (const Entry& e : _entries) ids.push_back(e.id);
    for (int id : ids) {
      // Copied so that a callback removing itself does not destroy the
      // function object that is running.
      Callback callback;
      for (const Entry& e : _entries) {
        if (e.id == id) {
          callback = e.callback;
          break;
        }
      }
      if (callback) callback(args...);
    }
  }

 private:
  struct Entry {
    int id;
    Callback callback;
  };
  std::vector<Entry> _entries;
  int _lastId = 0;
};
