// Documents built in code for the geometry export tests, and scenes read back from the files an
// export writes. Owns the temporary folder of each scene and the process-wide export options.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "SceneNames.h"
#include "export/SceneExporter.h"
#include "orv/SceneModel.h"
#include "plugin/stdafx.h"

namespace geometry_test {

/// A mesh with double-precision vertices (kept exactly) and the given faces; a face of three
/// indices is a triangle.
ON_Mesh* makeMesh(const std::vector<ON_3dPoint>& points,
                  const std::vector<std::vector<int>>& faces);
/// One quad a, b, c, d.
ON_Mesh* makeQuad(ON_3dPoint a, ON_3dPoint b, ON_3dPoint c, ON_3dPoint d);
/// The six faces of the box [0,1]^3 as separate four-vertex quads, corners shared exactly.
std::vector<ON_Mesh*> unitBoxFaces();

/// A mesh object on `layer` named `name` whose material comes from the object (`material`, -1
/// for none). Owned by the caller until added to a document or block.
CRhinoObject* meshObject(ON_Mesh* mesh, const wchar_t* name = L"", int layer = 0,
                         int material = -1);
/// A curve object on `layer` (no render meshes).
CRhinoObject* curveObject(int layer = 0, int material = -1);

/// Appends a layer (child of `parent` when it is 0 or more); returns its index.
int addLayer(CRhinoDoc& doc, const wchar_t* name, int parent = -1);
/// Appends a material named `name`; returns its index.
int addMaterial(CRhinoDoc& doc, const wchar_t* name);
/// Adds a block definition named `name` (null: unnamed) holding `objects`; returns it.
CRhinoInstanceDefinition* addBlock(CRhinoDoc& doc, const wchar_t* name,
                                   const std::vector<CRhinoObject*>& objects);
/// A block instance placing `block` by `xform`, on `layer`.
CRhinoInstanceObject* blockInstance(const CRhinoInstanceDefinition* block, const ON_Xform& xform,
                                    int layer = 0);
ON_Xform translation(double dx, double dy, double dz);
ON_Xform rotationAboutZ(double degrees);

/// Sets the document's units (centimetres make the unit transform the identity).
void setUnits(CRhinoDoc& doc, ON::unit_system units);

/// Keeps the process-wide export options as a test found them and restores them afterwards.
class GeometryExportTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  /// Exports `doc` with `mode` to "<folder>/house.orv" through SceneExporter::run (GroupingMode
  /// set to match) and reads the file back.
  QzOrv::scene::Scene exportScene(CRhinoDoc& doc, int mode, bool selectedOnly = false);
  /// Saves what `writer` holds so far and reads it back.
  QzOrv::scene::Scene savedScene(SceneWriter& writer);

  std::filesystem::path folder;

 private:
  int m_grouping = 0;
  int m_singleLayer = 0;
  CString m_baseName;
};

/// The definition or instance with this name; fails the test when there is none.
const QzOrv::scene::ObjectDefinition& definitionNamed(const QzOrv::scene::Scene& scene,
                                                      const std::string& name);
const QzOrv::scene::ObjectInstance& instanceNamed(const QzOrv::scene::Scene& scene,
                                                  const std::string& name);
/// Names of the definitions (or instances) in scene order.
/// The polygons' vertex index lists in order.
std::vector<std::vector<int>> polygonIndices(const QzOrv::scene::ObjectDefinition& definition);

}  // namespace geometry_test
