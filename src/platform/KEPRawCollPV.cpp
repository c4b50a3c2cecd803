#include "platform/KEPRawCollPV.h"

#include <algorithm>

// Kept out of line: g++ 12 reports false bounds warnings on vector::insert
// and erase once they are inlined into callers with constant positions.

int KEPRawCollPV::Append(void* value) {
  _items.push_back(value);
  return Size();
}

int KEPRawCollPV::InsertAt(int position, void* value) {
  if (position < 1 || position > Size() + 1) return 0;
  _items.insert(_items.begin() + (position - 1), value);
  return position;
}

int KEPRawCollPV::RemovePosition(int position) {
  if (position < 1 || position > Size()) return 0;
  _items.erase(_items.begin() + (position - 1));
  return 1;
}

int KEPRawCollPV::RemoveValue(void* value) {
  int position = Locate(value);
  return position ? RemovePosition(position) : 0;
}

int KEPRawCollPV::Locate(const void* value) const {
  auto it = std::find(_items.begin(), _items.end(), value);
  return it == _items.end() ? 0 : static_cast<int>(it - _items.begin()) + 1;
}

void KEPRawCollPV::RemoveDuplicates(const KEPRawCollPV* other) {
  std::vector<void*> kept;
  for (void* p : _items) {
    if (std::find(kept.begin(), kept.end(), p) != kept.end()) continue;
    if (other && other->Locate(p)) continue;
    kept.push_back(p);
  }
  _items.swap(kept);
}

void KEPRawCollPV::FillArray(void** array, int count) const {
  for (int i = 0; i < count && i < Size(); ++i) array[i] = _items[i];
}
