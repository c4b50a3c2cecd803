#include "platform/KEPIdleWork.h"

#include <QTimer>
#include <map>
#include <memory>

namespace {

// A zero-interval timer fires whenever the event loop has processed the
// events that were waiting: Qt's own notion of idle time.
struct Entry {
  std::unique_ptr<QTimer> timer;
  std::function<void()> work;
};

std::map<int, Entry>& Subscriptions() {
  static std::map<int, Entry> subscriptions;
  return subscriptions;
}

}  // namespace

namespace KEPIdleWork {

int Subscribe(std::function<void()> work) {
  static int lastId = 0;
  const int id = ++lastId;
  Entry& subscription = Subscriptions()[id];
  subscription.work = std::move(work);
  subscription.timer = std::make_unique<QTimer>();
  subscription.timer->setInterval(0);
  QObject::connect(subscription.timer.get(), &QTimer::timeout, [id] {
    auto it = Subscriptions().find(id);
    if (it == Subscriptions().end()) return;
    // The work may remove its own subscription: run a copy.
    std::function<void()> work = it->second.work;
    work();
  });
  subscription.timer->start();
  return id;
}

void RemoveSubscribe(int id) {
  auto it = Subscriptions().find(id);
  if (it == Subscriptions().end()) return;
  it->second.timer->stop();
  // The timer may be the one whose signal is being delivered.
  it->second.timer.release()->deleteLater();
  Subscriptions().erase(it);
}

bool IsSubscribed(int id) {
  return Subscriptions().count(id) != 0;
}

}  // namespace KEPIdleWork
