#include "atelo-render/KEPRenderClient.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/link/KEPLink.h"
#include "platform/link/KEPLinkDirectory.h"

KEPRenderClient::KEPRenderClient() = default;
KEPRenderClient::~KEPRenderClient() = default;

std::string KEPRenderClient::InterruptPath() {
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.virda_atelo.int";
}

void KEPRenderClient::RemoveInterruptFile() {
  unlink(InterruptPath().c_str());
}

int KEPRenderClient::Open(const std::string& ownName, const std::string& window, int waitMs,
                          std::string& error) {
  _link = std::make_unique<KEPLink>();
  std::string directory = KEPLinkDirectory::Resolve();
  int status = _link->Init(directory);
  if (status != 0) {
    error =
        "link directory " + directory + " cannot be used (status " + std::to_string(status) + ")";
    return status;
  }
  status = _link->Declare(ownName.c_str(), "CONNEXIO");
  if (status != 0) {
    error = "cannot publish '" + ownName + "' on the link (status " + std::to_string(status) + ")";
    return status;
  }
  _link->Register("raycbend", [this] {
    _workbenchEnded = true;
    return 0;
  });
  _window = KEPLinkDirectory::PadName(window.c_str());
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  while ((status = _link->Call(_window.c_str())) != 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      error =
          "no workbench '" + KEPLinkDirectory::TrimName(_window) + "' on the link in " + directory;
      return status;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return 0;
}

int KEPRenderClient::Send(const char* message, const void* first, std::size_t firstSize,
                          const void* second, std::size_t secondSize, int parts) {
  KEPLinkPart list[2] = {{first, firstSize}, {second, secondSize}};
  return _link->Send(_window.c_str(), message, list, parts, _sendTimeoutMs);
}

int KEPRenderClient::InitDisplay(const std::string& host, int timeoutMs) {
  // Port (unused here), no render nodes, one host: this machine.
  std::int32_t head[3] = {0, 0, 1};
  std::string hostName = KEPLinkDirectory::PadName(host.c_str());
  int status = Send("INITDISP", head, sizeof head, hostName.data(), 8, 2);
  std::vector<std::vector<unsigned char>> answer;
  if (status == 0) status = _link->ReceiveAnswer(_window.c_str(), answer, timeoutMs);
  return status;
}

int KEPRenderClient::Handshake(const std::string& host, int timeoutMs, std::string& error) {
  // The workbench does not hear a connection under our name while it still
  // holds the one of a predecessor of that name (killed with messages
  // unread): without an answer soon, connect again.
  constexpr int kAttemptMs = 1000;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  for (int attempt = 0;; ++attempt) {
    if (attempt > 0) _link->Reconnect(_window.c_str());
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    std::int32_t reason = LNK_REASON_CONNECT;
    status = Send("CONNEXIO", &reason, 4, nullptr, 0, 1);
    if (status == 0)
      status = InitDisplay(host, static_cast<int>(std::clamp<long long>(left, 0, kAttemptMs)));
    if (status != LNK_ERR_TIMEOUT || left <= kAttemptMs) break;
  }
  if (status != 0) {
    error = "no answer to INITDISP from '" + KEPLinkDirectory::TrimName(_window) + "' (status " +
            std::to_string(status) + ")";
    return status;
  }
  // The workbench handles messages in order, so by now it has seen our
  // CONNEXIO: an interrupt file present is the one it made for our
  // predecessor.
  struct stat info;
  if (stat(InterruptPath().c_str(), &info) == 0) {
    _ignoring = true;
    _ignoredInode = info.st_ino;
    _ignoredTime = info.st_mtim;
  }
  return 0;
}

int KEPRenderClient::NewImage(int frame, int width, int height, int displayCode,
                              const std::string& name) {
  std::int32_t head[5] = {frame, width, height, displayCode,
                          static_cast<std::int32_t>(name.size())};
  return Send("NEWIMAGE", head, sizeof head, name.data(), name.size(), 2);
}

int KEPRenderClient::Display(int x0, int y0, int nx, int ny, std::vector<unsigned char>&& pixels) {
  std::int32_t head[4] = {x0, y0, nx, ny};
  // The patch goes out without another copy; ZeroMQ lets go of it once sent.
  auto keep = std::make_shared<const std::vector<unsigned char>>(std::move(pixels));
  KEPLinkPart parts[2] = {{head, sizeof head}, {keep->data(), keep->size(), keep}};
  int status = _link->Send(_window.c_str(), "DISPLAY ", parts, 2, _sendTimeoutMs);
  if (status == 0) _pixelBytes += keep->size();
  return status;
}

int KEPRenderClient::Message(const std::string& text) {
  return Send("MESSAGE ", text.data(), text.size(), nullptr, 0, 1);
}

int KEPRenderClient::Path(const std::string& name) {
  return Send("PATH    ", name.data(), name.size(), nullptr, 0, 1);
}

int KEPRenderClient::End() {
  return Send("END_DISP", "END_DISP", 8, nullptr, 0, 1);
}

bool KEPRenderClient::ShouldStop() {
  // Looking at the link and the file system for every patch would cost more
  // than small patches do; a few milliseconds late is soon enough to stop.
  auto now = std::chrono::steady_clock::now();
  if (now < _nextLook) return false;
  _nextLook = now + std::chrono::milliseconds(5);
  if (_link) _link->ProcessPending();
  if (_workbenchEnded) {
    _stopReason = "the workbench has ended";
    return true;
  }
  struct stat info;
  if (stat(InterruptPath().c_str(), &info) != 0) {
    _ignoring = false;
    return false;
  }
  if (_ignoring && info.st_ino == _ignoredInode && info.st_mtim.tv_sec == _ignoredTime.tv_sec &&
      info.st_mtim.tv_nsec == _ignoredTime.tv_nsec)
    return false;
  RemoveInterruptFile();
  _stopReason = "interrupted";
  return true;
}

void KEPRenderClient::Close() {
  _link.reset();
}
