#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// What the workbench and its image service (atelo-imaged) say to each other
// over a SOCK_SEQPACKET socket pair, one message per packet. Pixels never
// travel in messages: they go through memfd files whose descriptors ride
// along with the message (SCM_RIGHTS).
//
//   service -> workbench  Hello   text = "ext=flags;..." for every known type
// Every request is first answered by Taken, then as follows:
//   workbench -> service  Probe   path, type           -> Done (size, format)
//   workbench -> service  Read    path, type, seconds  -> Header (width, height)
//   workbench -> service  Go | Cancel                   -> Done (+ pixel memfd)
//   workbench -> service  Write   path, type, width, height, seconds
//                                 + pixel memfd + output memfd -> Done (size)
//
// A Done with a non-zero status carries the complete error text, naming the
// file. The service handles each request in a child process of its own; when
// that child ends without answering, the service answers how it ended. `path` in a Write only names
// the file in messages: the service encodes into the output memfd and never writes a file itself.
namespace KEPImageProtocol {

enum class Op : std::uint32_t { Hello = 1, Probe, Read, Write, Taken, Header, Go, Cancel, Done };

struct Message {
  Op op = Op::Done;
  // Every answer repeats its request's serial, so that an answer left over
  // from a request given up on is never taken for the next one's.
  std::uint32_t serial = 0;
  std::int32_t status = 0;
  std::int32_t width = 0, height = 0, channels = 0;
  std::uint64_t size = 0;
  double seconds = 0;  // base time allowance of a request
  std::string path, type, text;
};

// Largest packet: a path of PATH_MAX, a type and an error text fit easily.
inline constexpr std::size_t kMaxPacket = 16384;
inline constexpr int kMaxFds = 2;

// Memory a request may use in the service beyond its libraries and the
// pixels of its image: with the libraries (about 130 MB resident) a process
// stays under 1 GiB whatever a file claims.
inline constexpr std::uint64_t kHeadroom = std::uint64_t{768} << 20;

// Seconds a request may take: `base` for a small image, growing with the
// pixel count: twice as long for a 3840 x 2160 frame, 33 times for the
// largest images (2^28 pixels).
double Allowance(double base, std::int64_t pixels);
// Opening a file may take longer than decoding a small one: some readers
// build their whole canvas from the header, before its size is known to the
// workbench. Opening gets this many times the base.
inline constexpr double kOpenFactor = 3;

// Sends one message with up to kMaxFds descriptors; false when the peer is
// gone (no SIGPIPE is raised).
bool Send(int socket, const Message& message, std::span<const int> fds = {});

enum class Received { Message, Closed, Malformed };
// Receives one message (blocking). Descriptors that came with it are put in
// `fds`, close-on-exec; the caller owns them.
Received Receive(int socket, Message& message, std::vector<int>& fds);

// How a process that ended with `status` (from waitpid) is described in an
// error text: "the image service crashed on it (Segmentation fault)".
std::string DescribeEnd(int status);

// A new memfd of `size` bytes, close-on-exec, that allows seals; -1 on
// failure with errno set.
int CreateMemfd(const char* name, std::uint64_t size);

}  // namespace KEPImageProtocol
