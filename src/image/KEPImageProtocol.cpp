#include "image/KEPImageProtocol.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace KEPImageProtocol {
namespace {

struct Wire {
  std::uint32_t op, serial;
  std::int32_t status, width, height, channels;
  std::uint32_t lengths[3];
  std::uint64_t size;
  double seconds;
};

}  // namespace

double Allowance(double base, std::int64_t pixels) {
  return base * (1.0 + static_cast<double>(pixels > 0 ? pixels : 0) / (1 << 23));
}

bool Send(int socket, const Message& message, std::span<const int> fds) {
  const std::string* texts[3] = {&message.path, &message.type, &message.text};
  Wire wire{static_cast<std::uint32_t>(message.op),
            message.serial,
            message.status,
            message.width,
            message.height,
            message.channels,
            {},
            message.size,
            message.seconds};
  std::string packet(sizeof wire, '\0');
  for (int i = 0; i < 3; ++i) {
    wire.lengths[i] = static_cast<std::uint32_t>(texts[i]->size());
    packet += *texts[i];
  }
  if (packet.size() > kMaxPacket || fds.size() > static_cast<std::size_t>(kMaxFds)) {
    errno = EMSGSIZE;
    return false;
  }
  std::memcpy(packet.data(), &wire, sizeof wire);

  iovec part{packet.data(), packet.size()};
  msghdr header{};
  header.msg_iov = &part;
  header.msg_iovlen = 1;
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kMaxFds)] = {};
  if (!fds.empty()) {
    header.msg_control = control;
    header.msg_controllen = CMSG_SPACE(sizeof(int) * fds.size());
    cmsghdr* rights = CMSG_FIRSTHDR(&header);
    rights->cmsg_level = SOL_SOCKET;
    rights->cmsg_type = SCM_RIGHTS;
    rights->cmsg_len = CMSG_LEN(sizeof(int) * fds.size());
    std::memcpy(CMSG_DATA(rights), fds.data(), sizeof(int) * fds.size());
  }
  for (;;) {
    if (::sendmsg(socket, &header, MSG_NOSIGNAL) >= 0) return true;
    if (errno != EINTR) return false;
  }
}

Received Receive(int socket, Message& message, std::vector<int>& fds) {
  std::string packet(kMaxPacket, '\0');
  iovec part{packet.data(), packet.size()};
  msghdr header{};
  header.msg_iov = &part;
  header.msg_iovlen = 1;
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kMaxFds)] = {};
  header.msg_control = control;
  header.msg_controllen = sizeof control;
  ssize_t n;
  do {
    n = ::recvmsg(socket, &header, MSG_CMSG_CLOEXEC);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) return Received::Closed;

  // Descriptors are collected first so that none leaks when the packet is
  // refused.
  for (cmsghdr* c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(&header, c)) {
    if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS) continue;
    const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
    for (std::size_t i = 0; i < count; ++i) {
      int fd;
      std::memcpy(&fd, CMSG_DATA(c) + i * sizeof(int), sizeof fd);
      fds.push_back(fd);
    }
  }
  Wire wire;
  if (static_cast<std::size_t>(n) < sizeof wire || (header.msg_flags & (MSG_TRUNC | MSG_CTRUNC)))
    return Received::Malformed;
  std::memcpy(&wire, packet.data(), sizeof wire);
  std::size_t at = sizeof wire;
  std::string* texts[3] = {&message.path, &message.type, &message.text};
  for (int i = 0; i < 3; ++i) {
    if (wire.lengths[i] > static_cast<std::size_t>(n) - at) return Received::Malformed;
    texts[i]->assign(packet.data() + at, wire.lengths[i]);
    at += wire.lengths[i];
  }
  if (wire.op < static_cast<std::uint32_t>(Op::Hello) ||
      wire.op > static_cast<std::uint32_t>(Op::Done))
    return Received::Malformed;
  message.op = static_cast<Op>(wire.op);
  message.serial = wire.serial;
  message.status = wire.status;
  message.width = wire.width;
  message.height = wire.height;
  message.channels = wire.channels;
  message.size = wire.size;
  message.seconds = wire.seconds;
  return Received::Message;
}

std::string DescribeEnd(int status) {
  char why[160];
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM)
    std::snprintf(why, sizeof why, "the image service took too long on it and was stopped");
  else if (WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU)
    std::snprintf(why, sizeof why, "the image service used up its processor time");
  else if (WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ)
    std::snprintf(why, sizeof why, "the image service produced too large a file");
  else if (WIFSIGNALED(status))
    std::snprintf(why, sizeof why, "the image service crashed on it (%s)",
                  strsignal(WTERMSIG(status)));
  else
    std::snprintf(why, sizeof why, "the image service ended unexpectedly (status %d)",
                  WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return why;
}

int CreateMemfd(const char* name, std::uint64_t size) {
  const int fd = ::memfd_create(name, MFD_CLOEXEC | MFD_ALLOW_SEALING);
  if (fd < 0) return -1;
  if (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

}  // namespace KEPImageProtocol
