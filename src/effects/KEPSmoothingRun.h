#pragma once

#include <vector>

#include "effects/KEPSelectionMask.h"
#include "effects/KEPSmoothing.h"

// A smoothing of an image (and of its stereo partner, the same way) for a
// number of iterations, done a few rows at a time so that the interface can
// run between the pieces. The component arrays of every image are taken at
// the start; each step computes a new array per image and then drops the old
// one, so at most two arrays per image exist. The pixels are written back
// once, by WriteBack: after the last step, or after an interruption, with
// the steps done so far.
class KEPSmoothingRun {
 public:
  // `space`: KEPComponentArrays::kRGB or kHLS (which sets params.hue).
  KEPSmoothingRun(const KEPSmoothing::Params& params, int space, const KEPSelectionMask& mask,
                  int iterations);

  // The first image decides the rectangle worked on; a later one (the stereo
  // partner) of another size is left out. The pixels must stay where they
  // are until WriteBack. False when the image was left out.
  bool AddImage(unsigned char* pixels, int width, int height);

  // Computes at most `rows` rows of the current step; false once every
  // iteration is done.
  bool Advance(int rows);
  bool IsFinished() const { return _done >= _iterations; }
  int GetDone() const { return _done; }
  int GetIterations() const { return _iterations; }
  // Height of the rectangle: the rows of one step of one image.
  int GetHeight() const { return _height; }
  // Rows of the whole run done so far, counted as for one image.
  long GetRowsDone() const;

  // Writes the arrays of the completed steps into their images (only the
  // pixels that changed) and releases everything. Once only.
  void WriteBack();

 private:
  struct Target {
    unsigned char* pixels;
    int imageWidth, imageHeight;
    std::vector<float> current, next;
  };

  KEPSmoothing::Params _params;
  int _space;
  KEPSelectionMask _mask;
  int _iterations;
  int _x = 0, _y = 0, _width = 0, _height = 0;
  std::vector<Target> _targets;
  int _done = 0;
  // Position in the current step: which image, which row.
  int _target = 0, _row = 0;
};
