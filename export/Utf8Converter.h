// Utf8Converter: wide names to UTF-8 at the scene library's boundary, in a reused buffer.
// Owns the two process-wide converters: one for the layer tree, one for every other name.
#pragma once

#include <memory>

/// Converts zero-terminated wide text to zero-terminated UTF-8 held in a buffer it owns.
/// The result stays valid only until the next call on the same converter, so callers hand it
/// straight to a scene-library call (which copies it). The buffer is allocated at first use with
/// room for 260 bytes and grows to exactly the size a longer text needs; it never shrinks.
/// Not thread-safe: every export runs on the host's user-interface thread.
class Utf8Converter {
 public:
  static constexpr int kInitialCapacity = 260;

  constexpr Utf8Converter() = default;
  Utf8Converter(const Utf8Converter&) = delete;
  Utf8Converter& operator=(const Utf8Converter&) = delete;

  /// `text` must not be null. Returns the UTF-8 form (never null; empty text gives "").
  const char* operator()(const wchar_t* text);
  /// Bytes the buffer holds (or will hold at first use), terminator included.
  int capacity() const { return m_capacity; }

 private:
  std::unique_ptr<char[]> m_buffer;
  int m_capacity = kInitialCapacity;
};

/// Converter for every name except those of the layer tree.
extern Utf8Converter toUtf8;
/// Converter for scene layer names, so a layer lookup never overwrites a caller's name.
extern Utf8Converter layerNameToUtf8;
