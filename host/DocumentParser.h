// Checking document text within the limits every document file keeps (its size, how deep arrays
// and objects nest, one use of each key per object, numbers a double can hold) and indexing its
// values, so that they are read out of the text itself when asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace document {

/// The largest document file, in bytes (256 MiB).
inline constexpr std::size_t kMaxDocumentBytes = std::size_t{256} << 20;
/// How deep arrays and objects may nest; the top-level object is depth 1.
inline constexpr int kMaxNesting = 256;

enum class Kind : std::uint8_t { null, boolean, number, string, array, object };

inline constexpr std::uint32_t kNoKey = UINT32_MAX;

/// What the index keeps of one value: of the top-level value, of every member of an object and
/// of every element of an array whose first element is an object, with offsets into the text.
/// The elements of other arrays (the large arrays of numbers) have no entries: they are read from
/// the text when asked for, which keeps the index a small fraction of the text.
struct Entry {
  std::uint32_t begin = 0;     // the value's first byte
  std::uint32_t end = 0;       // just past its last byte
  std::uint32_t next = 0;      // the entry after this value's and its contents' entries
  std::uint32_t count = 0;     // arrays: elements; objects: members
  std::uint32_t key = kNoKey;  // members: the opening quote of their key
  Kind kind = Kind::null;
  bool indexed = false;  // objects and arrays whose elements or members have entries
};

/// Document text checked to be one JSON value within the limits, and its index. Refers to the
/// text, which must outlive it.
struct ParsedText {
  std::string_view text;       // followed by a NUL byte, as a std::string's text is
  std::vector<Entry> entries;  // entries[0] is the top-level value
};

/// Checks and indexes `text`, UTF-8 JSON where `//` and `/* */` comments are allowed. `fileName`
/// names the text in messages. Throws DocumentError (ReportFirstMistake) for text longer than
/// kMaxDocumentBytes, a syntax error, arrays and objects nested deeper than kMaxNesting, a key
/// that appears twice in one object, or a number beyond the range of a double.
ParsedText ParseDocumentText(const std::string& text, const std::string& fileName);

/// Throws the DocumentError for the first of the mistakes above in `text`, naming the file and
/// where in it: by line and column for syntax, by JSON path for a limit. Throws std::logic_error
/// when there is no mistake, which is a programmer's mistake.
[[noreturn]] void ReportFirstMistake(const std::string& text, const std::string& fileName);

}  // namespace document
