// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "export/SceneExporter.h"

#include <cassert>
#include <exception>

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
  warnWhenEveryObjectIsLeftOut();
  exportObjects(mode);
  writer.exportSun();
  writer.exportViews();
  return saveToFile(writer, path);
}

void SceneExporter::warnWhenEveryObjectIsLeftOut() const {
  CRhinoObjectIterator it(*doc, CRhinoObjectIterator::undeleted_objects,
                          CRhinoObjectIterator::active_and_reference_objects);
  it.IncludeGrips(false);
  it.IncludeLights(true);
  int objects = 0;
  for (const CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    // The export's own rule for the objects it takes.
    if ((!selectedOnly || object->IsSelected(false) != 0) && object->IsVisible()) return;
    ++objects;
  }
  if (objects == 0) return;
  RhinoApp().Print("Warning: nothing to export: none of the document's %d object%s is %s\n",
                   objects, objects == 1 ? "" : "s",
                   selectedOnly ? "both visible and selected" : "visible");
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
