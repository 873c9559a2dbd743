// Meshes that cannot be exported: points that are no finite number in scene units are left out
// with a warning naming the definition, and running out of memory fails the whole export.
// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <cmath>
#include <fstream>
#include <limits>
#include <new>

#include "GeometryTestSupport.h"
#include "RhinoHostServices.h"
#include "TempFolder.h"
#include "geometry/BlockInstances.h"
#include "geometry/MeshExport.h"
#include "plugin/ExportOptions.h"

namespace geometry_test {
namespace {

using QzOrv::scene::Scene;

bool allFinite(const Scene& scene) {
  for (const auto& definition : scene.objectDefinitions)
    for (const QzOrv::OrvPoint& p : definition.vertices)
      if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
  return true;
}

/// A unit quad at height `z`, as a mesh object named `name`.
CRhinoObject* quadObject(const wchar_t* name, double z = 0) {
  return meshObject(makeQuad({0, 0, z}, {1, 0, z}, {1, 1, z}, {0, 1, z}), name);
}

class MeshFailures : public GeometryExportTest {
 protected:
  void SetUp() override {
    GeometryExportTest::SetUp();
    setUnits(doc, ON::meters);
    RhinoHost::SetCommandLineSink([this](const std::string& text) { commandLine += text; });
  }
  void TearDown() override {
    RhinoHost::SetCommandLineSink({});
    GeometryExportTest::TearDown();
  }

  CRhinoDoc doc;
  std::string commandLine;
};

TEST_F(MeshFailures, PointsBeyondTheRangeOfNumbersInSceneUnitsAreLeftOutWithAWarning) {
  // A float overflow: the host keeps 1e39 in single precision, where it is infinite.
  ON_Mesh* overflowing = makeQuad({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0});
  overflowing->m_dV.Empty();
  overflowing->m_V[2].z = static_cast<float>(std::numeric_limits<double>::max());
  std::unique_ptr<CRhinoObject> floatOverflow(meshObject(overflowing, L"Float"));
  // A transform that carries finite points out of range once scaled to centimetres.
  ON_Xform huge;
  huge.Scale(1e307, 1e307, 1e307);
  std::unique_ptr<CRhinoObject> wall(quadObject(L"Wall", 5));
  // Any other failing mesh is left out the same way.
  ON_Mesh* broken = makeQuad({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0});
  broken->m_F[0].vi[3] = 9;
  std::unique_ptr<CRhinoObject> brokenObject(meshObject(broken, L"Broken"));

  SceneExporter exporter(doc);
  SceneWriter& writer = exporter.writer;
  exportObjectMeshes(writer, floatOverflow.get());
  writer.transformStack.Append(huge);
  exportObjectMeshes(writer, wall.get());
  writer.transformStack.Remove();
  exportObjectMeshes(writer, wall.get());  // the same object, placed sanely
  exportObjectMeshes(writer, brokenObject.get());
  const Scene scene = savedScene(writer);

  EXPECT_EQ(commandLine,
            "Warning: a mesh of \"Float\" was left out: vertex 2 is not a finite number in scene "
            "units (centimetres)\n"
            "Warning: a mesh of \"Wall\" was left out: vertex 0 is not a finite number in scene "
            "units (centimetres)\n"
            "Warning: a mesh of \"Broken\" was left out: mesh face 0 refers to vertex 9 of 4\n");
  ASSERT_EQ(scene.objectDefinitions.size(), 4u);
  EXPECT_TRUE(scene.objectDefinitions[0].vertices.empty());
  EXPECT_TRUE(scene.objectDefinitions[1].vertices.empty());
  EXPECT_EQ(scene.objectDefinitions[2].vertices.size(), 4u);
  EXPECT_TRUE(allFinite(scene));
}

TEST_F(MeshFailures, HugeCustomUnitsLeaveEveryMeshOutButStillWriteTheScene) {
  ON_UnitSystem cubits;
  cubits.m_unit_system = ON::custom_unit_system;
  // Custom units in one metre: one unit is 1e307 m, 1e309 cm, beyond a double.
  cubits.m_custom_unit_scale = 1e-307;
  doc.Properties().SetModelUnits(cubits);
  doc.AddObject(quadObject(L"Floor"));
  doc.AddObject(quadObject(L"Roof", 3));

  for (int mode : {SingleObject, ByMaterial, ByObject}) {
    SCOPED_TRACE(mode);
    commandLine.clear();
    const Scene scene = exportScene(doc, mode);
    EXPECT_TRUE(allFinite(scene));
    EXPECT_NE(commandLine.find("was left out: vertex 0 is not a finite number"), std::string::npos)
        << commandLine;
  }
  EXPECT_NE(commandLine.find("a mesh of \"Roof\""), std::string::npos) << commandLine;
}

/// A mesh object whose meshing runs out of memory, as the host's can on a huge surface.
class StarvedObject : public CRhinoMeshObject {
 public:
  StarvedObject() : CRhinoMeshObject(makeQuad({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0})) {}
  CRhinoObject* Duplicate() const override { return new StarvedObject; }
  int GetMeshes(ON::mesh_type, ON_SimpleArray<const ON_Mesh*>&) const override { return 0; }
  int CreateMeshes(ON::mesh_type, const ON_MeshParameters&, bool) const override {
    throw std::bad_alloc();
  }
};

TEST_F(MeshFailures, RunningOutOfMemoryWhileMeshingFailsTheExportAndKeepsThePreviousFile) {
  addLayer(doc, L"Default");
  doc.AddObject(quadObject(L"Floor"));
  doc.AddObject(new StarvedObject);
  const std::filesystem::path target = folder / "house.orv";
  for (int mode : {SingleObject, ByMaterial, ByLayer, ByObject}) {
    SCOPED_TRACE(mode);
    std::ofstream(target) << "previous scene";
    GroupingMode = mode;
    SceneExporter exporter(doc);
    EXPECT_THROW(exporter.run(target.wstring().c_str(), mode), std::bad_alloc);
    EXPECT_EQ(contentsOf(target), "previous scene");
    EXPECT_FALSE(std::filesystem::exists(target.string() + ".bak"));
  }
}

}  // namespace
}  // namespace geometry_test
