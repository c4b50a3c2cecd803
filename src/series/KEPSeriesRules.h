#pragma once

#include <string>
#include <vector>

// The small rules of the series that know nothing of windows or images:
// line labels, playback steps and file-name resolution.
namespace KEPSeriesRules {

// Label of an image named `name` among lines that already show `others`
// (the image's own line left out): the name ("Untitled" when empty), or
// "%s <%d>" with the smallest k that no other line shows yet.
std::string MakeLabel(const std::string& name, const std::vector<std::string>& others);

// Playback directions.
enum : int { DIRECTION_BACKWARD = 1, DIRECTION_FORWARD = 2, DIRECTION_STOPPED = 3 };

struct Step {
  int position;   // 1-based, 0 for an empty series
  int direction;  // the direction to keep for the next step
};

// One playback step from `current` among `count` images. Stereo viewing
// steps by pairs. With `loop` the ends wrap; without it they swing back.
Step NextStep(int count, int current, int direction, bool loop, bool stereo);

// Absolute form of a file name: "$VAR" up to the next "/" replaced by the
// variable's value (nothing when unset), a relative name prefixed by "PWD"
// and "/", then "." components dropped and ".." components folded.
std::string ResolveFilename(const std::string& name);

}  // namespace KEPSeriesRules
