// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "export/SceneExporter.h"

#include <cassert>
#include <exception>
#include <map>
#include <string>

#include "geometry/DocumentWalk.h"
#include "geometry/PassIndex.h"
#include "output/OutputFile.h"
#include "plugin/ExportOptions.h"

SceneExporter::SceneExporter(CRhinoDoc& document)
    : doc(&document), writer(document), selectedOnly(false) {}

SceneExporter::~SceneExporter() {
  for (int i = 0; i < exportedMaterials.Count(); ++i) delete exportedMaterials[i];
}

void SceneExporter::applyWriteOptions(const CRhinoFileWriteOptions& options) {
  selectedOnly = options.Mode(CRhinoFileWriteOptions::SelectedMode);
}

bool SceneExporter::run(const wchar_t* path, int mode) {
  assert(path != nullptr);
  if (doc == nullptr) return false;
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  CWaitCursor busy;
  splitExportPath(path);
  collectDocumentMaterials();
  warnWhenNothingIsExported();
  exportObjects(mode);
  writer.exportSun();
  writer.exportViews();
  return saveToFile(writer, path);
}

namespace {

/// The objects an export takes that bring no polygons, by kind, in the order the warning names
/// them.
struct KindsWithoutGeometry {
  int curves = 0, points = 0, annotations = 0, lights = 0, instances = 0;
};

/// Whether the block, or a block it places, holds an object with geometry; each block is judged
/// once (`judged`), so that deeply nested blocks cost their count, not their paths.
bool blockHoldsGeometry(const CRhinoInstanceDefinition* block,
                        std::map<const CRhinoInstanceDefinition*, bool>& judged);

/// Counts `object` in `kinds` when it brings no polygons; false when it has geometry. Anything
/// that is not a curve, point, annotation, light or instance of such things may have meshes.
bool countWithoutGeometry(const CRhinoObject& object, KindsWithoutGeometry& kinds,
                          std::map<const CRhinoInstanceDefinition*, bool>& judged) {
  if (dynamic_cast<const CRhinoCurveObject*>(&object)) return ++kinds.curves, true;
  if (dynamic_cast<const CRhinoPointObject*>(&object)) return ++kinds.points, true;
  if (dynamic_cast<const CRhinoAnnotationObject*>(&object)) return ++kinds.annotations, true;
  if (CRhinoLight::Cast(&object)) return ++kinds.lights, true;
  if (const CRhinoInstanceObject* instance = CRhinoInstanceObject::Cast(&object)) {
    if (blockHoldsGeometry(instance->InstanceDefinition(), judged)) return false;
    return ++kinds.instances, true;
  }
  return false;
}

bool blockHoldsGeometry(const CRhinoInstanceDefinition* block,
                        std::map<const CRhinoInstanceDefinition*, bool>& judged) {
  if (block == nullptr) return false;
  const auto [place, first] = judged.emplace(block, false);  // a block placing itself adds none
  if (!first) return place->second;
  ON_SimpleArray<const CRhinoObject*> objects;
  block->GetObjects(objects);
  KindsWithoutGeometry ignored;
  bool holds = false;
  for (int i = 0; i < objects.Count() && !holds; ++i)
    holds = objects[i] != nullptr && !countWithoutGeometry(*objects[i], ignored, judged);
  judged[block] = holds;
  return holds;
}

/// "117 curves, 8 annotations, 1 point": the kinds that occur, in a fixed order.
std::string describe(const KindsWithoutGeometry& kinds) {
  const std::pair<int, const char*> parts[] = {{kinds.curves, "curve"},
                                               {kinds.points, "point"},
                                               {kinds.annotations, "annotation"},
                                               {kinds.lights, "light"},
                                               {kinds.instances, "block instance"}};
  std::string text;
  for (const auto& [count, kind] : parts) {
    if (count == 0) continue;
    if (!text.empty()) text += ", ";
    text += std::to_string(count) + " " + kind + (count == 1 ? "" : "s");
  }
  return text;
}

}  // namespace

void SceneExporter::warnWhenNothingIsExported() const {
  CRhinoObjectIterator it = documentWalk(*doc, true);
  int objects = 0, taken = 0;
  KindsWithoutGeometry kinds;
  std::map<const CRhinoInstanceDefinition*, bool> judged;
  for (const CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    ++objects;
    if (!isEligible(*object, selectedOnly)) continue;
    ++taken;
    if (!countWithoutGeometry(*object, kinds, judged)) return;
  }
  if (objects == 0) return;
  if (taken == 0) {
    RhinoApp().Print("Warning: nothing to export: none of the document's %d object%s is %s\n",
                     objects, objects == 1 ? "" : "s",
                     selectedOnly ? "both visible and selected" : "visible");
    return;
  }
  RhinoApp().Print("Warning: nothing with geometry to export (%s)\n", describe(kinds).c_str());
}

void SceneExporter::collectDocumentMaterials() {
  const CRhinoMaterialTable& table = doc->m_material_table;
  for (int i = 0; i < table.MaterialCount(); ++i) writer.documentMaterials.Append(&table[i]);
}

void splitExportPath(const wchar_t* path) {
  try {
    wchar_t drive[_MAX_DRIVE];
    wchar_t folder[_MAX_DIR];
    wchar_t name[_MAX_FNAME];
    wchar_t extension[_MAX_EXT];
    // The buffers have this platform's path limit. A part too long for its buffer fails the
    // split rather than being cut: a truncated base name would silently rename the texture
    // folder and the single-object names.
    if (_wsplitpath_s(path, drive, _MAX_DRIVE, folder, _MAX_DIR, name, _MAX_FNAME, extension,
                      _MAX_EXT) != 0) {
      exportBaseName.Empty();
      return;
    }
    exportBaseName = name;
    exportFolder = CString(drive) + folder;
  } catch (const std::exception&) {
    exportBaseName.Empty();
  }
}
