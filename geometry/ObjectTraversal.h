// ObjectTraversal: which objects reach the scene, in which order and in which groups. Owns
// SceneExporter::exportObjects, materialIndexOf, collectByMaterial and collectByLayer, and
// SceneWriter::exportGroup and exportObject (declared with the exporter and the writer).
#pragma once

#include "plugin/stdafx.h"

/// The layer index shared by every non-null object of `group` (duplicates, not owned), or -1
/// when they lie on several layers or the group holds none.
int commonLayerOf(const ON_SimpleArray<CRhinoObject*>& group);

/// The material that material pass `j` gathers: a copy of the host default material with index
/// -1 for j = -1, else a copy of row `j` (0 to MaterialCount() - 1) of the document's table.
ON_Material passMaterial(const CRhinoDoc& doc, int j);
