#include "json/JsonPrinter.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

namespace QzOrv::scene {
namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;

}  // namespace

JsonPrinter::JsonPrinter(std::ostream& out) : out_(out) {
  buffer_.reserve(kBufferBytes + 1024);
}

void JsonPrinter::beginObject() {
  open('}', false);
}

void JsonPrinter::beginArray() {
  open(']', false);
}

void JsonPrinter::beginInlineArray() {
  open(']', true);
}

void JsonPrinter::open(char close, bool inlined) {
  beginValue();
  // The opening bracket waits for the first item, so that an empty one prints as {} or [].
  open_.push_back(Level{close, inlined});
}

void JsonPrinter::end() {
  assert(!open_.empty());
  const Level level = open_.back();
  open_.pop_back();
  if (level.items == 0) {
    write(level.close == '}' ? "{}" : "[]");
  } else if (level.inlined) {
    write("]");
  } else {
    write("\n");
    indent(open_.size());
    write(std::string_view(&level.close, 1));
  }
}

void JsonPrinter::key(std::string_view name) {
  assert(!open_.empty() && open_.back().close == '}');
  beginItem();
  write("\"");
  write(name);
  write("\": ");
}

void JsonPrinter::beginValue() {
  if (!open_.empty() && open_.back().close == ']') beginItem();
}

void JsonPrinter::beginItem() {
  Level& level = open_.back();
  if (level.inlined) {
    write(level.items == 0 ? "[" : ", ");
  } else {
    if (level.items == 0)
      write(level.close == '}' ? "{\n" : "[\n");
    else
      write(",\n");
    indent(open_.size());
  }
  ++level.items;
}

void JsonPrinter::value(bool value) {
  beginValue();
  write(value ? "true" : "false");
}

void JsonPrinter::value(int value) {
  beginValue();
  std::array<char, 16> digits;
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  write(std::string_view(digits.data(), static_cast<std::size_t>(result.ptr - digits.data())));
}

void JsonPrinter::value(unsigned value) {
  beginValue();
  std::array<char, 16> digits;
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  write(std::string_view(digits.data(), static_cast<std::size_t>(result.ptr - digits.data())));
}

void JsonPrinter::value(double value) {
  beginValue();
  if (!std::isfinite(value)) {
    write("null");
    return;
  }
  // The JSON library's own conversion, which its dump uses, so numbers print exactly as it
  // prints them (its shortest digits are not always those of std::to_chars).
  std::array<char, 64> digits;
  const char* end = nlohmann::detail::to_chars(digits.data(), digits.data() + digits.size(), value);
  write(std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data())));
}

void JsonPrinter::text(std::string_view text) {
  beginValue();
  // Names are few next to numbers: the library escapes them, bad bytes included.
  write(nlohmann::ordered_json(text).dump(-1, ' ', false,
                                          nlohmann::ordered_json::error_handler_t::replace));
}

void JsonPrinter::plainText(std::string_view text) {
  beginValue();
  write("\"");
  write(text);
  write("\"");
}

void JsonPrinter::finish() {
  assert(open_.empty());
  write("\n");
  out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  buffer_.clear();
  out_.flush();
}

void JsonPrinter::indent(std::size_t levels) {
  static constexpr std::string_view kSpaces = "                                ";
  for (std::size_t left = 2 * levels; left > 0;) {
    const std::size_t run = std::min(left, kSpaces.size());
    write(kSpaces.substr(0, run));
    left -= run;
  }
}

void JsonPrinter::write(std::string_view text) {
  buffer_.append(text);
  if (buffer_.size() < kBufferBytes) return;
  out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  buffer_.clear();
}

}  // namespace QzOrv::scene
