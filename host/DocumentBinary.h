// Binary arrays: the sidecar file a document may name with its top-level "binary" key, and the
// references {"binary": type, "offset": bytes, "shape": [...]} that stand for arrays of numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "DocumentNode.h"

namespace document {

/// The largest sidecar, in bytes (2 GiB): every element count then fits the host's int counts.
inline constexpr std::uint64_t kMaxSidecarBytes = std::uint64_t{1} << 31;

/// The open sidecar of one document: raw little-endian data, read in pieces where references
/// point. Closed when destroyed.
class Sidecar {
 public:
  /// Opens the sidecar that `name` (the top-level "binary" value) names: a path relative to the
  /// folder of `documentFile`, or absolute. Fails at `name` for a file that cannot be opened, is
  /// not a regular file or is larger than kMaxSidecarBytes.
  Sidecar(const Node& name, const std::string& documentFile);
  ~Sidecar();
  Sidecar(const Sidecar&) = delete;
  Sidecar& operator=(const Sidecar&) = delete;

  /// The name as the document gives it, for messages.
  const std::string& name() const { return m_name; }
  std::uint64_t size() const { return m_size; }

  /// Copies `count` bytes from `offset` into `bytes`; false when the file ends before (it may have
  /// shrunk since it was opened).
  bool read(std::uint64_t offset, void* bytes, std::size_t count) const;

 private:
  std::string m_name;
  int m_fd = -1;
  std::uint64_t m_size = 0;
};

/// True when `node` stands for a binary array: an object with a "binary" key. Any other value is
/// read as JSON.
bool IsBinaryReference(const Node& node);

/// The elements a place accepts: numbers ("f64" or "f32") or integers ("i32").
enum class ElementKind { numbers, integers };

/// One binary reference, checked against the sidecar, whose elements are read in order (row
/// major, the last dimension fastest). Refers to the document and the sidecar of its node, which
/// must outlive it.
class BinaryArray {
 public:
  /// Reads the reference at `reference` (IsBinaryReference) and checks it: its keys, an element
  /// type of `kind`, an offset that is a multiple of the element size, a shape of one to three
  /// sizes, and elements that all lie within the sidecar. Fails at the reference (or the key at
  /// fault) otherwise, or when the document names no sidecar.
  BinaryArray(const Node& reference, ElementKind kind);

  const std::vector<std::size_t>& shape() const { return m_shape; }
  /// Fails at the reference unless the shape has `rank` sizes and its last one is one of
  /// `widths` (any width when empty); `form` names the shapes accepted ("[n, 3] or [n, 4]").
  void expectShape(std::size_t rank, std::initializer_list<std::size_t> widths,
                   const std::string& form) const;
  /// Fails at the reference: "expected <what>, got shape [...]".
  [[noreturn]] void expected(const std::string& what) const;

  /// The next element of a numbers array, widened to a double, and the next one of an integers
  /// array. Each moves on by one element; reading past the last is a programmer's mistake.
  double number();
  std::int32_t integer();
  /// The next number, which must be finite; or finite and greater than 0.
  double finite();
  double positive();
  /// Skips the next element unread.
  void skip() { ++m_next; }

  /// The next `count` elements at once (at most as many as are left): numbers widened to
  /// doubles, each finite (failing as finite() does at the first that is not), and integers.
  /// Elements that need no conversion are read straight into `out`, with no piece between.
  void finiteNumbers(double* out, std::size_t count);
  void integers(std::int32_t* out, std::size_t count);
  /// How many elements have been read or skipped.
  std::size_t position() const { return m_next; }

  /// Fails at the reference, naming the element read last: "element [17][2] of model.bin: ...".
  [[noreturn]] void fail(const std::string& problem) const;
  /// As fail, naming the element at `element` (one already read, counted as position() counts).
  [[noreturn]] void failAt(std::size_t element, const std::string& problem) const;
  /// Fails naming the element read last, whose value was `value`: "... expected <what>, got 2.5".
  [[noreturn]] void expectedElement(const std::string& what, double value) const;

 private:
  /// Copies the bytes of `count` elements from element `first` on into `bytes`; fails at the
  /// reference when the file was cut short.
  void read(std::size_t first, void* bytes, std::size_t count) const;
  const unsigned char* next();
  /// The elements loaded after next() that follow the one it returned, for reading in bulk.
  std::size_t loadedAfterNext() const;
  std::string shown(std::size_t element) const;

  Node m_reference;
  const Sidecar* m_sidecar = nullptr;
  std::string m_type;
  std::size_t m_elementSize = 0;
  std::uint64_t m_offset = 0;
  std::vector<std::size_t> m_shape;
  std::size_t m_count = 0;   // elements
  std::size_t m_next = 0;    // the element to read next
  std::size_t m_loaded = 0;  // the element at the start of m_buffer
  std::vector<unsigned char> m_buffer;
};

}  // namespace document
