// Reading document files: one JSON value with its place in the file (`Node`), whose every
// complaint names the file, the JSON path and the value, and references by name or index.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DocumentFile.h"
#include "DocumentParser.h"
#include "DocumentText.h"
#include "rhinoSdk.h"

namespace document {

constexpr double kPi = 3.14159265358979323846;

std::string ShowNumber(double value);

/// The UTF-8 text of the file as a host string.
ON_wString Wide(const std::string& utf8);

class Sidecar;

/// What every value of one document shares: the file's name for messages, its checked text with
/// the index, the sidecar that holds its binary arrays (null when it names none) and the budget
/// with the work counted against it. Outlives the document's nodes.
struct Source {
  const std::string& file;
  const ParsedText& parsed;
  const Sidecar* sidecar = nullptr;
  DocumentBudget budget = {};
  /// Bytes of the binary arrays referred to so far, against budget.arrayBytes.
  mutable std::uint64_t arrayBytes = 0;
};

/// One value of the document. A node is a position in the text (and in the index, where the
/// value has an entry): cheap to copy, valid as long as its Source. Every complaint about it
/// names the file, the place as a JSON path (found only then) and the value.
class Node {
 public:
  /// The top-level value.
  explicit Node(const Source& source)
      : m_source(&source), m_offset(source.parsed.entries[0].begin), m_entry(0) {}

  const Source& source() const { return *m_source; }

  Kind kind() const;
  bool isObject() const { return kind() == Kind::object; }
  bool isArray() const { return kind() == Kind::array; }
  bool isString() const { return kind() == Kind::string; }
  bool isNumber() const { return kind() == Kind::number; }
  bool isBoolean() const { return kind() == Kind::boolean; }
  /// A number written without fraction or exponent that 64 bits hold (2.0 is not an integer).
  bool isInteger() const { return isNumber() && numberValue().isInteger(); }
  /// The number this is (isNumber()), as the JSON library holds it.
  Number numberValue() const { return ReadNumber(at()); }

  /// The elements of an array or the members of an object; 0 for other values.
  std::size_t size() const;

  /// The JSON path of the value: "" for the top level, "/objects/3/mesh" below it.
  std::string path() const;

  [[noreturn]] void fail(const std::string& problem) const;

  [[noreturn]] void expected(const std::string& what) const;

  /// Fails unless this is an object whose keys are all in `known`. Keys in `later` name features
  /// this build cannot read yet; they are refused as such rather than as typos.
  void checkKeys(std::initializer_list<std::string_view> known,
                 std::initializer_list<std::string_view> later = {}) const;

  /// The member `key` of this object, or nothing when the object has none.
  std::optional<Node> member(std::string_view key) const;

  /// The member `key`, which the object must have; `what` says what it gives.
  Node required(const std::string& key, const std::string& what) const {
    if (auto found = member(key)) return *found;
    fail("missing \"" + key + "\", " + what);
  }

  /// The elements of an array, in order; fails for any other value.
  std::vector<Node> elements() const;

  /// The members of an object in file order (each knows its key()); fails for any other value.
  std::vector<Node> members() const;

  /// The key of a member of an object (a node from member() or members()).
  std::string key() const;

  std::string text() const {
    if (!isString()) expected("a string");
    return DecodeString(at());
  }

  /// Any finite number.
  double finite() const { return anyNumber("a number"); }

  bool flag() const {
    if (!isBoolean()) expected("true or false");
    return *at() == 't';
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
  int integer(int lo, int hi) const;

  /// An integer of 0 or more; `what` says what it counts, for the complaint.
  std::uint64_t natural(const std::string& what) const;

  /// The value as complaints show it: as the JSON library prints it, cut short (on a character
  /// boundary) when it is long.
  std::string show() const;

 private:
  friend class ElementCursor;

  Node(const Source& source, std::uint32_t offset, std::uint32_t entry, std::uint32_t key)
      : m_source(&source), m_offset(offset), m_entry(entry), m_key(key) {}

  const char* at() const { return m_source->parsed.text.data() + m_offset; }
  const Entry* entry() const {
    return m_entry == kNoEntry ? nullptr : &m_source->parsed.entries[m_entry];
  }

  /// Calls `visit(node)` for each element or member in order, until it returns false.
  template <class Visit>
  void forEachChild(Visit visit) const;

  // Numbers too large for a double were refused with the text.
  double anyNumber(const std::string& what) const {
    if (!isNumber()) expected(what);
    return numberValue().value();
  }

  static constexpr std::uint32_t kNoEntry = UINT32_MAX;

  const Source* m_source;
  std::uint32_t m_offset;            // the value's first byte in the text
  std::uint32_t m_entry = kNoEntry;  // its entry in the index, if it has one
  std::uint32_t m_key = kNoKey;      // members: the opening quote of their key
};

/// The value as complaints show it (Node::show).
inline std::string Show(const Node& value) {
  return value.show();
}

/// The elements of an array one after the other, without a node for each unless asked: the fast
/// way through long arrays of numbers. Refers to the array's Source, which must outlive it.
class ElementCursor {
 public:
  /// Fails at `array` unless it is an array.
  explicit ElementCursor(const Node& array);

  /// Moves to the next element (the first, at the start); false after the last.
  bool next();

  /// The current element.
  Node node() const;

  /// When the current element is an array of at most `max` numbers, stores their values (as
  /// Node::finite gives them) and returns how many; otherwise returns max + 1 and stores nothing.
  std::size_t numbers(double* out, std::size_t max);

  /// When the current element is an array of at most `max` integers of up to 9 digits, stores
  /// them and returns how many; otherwise returns max + 1 and stores nothing.
  std::size_t integers(int* out, std::size_t max);

 private:
  const Source& m_source;
  const char* m_next;  // where the next element (or the array's end) starts
  const char* m_current = nullptr;
  const char* m_currentEnd = nullptr;  // the end of the current element, once known
  std::uint32_t m_entry;               // the current element's entry, in an indexed array
  bool m_indexed;
  bool m_started = false;
};

/// What a reference in the file points into: the names in table order and, for layers, their
/// full paths, which also identify them.
class NameTable {
 public:
  NameTable(const char* kind_, std::vector<std::string> names_ = {},
            std::vector<std::string> paths_ = {})
      : kind(kind_), names(std::move(names_)), paths(std::move(paths_)) {}

  const char* kind;  // "material", "earlier layer"
  std::vector<std::string> names;
  std::vector<std::string> paths;  // empty, or one per name

  /// The rows named `text`, or whose full path is `text`, in table order. Rows are only ever
  /// appended; each look-up first indexes those appended since the last, so that a look-up costs
  /// time in the logarithm of the table's size, not in its size.
  std::vector<int> rowsNamed(const std::string& text) const { return Rows(text, names, m_names); }
  std::vector<int> rowsWithPath(const std::string& text) const {
    return Rows(text, paths, m_paths);
  }

 private:
  struct Index {
    // Ordered, not hashed: names chosen to collide in a hash cannot slow it.
    std::multimap<std::string, int> rows;
    std::size_t indexed = 0;  // rows of the list in `rows`
  };
  static std::vector<int> Rows(const std::string& text, const std::vector<std::string>& list,
                               Index& index);

  mutable Index m_names;
  mutable Index m_paths;
};

/// The table row that `ref` names, by index or by name (for layers also by full path); `role`
/// says what the reference is for in complaints ("object's layer").
int Resolve(const Node& ref, const NameTable& table, const std::string& role);

}  // namespace document
