#include "DocumentNode.h"

#include <cassert>
#include <limits>
#include <sstream>

namespace document {

namespace {

/// Skips whitespace and comments, without a call where there are none (compact JSON).
const char* Space(const char* p) {
  return *p > ' ' && *p != '/' ? p : SkipSpace(p);
}

/// Past the key and colon of the member whose key's opening quote is at `p`.
const char* MemberValue(const char* p) {
  return Space(Space(ScalarEnd(p)) + 1);
}

std::string Join(std::initializer_list<std::string_view> keys) {
  std::string out;
  for (std::string_view k : keys) out += (out.empty() ? "" : ", ") + std::string(k);
  return out;
}

bool Contains(std::initializer_list<std::string_view> keys, std::string_view key) {
  for (std::string_view k : keys)
    if (k == key) return true;
  return false;
}

/// A JSON path's step, with "~" written "~0" and "/" written "~1".
std::string Step(const std::string& token) {
  std::string out = "/";
  for (char c : token) out += c == '~' ? "~0" : c == '/' ? "~1" : std::string(1, c);
  return out;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string ShowNumber(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

ON_wString Wide(const std::string& utf8) {
  return ON_wString(utf8.c_str());
}

// ---- nodes

Kind Node::kind() const {
  if (const Entry* e = entry()) return e->kind;
  switch (*at()) {
    case '{':
      return Kind::object;
    case '[':
      return Kind::array;
    case '"':
      return Kind::string;
    case 't':
    case 'f':
      return Kind::boolean;
    case 'n':
      return Kind::null;
    default:
      return Kind::number;
  }
}

template <class Visit>
void Node::forEachChild(Visit visit) const {
  const ParsedText& parsed = m_source->parsed;
  const Entry* e = entry();
  if (e && e->indexed) {
    for (std::uint32_t c = m_entry + 1; c < e->next; c = parsed.entries[c].next) {
      const Entry& child = parsed.entries[c];
      if (!visit(Node(*m_source, child.begin, c, child.key))) return;
    }
    return;
  }
  const char* base = parsed.text.data();
  const bool object = *at() == '{';
  const char* p = Space(at() + 1);
  while (*p != (object ? '}' : ']')) {
    std::uint32_t key = kNoKey;
    if (object) {
      key = std::uint32_t(p - base);
      p = MemberValue(p);
    }
    if (!visit(Node(*m_source, std::uint32_t(p - base), kNoEntry, key))) return;
    p = Space(ValueEnd(p));
    if (*p == ',') p = Space(p + 1);
  }
}

std::size_t Node::size() const {
  const Kind k = kind();
  if (k != Kind::array && k != Kind::object) return 0;
  if (const Entry* e = entry()) return e->count;
  std::size_t count = 0;
  forEachChild([&](const Node&) { return ++count, true; });
  return count;
}

std::string Node::path() const {
  const ParsedText& parsed = m_source->parsed;
  const char* base = parsed.text.data();
  std::string out;
  // Down the index as far as it goes, then through the text: at each container, the child
  // whose text holds this value's first byte.
  Node step(*m_source);
  while (step.m_offset != m_offset) {
    std::optional<Node> within;
    std::size_t index = 0;
    step.forEachChild([&](const Node& child) {
      const std::uint32_t end =
          child.entry() ? child.entry()->end : std::uint32_t(ValueEnd(child.at()) - base);
      if (child.m_offset <= m_offset && m_offset < end) {
        within = child;
        return false;
      }
      ++index;
      return true;
    });
    assert(within && "every node lies within the top-level value");
    out += Step(step.isObject() ? within->key() : std::to_string(index));
    step = *within;
  }
  return out;
}

void Node::fail(const std::string& problem) const {
  const std::string place = path();
  throw DocumentError(m_source->file + ": " + (place.empty() ? "top level" : place) + ": " +
                      problem);
}

void Node::expected(const std::string& what) const {
  fail("expected " + what + ", got " + show());
}

void Node::checkKeys(std::initializer_list<std::string_view> known,
                     std::initializer_list<std::string_view> later) const {
  if (!isObject()) expected("an object {...}");
  forEachChild([&](const Node& member) {
    const char* quote = m_source->parsed.text.data() + member.m_key;
    for (std::string_view k : known)
      if (StringEquals(quote, k)) return true;
    const std::string key = member.key();
    if (Contains(later, key)) member.fail("\"" + key + "\" is not supported yet by this build");
    member.fail("unknown key \"" + key + "\" (expected one of " + Join(known) + ")");
  });
}

std::optional<Node> Node::member(std::string_view key) const {
  std::optional<Node> found;
  if (!isObject()) return found;
  forEachChild([&](const Node& member) {
    if (StringEquals(m_source->parsed.text.data() + member.m_key, key)) found = member;
    return !found;
  });
  return found;
}

std::vector<Node> Node::elements() const {
  if (!isArray()) expected("an array [...]");
  std::vector<Node> out;
  if (const Entry* e = entry()) out.reserve(e->count);
  forEachChild([&](const Node& element) { return out.push_back(element), true; });
  return out;
}

std::vector<Node> Node::members() const {
  if (!isObject()) expected("an object {...}");
  std::vector<Node> out;
  forEachChild([&](const Node& member) { return out.push_back(member), true; });
  return out;
}

std::string Node::key() const {
  assert(m_key != kNoKey && "only members have keys");
  return DecodeString(m_source->parsed.text.data() + m_key);
}

int Node::integer(int lo, int hi) const {
  const auto refuse = [&] {
    expected("an integer from " + std::to_string(lo) + " to " + std::to_string(hi));
  };
  if (!isInteger()) refuse();
  const Number n = numberValue();
  if (n.form == Number::Form::natural &&
      n.natural > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
    refuse();
  const std::int64_t x = n.form == Number::Form::natural ? std::int64_t(n.natural) : n.negative;
  if (x < lo || x > hi) refuse();
  return static_cast<int>(x);
}

std::uint64_t Node::natural(const std::string& what) const {
  if (isInteger()) {
    const Number n = numberValue();
    if (n.form == Number::Form::natural) return n.natural;
    if (n.negative == 0) return 0;  // -0
  }
  expected(what);
}

std::string Node::show() const {
  constexpr std::size_t kLongest = 60;
  const std::string text = Dump(at(), kLongest);
  if (text.size() <= kLongest) return text;
  std::size_t end = kLongest;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end) + "...";
}

// ---- walking arrays

ElementCursor::ElementCursor(const Node& array) : m_source(array.source()) {
  if (!array.isArray()) array.expected("an array [...]");
  const Entry* e = array.entry();
  m_indexed = e && e->indexed;
  m_entry = m_indexed ? array.m_entry + 1 : Node::kNoEntry;
  m_next = Space(array.at() + 1);
}

bool ElementCursor::next() {
  if (m_current) {
    const char* p = Space(m_currentEnd ? m_currentEnd : ValueEnd(m_current));
    m_next = *p == ',' ? Space(p + 1) : p;
    if (m_indexed) m_entry = m_source.parsed.entries[m_entry].next;
  }
  if (*m_next == ']') return false;
  m_current = m_next;
  m_currentEnd = nullptr;
  return true;
}

Node ElementCursor::node() const {
  return Node(m_source, std::uint32_t(m_current - m_source.parsed.text.data()),
              m_indexed ? m_entry : Node::kNoEntry, kNoKey);
}

std::size_t ElementCursor::numbers(double* out, std::size_t max) {
  const char* p = m_current;
  if (*p != '[') return max + 1;
  p = Space(p + 1);
  std::size_t count = 0;
  while (*p != ']') {
    if ((*p != '-' && !IsDigit(*p)) || count == max) return max + 1;
    out[count++] = ReadDouble(p, p);
    p = Space(p);
    if (*p == ',') p = Space(p + 1);
  }
  m_currentEnd = p + 1;
  return count;
}

std::size_t ElementCursor::integers(int* out, std::size_t max) {
  const char* p = m_current;
  if (*p != '[') return max + 1;
  p = Space(p + 1);
  std::size_t count = 0;
  while (*p != ']') {
    if (!IsDigit(*p) || count == max) return max + 1;
    const char* first = p;
    int value = 0;
    for (; IsDigit(*p); ++p) {
      if (p - first == 9) return max + 1;
      value = value * 10 + (*p - '0');
    }
    if (*p == '.' || *p == 'e' || *p == 'E') return max + 1;
    out[count++] = value;
    p = Space(p);
    if (*p == ',') p = Space(p + 1);
  }
  m_currentEnd = p + 1;
  return count;
}

// ---- references by name or index

std::vector<int> NameTable::Rows(const std::string& text, const std::vector<std::string>& list,
                                 Index& index) {
  // Rows of one name stay in table order: each goes after those of its name already there.
  for (; index.indexed < list.size(); ++index.indexed)
    index.rows.emplace(list[index.indexed], int(index.indexed));
  std::vector<int> rows;
  const auto [first, last] = index.rows.equal_range(text);
  for (auto it = first; it != last; ++it) rows.push_back(it->second);
  return rows;
}

int Resolve(const Node& ref, const NameTable& table, const std::string& role) {
  const int count = static_cast<int>(table.names.size());
  if (ref.isInteger()) {
    if (count == 0) ref.fail(std::string("there is no ") + table.kind + " to refer to");
    return ref.integer(0, count - 1);
  }
  if (!ref.isString()) ref.expected("the name or index of the " + role);
  const std::string name = ref.text();
  // A full path identifies a layer; only when none matches do plain names count.
  std::vector<int> found = table.rowsWithPath(name);
  if (found.empty()) found = table.rowsNamed(name);
  if (found.size() == 1) return found[0];
  if (found.empty()) ref.fail(std::string("no ") + table.kind + " is named " + Show(ref));
  ref.fail(
      std::to_string(found.size()) + " " + table.kind + "s are named " + Show(ref) +
      (table.paths.empty() ? "; refer to it by index" : "; refer to it by full path or index"));
}

}  // namespace document
