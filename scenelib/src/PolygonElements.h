// The polygon list of an object definition as the interface hands it out: one small element per
// polygon, kept in large chunks, each reaching its record in the definition's PolygonList.
#pragma once

#include <deque>
#include <vector>

#include "orv/ORV6.h"
#include "orv/PolygonList.h"

namespace QzOrv::scene {

/// One polygon and its vertex index list in one object: vertexIndices() is the element itself.
/// Knows only the list and its own position there, which the list updates when a polygon is
/// inserted before it.
class PolygonElement final : public IOrvPolygon, public IOrvList<int> {
 public:
  PolygonElement(PolygonList& polygons, int position) : polygons_(&polygons), position_(position) {}

  void setFlag(bool flag) override { polygons_->setFlag(slot(), flag); }
  void setMaterialIndex(int index) override { polygons_->setMaterialIndex(slot(), index); }
  IOrvList<int>* vertexIndices() override { return this; }

  int count() const override { return static_cast<int>(polygons_->cornerCount(slot())); }
  int* at(int index) override;
  int* insert(int index) override;

  void moveTo(int position) { position_ = position; }

 private:
  std::size_t slot() const { return static_cast<std::size_t>(position_); }

  PolygonList* polygons_;
  int position_;
};

/// The IOrvList of a definition's polygons. Elements keep their address until the manager is
/// released. While polygons are only appended, creation order is list order and no index is
/// kept; the first insert before the end starts a table of elements in list order.
class PolygonElementList final : public IOrvList<IOrvPolygon> {
 public:
  explicit PolygonElementList(PolygonList& polygons) : polygons_(polygons) {}

  int count() const override { return static_cast<int>(polygons_.size()); }
  IOrvPolygon* at(int index) override;
  IOrvPolygon* insert(int index) override;

 private:
  PolygonList& polygons_;
  std::deque<PolygonElement> elements_;   // in creation order
  std::vector<PolygonElement*> inOrder_;  // in list order, once an insert was not an append
};

}  // namespace QzOrv::scene
