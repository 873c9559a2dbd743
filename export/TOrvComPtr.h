// TOrvComPtr: the owning pointer through which the plug-in holds a scene-library object that is
// released rather than deleted (the scene manager). It releases its object exactly once.
#pragma once

#include <stdexcept>

/// Owns one reference to a scene-library object of type T (anything with `release()`).
/// Null until given an object; the destructor calls `release()` once and clears the pointer.
/// Dereferencing a null pointer through `->` throws std::runtime_error instead of crashing,
/// because a missing manager is an export failure, not a programmer mistake.
template <class T>
class TOrvComPtr {
 public:
  TOrvComPtr() = default;
  /// Takes ownership of `object` (may be null).
  explicit TOrvComPtr(T* object) : m_object(object) {}
  ~TOrvComPtr() { reset(); }
  TOrvComPtr(const TOrvComPtr&) = delete;
  TOrvComPtr& operator=(const TOrvComPtr&) = delete;

  /// The object; throws std::runtime_error when there is none.
  T* operator->() const {
    if (m_object == nullptr)
      throw std::runtime_error("TOrvComPtr::operator->() - Dereferencing NULL");
    return m_object;
  }
  /// The object, or null; ownership stays here.
  T* get() const { return m_object; }
  explicit operator bool() const { return m_object != nullptr; }

  /// Releases the current object (if any) and takes ownership of `object` (may be null).
  void reset(T* object = nullptr) {
    T* previous = m_object;
    m_object = object;
    if (previous != nullptr) previous->release();
  }
  /// Gives up ownership without releasing; the caller now owns the returned object (may be null).
  T* detach() {
    T* object = m_object;
    m_object = nullptr;
    return object;
  }

 private:
  T* m_object = nullptr;
};
