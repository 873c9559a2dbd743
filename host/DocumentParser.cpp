#include "DocumentParser.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <set>

#include "DocumentText.h"

namespace document {

namespace {

/// Thrown inside the scanner at the first mistake; the JSON library then says what it is.
struct Mistake {};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsHex(char c) {
  return IsDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}

unsigned Hex4(const char* p) {
  unsigned value = 0;
  for (int i = 0; i < 4; ++i) {
    if (!IsHex(p[i])) throw Mistake();
    value = value * 16 + unsigned(p[i] <= '9' ? p[i] - '0' : (p[i] | 0x20) - 'a' + 10);
  }
  return value;
}

// Past this many keys an object's keys are looked up in a hash set rather than one by one.
constexpr std::size_t kKeysSearchedInTurn = 16;

/// One pass over the text that accepts exactly what the JSON library accepts within the limits,
/// and records the index as it goes. It keeps no more than the index and one frame per open
/// array or object: nothing of the values themselves.
class Scanner {
 public:
  explicit Scanner(const std::string& text)
      : m_base(text.data()), m_end(text.data() + text.size()) {}

  std::vector<Entry> scan() {
    const char* p = m_base;
    // A byte order mark may start the text.
    if (m_end - p >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3;
    p = space(p);
    for (;;) {
      p = value(p);
      if (m_opened) continue;  // at the first value inside an array or object
      // After a value: the next one, the end of its container, or the end of the text.
      for (;;) {
        p = space(p);
        if (m_frames.empty()) {
          // The JSON library reads a NUL byte as the end of the text.
          if (*p != '\0') throw Mistake();
          return std::move(m_entries);
        }
        Frame& frame = m_frames.back();
        if (*p == ',') {
          p = space(p + 1);
          if (frame.object) p = key(p, frame);
          break;
        }
        if (*p != (frame.object ? '}' : ']')) throw Mistake();
        close(p + 1);
        ++p;
      }
    }
  }

 private:
  struct Frame {
    bool object = false;
    bool indexed = false;              // its elements or members get entries
    std::uint32_t entry = UINT32_MAX;  // its own entry, if it has one
    std::uint32_t count = 0;
    std::size_t keysFrom = 0;  // objects: where their keys start in m_keys
    std::unique_ptr<std::set<std::string_view>> keySet;  // objects with many keys; ordered, so
                                                         // keys chosen to collide cannot slow it
  };

  std::uint32_t offset(const char* p) const { return std::uint32_t(p - m_base); }

  bool recording() const { return m_frames.empty() || m_frames.back().indexed; }

  /// Whitespace and comments, as the JSON library skips them before every token.
  const char* space(const char* p) const {
    for (;;) {
      switch (*p) {
        case ' ':
        case '\t':
        case '\n':
        case '\r':
          ++p;
          continue;
        case '/':
          if (p + 1 < m_end && p[1] == '/') {
            // To the end of the line, or a NUL byte, which the JSON library takes for one too.
            p += 2;
            while (p < m_end && *p != '\n' && *p != '\r' && *p != '\0') ++p;
            if (p < m_end) ++p;
            continue;
          }
          if (p + 1 < m_end && p[1] == '*') {
            for (p += 2; !(p[0] == '*' && p[1] == '/'); ++p)
              if (p >= m_end || *p == '\0') throw Mistake();
            p += 2;
            continue;
          }
          throw Mistake();
        default:
          return p;
      }
    }
  }

  /// Scans the value at `p` and returns what follows; or opens it when it is an array or object
  /// with contents (m_opened) and returns where its first value starts.
  const char* value(const char* p) {
    m_opened = false;
    if (!m_frames.empty()) ++m_frames.back().count;
    std::uint32_t entry = UINT32_MAX;
    if (recording()) {
      entry = std::uint32_t(m_entries.size());
      Entry& added = m_entries.emplace_back();
      added.begin = offset(p);
      added.key = m_pendingKey;
    }
    m_pendingKey = kNoKey;
    Kind kind;
    const char* end;
    switch (*p) {
      case '{':
      case '[':
        return open(p, entry);
      case '"':
        kind = Kind::string;
        end = string(p);
        break;
      case 't':
        kind = Kind::boolean;
        end = literal(p, "true");
        break;
      case 'f':
        kind = Kind::boolean;
        end = literal(p, "false");
        break;
      case 'n':
        kind = Kind::null;
        end = literal(p, "null");
        break;
      default:
        kind = Kind::number;
        end = number(p);
    }
    if (entry != UINT32_MAX) {
      Entry& scanned = m_entries[entry];
      scanned.kind = kind;
      scanned.end = offset(end);
      scanned.next = entry + 1;
    }
    return end;
  }

  const char* open(const char* p, std::uint32_t entry) {
    if (m_frames.size() == std::size_t(kMaxNesting)) throw Mistake();
    const bool object = *p == '{';
    const bool recorded = entry != UINT32_MAX;
    Frame& frame = m_frames.emplace_back();
    frame.object = object;
    frame.entry = entry;
    frame.keysFrom = m_keys.size();
    if (recorded) m_entries[entry].kind = object ? Kind::object : Kind::array;
    p = space(p + 1);
    // Objects index their members; arrays only when they hold objects, as tables do.
    frame.indexed = recorded && (object || *p == '{');
    if (*p == (object ? '}' : ']')) {
      close(p + 1);
      return p + 1;
    }
    m_opened = true;
    return object ? key(p, frame) : p;
  }

  void close(const char* end) {
    Frame& frame = m_frames.back();
    if (frame.entry != UINT32_MAX) {
      Entry& closed = m_entries[frame.entry];
      closed.end = offset(end);
      closed.next = std::uint32_t(m_entries.size());
      closed.count = frame.count;
      closed.indexed = frame.indexed;
    }
    m_keys.resize(frame.keysFrom);
    m_frames.pop_back();
  }

  /// A member's key and its colon; the member's value follows.
  const char* key(const char* p, Frame& object) {
    if (*p != '"') throw Mistake();
    const char* end = string(p);
    std::string_view key(p + 1, std::size_t(end - p - 2));
    if (key.find('\\') != std::string_view::npos) key = m_decoded.emplace_back(DecodeString(p));
    if (!object.keySet && m_keys.size() - object.keysFrom >= kKeysSearchedInTurn)
      object.keySet = std::make_unique<std::set<std::string_view>>(
          m_keys.begin() + std::ptrdiff_t(object.keysFrom), m_keys.end());
    if (object.keySet) {
      if (!object.keySet->insert(key).second) throw Mistake();
    } else {
      for (std::size_t k = object.keysFrom; k < m_keys.size(); ++k)
        if (m_keys[k] == key) throw Mistake();
    }
    m_keys.push_back(key);
    if (object.indexed) m_pendingKey = offset(p);
    p = space(end);
    if (*p != ':') throw Mistake();
    return space(p + 1);
  }

  const char* literal(const char* p, std::string_view word) const {
    if (std::size_t(m_end - p) < word.size() || std::memcmp(p, word.data(), word.size()) != 0)
      throw Mistake();
    return p + word.size();
  }

  /// A number of JSON's form whose magnitude a double can hold.
  const char* number(const char* p) const {
    const char* start = p;
    if (*p == '-') ++p;
    const char* digits = p;
    if (*p == '0') {
      ++p;
    } else {
      if (!IsDigit(*p)) throw Mistake();
      while (IsDigit(*p)) ++p;
    }
    const std::ptrdiff_t wholeDigits = p - digits;
    if (*p == '.') {
      if (!IsDigit(*++p)) throw Mistake();
      while (IsDigit(*p)) ++p;
    }
    long exponent = 0;
    if (*p == 'e' || *p == 'E') {
      ++p;
      const bool negative = *p == '-';
      if (*p == '-' || *p == '+') ++p;
      if (!IsDigit(*p)) throw Mistake();
      for (; IsDigit(*p); ++p) exponent = std::min(exponent * 10 + (*p - '0'), 100000L);
      if (negative) exponent = -exponent;
    }
    // Below 10^300 the magnitude is surely in range; near the limit the C library decides.
    if (wholeDigits + exponent > 300 &&
        std::abs(std::strtod(std::string(start, p).c_str(), nullptr)) == HUGE_VAL)
      throw Mistake();
    return p;
  }

  /// A string of valid UTF-8 without control characters, its escapes well formed.
  const char* string(const char* p) const {
    ++p;
    for (;;) {
      unsigned char c = static_cast<unsigned char>(*p);
      while (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') c = static_cast<unsigned char>(*++p);
      if (c == '"') return p + 1;
      if (c == '\\') {
        p = escape(p);
      } else if (c < 0x20) {
        throw Mistake();  // a control character, or the end of the text
      } else {
        p = utf8(p);
      }
    }
  }

  const char* escape(const char* p) const {
    switch (p[1]) {
      case '"':
      case '\\':
      case '/':
      case 'b':
      case 'f':
      case 'n':
      case 'r':
      case 't':
        return p + 2;
      case 'u': {
        const unsigned code = Hex4(p + 2);
        if (code >= 0xDC00 && code <= 0xDFFF) throw Mistake();  // a low surrogate alone
        if (code < 0xD800 || code > 0xDBFF) return p + 6;
        // A high surrogate and its low one.
        if (p[6] != '\\' || p[7] != 'u') throw Mistake();
        const unsigned low = Hex4(p + 8);
        if (low < 0xDC00 || low > 0xDFFF) throw Mistake();
        return p + 12;
      }
      default:
        throw Mistake();
    }
  }

  /// One UTF-8 sequence of two to four bytes, by the ranges of RFC 3629.
  const char* utf8(const char* p) const {
    const auto byte = [&](int i) { return static_cast<unsigned char>(p[i]); };
    const auto within = [&](int i, unsigned lo, unsigned hi) {
      if (p + i >= m_end || byte(i) < lo || byte(i) > hi) throw Mistake();
    };
    const unsigned lead = byte(0);
    if (lead >= 0xC2 && lead <= 0xDF) {
      within(1, 0x80, 0xBF);
      return p + 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
      within(1, lead == 0xE0 ? 0xA0 : 0x80, lead == 0xED ? 0x9F : 0xBF);
      within(2, 0x80, 0xBF);
      return p + 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
      within(1, lead == 0xF0 ? 0x90 : 0x80, lead == 0xF4 ? 0x8F : 0xBF);
      within(2, 0x80, 0xBF);
      within(3, 0x80, 0xBF);
      return p + 4;
    }
    throw Mistake();
  }

  const char* m_base;
  const char* m_end;
  std::vector<Entry> m_entries;
  std::vector<Frame> m_frames;
  std::vector<std::string_view> m_keys;  // the keys of the open objects, in order
  std::deque<std::string> m_decoded;     // keys with escapes, resolved
  std::uint32_t m_pendingKey = kNoKey;   // the key of the member whose value comes next
  bool m_opened = false;                 // the last value() opened an array or object
};

}  // namespace

ParsedText ParseDocumentText(const std::string& text, const std::string& fileName) {
  if (text.size() <= kMaxDocumentBytes) {
    try {
      return {text, Scanner(text).scan()};
    } catch (const Mistake&) {
    }
  }
  ReportFirstMistake(text, fileName);
}

}  // namespace document
