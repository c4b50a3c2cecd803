#pragma once

#include <sys/types.h>

#include <QPointer>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace zmq {
class context_t;
class socket_t;
class message_t;
}  // namespace zmq
class QSocketNotifier;

// What a callback registered for a message name runs; its result goes back
// to the link (0 success, negative failure) and is only traced.
using KEPLinkCallback = std::function<int()>;

// One part of an outgoing message. Without `keep` the bytes are copied
// when sent; with it they are sent as they are and `keep` is held until
// ZeroMQ has finished with them, which saves a copy of large patches.
struct KEPLinkPart {
  const void* data;
  std::size_t size;
  std::shared_ptr<const void> keep = nullptr;
};

// Statuses of the link operations. Reads report LNK_MORE while parts remain
// and LNK_LAST with the last one; every failure is negative.
inline constexpr int LNK_LAST = 0;
inline constexpr int LNK_MORE = 2;
inline constexpr int LNK_ERR_NOT_READY = -10;     // the link is not initialised
inline constexpr int LNK_ERR_NAME = -11;          // a process or message name that cannot be used
inline constexpr int LNK_ERR_NO_ENTRY = -12;      // no entry for that process
inline constexpr int LNK_ERR_DEAD = -13;          // an entry whose process has ended
inline constexpr int LNK_ERR_IN_USE = -14;        // the name belongs to another live process
inline constexpr int LNK_ERR_TRANSPORT = -15;     // ZeroMQ refused the operation
inline constexpr int LNK_ERR_NO_MESSAGE = -16;    // read, answer or why outside a callback
inline constexpr int LNK_ERR_NO_PART = -17;       // every part has been read
inline constexpr int LNK_ERR_TOO_LONG = -18;      // the part is longer than the buffer offered
inline constexpr int LNK_ERR_ENTRY = -19;         // the entry file cannot be written
inline constexpr int LNK_ERR_TIMEOUT = -20;       // the peer did not take or give a message in time
inline constexpr int LNK_ERR_NOT_DECLARED = -21;  // sending needs a name of our own first
inline constexpr int LNK_ERR_ARGUMENT = -22;      // a negative length, a null buffer, ...

// lnkini's status when ZeroMQ itself cannot be set up (3 to 5 come from the
// directory check, KEPLinkDirectory).
inline constexpr int LNK_INIT_TRANSPORT = 6;

// Reason that lnkwhy reports for a process that asks to connect.
inline constexpr int LNK_REASON_CONNECT = 4;

// Largest part a receiver accepts: a whole image of the largest size the
// image record allows (2^28 pixels of 4 bytes) fits in one part. A larger
// part makes ZeroMQ drop the sender's connection.
inline constexpr std::int64_t LNK_MAX_PART_SIZE = std::int64_t{1} << 30;
// Parts after the message name; no message of the protocol has more than
// two, and a bound keeps a runaway sender from building huge messages.
inline constexpr std::size_t LNK_MAX_PARTS = 64;

// One process's place on the link: a ROUTER socket bound at the endpoint of
// its entry file, receiving [sender][message name][parts...], and one DEALER
// socket per destination, whose routing id is this process's name.
//
// Callbacks run on the thread that owns the object. On the Qt application's
// thread the ROUTER's file descriptor is watched by the event loop; elsewhere
// the owner calls ProcessPending.
class KEPLink {
 public:
  KEPLink();
  ~KEPLink();
  KEPLink(const KEPLink&) = delete;
  KEPLink& operator=(const KEPLink&) = delete;

  // 0 when ready, else a KEPLinkDirectory status or LNK_INIT_TRANSPORT.
  int Init(const std::string& directory);
  bool IsReady() const { return _context != nullptr; }
  const std::string& GetDirectory() const { return _directory; }

  int Register(const char* message, KEPLinkCallback callback);
  // Binds the ROUTER socket and publishes the entry under `name`;
  // `connectMessage` names the message by which processes connect.
  int Declare(const char* name, const char* connectMessage);
  const std::string& GetName() const { return _name; }  // empty until declared
  const std::string& GetEndpoint() const { return _endpoint; }

  // 0 when the process has an entry and is alive (its pid in *pid).
  int Call(const char* process, pid_t* pid = nullptr);
  // Sends [message][parts...] to `process`. timeoutMs: how long to wait for
  // room in the queue, 0 not at all, -1 without end.
  int Send(const char* process, const char* message, const KEPLinkPart* parts, int count,
           int timeoutMs = 0);
  // Forgets the connection to `process` and drops what it sends until it
  // connects again.
  int Close(const char* process);
  // Drops our connection to `process`; the next Send opens a new one. A
  // receiver does not hear a connection made under our name while it still
  // holds an older one (a predecessor that died with messages unread): a
  // sender that gets no answer connects again.
  int Reconnect(const char* process);
  bool IsClosed(const char* process) const;

  // Dispatches messages from the Qt event loop; Declare does it when called
  // on the application's thread.
  void AttachToEventLoop();
  // Dispatches the messages waiting, at most maxMessages; returns how many.
  int ProcessPending(int maxMessages = INT_MAX);
  // Waits until a message is waiting on the ROUTER socket: true when one is.
  bool WaitForMessage(int timeoutMs);
  // Receives one answer sent back by `process` on our connection to it:
  // the message name first, then the parts.
  int ReceiveAnswer(const char* process, std::vector<std::vector<unsigned char>>& frames,
                    int timeoutMs);

  // --- inside a callback -------------------------------------------------
  // The link whose callback is running, null outside callbacks.
  static KEPLink* Handling();
  // Next part of the message: see lnkrea.
  int Read(int requested, void* buffer, int& received);
  // Like Read, but hands out the part's bytes where they lie instead of
  // copying them; they stay valid until the callback returns.
  int ReadInPlace(const unsigned char*& data, int& received);
  int Write(const void* body, int length);
  int Why(int& reason, char* process);

  struct Counters {
    long dispatched = 0;  // callbacks run
    long dropped = 0;     // from closed processes, or without callback
    long malformed = 0;   // not [8-byte sender][8-byte name][parts]
    int lastResult = 0;   // result of the last callback
  };
  const Counters& GetCounters() const { return _counters; }

  // The link of the process, used by the lnk operations.
  static KEPLink& Process();

 private:
  struct Incoming;
  struct Peer;

  void Drain();
  void Dispatch(std::vector<zmq::message_t>& frames);
  Peer* FindPeer(const std::string& process, int& status);

  std::unique_ptr<zmq::context_t> _context;
  std::unique_ptr<zmq::socket_t> _router;
  std::map<std::string, std::unique_ptr<Peer>> _peers;
  std::map<std::string, KEPLinkCallback> _callbacks;
  std::set<std::string> _closed;
  std::string _directory, _name, _endpoint, _connectMessage;
  Incoming* _current = nullptr;
  bool _draining = false;
  QPointer<QSocketNotifier> _notifier;
  Counters _counters;
};
