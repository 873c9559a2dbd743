#include "DocumentBinary.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace document {

namespace {

/// What the open needs to refuse: a file that is no regular file (a pipe could block the reader
/// for ever) or is too large; empty when the file will do.
std::string Refusal(const std::string& path, const struct stat& info) {
  if (!S_ISREG(info.st_mode)) return path + " is not a regular file";
  if (static_cast<std::uint64_t>(info.st_size) > kMaxSidecarBytes)
    return path + " has " + std::to_string(info.st_size) + " bytes, more than the " +
           std::to_string(kMaxSidecarBytes) + " a binary file may have";
  return {};
}

struct ElementType {
  const char* name;
  std::size_t size;
  ElementKind kind;
};

constexpr ElementType kElementTypes[] = {
    {"f64", 8, ElementKind::numbers},
    {"f32", 4, ElementKind::numbers},
    {"i32", 4, ElementKind::integers},
};

template <class T>
T LittleEndian(const unsigned char* bytes) {
  std::array<unsigned char, sizeof(T)> ordered;
  std::memcpy(ordered.data(), bytes, sizeof(T));
  if constexpr (std::endian::native == std::endian::big)
    std::reverse(ordered.begin(), ordered.end());
  return std::bit_cast<T>(ordered);
}

std::string ShowShape(const std::vector<std::size_t>& shape) {
  std::string text = "[";
  for (std::size_t i = 0; i < shape.size(); ++i) text += (i ? ", " : "") + std::to_string(shape[i]);
  return text + "]";
}

/// A number as JSON would show it; "nan", "inf" and "-inf" for what JSON has no text for.
std::string ShowElement(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  return Json(value).dump();
}

// Elements are read in pieces of this many bytes at most, so that a large array costs no more
// memory than the host's copy of it.
constexpr std::size_t kPieceBytes = std::size_t{64} << 10;

/// Counts the `bytes` of one reference against the document's budget; fails at the reference once
/// the references read so far ask for more.
void ChargeBudget(const Node& reference, std::uint64_t bytes) {
  const Source& source = reference.source();
  source.arrayBytes = SaturatingAdd(source.arrayBytes, bytes);
  const std::uint64_t budget = source.budget.arrayBytes;
  if (source.arrayBytes > budget)
    reference.fail("the binary arrays referred to come to more than the budget of " +
                   std::to_string(budget >> 20) + " MiB (" + std::to_string(budget) +
                   " bytes, each reference counted) with this one; " + kArrayBudgetOption +
                   " raises it");
}

}  // namespace

// ---- the sidecar

Sidecar::Sidecar(const Node& name, const std::string& documentFile) : m_name(name.text()) {
  if (m_name.empty()) name.expected("the name of the binary file beside the document");
  const std::filesystem::path given(m_name);
  const std::string path = given.is_absolute()
                               ? given.string()
                               : (std::filesystem::absolute(documentFile).parent_path() / given)
                                     .lexically_normal()
                                     .string();
  struct stat info;
  if (::stat(path.c_str(), &info) != 0)
    name.fail("cannot open " + path + ": " + std::strerror(errno));
  if (std::string refused = Refusal(path, info); !refused.empty()) name.fail(refused);
  // Not blocking: what was checked may have been swapped for a pipe since.
  m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (m_fd < 0) name.fail("cannot open " + path + ": " + std::strerror(errno));
  std::string refused = ::fstat(m_fd, &info) != 0
                            ? "cannot read " + path + ": " + std::strerror(errno)
                            : Refusal(path, info);
  if (!refused.empty()) {
    ::close(m_fd);
    name.fail(refused);
  }
  m_size = static_cast<std::uint64_t>(info.st_size);
}

Sidecar::~Sidecar() {
  ::close(m_fd);
}

bool Sidecar::read(std::uint64_t offset, void* bytes, std::size_t count) const {
  auto* out = static_cast<unsigned char*>(bytes);
  while (count > 0) {
    const ssize_t n = ::pread(m_fd, out, count, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    offset += static_cast<std::uint64_t>(n);
    count -= static_cast<std::size_t>(n);
  }
  return true;
}

// ---- references

bool IsBinaryReference(const Node& node) {
  return node.isObject() && node.member("binary").has_value();
}

BinaryArray::BinaryArray(const Node& reference, ElementKind kind)
    : m_reference(reference), m_sidecar(reference.source().sidecar) {
  reference.checkKeys({"binary", "offset", "shape"});
  if (!m_sidecar)
    reference.fail(
        "a binary array, but the document names no binary file: add \"binary\": \"NAME.bin\" at "
        "its top level");

  const Node type = *reference.member("binary");
  m_type = type.text();
  const ElementType* found = nullptr;
  for (const ElementType& known : kElementTypes)
    if (m_type == known.name) found = &known;
  if (!found) type.expected("an element type (\"f64\", \"f32\" or \"i32\")");
  if (found->kind != kind)
    type.expected(kind == ElementKind::numbers ? "numbers here: \"f64\" or \"f32\""
                                               : "integers here: \"i32\"");
  m_elementSize = found->size;

  const Node offset = reference.required("offset", "the byte offset of the array's first element");
  m_offset = offset.natural("a byte offset (an integer of 0 or more)");
  if (m_offset % m_elementSize != 0)
    offset.fail("offset " + std::to_string(m_offset) + " is not a multiple of " +
                std::to_string(m_elementSize) + ", the size of one \"" + m_type + "\"");

  const Node shape =
      reference.required("shape", "the array's sizes [n], [n, k] or [rows, cols, k]");
  const std::size_t rank = shape.isArray() ? shape.elements().size() : 0;
  if (rank < 1 || rank > 3) shape.expected("a shape [n], [n, k] or [rows, cols, k]");
  // Counting stops at the sidecar's size, so the product cannot overflow.
  const std::uint64_t room = m_sidecar->size() / m_elementSize + 1;
  std::uint64_t count = 1;
  for (const Node& size : shape.elements()) {
    const std::uint64_t n = size.natural("a size (an integer of 0 or more)");
    m_shape.push_back(static_cast<std::size_t>(std::min<std::uint64_t>(n, SIZE_MAX)));
    count = n == 0 ? 0 : std::min(room, count * std::min(n, room));
  }
  const std::uint64_t bytes = count * m_elementSize;
  if (m_offset > m_sidecar->size() || bytes > m_sidecar->size() - m_offset)
    reference.fail("the array reaches past the end of " + m_sidecar->name() + ", which has " +
                   std::to_string(m_sidecar->size()) + " bytes: " + ShowShape(m_shape) + " \"" +
                   m_type + "\" from offset " + std::to_string(m_offset));
  m_count = static_cast<std::size_t>(count);
  ChargeBudget(reference, bytes);
}

void BinaryArray::expectShape(std::size_t rank, std::initializer_list<std::size_t> widths,
                              const std::string& form) const {
  bool fits = m_shape.size() == rank;
  if (fits && widths.size() > 0)
    fits = std::find(widths.begin(), widths.end(), m_shape.back()) != widths.end();
  if (!fits) expected("a binary array of shape " + form);
}

void BinaryArray::expected(const std::string& what) const {
  m_reference.fail("expected " + what + ", got shape " + ShowShape(m_shape));
}

void BinaryArray::read(std::size_t first, void* bytes, std::size_t count) const {
  if (!m_sidecar->read(m_offset + first * m_elementSize, bytes, count * m_elementSize))
    m_reference.fail("the array reaches past the end of " + m_sidecar->name() +
                     ", which was cut short while it was read");
}

const unsigned char* BinaryArray::next() {
  assert(m_next < m_count && "read past the last element");
  if (m_next < m_loaded || m_next >= m_loaded + m_buffer.size() / m_elementSize) {
    const std::size_t elements = std::min(m_count - m_next, kPieceBytes / m_elementSize);
    m_buffer.resize(elements * m_elementSize);
    m_loaded = m_next;
    read(m_loaded, m_buffer.data(), elements);
  }
  return m_buffer.data() + (m_next++ - m_loaded) * m_elementSize;
}

double BinaryArray::number() {
  assert(m_elementSize == 8 || m_type == "f32");
  const unsigned char* bytes = next();
  return m_elementSize == 8 ? LittleEndian<double>(bytes) : LittleEndian<float>(bytes);
}

std::int32_t BinaryArray::integer() {
  assert(m_type == "i32");
  return LittleEndian<std::int32_t>(next());
}

double BinaryArray::finite() {
  const double x = number();
  if (!std::isfinite(x)) expectedElement("a finite number", x);
  return x;
}

double BinaryArray::positive() {
  const double x = finite();
  if (!(x > 0)) expectedElement("a number greater than 0", x);
  return x;
}

std::size_t BinaryArray::loadedAfterNext() const {
  return m_loaded + m_buffer.size() / m_elementSize - m_next;
}

void BinaryArray::finiteNumbers(double* out, std::size_t count) {
  assert(count <= m_count - m_next && "read past the last element");
  if (m_elementSize == sizeof(double) && std::endian::native == std::endian::little) {
    // The file holds the doubles as they are kept here: read in place, then checked.
    const std::size_t first = m_next;
    read(first, out, count);
    m_next += count;
    for (std::size_t i = 0; i < count; ++i) {
      if (!std::isfinite(out[i])) {
        m_next = first + i + 1;
        expectedElement("a finite number", out[i]);
      }
    }
    return;
  }
  while (count > 0) {
    const unsigned char* bytes = next();
    const std::size_t n = std::min(count, 1 + loadedAfterNext());
    for (std::size_t i = 0; i < n; ++i, bytes += m_elementSize) {
      const double x =
          m_elementSize == 8 ? LittleEndian<double>(bytes) : LittleEndian<float>(bytes);
      if (!std::isfinite(x)) {
        m_next += i;
        expectedElement("a finite number", x);
      }
      out[i] = x;
    }
    m_next += n - 1;
    out += n;
    count -= n;
  }
}

void BinaryArray::integers(std::int32_t* out, std::size_t count) {
  assert(m_type == "i32");
  assert(count <= m_count - m_next && "read past the last element");
  if constexpr (std::endian::native == std::endian::little) {
    read(m_next, out, count);  // as they are kept here
    m_next += count;
    return;
  }
  while (count > 0) {
    const unsigned char* bytes = next();
    const std::size_t n = std::min(count, 1 + loadedAfterNext());
    for (std::size_t i = 0; i < n; ++i, bytes += m_elementSize)
      out[i] = LittleEndian<std::int32_t>(bytes);
    m_next += n - 1;
    out += n;
    count -= n;
  }
}

std::string BinaryArray::shown(std::size_t element) const {
  std::size_t flat = element;
  std::string text;
  for (std::size_t d = m_shape.size(); d-- > 0;) {
    text = "[" + std::to_string(flat % m_shape[d]) + "]" + text;
    flat /= m_shape[d];
  }
  return text;
}

void BinaryArray::fail(const std::string& problem) const {
  assert(m_next > 0 && "no element read yet");
  failAt(m_next - 1, problem);
}

void BinaryArray::failAt(std::size_t element, const std::string& problem) const {
  assert(element < m_next && "an element not read yet");
  m_reference.fail("element " + shown(element) + " of " + m_sidecar->name() + ": " + problem);
}

void BinaryArray::expectedElement(const std::string& what, double value) const {
  fail("expected " + what + ", got " + ShowElement(value));
}

}  // namespace document
