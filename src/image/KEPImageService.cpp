#include "image/KEPImageService.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/KEPErrmsg.h"
#include "platform/KEPTrace.h"

extern char** environ;

namespace {

using KEPImageProtocol::Message;
using KEPImageProtocol::Op;

// A service that has not said hello by then is not going to.
constexpr double kStartSeconds = 30;
// The service stops a request that takes longer than its allowance itself;
// the workbench stops the whole service only when it is that much later.
constexpr double kGraceSeconds = 5;
constexpr int kServiceFd = 3;

double BaseSeconds() {
  if (const char* text = std::getenv("ATELO_IMAGED_TIMEOUT"); text && *text) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end != text && value > 0) return value;
  }
  return 10;
}

void CloseAll(std::vector<int>& fds) {
  for (int fd : fds) ::close(fd);
  fds.clear();
}

// "tif=3;png=3;pic=1" as the service reports its types.
std::map<std::string, int> ParseTypes(const std::string& text) {
  std::map<std::string, int> types;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find(';', at);
    if (end == std::string::npos) end = text.size();
    const std::string item = text.substr(at, end - at);
    const std::size_t equals = item.find('=');
    if (equals != std::string::npos)
      types[item.substr(0, equals)] = std::atoi(item.c_str() + equals + 1);
    at = end + 1;
  }
  return types;
}

// Set while this thread is inside a request.
thread_local bool inRequest = false;

struct RequestScope {
  RequestScope() { inRequest = true; }
  ~RequestScope() { inRequest = false; }
};

void Fail(char* errtext, const char* verb, const std::string& path, const std::string& why) {
  if (errtext)
    KEPFormatError(errtext, "Can't %s image file '%s': %s", verb, path.c_str(), why.c_str());
}

}  // namespace

KEPImageService& KEPImageService::Instance() {
  // Never destroyed: a service still running when the program ends sees its
  // socket close and ends by itself.
  static KEPImageService* service = new KEPImageService;
  return *service;
}

KEPImageService::~KEPImageService() {
  if (_socket >= 0) ::close(_socket);
}

std::string KEPImageService::ProgramPath() {
  if (const char* named = std::getenv("ATELO_IMAGED"); named && *named) return named;
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "atelo-imaged";
  std::string path(self, static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/') + 1) + "atelo-imaged";
}

pid_t KEPImageService::Pid() const {
  std::lock_guard lock(_mutex);
  return _pid;
}

std::map<std::string, int> KEPImageService::Reported(std::uint64_t* generation,
                                                     std::uint64_t since) const {
  std::lock_guard lock(_reportMutex);
  if (generation) *generation = _generation;
  return since == _generation ? std::map<std::string, int>{} : _reported;
}

void KEPImageService::Prepare() {
  std::unique_lock lock(_mutex, std::try_to_lock);
  std::string why;
  if (lock.owns_lock() && !inRequest && _pid <= 0) Spawn(why);
}

bool KEPImageService::Ensure(std::string& why) {
  if (_pid <= 0 && !Spawn(why)) return false;
  if (!_helloPending) return true;
  _helloPending = false;
  Exchange hello;
  const Outcome outcome = Await(hello, kStartSeconds, 0);
  CloseAll(hello.fds);
  if (outcome != Outcome::Answer || hello.answer.op != Op::Hello) {
    why = Stop(outcome == Outcome::Answer ? Outcome::Malformed : outcome, kStartSeconds);
    return false;
  }
  std::lock_guard lock(_reportMutex);
  _reported = ParseTypes(hello.answer.text);
  ++_generation;
  return true;
}

bool KEPImageService::Spawn(std::string& why) {
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) {
    why = std::string("no socket for the image service: ") + std::strerror(errno);
    return false;
  }
  // dup2 onto the same number would keep close-on-exec set.
  if (pair[1] == kServiceFd) {
    const int moved = ::fcntl(pair[1], F_DUPFD_CLOEXEC, kServiceFd + 1);
    ::close(pair[1]);
    pair[1] = moved;
  }
  const std::string program = ProgramPath();
  const std::string parent = std::to_string(::getpid());
  const std::string socketArg = std::to_string(kServiceFd);
  char* argv[] = {const_cast<char*>(program.c_str()),   const_cast<char*>("--socket"),
                  const_cast<char*>(socketArg.c_str()), const_cast<char*>("--parent"),
                  const_cast<char*>(parent.c_str()),    nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // Standard output belongs to the workbench (batch messages).
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pair[1], kServiceFd);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int signal : {SIGPIPE, SIGALRM, SIGXCPU, SIGXFSZ, SIGSEGV, SIGBUS, SIGABRT})
    sigaddset(&defaults, signal);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  // A group of its own, so that a service stopped for taking too long goes
  // with the child working for it.
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  pid_t pid = 0;
  const int error = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(pair[1]);
  if (error != 0) {
    ::close(pair[0]);
    why = "the image service '" + program + "' cannot be started: " + std::strerror(error);
    return false;
  }
  _socket = pair[0];
  _pid = pid;
  _helloPending = true;
  KEP_TRACE(6, "(KEPImageService::Spawn) started '%s' as %d", program.c_str(), pid);
  return true;
}

bool KEPImageService::Submit(const Message& request, std::span<const int> fds, std::string& why) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!Ensure(why)) return false;
    // The service says at once that it took the request. One that died
    // while idle (killed, or out of memory) never does: the request goes
    // again to a new one, since no file had a part in that death.
    Exchange taken;
    if (KEPImageProtocol::Send(_socket, request, fds)) {
      const double seconds = request.seconds + kGraceSeconds;
      const Outcome outcome = Await(taken, seconds, request.serial);
      CloseAll(taken.fds);
      if (outcome == Outcome::Answer && taken.answer.op == Op::Taken) return true;
      if (outcome != Outcome::Ended) {
        why = Stop(outcome == Outcome::Answer ? Outcome::Malformed : outcome, seconds);
        return false;
      }
    }
    Stop(Outcome::Ended, 0);
  }
  why = "the image service does not take requests";
  return false;
}

KEPImageService::Outcome KEPImageService::Await(Exchange& exchange, double seconds,
                                                std::uint32_t serial) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return Outcome::TimedOut;
    pollfd state{_socket, POLLIN, 0};
    const int ready =
        ::poll(&state, 1, static_cast<int>(std::min<long long>(left.count(), 1 << 30)));
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) continue;
    if (ready < 0) return Outcome::Ended;
    switch (KEPImageProtocol::Receive(_socket, exchange.answer, exchange.fds)) {
      case KEPImageProtocol::Received::Message:
        if (exchange.answer.serial == serial) return Outcome::Answer;
        CloseAll(exchange.fds);
        continue;
      case KEPImageProtocol::Received::Closed:
        return Outcome::Ended;
      case KEPImageProtocol::Received::Malformed:
        return Outcome::Malformed;
    }
  }
}

std::string KEPImageService::Stop(Outcome outcome, double seconds) {
  _helloPending = false;
  if (_socket >= 0) ::close(_socket);
  _socket = -1;
  const pid_t pid = std::exchange(_pid, 0);
  if (pid <= 0) return "the image service ended";
  if (outcome != Outcome::Ended) ::kill(-pid, SIGKILL);
  // A service that closed its socket is ending; one that is slow to end is
  // ended.
  int status = 0;
  pid_t reaped = 0;
  for (int i = 0; i < 200 && (reaped = ::waitpid(pid, &status, WNOHANG)) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (reaped == 0) {
    ::kill(-pid, SIGKILL);
    reaped = ::waitpid(pid, &status, 0);
  }
  KEP_TRACE(6, "(KEPImageService::Stop) service %d ended, status 0x%x", pid, status);

  char why[200];
  if (outcome == Outcome::TimedOut)
    std::snprintf(why, sizeof why, "the image service took more than %.3g s and was stopped",
                  seconds);
  else if (outcome == Outcome::Malformed)
    std::snprintf(why, sizeof why, "the image service gave a wrong answer and was stopped");
  else if (reaped <= 0)
    std::snprintf(why, sizeof why, "the image service ended unexpectedly");
  else
    return KEPImageProtocol::DescribeEnd(status);
  return why;
}

KEPImageProtocol::Message KEPImageService::NewRequest(Op op) {
  Message request;
  request.op = op;
  request.serial = ++_serial;
  if (request.serial == 0) request.serial = ++_serial;  // 0 is the hello's
  request.seconds = BaseSeconds();
  return request;
}

bool KEPImageService::Answer(Exchange& exchange, double seconds, std::uint32_t serial,
                             std::string& why) {
  const Outcome outcome = Await(exchange, seconds + kGraceSeconds, serial);
  if (outcome == Outcome::Answer) return true;
  CloseAll(exchange.fds);
  why = Stop(outcome, seconds + kGraceSeconds);
  return false;
}

bool KEPImageService::OpenFile(Message& request, const std::string& path,
                               const std::string& library, Exchange& exchange, char* errtext) {
  request.path = path;
  request.type = library;
  std::string why;
  if (Submit(request, {}, why) &&
      Answer(exchange, KEPImageProtocol::kOpenFactor * request.seconds, request.serial, why))
    return true;
  Fail(errtext, "read", path, why);
  return false;
}

int KEPImageService::Probe(const std::string& path, const std::string& library, int& width,
                           int& height, int& channels, std::string& format, char* errtext) {
  if (inRequest) {
    Fail(errtext, "read", path, "the image service is busy with another file");
    return 1;
  }
  std::lock_guard lock(_mutex);
  RequestScope scope;
  Message request = NewRequest(Op::Probe);
  Exchange exchange;
  if (!OpenFile(request, path, library, exchange, errtext)) return 1;
  CloseAll(exchange.fds);
  const Message& done = exchange.answer;
  if (done.status != 0) {
    if (errtext) KEPFormatError(errtext, "%s", done.text.c_str());
    return done.status;
  }
  width = done.width;
  height = done.height;
  channels = done.channels;
  format = done.text;
  return 0;
}

int KEPImageService::Read(const std::string& path, const std::string& library,
                          KEPPixelBuffer& pixels, int& width, int& height, char* errtext,
                          const Admit& admit) {
  if (inRequest) {
    Fail(errtext, "read", path, "the image service is busy with another file");
    return 1;
  }
  std::lock_guard lock(_mutex);
  RequestScope scope;
  Message request = NewRequest(Op::Read);
  Exchange exchange;
  if (!OpenFile(request, path, library, exchange, errtext)) return 1;
  std::string why;
  int refused = 0;
  std::int64_t pixelCount = 0;
  if (exchange.answer.op == Op::Header) {
    const int w = exchange.answer.width, h = exchange.answer.height;
    pixelCount = static_cast<std::int64_t>(w) * h;
    refused = admit ? admit(w, h, errtext) : 0;
    Message go;
    go.op = refused ? Op::Cancel : Op::Go;
    go.serial = request.serial;
    if (!KEPImageProtocol::Send(_socket, go)) {
      Fail(errtext, "read", path, Stop(Outcome::Ended, 0));
      return 1;
    }
    CloseAll(exchange.fds);
    exchange = {};
    const double seconds = KEPImageProtocol::Allowance(request.seconds, pixelCount);
    if (!Answer(exchange, seconds, request.serial, why)) {
      if (!refused) Fail(errtext, "read", path, why);
      return refused ? refused : 1;
    }
  }
  const Message& done = exchange.answer;
  const int fd = exchange.fds.empty() ? -1 : exchange.fds.front();
  struct Closer {
    std::vector<int>& fds;
    ~Closer() { CloseAll(fds); }
  } closer{exchange.fds};
  if (refused) return refused;
  if (done.op != Op::Done) {
    Fail(errtext, "read", path, Stop(Outcome::Malformed, 0));
    return 1;
  }
  if (done.status != 0) {
    if (errtext) KEPFormatError(errtext, "%s", done.text.c_str());
    return done.status;
  }
  const std::uint64_t bytes = static_cast<std::uint64_t>(done.width) * done.height * 4;
  // Sealed first: a memory file that shrank under the mapping would fault
  // on every access to the missing pages.
  struct stat info;
  if (fd < 0 || done.width <= 0 || done.height <= 0 ||
      static_cast<std::int64_t>(done.width) * done.height != pixelCount ||
      ::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) != 0 ||
      ::fstat(fd, &info) != 0 || static_cast<std::uint64_t>(info.st_size) != bytes) {
    Fail(errtext, "read", path, Stop(Outcome::Malformed, 0));
    return 1;
  }
  void* mapped = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, fd, 0);
  if (mapped == MAP_FAILED) {
    if (errtext) KEPFormatError(errtext, "Not enough memory to read image file '%s'", path.c_str());
    return 1;
  }
  pixels = KEPPixelBuffer::AdoptMapping(mapped, bytes);
  width = done.width;
  height = done.height;
  return 0;
}

int KEPImageService::Encode(const std::string& name, const std::string& library,
                            const std::string& extension, const unsigned char* pixels, int width,
                            int height, int& encoded, char* errtext) {
  if (inRequest) {
    Fail(errtext, "write", name, "the image service is busy with another file");
    return 1;
  }
  std::lock_guard lock(_mutex);
  RequestScope scope;
  const std::uint64_t bytes = static_cast<std::uint64_t>(width) * height * 4;
  int source = KEPImageProtocol::CreateMemfd("atelo-save", bytes);
  if (source < 0) {
    if (errtext)
      KEPFormatError(errtext, "Not enough memory to write image file '%s'", name.c_str());
    return 1;
  }
  // One copy, into the memory file the service reads: the record's own
  // pages cannot be handed to another process.
  for (std::uint64_t done = 0; done < bytes;) {
    const ssize_t n =
        ::pwrite(source, pixels + done, std::min<std::uint64_t>(bytes - done, 1 << 30),
                 static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(source);
      if (errtext)
        KEPFormatError(errtext, "Not enough memory to write image file '%s'", name.c_str());
      return 1;
    }
    done += static_cast<std::uint64_t>(n);
  }
  const int output = KEPImageProtocol::CreateMemfd("atelo-encoded", 0);
  if (output < 0) {
    ::close(source);
    Fail(errtext, "write", name, std::strerror(errno));
    return 1;
  }
  Message request = NewRequest(Op::Write);
  request.path = name;
  request.type = library;
  request.text = extension;
  request.width = width;
  request.height = height;
  const int fds[] = {source, output};
  std::string why;
  Exchange exchange;
  const bool sent = Submit(request, fds, why);
  ::close(source);
  const double seconds =
      KEPImageProtocol::Allowance(request.seconds, static_cast<std::int64_t>(width) * height);
  if (!sent || !Answer(exchange, seconds, request.serial, why)) {
    ::close(output);
    Fail(errtext, "write", name, why);
    return 1;
  }
  CloseAll(exchange.fds);
  if (exchange.answer.op != Op::Done || exchange.answer.status != 0) {
    ::close(output);
    if (exchange.answer.op != Op::Done)
      Fail(errtext, "write", name, Stop(Outcome::Malformed, 0));
    else if (errtext)
      KEPFormatError(errtext, "%s", exchange.answer.text.c_str());
    return 1;
  }
  encoded = output;
  return 0;
}
