// Geometry-library arrays: ON_SimpleArray (bitwise-copyable elements) and ON_ClassArray
// (elements with constructors). Both own their storage and grow by appending.
#pragma once

#include <cassert>
#include <cstring>
#include <type_traits>
#include <vector>

/// Array of plain values. Search compares the bytes of the elements (so +0.0 and -0.0 differ and
/// two identical NaNs are equal), as the geometry library does.
template <class T>
class ON_SimpleArray {
 public:
  ON_SimpleArray() = default;
  explicit ON_SimpleArray(int capacity) { m_a.reserve(capacity > 0 ? capacity : 0); }

  int Count() const { return static_cast<int>(m_a.size()); }
  int Capacity() const { return static_cast<int>(m_a.capacity()); }
  T& operator[](int i) {
    assert(i >= 0 && i < Count());
    return m_a[i];
  }
  const T& operator[](int i) const {
    assert(i >= 0 && i < Count());
    return m_a[i];
  }
  T* Array() { return m_a.data(); }
  const T* Array() const { return m_a.data(); }
  /// Last element, or null when empty.
  T* Last() { return m_a.empty() ? nullptr : &m_a.back(); }
  const T* Last() const { return m_a.empty() ? nullptr : &m_a.back(); }

  void Append(const T& x) { m_a.push_back(x); }
  T& AppendNew() {
    m_a.emplace_back();
    return m_a.back();
  }
  void Insert(int i, const T& x) {
    assert(i >= 0 && i <= Count());
    m_a.insert(m_a.begin() + i, x);
  }
  /// Removes the last element; does nothing when empty.
  void Remove() {
    if (!m_a.empty()) m_a.pop_back();
  }
  void Remove(int i) {
    assert(i >= 0 && i < Count());
    m_a.erase(m_a.begin() + i);
  }
  /// Sets the count to 0 and keeps the storage.
  void Empty() { m_a.clear(); }
  /// Sets the count to 0 and frees the storage.
  void Destroy() { std::vector<T>().swap(m_a); }
  void Reserve(int capacity) { m_a.reserve(capacity > 0 ? capacity : 0); }
  void SetCount(int count) { m_a.resize(count > 0 ? count : 0); }

  /// Index of the first element whose bytes equal those of x, or -1.
  int Search(const T& x) const {
    static_assert(std::is_trivially_copyable_v<T>);
    for (int i = 0; i < Count(); ++i)
      if (std::memcmp(&m_a[i], &x, sizeof(T)) == 0) return i;
    return -1;
  }

 private:
  std::vector<T> m_a;
};

/// Array of class values (copied with their copy constructors).
template <class T>
class ON_ClassArray {
 public:
  int Count() const { return static_cast<int>(m_a.size()); }
  T& operator[](int i) {
    assert(i >= 0 && i < Count());
    return m_a[i];
  }
  const T& operator[](int i) const {
    assert(i >= 0 && i < Count());
    return m_a[i];
  }
  /// Last element, or null when empty.
  T* Last() { return m_a.empty() ? nullptr : &m_a.back(); }
  const T* Last() const { return m_a.empty() ? nullptr : &m_a.back(); }
  void Append(const T& x) { m_a.push_back(x); }
  T& AppendNew() {
    m_a.emplace_back();
    return m_a.back();
  }
  void Insert(int i, const T& x) {
    assert(i >= 0 && i <= Count());
    m_a.insert(m_a.begin() + i, x);
  }
  /// Removes the last element; does nothing when empty.
  void Remove() {
    if (!m_a.empty()) m_a.pop_back();
  }
  void Remove(int i) {
    assert(i >= 0 && i < Count());
    m_a.erase(m_a.begin() + i);
  }
  void Empty() { m_a.clear(); }
  void Destroy() { std::vector<T>().swap(m_a); }

 private:
  std::vector<T> m_a;
};

/// Array of ON_Object-derived values.
template <class T>
class ON_ObjectArray : public ON_ClassArray<T> {};
