#include "series/KEPSeriesRules.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

namespace KEPSeriesRules {

std::string MakeLabel(const std::string& name, const std::vector<std::string>& others) {
  std::string base = name.empty() ? "Untitled" : name;
  // A set, so that a long series of one name stays linear to label.
  const std::unordered_set<std::string> shown(others.begin(), others.end());
  if (!shown.count(base)) return base;
  // At most others.size() numbers can be taken, so this ends.
  for (int k = 1;; ++k) {
    std::string candidate = base + " <" + std::to_string(k) + ">";
    if (!shown.count(candidate)) return candidate;
  }
}

Step NextStep(int count, int current, int direction, bool loop, bool stereo) {
  if (count <= 0) return {0, direction};
  if (direction != DIRECTION_FORWARD && direction != DIRECTION_BACKWARD) {
    return {std::clamp(current, 1, count), direction};
  }
  const int step = stereo ? 2 : 1;
  int p = current;
  if (direction == DIRECTION_FORWARD) {
    p += step;
    if (p > count) {
      if (loop) {
        // Back to the first pair, on the same eye as the image shown.
        p = stereo ? ((current + 1) % 2) + 1 : 1;
      } else {
        // Turn back from the overshoot so the last image is not shown twice.
        direction = DIRECTION_BACKWARD;
        p -= 2 * step;
      }
    }
  } else {
    p -= step;
    if (p < 1) {
      if (loop) {
        p = stereo ? count - (current % 2) : count;
      } else {
        direction = DIRECTION_FORWARD;
        p += 2 * step;
      }
    }
  }
  // Series shorter than a swing (one image, one pair) stay in range.
  return {std::clamp(p, 1, count), direction};
}

namespace {

std::string ExpandVariables(const std::string& name) {
  std::string out;
  for (std::size_t i = 0; i < name.size();) {
    if (name[i] != '$') {
      out += name[i++];
      continue;
    }
    std::size_t end = name.find('/', i + 1);
    if (end == std::string::npos) end = name.size();
    std::string variable = name.substr(i + 1, end - i - 1);
    if (const char* value = variable.empty() ? nullptr : std::getenv(variable.c_str())) {
      out += value;
    }
    i = end;
  }
  return out;
}

std::string WorkingDirectory() {
  if (const char* pwd = std::getenv("PWD"); pwd && *pwd) return pwd;
  std::vector<char> buffer(4096);
  if (getcwd(buffer.data(), buffer.size())) return buffer.data();
  return "/";
}

}  // namespace

std::string ResolveFilename(const std::string& name) {
  std::string path = ExpandVariables(name);
  if (path.empty() || path[0] != '/') path = WorkingDirectory() + "/" + path;

  std::vector<std::string> parts;
  std::size_t start = 1;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    start = end + 1;
  }
  if (parts.empty()) return std::string(1, '/');
  std::string out;
  for (const auto& part : parts) {
    out.push_back('/');
    out.append(part);
  }
  // A name that ended with "/" names a directory; keep it that way.
  if (path.back() == '/') out.push_back('/');
  return out;
}

}  // namespace KEPSeriesRules
