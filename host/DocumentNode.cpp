#include "DocumentNode.h"

#include <sstream>

namespace document {

std::string Show(const Json& value) {
  constexpr std::size_t kLongest = 60;
  std::string text = value.dump();
  if (text.size() <= kLongest) return text;
  std::size_t end = kLongest;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end) + "...";
}

std::string ShowNumber(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

ON_wString Wide(const std::string& utf8) {
  return ON_wString(utf8.c_str());
}

// ---- references by name or index

int Resolve(const Node& ref, const NameTable& table, const std::string& role) {
  const int count = static_cast<int>(table.names.size());
  if (ref.value().is_number_integer()) {
    if (count == 0) ref.fail(std::string("there is no ") + table.kind + " to refer to");
    return ref.integer(0, count - 1);
  }
  if (!ref.value().is_string()) ref.expected("the name or index of the " + role);
  const std::string name = ref.text();
  // A full path identifies a layer; only when none matches do plain names count.
  std::vector<int> found;
  for (int i = 0; i < count && !table.paths.empty(); ++i)
    if (table.paths[i] == name) found.push_back(i);
  if (found.empty())
    for (int i = 0; i < count; ++i)
      if (table.names[i] == name) found.push_back(i);
  if (found.size() == 1) return found[0];
  if (found.empty()) ref.fail(std::string("no ") + table.kind + " is named " + Show(ref.value()));
  ref.fail(
      std::to_string(found.size()) + " " + table.kind + "s are named " + Show(ref.value()) +
      (table.paths.empty() ? "; refer to it by index" : "; refer to it by full path or index"));
}

}  // namespace document
