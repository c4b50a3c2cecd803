#include "atelo-render/KEPRenderOptions.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

bool ToInt(const char* text, int& value, int minimum) {
  char* end = nullptr;
  long parsed = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || parsed < minimum || parsed > 1000000000L) return false;
  value = static_cast<int>(parsed);
  return true;
}

// "64" or "64x32".
bool ToSize(const char* text, int& width, int& height) {
  std::string value = text;
  std::size_t x = value.find('x');
  if (x == std::string::npos) return ToInt(text, width, 1) && ToInt(text, height, 1);
  return ToInt(value.substr(0, x).c_str(), width, 1) &&
         ToInt(value.substr(x + 1).c_str(), height, 1);
}

}  // namespace

const char* KEPRenderUsage() {
  return "Usage: atelo-render [options]\n"
         "A small renderer that streams frames to a workbench window over the link.\n"
         "\n"
         "  -id NAME            window identifier to connect to (default DISP_ATL)\n"
         "  --name NAME         this renderer's name on the link (default RND<pid>)\n"
         "  --image FILE        send the pixels of an image file; a name holding a\n"
         "                      printf number (frame%04d.png) gives one file per frame\n"
         "  --size WxH          size of the generated picture (default 640x480)\n"
         "  --frames N          render N frames of an animation (default 1)\n"
         "  --first N           number of the first frame (default 0 for one frame,\n"
         "                      1 for an animation); frame numbers name the images\n"
         "  --loop              start the animation again until stopped\n"
         "  --part P            send frame part P (1..16) only, or 'all' for the\n"
         "                      sixteen parts in turn\n"
         "  --config C          display configuration (default 1; 10 = finished picture)\n"
         "  --file-name NAME    file name carried by NEWIMAGE (default none: the\n"
         "                      workbench names the image from its defaults)\n"
         "  --path FILE         finally ask the workbench to open FILE (PATH message)\n"
         "  --patch N|WxH       patch size in pixels (default 64)\n"
         "  --order ORDER       rows, columns, random or spiral (default rows)\n"
         "  --seed N            seed of the random order (default 1)\n"
         "  --delay MS          pause between patches (default 0)\n"
         "  --frame-delay MS    pause between frames (default 0)\n"
         "  --progress STEP     percent between progress lines (default 10)\n"
         "  --wait MS           wait that long for the window to appear on the link\n"
         "  --timeout MS        give up when the workbench takes no message that long\n"
         "                      (default 30000)\n"
         "  --no-pixels         send each frame's NEWIMAGE but none of its patches\n"
         "  --stats             print the pixel throughput (MB/s) at the end\n"
         "  --quiet             no progress on standard error\n"
         "  -h, --help          this text\n"
         "\n"
         "The renderer stops when the interrupt file $HOME/.virda_atelo.int appears\n"
         "(/tmp/.virda_atelo.int without HOME) or when the workbench ends. The link\n"
         "directory is $LNK_DIR, else $XDG_RUNTIME_DIR/lnk, else /tmp/lnk-<uid>.\n";
}

bool KEPParseRenderOptions(int argc, char** argv, KEPRenderOptions& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) return nullptr;
      return argv[++i];
    };
    bool ok = true;
    if (option == "-h" || option == "--help") {
      options.help = true;
      continue;
    } else if (option == "--loop") {
      options.loop = true;
      continue;
    } else if (option == "--stats") {
      options.stats = true;
      continue;
    } else if (option == "--quiet") {
      options.quiet = true;
      continue;
    } else if (option == "--no-pixels") {
      options.noPixels = true;
      continue;
    }
    static const char* const withValue[] = {
        "-id",      "--name",  "--image",       "--file-name", "--path",  "--size",
        "--frames", "--first", "--part",        "--config",    "--patch", "--order",
        "--seed",   "--delay", "--frame-delay", "--progress",  "--wait",  "--timeout"};
    if (std::find(std::begin(withValue), std::end(withValue), option) == std::end(withValue)) {
      error = "unknown option " + option;
      return false;
    }
    const char* text = value();
    if (!text) {
      error = "option " + option + " needs a value";
      return false;
    }
    if (option == "-id")
      options.window = text;
    else if (option == "--name")
      options.name = text;
    else if (option == "--image")
      options.image = text;
    else if (option == "--file-name")
      options.fileName = text;
    else if (option == "--path")
      options.path = text;
    else if (option == "--size")
      ok = ToSize(text, options.width, options.height);
    else if (option == "--frames")
      ok = ToInt(text, options.frames, 1);
    else if (option == "--first")
      ok = ToInt(text, options.first, 0);
    else if (option == "--part") {
      if (std::strcmp(text, "all") == 0)
        options.part = -1;
      else
        ok = ToInt(text, options.part, 0) && options.part <= 16;
    } else if (option == "--config")
      ok = ToInt(text, options.config, 0) && options.config < (1 << 24);
    else if (option == "--patch")
      ok = ToSize(text, options.patchWidth, options.patchHeight);
    else if (option == "--order")
      ok = KEPParseRenderOrder(text, options.order);
    else if (option == "--seed") {
      int seed = 0;
      ok = ToInt(text, seed, 0);
      options.seed = static_cast<std::uint32_t>(seed);
    } else if (option == "--delay")
      ok = ToInt(text, options.delayMs, 0);
    else if (option == "--frame-delay")
      ok = ToInt(text, options.frameDelayMs, 0);
    else if (option == "--progress") {
      options.progressStep = std::atof(text);
      ok = options.progressStep > 0;
    } else if (option == "--wait")
      ok = ToInt(text, options.waitMs, 0);
    else if (option == "--timeout")
      ok = ToInt(text, options.timeoutMs, 1);
    if (!ok) {
      error = "bad value '" + std::string(text) + "' for " + option;
      return false;
    }
  }
  if (options.first < 0) options.first = options.frames > 1 ? 1 : 0;
  if (options.fileName.size() > 259) {
    error = "--file-name is longer than 259 bytes";
    return false;
  }
  return true;
}
