#include "effects/KEPSmoothingRun.h"

#include <algorithm>

#include "effects/KEPComponentArrays.h"
#include "effects/KEPLargeArrays.h"

KEPSmoothingRun::KEPSmoothingRun(const KEPSmoothing::Params& params, int space,
                                 const KEPSelectionMask& mask, int iterations)
    : _params(params), _space(space), _mask(mask), _iterations(std::max(iterations, 0)) {
  _params.hue = space == KEPComponentArrays::kHLS;
}

bool KEPSmoothingRun::AddImage(unsigned char* pixels, int width, int height) {
  if (!pixels || width <= 0 || height <= 0) return false;
  if (_targets.empty()) {
    _mask.ProcessedRect(width, height, _x, _y, _width, _height);
    if (_width <= 0 || _height <= 0) return false;
  } else {
    const Target& first = _targets.front();
    if (width != first.imageWidth || height != first.imageHeight) return false;
  }
  Target target{pixels, width, height, {}, {}};
  target.current = KEPComponentArrays::Export(pixels, width, _x, _y, _width, _height, _space);
  _targets.push_back(std::move(target));
  return true;
}

bool KEPSmoothingRun::Advance(int rows) {
  if (IsFinished() || _targets.empty()) return false;
  const KEPSmoothing::Area area{_x, _y, &_mask};
  while (rows > 0 && !IsFinished()) {
    Target& target = _targets[_target];
    // The array of the step before last takes the new values: two arrays
    // per image, allocated once.
    if (target.next.size() != target.current.size())
      target.next = KEPLargeArrays::Make<float>(target.current.size());
    const int last = std::min(_height, _row + rows);
    KEPSmoothing::GaussRows(target.current.data(), target.next.data(), _width, _height, _row, last,
                            _params, area);
    rows -= last - _row;
    _row = last;
    if (_row < _height) break;
    _row = 0;
    if (++_target < static_cast<int>(_targets.size())) continue;
    // Every image has its new array: the step counts.
    _target = 0;
    for (Target& t : _targets) t.current.swap(t.next);
    ++_done;
  }
  return !IsFinished();
}

long KEPSmoothingRun::GetRowsDone() const {
  const long images = std::max<long>(1, static_cast<long>(_targets.size()));
  return static_cast<long>(_done) * _height +
         (static_cast<long>(_target) * _height + _row) / images;
}

void KEPSmoothingRun::WriteBack() {
  for (Target& target : _targets) {
    if (!target.current.empty())
      KEPComponentArrays::Import(target.pixels, target.imageWidth, _x, _y, _width, _height, _space,
                                 target.current.data());
  }
  _targets.clear();
}
