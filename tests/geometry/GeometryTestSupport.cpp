// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "GeometryTestSupport.h"

#include <stdlib.h>

#include <cmath>

#include "orv/SceneFileReader.h"
#include "output/OutputFile.h"
#include "plugin/ExportOptions.h"

namespace geometry_test {

namespace fs = std::filesystem;
using QzOrv::scene::ObjectDefinition;
using QzOrv::scene::ObjectInstance;
using QzOrv::scene::Scene;

ON_Mesh* makeMesh(const std::vector<ON_3dPoint>& points,
                  const std::vector<std::vector<int>>& faces) {
  auto* mesh = new ON_Mesh;
  for (const ON_3dPoint& p : points) {
    mesh->m_dV.Append(p);
    mesh->m_V.Append(
        ON_3fPoint(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)));
  }
  for (const std::vector<int>& f : faces) {
    ON_MeshFace face{{f[0], f[1], f[2], f.size() == 4 ? f[3] : f[2]}};
    mesh->m_F.Append(face);
  }
  return mesh;
}

ON_Mesh* makeQuad(ON_3dPoint a, ON_3dPoint b, ON_3dPoint c, ON_3dPoint d) {
  return makeMesh({a, b, c, d}, {{0, 1, 2, 3}});
}

std::vector<ON_Mesh*> unitBoxFaces() {
  auto corner = [](int i) { return ON_3dPoint(i & 1, (i >> 1) & 1, (i >> 2) & 1); };
  const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                           {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  std::vector<ON_Mesh*> meshes;
  for (const auto& f : faces)
    meshes.push_back(makeQuad(corner(f[0]), corner(f[1]), corner(f[2]), corner(f[3])));
  return meshes;
}

namespace {

void setAttributes(CRhinoObject& object, const wchar_t* name, int layer, int material) {
  CRhinoObjectAttributes attributes;
  attributes.m_name = name;
  attributes.m_layer_index = layer;
  attributes.SetMaterialSource(ON_3dmObjectAttributes::material_from_object);
  attributes.m_material_index = material;
  object.SetAttributes(attributes);
}

std::string temporaryFolder() {
  std::string pattern = (fs::temp_directory_path() / "orv-geometry-XXXXXX").string();
  return mkdtemp(pattern.data());
}

}  // namespace

CRhinoObject* meshObject(ON_Mesh* mesh, const wchar_t* name, int layer, int material) {
  auto* object = new CRhinoMeshObject(mesh);
  setAttributes(*object, name, layer, material);
  return object;
}

CRhinoObject* curveObject(int layer, int material) {
  auto* curve = new ON_PolylineCurve;
  curve->m_pline.Append(ON_3dPoint(0, 0, 0));
  curve->m_pline.Append(ON_3dPoint(1, 0, 0));
  auto* object = new CRhinoCurveObject(curve);
  setAttributes(*object, L"", layer, material);
  return object;
}

int addLayer(CRhinoDoc& doc, const wchar_t* name, int parent) {
  ON_Layer layer;
  layer.SetLayerName(name);
  if (parent >= 0) layer.m_parent_layer_id = doc.m_layer_table[parent].m_layer_id;
  return doc.m_layer_table.AddLayer(layer);
}

int addMaterial(CRhinoDoc& doc, const wchar_t* name) {
  ON_Material material;
  material.SetMaterialName(name);
  return doc.m_material_table.AddMaterial(material);
}

CRhinoInstanceDefinition* addBlock(CRhinoDoc& doc, const wchar_t* name,
                                   const std::vector<CRhinoObject*>& objects) {
  auto* block = new CRhinoInstanceDefinition;
  if (name != nullptr) block->SetName(name);
  for (CRhinoObject* object : objects) block->AddObject(object);
  doc.m_instance_definition_table.AddInstanceDefinition(block);
  return block;
}

CRhinoInstanceObject* blockInstance(const CRhinoInstanceDefinition* block, const ON_Xform& xform,
                                    int layer) {
  auto* instance = new CRhinoInstanceObject(block, xform);
  setAttributes(*instance, L"", layer, -1);
  return instance;
}

ON_Xform translation(double dx, double dy, double dz) {
  ON_Xform xform;
  xform.Translation(dx, dy, dz);
  return xform;
}

ON_Xform rotationAboutZ(double degrees) {
  ON_Xform xform;
  xform.Rotation(degrees * M_PI / 180.0, ON_3dVector(0, 0, 1), ON_3dPoint::Origin);
  return xform;
}

void setUnits(CRhinoDoc& doc, ON::unit_system units) {
  ON_UnitSystem system;
  system.m_unit_system = units;
  doc.Properties().SetModelUnits(system);
}

void GeometryExportTest::SetUp() {
  m_grouping = GroupingMode;
  m_singleLayer = singleLayerOutput;
  m_baseName = exportBaseName;
  singleLayerOutput = 0;
  folder = temporaryFolder();
}

void GeometryExportTest::TearDown() {
  GroupingMode = m_grouping;
  singleLayerOutput = m_singleLayer;
  exportBaseName = m_baseName;
  fs::remove_all(folder);
}

Scene GeometryExportTest::exportScene(CRhinoDoc& doc, int mode, bool selectedOnly) {
  GroupingMode = mode;
  const fs::path target = folder / "house.orv";
  SceneExporter exporter(doc);
  exporter.selectedOnly = selectedOnly;
  EXPECT_TRUE(exporter.run(target.wstring().c_str(), mode));
  return QzOrv::scene::readSceneFile(target);
}

Scene GeometryExportTest::savedScene(SceneWriter& writer) {
  const fs::path target = folder / "direct.orv";
  saveScene(writer.manager, target.string().c_str());
  return QzOrv::scene::readSceneFile(target);
}

const ObjectDefinition& definitionNamed(const Scene& scene, const std::string& name) {
  for (const ObjectDefinition& definition : scene.objectDefinitions)
    if (definition.name == name) return definition;
  ADD_FAILURE() << "no definition named " << name;
  static const ObjectDefinition none;
  return none;
}

const ObjectInstance& instanceNamed(const Scene& scene, const std::string& name) {
  for (const ObjectInstance& instance : scene.objectInstances)
    if (instance.name == name) return instance;
  ADD_FAILURE() << "no instance named " << name;
  static const ObjectInstance none;
  return none;
}

std::vector<std::vector<int>> polygonIndices(const ObjectDefinition& definition) {
  std::vector<std::vector<int>> polygons;
  for (const QzOrv::scene::PolygonRef polygon : definition.polygons)
    polygons.emplace_back(polygon.vertexIndices.begin(), polygon.vertexIndices.end());
  return polygons;
}

}  // namespace geometry_test
