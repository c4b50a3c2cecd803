#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

class KEPLink;

// The renderer's end of the link: publishes the renderer under its own
// name, connects to a workbench window and sends it the messages of a
// rendering. Also watches for the two ways of being told to stop: the
// interrupt file and the workbench's "raycbend".
class KEPRenderClient {
 public:
  KEPRenderClient();
  ~KEPRenderClient();

  // Opens the link under `ownName` and waits up to waitMs for the window's
  // entry. 0 on success, else `error` says why.
  int Open(const std::string& ownName, const std::string& window, int waitMs, std::string& error);
  // "CONNEXIO" then "INITDISP", waiting for its answer; both are sent again
  // on a new connection while none comes.
  int Handshake(const std::string& host, int timeoutMs, std::string& error);

  // "INITDISP", waiting for its answer. Since the workbench handles
  // messages in order, the answer also tells that everything sent before
  // has been handled.
  int InitDisplay(const std::string& host, int timeoutMs);

  int NewImage(int frame, int width, int height, int displayCode, const std::string& name);
  int Display(int x0, int y0, int nx, int ny, std::vector<unsigned char>&& pixels);
  int Message(const std::string& text);
  int Path(const std::string& name);
  int End();

  // True once the interrupt file appeared (it is then removed) or the
  // workbench said it ends; StopReason says which.
  bool ShouldStop();
  const char* StopReason() const { return _stopReason; }

  // Removes a leftover interrupt file, which would stop this renderer at
  // once although it was meant for another one.
  static void RemoveInterruptFile();

  // Sends what is still queued and leaves the link (the entry goes).
  void Close();

  std::size_t GetPixelBytes() const { return _pixelBytes; }
  // How long a send waits for the workbench to take a message.
  void SetSendTimeout(int milliseconds) { _sendTimeoutMs = milliseconds; }

 private:
  int Send(const char* message, const void* first, std::size_t firstSize, const void* second,
           std::size_t secondSize, int parts);
  static std::string InterruptPath();

  std::unique_ptr<KEPLink> _link;
  std::string _window;
  std::size_t _pixelBytes = 0;
  int _sendTimeoutMs = 30000;
  bool _workbenchEnded = false;
  const char* _stopReason = "";
  // The interrupt file found right after connecting: the workbench made it
  // for the renderer this one took over from, so it does not stop this one.
  bool _ignoring = false;
  ino_t _ignoredInode = 0;
  struct timespec _ignoredTime = {};
  std::chrono::steady_clock::time_point _nextLook;
};
