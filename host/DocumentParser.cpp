#include "DocumentParser.h"

#include <string_view>
#include <unordered_set>
#include <vector>

#include "DocumentFile.h"

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

/// Builds the values as the parser reads them, keeping track of where in the document it is, so
/// that a limit can be enforced the moment it is crossed, before a deep document exhausts the
/// stack or a repeated key silently replaces an earlier value.
class LimitedBuilder {
 public:
  LimitedBuilder(Json& result, const std::string& fileName)
      : m_builder(result, /*allow_exceptions=*/true), m_file(fileName) {}

  bool null() { return value() && m_builder.null(); }
  bool boolean(bool b) { return value() && m_builder.boolean(b); }
  bool number_integer(Json::number_integer_t n) { return value() && m_builder.number_integer(n); }
  bool number_unsigned(Json::number_unsigned_t n) {
    return value() && m_builder.number_unsigned(n);
  }
  bool number_float(Json::number_float_t x, const Json::string_t& text) {
    return value() && m_builder.number_float(x, text);
  }
  bool string(Json::string_t& s) { return value() && m_builder.string(s); }
  bool binary(Json::binary_t& b) { return value() && m_builder.binary(b); }

  bool start_object(std::size_t count) {
    open(true);
    return m_builder.start_object(count);
  }
  bool key(Json::string_t& k) {
    Frame& object = m_frames.back();
    if (!object.keys.insert(k).second)
      fail(Place(m_frames.size() - 1), "key \"" + Shortened(k) + "\" appears more than once");
    object.key = k;
    return m_builder.key(k);
  }
  bool end_object() {
    m_frames.pop_back();
    return m_builder.end_object();
  }
  bool start_array(std::size_t count) {
    open(false);
    return m_builder.start_array(count);
  }
  bool end_array() {
    m_frames.pop_back();
    return m_builder.end_array();
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
    std::size_t elements = 0;              // arrays: values started so far
    std::string key;                       // objects: the latest key
    std::unordered_set<std::string> keys;  // objects: every key so far
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

  nlohmann::detail::json_sax_dom_parser<Json> m_builder;
  const std::string& m_file;
  std::vector<Frame> m_frames;
};

}  // namespace

Json ParseDocumentText(const std::string& text, const std::string& fileName) {
  if (text.size() > kMaxDocumentBytes)
    throw DocumentError(fileName + ": the document has " + std::to_string(text.size()) +
                        " bytes, more than the " + std::to_string(kMaxDocumentBytes) +
                        " a document may have");
  Json root;
  LimitedBuilder builder(root, fileName);
  Json::sax_parse(text, &builder, Json::input_format_t::json, /*strict=*/true,
                  /*ignore_comments=*/true);
  return root;
}

}  // namespace document
