// Geometry-library arrays: ON_SimpleArray (bitwise-copyable elements) and ON_ClassArray
// (elements with constructors). Both own their storage and grow by appending.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstring>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

/// Array of plain values, in one contiguous block (bools included: they are never packed into
/// bits). Search compares the bytes of the elements (so +0.0 and -0.0 differ and two identical
/// NaNs are equal), as the geometry library does.
template <class T>
class ON_SimpleArray {
 public:
  ON_SimpleArray() = default;
  explicit ON_SimpleArray(int capacity) { Reserve(capacity); }
  ON_SimpleArray(const ON_SimpleArray& other) { *this = other; }
  ON_SimpleArray& operator=(const ON_SimpleArray& other) {
    if (this != &other) {
      m_count = 0;
      Reserve(other.m_count);
      if (other.m_count > 0) std::copy(other.m_a.get(), other.m_a.get() + other.m_count, m_a.get());
      m_count = other.m_count;
    }
    return *this;
  }

  ON_SimpleArray(ON_SimpleArray&& other) noexcept { *this = std::move(other); }
  ON_SimpleArray& operator=(ON_SimpleArray&& other) noexcept {
    m_a = std::move(other.m_a);
    m_count = std::exchange(other.m_count, 0);
    m_capacity = std::exchange(other.m_capacity, 0);
    return *this;
  }

  int Count() const { return m_count; }
  int Capacity() const { return m_capacity; }
  T& operator[](int i) {
    assert(i >= 0 && i < Count());
    return m_a[i];
  }
  const T& operator[](int i) const {
    assert(i >= 0 && i < Count());
    return m_a[i];
  }
  T* Array() { return m_a.get(); }
  const T* Array() const { return m_a.get(); }
  /// Last element, or null when empty.
  T* Last() { return m_count > 0 ? &m_a[m_count - 1] : nullptr; }
  const T* Last() const { return m_count > 0 ? &m_a[m_count - 1] : nullptr; }

  void Append(const T& x) { AppendNew() = x; }
  T& AppendNew() {
    Grow(m_count + 1);
    m_a[m_count] = T();
    return m_a[m_count++];
  }
  void Insert(int i, const T& x) {
    assert(i >= 0 && i <= Count());
    const T copy = x;  // x may live in this array
    Grow(m_count + 1);
    std::copy_backward(m_a.get() + i, m_a.get() + m_count, m_a.get() + m_count + 1);
    m_a[i] = copy;
    ++m_count;
  }
  /// Removes the last element; does nothing when empty.
  void Remove() {
    if (m_count > 0) --m_count;
  }
  void Remove(int i) {
    assert(i >= 0 && i < Count());
    std::copy(m_a.get() + i + 1, m_a.get() + m_count, m_a.get() + i);
    --m_count;
  }
  /// Sets the count to 0 and keeps the storage.
  void Empty() { m_count = 0; }
  /// Sets the count to 0 and frees the storage.
  void Destroy() {
    m_a.reset();
    m_count = m_capacity = 0;
  }
  void Reserve(int capacity) {
    if (capacity <= m_capacity) return;
    std::unique_ptr<T[]> grown(new T[capacity]());
    if (m_count > 0) std::copy(m_a.get(), m_a.get() + m_count, grown.get());
    m_a = std::move(grown);
    m_capacity = capacity;
  }
  /// New elements are value-initialised.
  void SetCount(int count) {
    count = count > 0 ? count : 0;
    Grow(count);
    std::fill(m_a.get() + std::min(count, m_count), m_a.get() + count, T());
    m_count = count;
  }

  /// Index of the first element whose bytes equal those of x, or -1.
  int Search(const T& x) const {
    static_assert(std::is_trivially_copyable_v<T>);
    for (int i = 0; i < Count(); ++i)
      if (std::memcmp(&m_a[i], &x, sizeof(T)) == 0) return i;
    return -1;
  }

 private:
  // Room for at least `count` elements, doubling so that appending stays amortised O(1).
  void Grow(int count) {
    if (count > m_capacity) Reserve(std::max(count, m_capacity * 2));
  }

  std::unique_ptr<T[]> m_a;
  int m_count = 0;
  int m_capacity = 0;
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
