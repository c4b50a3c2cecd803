#include "platform/link/KEPLink.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <cstring>
#include <zmq.hpp>
#include <zmq_addon.hpp>

#include "platform/KEPTrace.h"
#include "platform/link/KEPLinkDirectory.h"

namespace {

// Long enough for the last messages of a quitting process (the renderer's
// "raycbend") to leave, short enough not to hold up an exit when the peer
// has gone.
constexpr int kLingerMs = 2000;
// A few full-size patches in flight per peer: enough to keep the pipe busy,
// small enough that a sender feels a slow receiver (and the memory held in
// queues stays bounded).
constexpr int kSendQueue = 64;
constexpr int kReceiveQueue = 256;
// One Qt notification handles at most this much before giving the event
// loop back, so that patches are shown while a fast renderer streams.
constexpr int kBatchMessages = 256;
constexpr auto kBatchTime = std::chrono::milliseconds(20);

KEPLink* gHandling = nullptr;

// Waits up to timeoutMs (-1 without end) for `events` on the socket.
bool PollFor(zmq::socket_t& socket, short events, int timeoutMs) {
  zmq::pollitem_t item{socket.handle(), 0, events, 0};
  return zmq::poll(&item, 1, std::chrono::milliseconds(timeoutMs)) > 0;
}

}  // namespace

struct KEPLink::Incoming {
  std::string sender;   // 8 characters
  std::string message;  // 8 characters
  std::vector<zmq::message_t>* frames;
  std::size_t next;  // index in frames of the next part to read
  int reason;
};

struct KEPLink::Peer {
  std::string endpoint;
  zmq::socket_t socket;
};

KEPLink::KEPLink() = default;

KEPLink::~KEPLink() {
  delete _notifier.data();
  // Only our own entry and socket file: a successor may have taken the name
  // over already.
  bool ours = false;
  if (!_name.empty()) {
    std::string endpoint;
    pid_t pid = 0;
    ours = KEPLinkDirectory::ReadEntry(_directory, _name, endpoint, pid) == 0 && pid == getpid();
    if (ours) KEPLinkDirectory::RemoveEntry(_directory, _name);
  }
  _peers.clear();
  _router.reset();
  _context.reset();
  // ZeroMQ leaves the socket file of an ipc endpoint behind.
  if (ours && _endpoint == KEPLinkDirectory::DefaultEndpoint(_directory, _name))
    unlink(_endpoint.c_str() + 6);
}

int KEPLink::Init(const std::string& directory) {
  if (_context) return 0;
  int status = KEPLinkDirectory::Prepare(directory);
  if (status != KEPLinkDirectory::READY) return status;
  try {
    _context = std::make_unique<zmq::context_t>(1);
  } catch (const zmq::error_t& error) {
    KEP_TRACE(6, "(KEPLink::Init) %s", error.what());
    return LNK_INIT_TRANSPORT;
  }
  _directory = directory;
  return 0;
}

int KEPLink::Register(const char* message, KEPLinkCallback callback) {
  if (!message || !callback) return LNK_ERR_ARGUMENT;
  _callbacks[KEPLinkDirectory::PadName(message)] = std::move(callback);
  return 0;
}

int KEPLink::Declare(const char* name, const char* connectMessage) {
  if (!_context) return LNK_ERR_NOT_READY;
  if (!_name.empty()) return LNK_ERR_ARGUMENT;
  std::string padded = KEPLinkDirectory::PadName(name);
  if (!KEPLinkDirectory::IsUsableName(padded)) return LNK_ERR_NAME;
  std::string oldEndpoint;
  pid_t oldPid = 0;
  if (KEPLinkDirectory::ReadEntry(_directory, padded, oldEndpoint, oldPid) == 0 &&
      oldPid != getpid() && KEPLinkDirectory::IsAlive(oldPid))
    return LNK_ERR_IN_USE;
  try {
    auto router = std::make_unique<zmq::socket_t>(*_context, zmq::socket_type::router);
    router->set(zmq::sockopt::maxmsgsize, LNK_MAX_PART_SIZE);
    router->set(zmq::sockopt::router_mandatory, 1);
    // No hand-over: a second connection under a name already connected is
    // not heard, so that it cannot cut the first one off (ZeroMQ would drop
    // what the first has queued). A process that dies loses its connection
    // with it, which frees the name for its successor. Heartbeats are no
    // help here: a receiver that stops reading while it is busy would time
    // out live senders.
    router->set(zmq::sockopt::rcvhwm, kReceiveQueue);
    router->set(zmq::sockopt::linger, kLingerMs);
    router->bind(KEPLinkDirectory::DefaultEndpoint(_directory, padded));
    _endpoint = router->get(zmq::sockopt::last_endpoint);
    _router = std::move(router);
  } catch (const zmq::error_t& error) {
    KEP_TRACE(6, "(KEPLink::Declare) %s", error.what());
    return LNK_ERR_TRANSPORT;
  }
  if (KEPLinkDirectory::WriteEntry(_directory, padded, _endpoint, getpid()) != 0) {
    _router.reset();
    _endpoint.clear();
    return LNK_ERR_ENTRY;
  }
  _name = padded;
  _connectMessage = KEPLinkDirectory::PadName(connectMessage ? connectMessage : "CONNEXIO");
  AttachToEventLoop();
  return 0;
}

int KEPLink::Call(const char* process, pid_t* pid) {
  if (!_context) return LNK_ERR_NOT_READY;
  std::string padded = KEPLinkDirectory::PadName(process);
  if (!KEPLinkDirectory::IsUsableName(padded)) return LNK_ERR_NAME;
  std::string endpoint;
  pid_t found = 0;
  int read = KEPLinkDirectory::ReadEntry(_directory, padded, endpoint, found);
  if (read != 0) return LNK_ERR_NO_ENTRY;
  if (pid) *pid = found;
  // A process restarted under the same name has a new endpoint.
  auto peer = _peers.find(padded);
  if (peer != _peers.end() && peer->second->endpoint != endpoint) _peers.erase(peer);
  return KEPLinkDirectory::IsAlive(found) ? 0 : LNK_ERR_DEAD;
}

KEPLink::Peer* KEPLink::FindPeer(const std::string& padded, int& status) {
  auto found = _peers.find(padded);
  if (found != _peers.end()) return found->second.get();
  std::string endpoint;
  pid_t pid = 0;
  if (KEPLinkDirectory::ReadEntry(_directory, padded, endpoint, pid) != 0) {
    status = LNK_ERR_NO_ENTRY;
    return nullptr;
  }
  try {
    auto peer =
        std::make_unique<Peer>(Peer{endpoint, zmq::socket_t(*_context, zmq::socket_type::dealer)});
    peer->socket.set(zmq::sockopt::routing_id, zmq::buffer(_name));
    peer->socket.set(zmq::sockopt::linger, kLingerMs);
    peer->socket.set(zmq::sockopt::sndhwm, kSendQueue);
    peer->socket.set(zmq::sockopt::maxmsgsize, LNK_MAX_PART_SIZE);
    peer->socket.connect(endpoint);
    Peer* raw = peer.get();
    _peers[padded] = std::move(peer);
    return raw;
  } catch (const zmq::error_t& error) {
    KEP_TRACE(6, "(KEPLink::FindPeer) %s: %s", endpoint.c_str(), error.what());
    status = LNK_ERR_TRANSPORT;
    return nullptr;
  }
}

int KEPLink::Send(const char* process, const char* message, const KEPLinkPart* parts, int count,
                  int timeoutMs) {
  if (!_context) return LNK_ERR_NOT_READY;
  if (_name.empty()) return LNK_ERR_NOT_DECLARED;
  if (!message || count < 0 || (count > 0 && !parts)) return LNK_ERR_ARGUMENT;
  if (static_cast<std::size_t>(count) > LNK_MAX_PARTS) return LNK_ERR_TOO_LONG;
  for (int i = 0; i < count; ++i) {
    if (static_cast<std::int64_t>(parts[i].size) > LNK_MAX_PART_SIZE) return LNK_ERR_TOO_LONG;
    if (parts[i].size > 0 && !parts[i].data) return LNK_ERR_ARGUMENT;
  }
  std::string padded = KEPLinkDirectory::PadName(process);
  if (!KEPLinkDirectory::IsUsableName(padded)) return LNK_ERR_NAME;
  int status = 0;
  Peer* peer = FindPeer(padded, status);
  if (!peer) return status;
  std::string name = KEPLinkDirectory::PadName(message);
  try {
    auto more = count > 0 ? zmq::send_flags::sndmore : zmq::send_flags::none;
    // Waiting only when the queue is full keeps a poll out of every send.
    while (!peer->socket.send(zmq::buffer(name), more | zmq::send_flags::dontwait)) {
      if (timeoutMs == 0 || !PollFor(peer->socket, ZMQ_POLLOUT, timeoutMs)) return LNK_ERR_TIMEOUT;
    }
    // Once the first part is queued ZeroMQ takes the rest of the message
    // whole, so the remaining sends cannot be refused for lack of room.
    for (int i = 0; i < count; ++i) {
      auto flags = (i + 1 < count ? zmq::send_flags::sndmore : zmq::send_flags::none) |
                   zmq::send_flags::dontwait;
      if (parts[i].keep && parts[i].size > 0) {
        auto* keep = new std::shared_ptr<const void>(parts[i].keep);
        zmq::message_t borrowed(
            const_cast<void*>(parts[i].data), parts[i].size,
            [](void*, void* hint) { delete static_cast<std::shared_ptr<const void>*>(hint); },
            keep);
        peer->socket.send(borrowed, flags);
      } else {
        peer->socket.send(zmq::const_buffer(parts[i].data, parts[i].size), flags);
      }
    }
  } catch (const zmq::error_t& error) {
    KEP_TRACE(6, "(KEPLink::Send) %s", error.what());
    return LNK_ERR_TRANSPORT;
  }
  return 0;
}

int KEPLink::Close(const char* process) {
  std::string padded = KEPLinkDirectory::PadName(process);
  _closed.insert(padded);
  _peers.erase(padded);
  return 0;
}

int KEPLink::Reconnect(const char* process) {
  _peers.erase(KEPLinkDirectory::PadName(process));
  return 0;
}

bool KEPLink::IsClosed(const char* process) const {
  return _closed.count(KEPLinkDirectory::PadName(process)) != 0;
}

void KEPLink::AttachToEventLoop() {
  // Only the application's thread has the event loop that dispatches; a
  // link used from another thread calls ProcessPending itself.
  QCoreApplication* application = QCoreApplication::instance();
  if (!_router || !_notifier.isNull() || !application ||
      QThread::currentThread() != application->thread())
    return;
  int fd = _router->get(zmq::sockopt::fd);
  // Parented to the application so that it goes with it when the
  // application is destroyed before this (process-wide) link.
  auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [this] { Drain(); });
  _notifier = notifier;
  // Messages may have arrived before the notifier existed; their edge is
  // gone, so look once now.
  QTimer::singleShot(0, notifier, [this] { Drain(); });
}

void KEPLink::Drain() {
  if (!_router) return;
  if (_draining) {
    // A callback runs an event loop of its own (a blocking box): the
    // descriptor would stay readable and wake that loop without end. It is
    // watched again once the callback has returned.
    if (!_notifier.isNull()) _notifier->setEnabled(false);
    return;
  }
  auto start = std::chrono::steady_clock::now();
  int handled = 0;
  do {
    handled = ProcessPending(32);
  } while (handled == 32 && std::chrono::steady_clock::now() - start < kBatchTime);
  // ZeroMQ's descriptor signals edges only: reading ZMQ_EVENTS re-arms it,
  // and whatever is still waiting is handled on the next turn of the loop.
  bool pending = false;
  try {
    pending = _router->get(zmq::sockopt::events) & ZMQ_POLLIN;
  } catch (const zmq::error_t&) {
  }
  if (pending && !_notifier.isNull()) QTimer::singleShot(0, _notifier.data(), [this] { Drain(); });
}

int KEPLink::ProcessPending(int maxMessages) {
  if (!_router || _draining) return 0;
  _draining = true;
  int handled = 0;
  while (handled < maxMessages) {
    std::vector<zmq::message_t> frames;
    try {
      if (!zmq::recv_multipart(*_router, std::back_inserter(frames), zmq::recv_flags::dontwait))
        break;
    } catch (const zmq::error_t& error) {
      KEP_TRACE(6, "(KEPLink::ProcessPending) %s", error.what());
      break;
    }
    ++handled;
    Dispatch(frames);
  }
  _draining = false;
  if (!_notifier.isNull() && !_notifier->isEnabled()) {
    _notifier->setEnabled(true);
    QTimer::singleShot(0, _notifier.data(), [this] { Drain(); });
  }
  return handled;
}

bool KEPLink::WaitForMessage(int timeoutMs) {
  if (!_router) return false;
  try {
    return PollFor(*_router, ZMQ_POLLIN, timeoutMs);
  } catch (const zmq::error_t&) {
    return false;
  }
}

void KEPLink::Dispatch(std::vector<zmq::message_t>& frames) {
  if (frames.size() < 2 || frames[0].size() != 8 || frames[1].size() != 8 ||
      frames.size() - 2 > LNK_MAX_PARTS) {
    ++_counters.malformed;
    KEP_TRACE(6, "(KEPLink::Dispatch) malformed message of %zu frames dropped", frames.size());
    return;
  }
  Incoming incoming{frames[0].to_string(), frames[1].to_string(), &frames, 2, 0};
  if (incoming.message == _connectMessage) {
    if (frames.size() == 3 && frames[2].size() == 4)
      std::memcpy(&incoming.reason, frames[2].data(), 4);
    if (incoming.reason == LNK_REASON_CONNECT) _closed.erase(incoming.sender);
  }
  auto callback = _callbacks.find(incoming.message);
  if (_closed.count(incoming.sender) || callback == _callbacks.end()) {
    ++_counters.dropped;
    KEP_TRACE(6, "(KEPLink::Dispatch) '%s' from '%s' dropped", incoming.message.c_str(),
              incoming.sender.c_str());
    return;
  }
  KEPLink* outer = gHandling;
  Incoming* outerMessage = _current;
  gHandling = this;
  _current = &incoming;
  int result;
  try {
    result = callback->second();
  } catch (...) {
    // A callback must not take the event loop down with it.
    result = -1;
  }
  _current = outerMessage;
  gHandling = outer;
  ++_counters.dispatched;
  _counters.lastResult = result;
  if (result < 0)
    KEP_TRACE(6, "(KEPLink::Dispatch) '%s' from '%s': result %d", incoming.message.c_str(),
              incoming.sender.c_str(), result);
}

KEPLink* KEPLink::Handling() {
  return gHandling;
}

int KEPLink::Read(int requested, void* buffer, int& received) {
  received = 0;
  if (!_current) return LNK_ERR_NO_MESSAGE;
  if (requested < 0 || (requested > 0 && !buffer)) return LNK_ERR_ARGUMENT;
  auto& frames = *_current->frames;
  if (_current->next >= frames.size()) return LNK_ERR_NO_PART;
  zmq::message_t& part = frames[_current->next];
  int status = _current->next + 1 < frames.size() ? LNK_MORE : LNK_LAST;
  received = static_cast<int>(part.size());
  // Length 0 without a buffer asks the size of the next part and leaves it.
  if (requested == 0 && !buffer) return status;
  ++_current->next;
  if (part.size() > static_cast<std::size_t>(requested)) {
    std::memcpy(buffer, part.data(), requested);
    return LNK_ERR_TOO_LONG;
  }
  if (part.size() > 0) std::memcpy(buffer, part.data(), part.size());
  return status;
}

int KEPLink::ReadInPlace(const unsigned char*& data, int& received) {
  data = nullptr;
  received = 0;
  if (!_current) return LNK_ERR_NO_MESSAGE;
  auto& frames = *_current->frames;
  if (_current->next >= frames.size()) return LNK_ERR_NO_PART;
  zmq::message_t& part = frames[_current->next++];
  data = static_cast<const unsigned char*>(part.data());
  received = static_cast<int>(part.size());
  return _current->next < frames.size() ? LNK_MORE : LNK_LAST;
}

int KEPLink::Write(const void* body, int length) {
  if (!_current || !_router) return LNK_ERR_NO_MESSAGE;
  if (length < 0 || (length > 0 && !body)) return LNK_ERR_ARGUMENT;
  try {
    auto flags = zmq::send_flags::sndmore | zmq::send_flags::dontwait;
    if (!_router->send(zmq::buffer(_current->sender), flags)) return LNK_ERR_TIMEOUT;
    _router->send(zmq::buffer(_current->message), flags);
    _router->send(zmq::const_buffer(body, length), zmq::send_flags::dontwait);
  } catch (const zmq::error_t& error) {
    // Unroutable: the sender has gone (ZMQ_ROUTER_MANDATORY).
    KEP_TRACE(6, "(KEPLink::Write) %s", error.what());
    return LNK_ERR_TRANSPORT;
  }
  return 0;
}

int KEPLink::Why(int& reason, char* process) {
  reason = 0;
  if (!_current) return LNK_ERR_NO_MESSAGE;
  reason = _current->reason;
  if (process) {
    std::memcpy(process, _current->sender.data(), 8);
    process[8] = '\0';
  }
  return 0;
}

int KEPLink::ReceiveAnswer(const char* process, std::vector<std::vector<unsigned char>>& frames,
                           int timeoutMs) {
  frames.clear();
  auto found = _peers.find(KEPLinkDirectory::PadName(process));
  if (found == _peers.end()) return LNK_ERR_NO_ENTRY;
  zmq::socket_t& socket = found->second->socket;
  try {
    if (!PollFor(socket, ZMQ_POLLIN, timeoutMs)) return LNK_ERR_TIMEOUT;
    std::vector<zmq::message_t> messages;
    if (!zmq::recv_multipart(socket, std::back_inserter(messages), zmq::recv_flags::dontwait))
      return LNK_ERR_TIMEOUT;
    for (auto& message : messages) {
      auto* bytes = static_cast<const unsigned char*>(message.data());
      frames.emplace_back(bytes, bytes + message.size());
    }
  } catch (const zmq::error_t& error) {
    KEP_TRACE(6, "(KEPLink::ReceiveAnswer) %s", error.what());
    return LNK_ERR_TRANSPORT;
  }
  return 0;
}

KEPLink& KEPLink::Process() {
  static KEPLink link;
  return link;
}
