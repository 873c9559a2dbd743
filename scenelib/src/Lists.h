// The two kinds of IOrvList the library hands out: element lists, which create an element
// implementation per entry, and value lists, which hand out the storage of plain values.
#pragma once

#include <memory>
#include <vector>

#include "ElementContext.h"
#include "orv/ORV6.h"
#include "orv/SceneModel.h"

namespace QzOrv::scene {

/// Position that insert(index) puts a new entry at, or -1 when the index is invalid: -1 appends,
/// 0 to count inserts before that entry.
inline int insertPosition(int index, std::size_t count) {
  const int size = static_cast<int>(count);
  if (index == -1) return size;
  return index >= 0 && index <= size ? index : -1;
}

/// Inserts a zero value before `position` and returns its storage.
template <class T>
T& insertZero(std::vector<T>& values, std::size_t position) {
  return *values.insert(values.begin() + static_cast<std::ptrdiff_t>(position), T{});
}
template <class T>
T& insertZero(ChunkedArray<T>& values, std::size_t position) {
  return values.insert(position, T{});
}

/// Values stored in a model array (points, layer ids): a std::vector or a ChunkedArray of T.
/// Pointers returned by at and insert stay valid until the next insert into the same list.
template <class T, class Values = std::vector<T>>
class ValueList final : public IOrvList<T> {
 public:
  explicit ValueList(Values& values) : values_(values) {}

  int count() const override { return static_cast<int>(values_.size()); }
  T* at(int index) override {
    return index >= 0 && index < count() ? &values_[static_cast<std::size_t>(index)] : nullptr;
  }
  T* insert(int index) override {
    const int position = insertPosition(index, values_.size());
    if (position < 0) return nullptr;
    return &insertZero(values_, static_cast<std::size_t>(position));
  }

 private:
  Values& values_;
};

/// Elements stored in a model StableList, each with one implementation object (Impl, which
/// names its model type as Impl::Model and, when the element has an id, its kind as
/// Impl::kKind). Elements keep their address for the manager's lifetime.
template <class Interface, class Impl>
class ElementList final : public IOrvList<Interface> {
  using Model = typename Impl::Model;

 public:
  ElementList(StableList<Model>& items, ElementContext& context)
      : items_(items), context_(context) {}

  int count() const override { return static_cast<int>(elements_.size()); }
  Interface* at(int index) override {
    return index >= 0 && index < count() ? elements_[static_cast<std::size_t>(index)].get()
                                         : nullptr;
  }
  Interface* insert(int index) override {
    const int position = insertPosition(index, elements_.size());
    if (position < 0) return nullptr;
    Model& item = items_.insert(static_cast<std::size_t>(position), Model{});
    if constexpr (requires { Impl::kKind; }) item.id = context_.ids.next(Impl::kKind);
    auto element = std::make_unique<Impl>(item, context_);
    return elements_.insert(elements_.begin() + position, std::move(element))->get();
  }

 private:
  StableList<Model>& items_;
  ElementContext& context_;
  std::vector<std::unique_ptr<Impl>> elements_;
};

}  // namespace QzOrv::scene
