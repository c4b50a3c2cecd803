#pragma once

#include <cstddef>
#include <vector>

// Arrays of an image's size for the effects. Touching fresh memory costs a
// page fault per page, which on a virtual machine can outweigh the work
// done on the page: arrays this large ask for the system's large pages.
namespace KEPLargeArrays {

// Asks for large pages over the whole pages of [data, data + bytes), before
// they are first touched; does nothing for small arrays.
void AdviseLargePages(void* data, std::size_t bytes);

// A vector of n values (zero), its memory advised first.
template <class T>
std::vector<T> Make(std::size_t n) {
  std::vector<T> array;
  array.reserve(n);
  AdviseLargePages(array.data(), n * sizeof(T));
  array.resize(n);
  return array;
}

// A vector holding a copy of [first, last), its memory advised first.
template <class T>
std::vector<T> Copy(const T* first, const T* last) {
  std::vector<T> array;
  array.reserve(static_cast<std::size_t>(last - first));
  AdviseLargePages(array.data(), static_cast<std::size_t>(last - first) * sizeof(T));
  array.assign(first, last);
  return array;
}

}  // namespace KEPLargeArrays
