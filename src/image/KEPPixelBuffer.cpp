#include "image/KEPPixelBuffer.h"

#include <sys/mman.h>

#include <utility>

KEPPixelBuffer::KEPPixelBuffer(std::vector<unsigned char>&& bytes) noexcept
    : _heap(std::move(bytes)) {}

KEPPixelBuffer KEPPixelBuffer::AdoptMapping(void* address, std::size_t length) noexcept {
  KEPPixelBuffer buffer;
  if (address && length) {
    buffer._mapped = static_cast<unsigned char*>(address);
    buffer._length = length;
  }
  return buffer;
}

KEPPixelBuffer::KEPPixelBuffer(const KEPPixelBuffer& other)
    : _heap(other.data(), other.data() + other.size()) {}

KEPPixelBuffer& KEPPixelBuffer::operator=(const KEPPixelBuffer& other) {
  if (this == &other) return *this;
  // A heap buffer of the right size is reused rather than reallocated: undo
  // copies are taken again and again at the same size.
  if (!_mapped && _heap.capacity() >= other.size()) {
    _heap.assign(other.data(), other.data() + other.size());
  } else {
    KEPPixelBuffer copy(other);
    swap(copy);
  }
  return *this;
}

KEPPixelBuffer::KEPPixelBuffer(KEPPixelBuffer&& other) noexcept
    : _heap(std::move(other._heap)),
      _mapped(std::exchange(other._mapped, nullptr)),
      _length(std::exchange(other._length, 0)) {}

KEPPixelBuffer& KEPPixelBuffer::operator=(KEPPixelBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    swap(other);
  }
  return *this;
}

KEPPixelBuffer::~KEPPixelBuffer() {
  Release();
}

void KEPPixelBuffer::Release() noexcept {
  if (_mapped) ::munmap(_mapped, _length);
  _mapped = nullptr;
  _length = 0;
  std::vector<unsigned char>().swap(_heap);
}

void KEPPixelBuffer::swap(KEPPixelBuffer& other) noexcept {
  _heap.swap(other._heap);
  std::swap(_mapped, other._mapped);
  std::swap(_length, other._length);
}

std::vector<unsigned char> KEPPixelBuffer::TakeVector() {
  std::vector<unsigned char> bytes;
  if (_mapped)
    bytes.assign(_mapped, _mapped + _length);
  else
    bytes.swap(_heap);
  Release();
  return bytes;
}
