// Reading document files: one JSON value with its place in the file (`Node`), whose every
// complaint names the file, the JSON path and the value, and references by name or index.
#pragma once

#include <initializer_list>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DocumentFile.h"
#include "DocumentParser.h"
#include "rhinoSdk.h"

namespace document {

using Pointer = Json::json_pointer;

constexpr double kPi = 3.14159265358979323846;

/// A value as it appears in the file, cut short (on a character boundary) when it is long.
std::string Show(const Json& value);

std::string ShowNumber(double value);

/// The UTF-8 text of the file as a host string.
ON_wString Wide(const std::string& utf8);

class Sidecar;

/// What every value of one document shares: the file's name for messages, and the sidecar that
/// holds its binary arrays (null when it names none). Outlives the document's nodes.
struct Source {
  const std::string& file;
  const Sidecar* sidecar = nullptr;
};

/// One value of the document with its place in it. Every complaint about it names the file, the
/// place as a JSON path and the value.
class Node {
 public:
  Node(const Source& source, const Json& value, Pointer at)
      : m_source(source), m_value(value), m_at(std::move(at)) {}

  const Json& value() const { return m_value; }
  const Source& source() const { return m_source; }

  bool isObject() const { return m_value.is_object(); }
  bool isArray() const { return m_value.is_array(); }

  [[noreturn]] void fail(const std::string& problem) const {
    const std::string place = m_at.empty() ? std::string("top level") : m_at.to_string();
    throw DocumentError(m_source.file + ": " + place + ": " + problem);
  }

  [[noreturn]] void expected(const std::string& what) const {
    fail("expected " + what + ", got " + Show(m_value));
  }

  /// Fails unless this is an object whose keys are all in `known`. Keys in `later` name features
  /// this build cannot read yet; they are refused as such rather than as typos.
  void checkKeys(std::initializer_list<std::string_view> known,
                 std::initializer_list<std::string_view> later = {}) const {
    if (!m_value.is_object()) expected("an object {...}");
    for (const auto& [key, value] : m_value.items()) {
      if (Contains(known, key)) continue;
      const Node member(m_source, value, m_at / key);
      if (Contains(later, key)) member.fail("\"" + key + "\" is not supported yet by this build");
      member.fail("unknown key \"" + key + "\" (expected one of " + Join(known) + ")");
    }
  }

  /// The member `key` of this object, or nothing when the object has none.
  std::optional<Node> member(const std::string& key) const {
    const auto it = m_value.find(key);
    if (it == m_value.end()) return std::nullopt;
    return Node(m_source, *it, m_at / key);
  }

  /// The member `key`, which the object must have; `what` says what it gives.
  Node required(const std::string& key, const std::string& what) const {
    if (auto found = member(key)) return *found;
    fail("missing \"" + key + "\", " + what);
  }

  std::vector<Node> elements() const {
    if (!m_value.is_array()) expected("an array [...]");
    std::vector<Node> out;
    for (std::size_t i = 0; i < m_value.size(); ++i)
      out.emplace_back(m_source, m_value[i], m_at / i);
    return out;
  }

  std::string text() const {
    if (!m_value.is_string()) expected("a string");
    return m_value.get<std::string>();
  }

  /// Any finite number.
  double finite() const { return anyNumber("a number"); }

  /// The last step of this value's path: its key in the enclosing object.
  std::string key() const { return m_at.back(); }

  bool flag() const {
    if (!m_value.is_boolean()) expected("true or false");
    return m_value.get<bool>();
  }

  /// A number from lo to hi, both included.
  double number(double lo, double hi) const {
    const double x = anyNumber("a number from " + ShowNumber(lo) + " to " + ShowNumber(hi));
    if (x < lo || x > hi) expected("a number from " + ShowNumber(lo) + " to " + ShowNumber(hi));
    return x;
  }

  double positive() const {
    const double x = anyNumber("a number greater than 0");
    if (x <= 0) expected("a number greater than 0");
    return x;
  }

  /// An integer from lo to hi, both included; 2.0 is not an integer.
  int integer(int lo, int hi) const {
    const std::string range = "an integer from " + std::to_string(lo) + " to " + std::to_string(hi);
    if (!m_value.is_number_integer()) expected(range);
    if (m_value.is_number_unsigned() &&
        m_value.get<std::uint64_t>() > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
      expected(range);
    const std::int64_t x = m_value.get<std::int64_t>();
    if (x < lo || x > hi) expected(range);
    return static_cast<int>(x);
  }

  /// An integer of 0 or more; `what` says what it counts, for the complaint.
  std::uint64_t natural(const std::string& what) const {
    if (m_value.is_number_unsigned()) return m_value.get<std::uint64_t>();
    if (m_value.is_number_integer() && m_value.get<std::int64_t>() >= 0)
      return static_cast<std::uint64_t>(m_value.get<std::int64_t>());
    expected(what);
  }

 private:
  static bool Contains(std::initializer_list<std::string_view> keys, std::string_view key) {
    for (std::string_view k : keys)
      if (k == key) return true;
    return false;
  }

  static std::string Join(std::initializer_list<std::string_view> keys) {
    std::string out;
    for (std::string_view k : keys) out += (out.empty() ? "" : ", ") + std::string(k);
    return out;
  }

  // Numbers too large for a double arrive as infinity.
  double anyNumber(const std::string& what) const {
    if (!m_value.is_number() || !std::isfinite(m_value.get<double>())) expected(what);
    return m_value.get<double>();
  }

  const Source& m_source;
  const Json& m_value;
  Pointer m_at;
};

/// What a reference in the file points into: the names in table order and, for layers, their
/// full paths, which also identify them.
struct NameTable {
  const char* kind;  // "material", "earlier layer"
  std::vector<std::string> names;
  std::vector<std::string> paths;  // empty, or one per name
};

/// The table row that `ref` names, by index or by name (for layers also by full path); `role`
/// says what the reference is for in complaints ("object's layer").
int Resolve(const Node& ref, const NameTable& table, const std::string& role);

}  // namespace document
