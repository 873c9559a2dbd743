// Turning document text into JSON values within the limits every document file keeps: its size,
// how deep arrays and objects nest, one use of each key per object, numbers a double can hold.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>

namespace document {

// Ordered, so that of several mistakes in one object the first one in the file is reported.
using Json = nlohmann::ordered_json;

/// The largest document file, in bytes (256 MiB).
inline constexpr std::size_t kMaxDocumentBytes = std::size_t{256} << 20;
/// How deep arrays and objects may nest; the top-level object is depth 1.
inline constexpr int kMaxNesting = 256;

/// Parses `text`, UTF-8 JSON where `//` and `/* */` comments are allowed. `fileName` names the
/// text in messages. Throws DocumentError, naming the file and where in it, for text longer than
/// kMaxDocumentBytes, a syntax error, arrays and objects nested deeper than kMaxNesting, a key
/// that appears twice in one object, or a number beyond the range of a double.
Json ParseDocumentText(const std::string& text, const std::string& fileName);

}  // namespace document
