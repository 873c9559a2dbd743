#include "PolygonElements.h"

#include "Lists.h"

namespace QzOrv::scene {

int* PolygonElement::at(int index) {
  return index >= 0 && index < count() ? polygons_->corner(slot(), static_cast<std::size_t>(index))
                                       : nullptr;
}

int* PolygonElement::insert(int index) {
  const int position = insertPosition(index, polygons_->cornerCount(slot()));
  if (position < 0) return nullptr;
  return polygons_->insertCorner(slot(), static_cast<std::size_t>(position));
}

IOrvPolygon* PolygonElementList::at(int index) {
  if (index < 0 || index >= count()) return nullptr;
  const auto position = static_cast<std::size_t>(index);
  return inOrder_.empty() ? &elements_[position] : inOrder_[position];
}

IOrvPolygon* PolygonElementList::insert(int index) {
  const int position = insertPosition(index, polygons_.size());
  if (position < 0) return nullptr;
  const bool appending = position == count();
  polygons_.insert(static_cast<std::size_t>(position));
  PolygonElement& element = elements_.emplace_back(polygons_, position);
  if (appending && inOrder_.empty()) return &element;

  if (inOrder_.empty()) {
    inOrder_.reserve(elements_.size());
    for (std::size_t i = 0; i + 1 < elements_.size(); ++i) inOrder_.push_back(&elements_[i]);
  }
  inOrder_.insert(inOrder_.begin() + position, &element);
  for (std::size_t i = static_cast<std::size_t>(position) + 1; i < inOrder_.size(); ++i)
    inOrder_[i]->moveTo(static_cast<int>(i));
  return &element;
}

}  // namespace QzOrv::scene
