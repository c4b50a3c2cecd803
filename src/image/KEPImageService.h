#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "image/KEPImageProtocol.h"
#include "image/KEPPixelBuffer.h"

// The image service seen from the workbench: every image file is decoded and
// encoded in a separate program, atelo-imaged, so that a file that crashes,
// hangs or exhausts an image library only costs that file. The service is
// started on first need, next to the running program (or as named by
// ATELO_IMAGED), and again after it died. Each file is handled in a process
// of its own with limits on memory and time: ATELO_IMAGED_TIMEOUT seconds
// (default 10) for a small image, more for a large one (see
// KEPImageProtocol::Allowance); the workbench stops the whole service when
// even that limit fails.
//
// Calls block until the answer arrives; they are serialised, so that any
// thread may make them. A call made from inside another (from an Admit
// function) fails rather than waiting for itself. Every failure returns
// non-zero with `errtext` (KEP_ERRMSG_SIZE bytes, may be null) naming the
// file.
class KEPImageService {
 public:
  static KEPImageService& Instance();

  // Called with the size of the image once the header is read, before any
  // pixel is decoded; a non-zero result (with errtext filled) refuses it.
  using Admit = std::function<int(int width, int height, char* errtext)>;

  // Header of a file: its size, channel count and format name.
  int Probe(const std::string& path, const std::string& library, int& width, int& height,
            int& channels, std::string& format, char* errtext);
  // Decodes a file into 4-byte RGBA rows, bottom row first, in a shared
  // mapping that `pixels` takes.
  int Read(const std::string& path, const std::string& library, KEPPixelBuffer& pixels, int& width,
           int& height, char* errtext, const Admit& admit = {});
  // Encodes the pixels as a file of this type; on success `encoded` is a
  // descriptor (the caller closes it) of a memory file holding the bytes.
  // `name` only appears in messages.
  int Encode(const std::string& name, const std::string& library, const std::string& extension,
             const unsigned char* pixels, int width, int height, int& encoded, char* errtext);

  // The flags (KEPAtelImaFormat READABLE / WRITABLE) the service reported
  // for each extension, empty until it first ran; `generation` grows with
  // every report, and `since` spares the copy when it has not grown.
  std::map<std::string, int> Reported(std::uint64_t* generation = nullptr,
                                      std::uint64_t since = ~std::uint64_t{0}) const;

  // Starts the service in the background when none runs, without waiting
  // for it: called when an image is made that will likely be saved, so that
  // the libraries are loaded by the time it is.
  void Prepare();

  // The service's process id, 0 while none runs.
  pid_t Pid() const;
  // The program run as the service.
  static std::string ProgramPath();

 private:
  KEPImageService() = default;
  ~KEPImageService();

  enum class Outcome { Answer, Ended, TimedOut, Malformed };
  struct Exchange {
    KEPImageProtocol::Message answer;
    std::vector<int> fds;
  };

  // Starts the service when none runs and waits for its hello; false with
  // `why` set when it cannot.
  bool Ensure(std::string& why);
  // Starts the service process without waiting for it.
  bool Spawn(std::string& why);
  // Sends a request, restarting the service once when it turns out to have
  // died since the last request.
  bool Submit(const KEPImageProtocol::Message& request, std::span<const int> fds, std::string& why);
  // Waits at most `seconds` for the next message about request `serial`;
  // others are left overs and dropped.
  Outcome Await(Exchange& exchange, double seconds, std::uint32_t serial);
  // Ends the service (killing it if need be) and says how it ended.
  std::string Stop(Outcome outcome, double seconds);
  // Waits for one message and turns every way of not getting one into `why`.
  bool Answer(Exchange& exchange, double seconds, std::uint32_t serial, std::string& why);
  // A request message with the next serial.
  KEPImageProtocol::Message NewRequest(KEPImageProtocol::Op op);
  // Sends a request about the file at `path` and waits for its first
  // answer, the time allowed for opening a file; false with the reason in
  // `errtext` otherwise.
  bool OpenFile(KEPImageProtocol::Message& request, const std::string& path,
                const std::string& library, Exchange& exchange, char* errtext);

  // One request at a time; the report has its own lock, so that a type can
  // be looked up while a request waits.
  mutable std::mutex _mutex, _reportMutex;
  int _socket = -1;
  pid_t _pid = 0;
  std::map<std::string, int> _reported;
  std::uint64_t _generation = 0;
  std::uint32_t _serial = 0;
  bool _helloPending = false;
};
