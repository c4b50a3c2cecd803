#include "KEPFuzzMutator.h"

#include <algorithm>
#include <cstdint>

namespace {

// Values that make readers misjudge sizes and counts.
constexpr std::uint32_t kInteresting[] = {
    0,       1,          2,          3,          7,          8,        16,
    127,     128,        255,        256,        0x7FFF,     0x8000,   0xFFFF,
    0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFE, 0xFFFFFFFF, 65535 * 4};

}  // namespace

std::size_t KEPFuzzMutator::Offset(const std::string& file) {
  if (file.empty()) return 0;
  // Half of the changes fall in the first 128 bytes.
  if (Pick(2) == 0) return Pick(std::min<std::size_t>(file.size(), 128));
  return Pick(file.size());
}

void KEPFuzzMutator::MutateOnce(std::string& file, const std::vector<std::string>& others) {
  if (file.empty()) {
    file.assign(1 + Pick(64), '\0');
    return;
  }
  const std::size_t at = Offset(file);
  switch (Pick(9)) {
    case 0:  // a bit
      file[at] = static_cast<char>(file[at] ^ (1 << Pick(8)));
      break;
    case 1:  // a byte
      file[at] = static_cast<char>(Pick(256));
      break;
    case 2:  // an interesting byte
      file[at] = static_cast<char>(kInteresting[Pick(std::size(kInteresting))] & 0xFF);
      break;
    case 3:
    case 4: {  // an interesting 16- or 32-bit value, either byte order
      const std::uint32_t value = kInteresting[Pick(std::size(kInteresting))];
      const std::size_t width = Pick(2) ? 4 : 2;
      const bool big = Pick(2);
      for (std::size_t i = 0; i < width && at + i < file.size(); ++i) {
        const std::size_t shift = 8 * (big ? width - 1 - i : i);
        file[at + i] = static_cast<char>((value >> shift) & 0xFF);
      }
      break;
    }
    case 5:  // a block removed
      file.erase(at, 1 + Pick(std::min<std::size_t>(file.size() - at, 256)));
      break;
    case 6: {  // a block of the file repeated elsewhere in it
      const std::size_t from = Pick(file.size());
      const std::string block = file.substr(from, 1 + Pick(64));
      file.insert(at, block);
      break;
    }
    case 7:  // cut short
      file.resize(at);
      break;
    default: {  // the tail of another file
      if (others.empty()) break;
      const std::string& other = others[Pick(others.size())];
      if (other.empty()) break;
      file = file.substr(0, at) + other.substr(Pick(other.size()));
      break;
    }
  }
}

std::string KEPFuzzMutator::Mutate(const std::string& file,
                                   const std::vector<std::string>& others) {
  std::string out = file;
  for (std::size_t n = 1 + Pick(8); n > 0; --n) MutateOnce(out, others);
  return out;
}
