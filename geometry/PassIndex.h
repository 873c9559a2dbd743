// PassIndex: the objects that the material and layer passes gather, found by one walk of the
// document instead of one walk per material or per layer. Owns the walk's results, not the objects.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "plugin/stdafx.h"

class SceneExporter;

/// Every eligible object of the document in walk order, block instances flattened into the
/// objects of their blocks (each with its placement in model space), with the material index it
/// takes from its material source and its own layer. The passes then read their objects from it:
/// the result is the same as walking the document again for each pass, as long as the document
/// does not change while the index lives.
class PassIndex {
 public:
  /// Walks `exporter`'s document once (lights excluded), testing eligibility with its
  /// selectedOnly. The exporter and its document must outlive the index.
  explicit PassIndex(const SceneExporter& exporter);

  /// Appends to `group`, in walk order, a duplicate of every object whose effective material
  /// matches `material` as the material passes match them; objects of blocks are moved into
  /// place and left out when they have no geometry. The group owns what is appended.
  void collectByMaterial(const ON_Material& material, ON_SimpleArray<CRhinoObject*>& group) const;
  /// Appends to `group`, in walk order, a duplicate of every object whose own layer index is
  /// `layerIndex`; objects of blocks are moved into place (kept even without geometry).
  void collectByLayer(int layerIndex, ON_SimpleArray<CRhinoObject*>& group) const;

 private:
  struct BlockEntries;
  struct Entry {
    const CRhinoObject* object;
    int placement;  // into m_placements; -1 for an object of the document's own table
    int material;   // effective material index
  };

  void add(const CRhinoObject& object, const ON_Xform* placement, int material);
  /// Positions of the entries whose effective material index matches `material`, ascending.
  std::vector<int> positionsMatching(const ON_Material& material) const;
  /// A duplicate of the entry's object, moved into place when it lies in a block; null when it
  /// lies in a block and has no geometry, unless `keepWithoutGeometry`.
  CRhinoObject* duplicateOf(const Entry& entry, bool keepWithoutGeometry) const;

  const SceneExporter& m_exporter;
  std::vector<Entry> m_entries;
  std::vector<ON_Xform> m_placements;
  std::unordered_map<int, std::vector<int>> m_byMaterial;  // effective index -> positions
  std::unordered_map<int, std::vector<int>> m_byLayer;     // own layer index -> positions
  // The effective indices in use: those inside the material table by the name of their row
  // (materials that match share their name), and those outside it.
  std::unordered_map<std::wstring, std::vector<int>> m_tableIndicesByName;
  std::vector<int> m_indicesOutsideTable;
};
