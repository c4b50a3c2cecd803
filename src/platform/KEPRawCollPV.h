#pragma once

#include <vector>

// Untyped pointer collection with 1-based positions. It never owns what it
// points to.
class KEPRawCollPV {
 public:
  explicit KEPRawCollPV(int capacity = 0) { _items.reserve(capacity > 0 ? capacity : 0); }
  virtual ~KEPRawCollPV() = default;

  int Size() const { return static_cast<int>(_items.size()); }
  void* operator[](int position) const { return _items[position - 1]; }
  void*& operator[](int position) { return _items[position - 1]; }

  int Append(void* value);
  // Inserts so that the value ends at `position` (1..Size()+1); 0 when the
  // position is out of range.
  int InsertAt(int position, void* value);
  int RemovePosition(int position);
  int RemoveValue(void* value);
  void RemoveAll() { _items.clear(); }
  int Locate(const void* value) const;
  // Drops repeated pointers (keeping the first), and with `other` also the
  // pointers that `other` holds.
  void RemoveDuplicates(const KEPRawCollPV* other = nullptr);
  void FillArray(void** array, int count) const;

 private:
  std::vector<void*> _items;
};

// Typed view over KEPRawCollPV: the typed lists of the system derive from it.
template <class T>
class KEPListPtr {
 public:
  using CompareFunction = int (*)(const T*, const T*);

  explicit KEPListPtr(int capacity = 0) : _coll(capacity) {}
  KEPListPtr(T** array, int count) : _coll(count) {
    for (int i = 0; i < count; ++i) _coll.Append(array[i]);
  }
  KEPListPtr(const KEPListPtr&) = default;
  KEPListPtr& operator=(const KEPListPtr& other) {
    if (this != &other) _coll = other._coll;
    return *this;
  }
  virtual ~KEPListPtr() = default;

  int Size() const { return _coll.Size(); }
  T* operator[](int position) const { return static_cast<T*>(_coll[position]); }
  int Append(T* value) { return _coll.Append(value); }
  int InsertAt(int position, T* value) { return _coll.InsertAt(position, value); }
  int RemovePosition(int position) { return _coll.RemovePosition(position); }
  int RemoveValue(T* value) { return _coll.RemoveValue(value); }
  void RemoveAll() { _coll.RemoveAll(); }
  int Locate(const T* value) const { return _coll.Locate(value); }
  void Set(int position, T* value) { _coll[position] = value; }
  void RemoveDuplicates(const KEPListPtr* other = nullptr) {
    _coll.RemoveDuplicates(other ? &other->_coll : nullptr);
  }
  // Element-wise comparison with `compare` (0 = equal); lists of different
  // sizes compare by size.
  static int Compare(const KEPListPtr& a, const KEPListPtr& b, CompareFunction compare) {
    if (a.Size() != b.Size()) return a.Size() < b.Size() ? -1 : 1;
    for (int i = 1; i <= a.Size(); ++i) {
      if (int c = compare(a[i], b[i])) return c;
    }
    return 0;
  }
  void FillArray(T** array, int count) const {
    for (int i = 0; i < count && i < Size(); ++i) array[i] = (*this)[i + 1];
  }

 private:
  KEPRawCollPV _coll;
};
