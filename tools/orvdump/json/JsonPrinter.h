// JsonPrinter: JSON written out as it is produced, in orvdump's layout (two spaces per level,
// arrays of plain values on one line), through a buffer of bounded size.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace QzOrv::scene {

/// Writes one JSON value to `out` piece by piece: objects and arrays are opened and closed, keys
/// and plain values put in between. An object or array shows each item on its own line, indented
/// two spaces per level; one opened with beginInlineArray shows its plain items on one line,
/// separated by ", ". Empty objects and arrays print as {} and []. Output is buffered and written
/// by finish(), and whenever the buffer grows past 64 KiB; the stream keeps its own state and
/// errors. The printer does not check that calls nest properly: a key belongs in an object,
/// every begin needs its end (asserted).
class JsonPrinter {
 public:
  explicit JsonPrinter(std::ostream& out);
  JsonPrinter(const JsonPrinter&) = delete;
  JsonPrinter& operator=(const JsonPrinter&) = delete;

  void beginObject();
  void beginArray();
  void beginInlineArray();
  /// Closes the innermost open object or array.
  void end();
  /// The next member's key; `name` is printed as it is, so it must need no escaping.
  void key(std::string_view name);

  void value(bool value);
  void value(int value);
  void value(unsigned value);
  /// Shortest text that reads back as the same double, as the JSON library prints it; null for
  /// a value that is not finite.
  void value(double value);
  /// Text as a JSON string, escaped as the JSON library escapes it, with U+FFFD for bytes that
  /// are not UTF-8.
  void text(std::string_view text);
  /// Text that needs no escaping (ids, fixed names), quoted.
  void plainText(std::string_view text);

  /// Ends the output with a newline and writes what is buffered.
  void finish();

 private:
  struct Level {
    char close;
    bool inlined;
    std::size_t items = 0;
  };

  void open(char close, bool inlined);
  /// Starts the next item of an array (for an object, key() does this).
  void beginValue();
  void beginItem();
  void indent(std::size_t levels);
  /// Appends to the buffer, handing it to the stream once it holds 64 KiB.
  void write(std::string_view text);

  std::ostream& out_;
  std::string buffer_;
  std::vector<Level> open_;
};

}  // namespace QzOrv::scene
