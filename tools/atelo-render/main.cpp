// atelo-render: a small renderer that streams frames to a workbench window
// over the link, for demonstrations, tests and measurements.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "atelo-render/KEPRenderClient.h"
#include "atelo-render/KEPRenderOptions.h"
#include "atelo-render/KEPRenderPicture.h"
#include "atelo-render/KEPRenderTiles.h"

namespace {

std::string Format(const char* format, double value) {
  char line[64];
  std::snprintf(line, sizeof line, format, value);
  return line;
}

std::string FrameFile(const std::string& pattern, int frame) {
  if (pattern.find('%') == std::string::npos) return pattern;
  char name[4096];
  std::snprintf(name, sizeof name, pattern.c_str(), frame);
  return name;
}

// What --stats reports: the pixel bytes of all patches but the last of each
// frame, and the time from the first patch until the workbench has handled
// them. The last patch completes the image, which the workbench then saves
// before it reads on; that is file writing, not the link.
struct Throughput {
  std::size_t bytes = 0;
  double seconds = 0;
};

// Sends one frame (or one frame part); false when the run must stop.
bool RenderFrame(KEPRenderClient& client, const KEPRenderOptions& options,
                 const KEPRenderPicture& picture, int frame, int part, const std::string& host,
                 Throughput& throughput, bool& failed) {
  int code = (part << 24) | options.config;
  if (client.NewImage(frame, picture.width, picture.height, code, options.fileName) != 0)
    return failed = true, false;
  KEPRenderRect area = KEPFramePartRect(part, picture.width, picture.height);
  client.Message("RC   0.0 info : frame " + std::to_string(frame) + ", " +
                 std::to_string(area.width) + " x " + std::to_string(area.height) + "\n");
  client.Message("RC   0.0 progr: rendering\n");
  if (options.noPixels) return true;
  // The frame's set-up on the workbench (a new image of the frame's size)
  // is left out of --stats: the answer to INITDISP says it is done.
  if (options.stats && client.InitDisplay(host, options.timeoutMs) != 0)
    return failed = true, false;
  auto start = std::chrono::steady_clock::now();
  std::size_t bytesBefore = client.GetPixelBytes();
  auto patches = KEPRenderPatches(area, options.patchWidth, options.patchHeight, options.order,
                                  options.seed + frame);
  double nextProgress = options.progressStep;
  for (std::size_t i = 0; i < patches.size(); ++i) {
    if (client.ShouldStop()) return false;
    const KEPRenderRect& r = patches[i];
    if (options.stats && i + 1 == patches.size()) {
      // The answer to INITDISP comes once everything before it is handled.
      if (client.InitDisplay(host, options.timeoutMs) != 0) return failed = true, false;
      throughput.seconds +=
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      throughput.bytes += client.GetPixelBytes() - bytesBefore;
    }
    auto bytes = KEPCutPatch(picture, r.x, r.y, r.width, r.height);
    if (client.Display(r.x, r.y, r.width, r.height, std::move(bytes)) != 0)
      return failed = true, false;
    double done = 100.0 * (i + 1) / patches.size();
    if (done >= nextProgress && i + 1 < patches.size()) {
      client.Message(Format("RC   0.0 progr: %5.1f%%\n", done));
      while (nextProgress <= done) nextProgress += options.progressStep;
    }
    if (options.delayMs > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(options.delayMs));
  }
  client.Message("RC   0.0 progr: 100.0%\n");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  KEPRenderOptions options;
  std::string error;
  if (!KEPParseRenderOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "atelo-render: %s\n%s", error.c_str(), KEPRenderUsage());
    return 1;
  }
  if (options.help) {
    std::fputs(KEPRenderUsage(), stdout);
    return 0;
  }
  if (options.name.empty()) options.name = "RND" + std::to_string(getpid() % 100000);

  KEPRenderClient client;
  client.SetSendTimeout(options.timeoutMs);
  KEPRenderClient::RemoveInterruptFile();
  char host[256] = "localhost";
  gethostname(host, sizeof host - 1);
  if (client.Open(options.name, options.window, options.waitMs, error) != 0 ||
      client.Handshake(host, options.timeoutMs, error) != 0) {
    std::fprintf(stderr, "atelo-render: %s\n", error.c_str());
    return 1;
  }

  Throughput throughput;
  bool failed = false, stopped = false;
  KEPRenderPicture picture;
  std::string loaded;
  do {
    for (int n = 0; n < options.frames && !stopped && !failed; ++n) {
      int frame = options.first + n;
      if (!options.image.empty()) {
        std::string file = FrameFile(options.image, frame);
        if (file != loaded && !KEPReadPicture(file, picture, error)) {
          std::fprintf(stderr, "atelo-render: %s\n", error.c_str());
          client.End();
          return 1;
        }
        loaded = file;
      } else if (options.noPixels) {
        // Only the size is sent: a frame as large as the protocol allows
        // costs nothing here.
        picture = KEPRenderPicture{};
        picture.width = options.width;
        picture.height = options.height;
      } else {
        picture = KEPGeneratePicture(options.width, options.height, n, options.frames);
      }
      int firstPart = options.part < 0 ? 1 : options.part;
      int lastPart = options.part < 0 ? 16 : options.part;
      for (int part = firstPart; part <= lastPart && !stopped && !failed; ++part) {
        if (!options.quiet)
          std::fprintf(stderr, "atelo-render: frame %d%s\n", frame,
                       part ? (" part " + std::to_string(part)).c_str() : "");
        stopped = !RenderFrame(client, options, picture, frame, part, host, throughput, failed) &&
                  !failed;
      }
      if (options.frameDelayMs > 0 && !stopped && !failed)
        std::this_thread::sleep_for(std::chrono::milliseconds(options.frameDelayMs));
    }
  } while (options.loop && !stopped && !failed);

  if (failed) {
    std::fprintf(stderr, "atelo-render: the workbench '%s' does not take messages any more\n",
                 options.window.c_str());
    client.Close();
    return 1;
  }
  if (stopped) std::fprintf(stderr, "atelo-render: %s\n", client.StopReason());
  if (!stopped) {
    client.Message("VIRD 0.0 end  : computation ended\n");
    if (!options.path.empty()) client.Path(options.path);
  }
  client.End();
  client.Close();
  if (options.stats && throughput.seconds > 0)
    std::fprintf(stderr, "atelo-render: %zu bytes of pixels in %.3f s: %.1f MB/s\n",
                 throughput.bytes, throughput.seconds, throughput.bytes / throughput.seconds / 1e6);
  return 0;
}
