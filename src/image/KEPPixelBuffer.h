#pragma once

#include <cstddef>
#include <span>
#include <vector>

// The bytes of an image record: either a heap vector or a shared-memory
// mapping handed over by the image service. Taking a mapping spares the copy
// of every pixel that a read would otherwise cost; a vector is taken as it
// is, so ReplacePixels copies nothing either. Copies of a buffer are always
// heap vectors.
class KEPPixelBuffer {
 public:
  KEPPixelBuffer() = default;
  explicit KEPPixelBuffer(std::vector<unsigned char>&& bytes) noexcept;
  // Takes a region made by mmap; it is unmapped with the buffer.
  static KEPPixelBuffer AdoptMapping(void* address, std::size_t length) noexcept;

  KEPPixelBuffer(const KEPPixelBuffer& other);  // may throw std::bad_alloc
  KEPPixelBuffer& operator=(const KEPPixelBuffer& other);
  KEPPixelBuffer(KEPPixelBuffer&& other) noexcept;
  KEPPixelBuffer& operator=(KEPPixelBuffer&& other) noexcept;
  ~KEPPixelBuffer();

  unsigned char* data() noexcept { return _mapped ? _mapped : _heap.data(); }
  const unsigned char* data() const noexcept { return _mapped ? _mapped : _heap.data(); }
  std::size_t size() const noexcept { return _mapped ? _length : _heap.size(); }
  bool empty() const noexcept { return size() == 0; }
  // Bytes the buffer keeps from the system, for the memory budget.
  std::size_t capacity() const noexcept { return _mapped ? _length : _heap.capacity(); }
  bool IsMapped() const noexcept { return _mapped != nullptr; }

  std::span<unsigned char> Span() noexcept { return {data(), size()}; }
  std::span<const unsigned char> Span() const noexcept { return {data(), size()}; }

  // Gives the memory back; the buffer is then empty.
  void Release() noexcept;
  void swap(KEPPixelBuffer& other) noexcept;
  // The bytes as a vector: moved out of a heap buffer, copied from a mapping.
  std::vector<unsigned char> TakeVector();

 private:
  std::vector<unsigned char> _heap;
  unsigned char* _mapped = nullptr;
  std::size_t _length = 0;
};
