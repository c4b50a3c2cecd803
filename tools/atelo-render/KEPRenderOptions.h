#pragma once

#include <cstdint>
#include <string>

#include "atelo-render/KEPRenderTiles.h"

// What atelo-render is asked to do, from its command line.
struct KEPRenderOptions {
  std::string window = "DISP_ATL";  // -id
  std::string name;                 // own link name; from the pid when empty
  std::string image;                // file to send; a generated pattern when empty
  std::string fileName;             // name carried by NEWIMAGE
  std::string path;                 // a PATH message to send after the frames
  int width = 640, height = 480;
  int frames = 1;
  int first = -1;  // first frame number; 0 for one frame, 1 for an animation
  int part = 0;    // frame part 1..16, or -1 for all sixteen in turn
  int config = 1;  // display configuration (10 = finished picture)
  int patchWidth = 64, patchHeight = 64;
  KEPRenderOrder order = KEPRenderOrder::Rows;
  std::uint32_t seed = 1;
  int delayMs = 0, frameDelayMs = 0;
  double progressStep = 10.0;
  int waitMs = 0;
  int timeoutMs = 30000;
  bool loop = false;
  bool noPixels = false;  // frames announced but never sent
  bool stats = false;
  bool quiet = false;
  bool help = false;
};

// Reads the arguments; false with `error` set on a bad one.
bool KEPParseRenderOptions(int argc, char** argv, KEPRenderOptions& options, std::string& error);
const char* KEPRenderUsage();
