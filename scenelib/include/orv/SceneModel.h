// The scene as plain data: every list, element and value the scene library records, each
// setter's value kept apart from "never set". Filled by the library and the reader, read by tools.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "orv/ChunkedArray.h"
#include "orv/ORV6.h"
#include "orv/PolygonList.h"

namespace QzOrv {

// Exact value equality of the interface's value types (doubles compare with ==, so NaN never
// equals itself).
inline bool operator==(const OrvPoint& a, const OrvPoint& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline bool operator==(const OrvColor& a, const OrvColor& b) {
  return a.a == b.a && a.r == b.r && a.g == b.g && a.b == b.b;
}
inline bool operator==(const OrvId& a, const OrvId& b) {
  return std::equal(std::begin(a.bytes), std::end(a.bytes), std::begin(b.bytes));
}

}  // namespace QzOrv

namespace QzOrv::scene {

/// True when all 16 bytes are zero.
bool isNil(const OrvId& id);

/// The id as lower-case hex in groups 8-4-4-4-12, bytes in stored order.
std::string formatId(const OrvId& id);

/// An ordered list whose elements keep their address while the list grows or elements are
/// inserted before them (the library hands out pointers to them). Copies are deep; two lists
/// are equal when their elements are equal in order.
template <class T>
class StableList {
  using Slots = std::vector<std::unique_ptr<T>>;

 public:
  template <class Slot, class Value>
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = Value*;
    using reference = Value&;

    Iterator() = default;
    explicit Iterator(Slot slot) : slot_(slot) {}
    Value& operator*() const { return **slot_; }
    Value* operator->() const { return slot_->get(); }
    Iterator& operator++() {
      ++slot_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator old = *this;
      ++slot_;
      return old;
    }
    bool operator==(const Iterator& other) const { return slot_ == other.slot_; }

   private:
    Slot slot_{};
  };
  using iterator = Iterator<typename Slots::iterator, T>;
  using const_iterator = Iterator<typename Slots::const_iterator, const T>;

  StableList() = default;
  StableList(const StableList& other) { *this = other; }
  StableList(StableList&&) noexcept = default;
  StableList& operator=(StableList&&) noexcept = default;
  StableList& operator=(const StableList& other) {
    if (this != &other) {
      Slots copies;
      copies.reserve(other.slots_.size());
      for (const auto& slot : other.slots_) copies.push_back(std::make_unique<T>(*slot));
      slots_ = std::move(copies);
    }
    return *this;
  }

  std::size_t size() const { return slots_.size(); }
  bool empty() const { return slots_.empty(); }
  T& operator[](std::size_t index) { return *slots_[index]; }
  const T& operator[](std::size_t index) const { return *slots_[index]; }
  iterator begin() { return iterator(slots_.begin()); }
  iterator end() { return iterator(slots_.end()); }
  const_iterator begin() const { return const_iterator(slots_.begin()); }
  const_iterator end() const { return const_iterator(slots_.end()); }

  /// Inserts `value` before position `index` (0 to size()) and returns the stored element.
  T& insert(std::size_t index, T value) {
    auto slot = slots_.insert(slots_.begin() + static_cast<std::ptrdiff_t>(index),
                              std::make_unique<T>(std::move(value)));
    return **slot;
  }
  T& push_back(T value) { return insert(slots_.size(), std::move(value)); }

  bool operator==(const StableList& other) const {
    if (size() != other.size()) return false;
    for (std::size_t i = 0; i < size(); ++i) {
      if (!((*this)[i] == other[i])) return false;
    }
    return true;
  }

 private:
  Slots slots_;
};

// Every std::optional below is empty until its setter is called; sub-records (place, date and
// time, settings, render stage, definition link) always exist and record their own setters the
// same way. Fields are declared in the order of the interface's operations and hold exactly what
// the caller sent, in the units ORV6.h gives for each setter.

struct Creator {
  std::string application;
  std::string version;
  bool operator==(const Creator&) const = default;
};

struct Layer {
  OrvId id{};
  std::optional<std::string> name;
  bool operator==(const Layer&) const = default;
};

/// A point and two axis vectors (IOrvMaterial::setMappingOrigin, setMappingFrame).
struct Frame {
  OrvPoint point{};
  OrvPoint xAxis{};
  OrvPoint yAxis{};
  bool operator==(const Frame&) const = default;
};

struct TextureFlags {
  bool first = false;
  bool second = false;
  bool operator==(const TextureFlags&) const = default;
};

/// Texture size in scene units, height first as IOrvMaterial::setTextureSize takes it.
struct TextureSize {
  double height = 0;
  double width = 0;
  bool operator==(const TextureSize&) const = default;
};

struct Material {
  OrvId id{};
  std::optional<std::string> name;
  std::optional<bool> enabled;
  std::optional<double> factor;
  std::optional<OrvColor> diffuse;
  std::optional<OrvColor> specular;
  std::optional<double> shininess;
  std::optional<OrvColor> transparency;
  std::optional<std::string> textureFile;
  std::optional<int> mappingKind;
  std::optional<Frame> mappingOrigin;
  std::optional<Frame> mappingFrame;
  std::optional<TextureFlags> textureFlags;
  std::optional<TextureSize> textureSize;
  std::optional<OrvColor> ambient;
  std::optional<bool> textureEnabled;
  std::optional<double> reflection;
  std::optional<OrvColor> emission;
  bool operator==(const Material&) const = default;
};

struct ObjectDefinition {
  OrvId id{};
  std::optional<std::string> name;
  StableList<Material> materials;
  ChunkedArray<OrvPoint> vertices;
  PolygonList polygons;
  bool operator==(const ObjectDefinition&) const = default;
};

struct DefinitionLink {
  std::optional<OrvId> definition;
  StableList<Material> materials;
  bool operator==(const DefinitionLink&) const = default;
};

struct ObjectInstance {
  OrvId id{};
  std::optional<std::string> name;
  std::optional<std::string> kind;
  DefinitionLink definitionLink;
  /// Set to the nil id means "set, no layer"; empty means setLayer was never called.
  std::optional<OrvId> layer;
  bool operator==(const ObjectInstance&) const = default;
};

struct Light {
  OrvId id{};
  std::optional<std::string> name;
  std::optional<int> type;
  std::optional<OrvColor> color;
  std::optional<OrvPoint> position;
  std::optional<OrvPoint> target;
  std::optional<double> spotAngle;
  std::optional<int> shadowMode;
  std::optional<double> shadowIntensity;
  std::optional<double> intensity;
  bool operator==(const Light&) const = default;
};

struct DateTime {
  std::optional<int> month;
  std::optional<int> day;
  std::optional<int> hour;
  std::optional<int> minute;
  std::optional<int> year;
  bool operator==(const DateTime&) const = default;
};

struct Place {
  std::optional<int> longitude;
  std::optional<int> latitude;
  std::optional<int> timeZone;
  std::optional<bool> daylightSaving;
  bool operator==(const Place&) const = default;
};

struct Heliodon {
  OrvId id{};
  std::optional<std::string> name;
  std::optional<bool> enabled;
  DateTime dateTime;
  Place place;
  std::optional<double> northAngle;
  std::optional<double> skyShadowIntensity;
  std::optional<int> mode;
  std::optional<int> subMode;
  bool operator==(const Heliodon&) const = default;
};

struct ViewSettings {
  std::optional<int> mode;
  std::optional<std::string> heliodon;
  std::vector<OrvId> visibleLayers;
  bool operator==(const ViewSettings&) const = default;
};

struct RenderStage {
  std::optional<int> mode;
  bool operator==(const RenderStage&) const = default;
};

struct RenderSetup {
  RenderStage stage;
  bool operator==(const RenderSetup&) const = default;
};

struct View {
  OrvId id{};
  std::optional<std::string> name;
  ViewSettings settings;
  RenderSetup renderSetup;
  std::optional<int> viewKind;
  std::optional<int> state;
  /// markUsed was called.
  bool used = false;
  std::optional<double> fieldSize;
  std::optional<OrvPoint> eye;
  std::optional<OrvPoint> target;
  bool operator==(const View&) const = default;
};

struct Camera {
  OrvId id{};
  std::optional<std::string> name;
  ViewSettings settings;
  RenderSetup renderSetup;
  std::optional<OrvPoint> eye;
  std::optional<OrvPoint> target;
  /// This is the scene's current camera (makeCurrent was called on it last).
  bool current = false;
  std::optional<bool> enabled;
  std::optional<double> roll;
  std::optional<double> focal;
  bool operator==(const Camera&) const = default;
};

struct Scene {
  std::optional<Creator> creator;
  StableList<Layer> layers;
  StableList<ObjectDefinition> objectDefinitions;
  StableList<ObjectInstance> objectInstances;
  StableList<Light> lights;
  StableList<Heliodon> heliodons;
  StableList<View> views;
  StableList<Camera> cameras;
  bool operator==(const Scene&) const = default;
};

}  // namespace QzOrv::scene
