// Test support for scenes read back from files: the names of a list's elements, in order, for
// comparing a whole list at once.
#pragma once

#include <string>
#include <vector>

/// The names of the elements of a scene list (layers, definitions, instances, ...), in list
/// order; "<none>" for an element that was never named.
template <class List>
std::vector<std::string> namesOf(const List& list) {
  std::vector<std::string> names;
  for (const auto& element : list) names.push_back(element.name.value_or("<none>"));
  return names;
}
