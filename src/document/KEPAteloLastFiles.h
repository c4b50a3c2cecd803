#pragma once

#include <array>
#include <string>
#include <vector>

// The three most recent files, slot 1 newest; "" is an empty slot.
class KEPAteloLastFiles {
 public:
  static constexpr int kSlots = 3;

  const std::string& Get(int slot) const { return _slots[slot - 1]; }
  void Set(int slot, const std::string& name) { _slots[slot - 1] = name; }

  // Merges the names of one open, in the order given: empty names (files
  // that failed) are skipped and take no slot; at most three are taken.
  void Update(const std::vector<std::string>& names);
  // Removes slot n; the later slots move up and the last one ends empty.
  void Remove(int slot);

 private:
  std::array<std::string, kSlots> _slots;
};
