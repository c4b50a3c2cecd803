#pragma once

#include <random>
#include <string>
#include <vector>

// Changes a file the way a damaged disk, a bad transfer or a hostile author
// would: flipped bits, odd values where sizes and counts live (most of them
// near the start, where headers are), cut, repeated or foreign blocks.
class KEPFuzzMutator {
 public:
  explicit KEPFuzzMutator(std::uint64_t seed) : _random(seed) {}

  // One to eight changes of `file`; `others` lends blocks for splicing.
  std::string Mutate(const std::string& file, const std::vector<std::string>& others);
  // A number in [0, count).
  std::size_t Pick(std::size_t count) { return count ? _random() % count : 0; }

 private:
  void MutateOnce(std::string& file, const std::vector<std::string>& others);
  std::size_t Offset(const std::string& file);

  std::mt19937_64 _random;
};
