// SceneExporter: one export of one host document to one scene file. Owns the SceneWriter and the
// copies of the materials already exported, and fixes the order of the whole export.
#pragma once

#include <memory>

#include "export/SceneWriter.h"
#include "plugin/stdafx.h"

class PassIndex;

/// Lives on the stack of one WriteFile call: construct, set the selection option, run once,
/// destroy. Destruction deletes the material copies (in index order), then the writer, which
/// releases the scene manager last.
class SceneExporter {
 public:
  /// Creates the writer and with it the scene manager; throws std::runtime_error when the
  /// manager cannot be created (no exporter exists then). `document` must outlive the exporter.
  explicit SceneExporter(CRhinoDoc& document);
  ~SceneExporter();
  SceneExporter(const SceneExporter&) = delete;
  SceneExporter& operator=(const SceneExporter&) = delete;

  /// Takes the host's selected-objects-only flag from the write options into selectedOnly.
  void applyWriteOptions(const CRhinoFileWriteOptions& options);

  /// Exports the document to `path` (wide, never null) with grouping `mode` (a GroupingModes
  /// value): splits the path into exportBaseName and exportFolder, records the document's
  /// materials, exports objects, sun and views, then saves. True when the file was written.
  /// False at once for a null document. Exceptions from the object, sun and view export pass
  /// through (no file is written then); the wait cursor and module state are restored.
  bool run(const wchar_t* path, int mode);

  /// Records the address of every document material in writer.documentMaterials, in table order.
  void collectDocumentMaterials();

  /// Warns on the command line when the document has objects but the export takes none of them
  /// ("Warning: nothing to export: ...": none is visible, and with selectedOnly selected), or
  /// takes only objects without polygons ("Warning: nothing with geometry to export (117 curves,
  /// 8 annotations)": curves, points, annotations, lights, and instances of blocks holding only
  /// such objects), so that an empty scene does not pass for the document. Silent for a document
  /// without objects.
  void warnWhenNothingIsExported() const;

  // The traversal: bodies in geometry/ObjectTraversal.cpp (geometry/ObjectTraversal.h); the
  // passes find their objects through geometry/PassIndex.h.
  /// Exports the lights and the geometry into the scene, grouped by `mode` (a GroupingModes
  /// value; any other value exports nothing). The host document is never changed: geometry that
  /// must move is duplicated, and every duplicate is deleted before the next group is gathered.
  void exportObjects(int mode);

  /// The material index `object` (not null) takes from its material source, by
  /// materialIndexFromSource: its layer's render material as the layer table gives it (-1 for a
  /// layer index outside the table; no scene layer is made), its own material index, or, when it
  /// comes from its parent, `*parentIndex`, the index of the block instance holding it. Outside
  /// any block instance (`parentIndex` null) the parent is the object's layer.
  int materialIndexOf(const CRhinoObject* object, const int* parentIndex) const;
  /// Appends to `group` a duplicate of every eligible object whose material matches `material`,
  /// flattening block instances into duplicates moved into model space (objects of blocks
  /// without geometry left out). The group owns what is appended. The objects are found in the
  /// walk the first collection of an exportObjects call makes (see passIndex).
  void collectByMaterial(const ON_Material& material, ON_SimpleArray<CRhinoObject*>& group);
  /// Appends to `group` a duplicate of every eligible object on document layer `layerIndex`;
  /// objects inside block instances go by their own layer, not the instance's, and are moved
  /// into model space. Found as collectByMaterial finds them.
  void collectByLayer(int layerIndex, ON_SimpleArray<CRhinoObject*>& group);
  /// True when a material that MaterialsMatch `material` is already in exportedMaterials (body
  /// in materials/MaterialEquivalence.cpp).
  bool IsMaterialExported(const ON_Material& material) const;

  CRhinoDoc* doc;  // not owned
  SceneWriter writer;
  /// Only selected objects are exported when set; false at construction.
  bool selectedOnly;
  /// Heap copies of the materials already turned into scene objects, one per equivalence class;
  /// owned (deleted by the destructor).
  ON_SimpleArray<ON_Material*> exportedMaterials;
  /// The document's eligible objects, walked once for all the material or layer passes of one
  /// exportObjects call and dropped when it ends; null outside it until a collection needs it.
  std::unique_ptr<PassIndex> passIndex;
};

/// Sets exportBaseName to the file name of `path` without folder and extension, and exportFolder
/// to its drive and folder with the trailing separator. A path that cannot be split, or one of
/// whose parts does not fit the fixed buffers (drive 3 wide characters; folder, file name and
/// extension this platform's PATH_MAX; terminators included), empties exportBaseName and leaves
/// exportFolder unchanged.
void splitExportPath(const wchar_t* path);
