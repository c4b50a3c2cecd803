// atelo-imaged: the image service of the workbench. It decodes and encodes
// image files for one workbench, which starts it with its end of a socket
// pair (see KEPImageProtocol.h), and ends when that socket closes. Whatever
// a file does to the image libraries here (crash, hang, exhaust memory)
// ends this process at worst, never the workbench.
#include <malloc.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "KEPImageCodec.h"
#include "KEPServiceLimits.h"
#include "image/KEPImagePixels.h"
#include "image/KEPImageProtocol.h"
#include "image/KEPImageTypes.h"
#include "platform/KEPErrmsg.h"

namespace {

using KEPImageProtocol::Message;
using KEPImageProtocol::Op;

// The serial of the request being handled, repeated in every answer.
std::uint32_t serial = 0;

struct Request {
  Message message;
  std::vector<int> fds;
  ~Request() {
    for (int fd : fds) ::close(fd);
  }
};

Message Done(int status, const char* text) {
  Message done;
  done.op = Op::Done;
  done.status = status;
  done.text = status ? text : "";
  done.serial = serial;
  return done;
}

// A shared mapping of a whole memory file, unmapped with the object. Its
// pages are set up in one go: taking them one fault at a time costs more
// than decoding a simple picture on some virtual machines.
struct Mapping {
  void* address = MAP_FAILED;
  std::size_t length = 0;
  Mapping(int fd, std::size_t bytes, int protection) : length(bytes) {
    address = ::mmap(nullptr, bytes, protection, MAP_SHARED | MAP_POPULATE, fd, 0);
  }
  ~Mapping() {
    if (address != MAP_FAILED) ::munmap(address, length);
  }
  bool Ok() const { return address != MAP_FAILED; }
  unsigned char* Bytes() const { return static_cast<unsigned char*>(address); }
};

bool Probe(int socket, const Message& request) {
  char errtext[KEP_ERRMSG_SIZE] = {0};
  KEPImageCodec::Decoder decoder;
  Message done = Done(decoder.Open(request.path, request.type, errtext), errtext);
  done.width = decoder.Width();
  done.height = decoder.Height();
  done.channels = decoder.Channels();
  if (done.status == 0) done.text = decoder.FormatName();
  return KEPImageProtocol::Send(socket, done);
}

// Header first; the pixels only when the workbench says Go.
bool Read(int socket, const Message& request) {
  char errtext[KEP_ERRMSG_SIZE] = {0};
  KEPImageCodec::Decoder decoder;
  if (int status = decoder.Open(request.path, request.type, errtext))
    return KEPImageProtocol::Send(socket, Done(status, errtext));
  Message header;
  header.op = Op::Header;
  header.serial = serial;
  header.width = decoder.Width();
  header.height = decoder.Height();
  if (!KEPImageProtocol::Send(socket, header)) return false;
  Request answer;
  if (KEPImageProtocol::Receive(socket, answer.message, answer.fds) !=
      KEPImageProtocol::Received::Message)
    return false;
  if (answer.message.op != Op::Go || answer.message.serial != serial)
    return KEPImageProtocol::Send(socket, Done(3, "the workbench refused the image"));

  const std::size_t bytes = KEPImagePixels::BufferSize(decoder.Width(), decoder.Height());
  const std::int64_t pixels = static_cast<std::int64_t>(decoder.Width()) * decoder.Height();
  KEPImageCodec::StartThreads(pixels);
  KEPServiceLimits::AllowMemory(bytes);
  KEPServiceLimits::AllowTime(KEPImageProtocol::Allowance(request.seconds, pixels));
  const int fd = KEPImageProtocol::CreateMemfd("atelo-pixels", bytes);
  if (fd < 0) {
    KEPFormatError(errtext, "Not enough memory to read image file '%s'", request.path.c_str());
    return KEPImageProtocol::Send(socket, Done(1, errtext));
  }
  int status = 1;
  {
    Mapping pixelsMap(fd, bytes, PROT_READ | PROT_WRITE);
    if (!pixelsMap.Ok())
      KEPFormatError(errtext, "Not enough memory to read image file '%s'", request.path.c_str());
    else
      status = decoder.Decode(pixelsMap.Bytes(), errtext);
  }
  const int fds[] = {fd};
  Message done = Done(status, errtext);
  done.width = decoder.Width();
  done.height = decoder.Height();
  const bool sent = status == 0 ? KEPImageProtocol::Send(socket, done, fds)
                                : KEPImageProtocol::Send(socket, done);
  ::close(fd);
  return sent;
}

bool Write(int socket, const Request& request) {
  const Message& m = request.message;
  char errtext[KEP_ERRMSG_SIZE] = {0};
  const std::size_t bytes = KEPImagePixels::BufferSize(m.width, m.height);
  if (request.fds.size() != 2 || !KEPImageTypes::SizeAllowed(m.width, m.height)) {
    KEPFormatError(errtext, "Can't write image file '%s': %s", m.path.c_str(), "bad request");
    return KEPImageProtocol::Send(socket, Done(1, errtext));
  }
  KEPServiceLimits::AllowMemory(bytes);
  KEPImageCodec::StartThreads(static_cast<std::int64_t>(m.width) * m.height);
  KEPServiceLimits::AllowTime(
      KEPImageProtocol::Allowance(m.seconds, static_cast<std::int64_t>(m.width) * m.height));
  // No type stores a picture in much more than four floats a pixel.
  KEPServiceLimits::AllowFileSize(bytes * 4 + (std::uint64_t{64} << 20));
  Mapping source(request.fds[0], bytes, PROT_READ);
  int status = 1;
  if (!source.Ok())
    KEPFormatError(errtext, "Not enough memory to write image file '%s'", m.path.c_str());
  else
    status = KEPImageCodec::Encode("/proc/self/fd/" + std::to_string(request.fds[1]), m.path,
                                   m.type, m.text, source.Bytes(), m.width, m.height, errtext);
  return KEPImageProtocol::Send(socket, Done(status, errtext));
}

// What a library threw, as the answer to the request it was in.
bool Refuse(int socket, const Request& request, const char* what, bool memory) {
  char errtext[KEP_ERRMSG_SIZE] = {0};
  const char* verb = request.message.op == Op::Write ? "write" : "read";
  if (memory)
    KEPFormatError(errtext, "Not enough memory to %s image file '%s'", verb,
                   request.message.path.c_str());
  else
    KEPFormatError(errtext, "Can't %s image file '%s': %s", verb, request.message.path.c_str(),
                   what);
  return KEPImageProtocol::Send(socket, Done(1, errtext));
}

// One request, in the child made for it; true once it is answered.
bool Handle(int socket, const Request& request) {
  KEPServiceLimits::AllowMemory(0);
  KEPServiceLimits::AllowTime(KEPImageProtocol::kOpenFactor * request.message.seconds);
  try {
    switch (request.message.op) {
      case Op::Probe:
        return Probe(socket, request.message);
      case Op::Read:
        return Read(socket, request.message);
      default:
        return Write(socket, request);
    }
  } catch (const std::bad_alloc&) {
    return Refuse(socket, request, "", true);
  } catch (const std::length_error&) {
    return Refuse(socket, request, "the file claims an impossible size", false);
  } catch (const std::exception& e) {
    return Refuse(socket, request, e.what(), false);
  }
}

}  // namespace

int main(int argc, char** argv) {
  KEPServiceLimits::NoCoreDumps();
  int socket = -1;
  long parent = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--socket") == 0) socket = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--parent") == 0) parent = std::atol(argv[i + 1]);
  }
  if (socket < 0) {
    std::fprintf(stderr, "%s: the image service of atelo; atelo starts it itself\n", argv[0]);
    return 2;
  }
  // Gone with the workbench, even one that was killed.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (parent > 0 && ::getppid() != parent) return 0;
  // Every thread's malloc arena would take 64 MB of address space.
  ::mallopt(M_ARENA_MAX, 2);
  KEPImageCodec::Initialise();
  Message hello;
  hello.op = Op::Hello;
  hello.text = KEPImageCodec::ReportTypes();
  KEPServiceLimits::TakeBaseline();
  if (!KEPImageProtocol::Send(socket, hello)) return 0;

  // This process only takes requests: each is handled by a child forked for
  // it, with the libraries already loaded, so that a file that corrupts the
  // memory of a library (without ending it) cannot harm the next file, and
  // a crash costs a fork instead of a new service.
  for (;;) {
    Request request;
    const auto received = KEPImageProtocol::Receive(socket, request.message, request.fds);
    if (received == KEPImageProtocol::Received::Closed) return 0;
    if (received == KEPImageProtocol::Received::Malformed) return 1;
    const Op op = request.message.op;
    // A Go or Cancel for a child that had died before reading it.
    if (op == Op::Go || op == Op::Cancel) continue;
    if (op != Op::Probe && op != Op::Read && op != Op::Write) return 1;
    serial = request.message.serial;
    Message taken;
    taken.op = Op::Taken;
    taken.serial = serial;
    if (!KEPImageProtocol::Send(socket, taken)) return 0;
    const pid_t child = ::fork();
    if (child == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      ::_exit(Handle(socket, request) ? 0 : 3);
    }
    int status = 0;
    if (child < 0) {
      status = W_EXITCODE(3, 0);
    } else {
      while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
      }
    }
    // Only a child that answered ends with 0; for any other the answer is
    // how it ended.
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) continue;
    char errtext[KEP_ERRMSG_SIZE] = {0};
    KEPFormatError(errtext, "Can't %s image file '%s': %s", op == Op::Write ? "write" : "read",
                   request.message.path.c_str(),
                   child < 0 ? "no process for it" : KEPImageProtocol::DescribeEnd(status).c_str());
    if (!KEPImageProtocol::Send(socket, Done(1, errtext))) return 0;
  }
}
