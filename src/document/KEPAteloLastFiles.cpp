#include "document/KEPAteloLastFiles.h"

void KEPAteloLastFiles::Update(const std::vector<std::string>& names) {
  int place = 0;
  for (const std::string& name : names) {
    if (name.empty()) continue;
    if (place == kSlots) break;
    // A name already in slot 2 swaps with slot 1 when it comes first; a new
    // name pushes the older ones down before it takes its place.
    if (name == _slots[1]) {
      if (place == 0) _slots[1] = _slots[0];
    } else if (name != _slots[0]) {
      if (place == 0) {
        _slots[2] = _slots[1];
        _slots[1] = _slots[0];
      } else if (place == 1) {
        _slots[2] = _slots[1];
      }
    }
    _slots[place] = name;
    ++place;
  }
}

void KEPAteloLastFiles::Remove(int slot) {
  for (int i = slot; i < kSlots; ++i) _slots[i - 1] = _slots[i];
  _slots[kSlots - 1].clear();
}
