// The messages for document text that is no document within the limits: the JSON library reads
// the text again, as far as its first mistake, and says what and where it is.
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "DocumentFile.h"
#include "DocumentParser.h"

namespace document {

namespace {

/// Shows at most 60 bytes of `text`, cut on a character boundary.
std::string Shortened(const std::string& text) {
  constexpr std::size_t kLongest = 60;
  if (text.size() <= kLongest) return text;
  std::size_t end = kLongest;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end) + "...";
}

/// The parser's own account of a syntax error, without its exception-class prefix.
std::string SyntaxProblem(const std::string& what) {
  const std::size_t prefixEnd = what.find("] ");
  return prefixEnd == std::string::npos ? what : what.substr(prefixEnd + 2);
}

using Json = nlohmann::json;

/// Follows the parser through the document, keeping track of where in it the parser is, so that
/// a limit is reported the moment it is crossed, at its place.
class LimitChecker {
 public:
  explicit LimitChecker(const std::string& fileName) : m_file(fileName) {}

  bool null() { return value(); }
  bool boolean(bool) { return value(); }
  bool number_integer(Json::number_integer_t) { return value(); }
  bool number_unsigned(Json::number_unsigned_t) { return value(); }
  bool number_float(Json::number_float_t, const Json::string_t&) { return value(); }
  bool string(Json::string_t&) { return value(); }
  bool binary(Json::binary_t&) { return value(); }

  bool start_object(std::size_t) {
    open(true);
    return true;
  }
  bool key(Json::string_t& k) {
    Frame& object = m_frames.back();
    if (!object.keys.insert(k).second)
      fail(Place(m_frames.size() - 1), "key \"" + Shortened(k) + "\" appears more than once");
    object.key = k;
    return true;
  }
  bool end_object() {
    m_frames.pop_back();
    return true;
  }
  bool start_array(std::size_t) {
    open(false);
    return true;
  }
  bool end_array() {
    m_frames.pop_back();
    return true;
  }

  template <class Exception>
  bool parse_error(std::size_t, const std::string& token, const Exception& error) {
    // 406: a number that a double cannot hold, such as 1e400, read as the next value.
    if (error.id == 406 && value())
      fail(Place(m_frames.size()), "number " + Shortened(token) +
                                       " is out of range (its magnitude must stay below about "
                                       "1.8e308)");
    throw DocumentError(m_file + ": " + SyntaxProblem(error.what()));
  }

 private:
  struct Frame {
    bool object = false;
    std::size_t elements = 0;    // arrays: values started so far
    std::string key;             // objects: the latest key
    std::set<std::string> keys;  // objects: every key so far (ordered: no hash to flood)
  };

  [[noreturn]] void fail(const std::string& place, const std::string& problem) const {
    throw DocumentError(m_file + ": " + place + ": " + problem);
  }

  /// The JSON path of the value being read inside the first `depth` containers.
  std::string Place(std::size_t depth) const {
    if (depth == 0) return "top level";
    Json::json_pointer at;
    for (std::size_t i = 0; i < depth; ++i) {
      const Frame& frame = m_frames[i];
      if (frame.object)
        at /= frame.key;
      else
        at /= frame.elements - 1;
    }
    return Shortened(at.to_string());
  }

  /// Counts a value as the next element of the enclosing array.
  bool value() {
    if (!m_frames.empty() && !m_frames.back().object) ++m_frames.back().elements;
    return true;
  }

  void open(bool object) {
    value();
    if (m_frames.size() == static_cast<std::size_t>(kMaxNesting))
      fail(Place(m_frames.size()),
           "arrays and objects nested more than " + std::to_string(kMaxNesting) + " deep");
    m_frames.emplace_back().object = object;
  }

  const std::string& m_file;
  std::vector<Frame> m_frames;
};

}  // namespace

void ReportFirstMistake(const std::string& text, const std::string& fileName) {
  if (text.size() > kMaxDocumentBytes)
    throw DocumentError(fileName + ": the document has " + std::to_string(text.size()) +
                        " bytes, more than the " + std::to_string(kMaxDocumentBytes) +
                        " a document may have");
  LimitChecker checker(fileName);
  Json::sax_parse(text, &checker, Json::input_format_t::json, /*strict=*/true,
                  /*ignore_comments=*/true);
  throw std::logic_error(fileName + ": the document was refused, but has no mistake to report");
}

}  // namespace document
