// The host's own render meshes of the shared models' breps (those the models do not save meshes
// for are made the same way): every triangle's interior within half a percent of its brep's
// diagonal of the exact surface, and no edge of a welded brep used by more than two triangles.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <string>

#include "ModelFile.h"
#include "SurfaceDeviation.h"
#include "rhinoSdk.h"

namespace {

namespace fs = std::filesystem;

const fs::path kShared = SHARED_3DM_DIR;
constexpr double kTolerance = 0.005;  // of the brep's diagonal

/// Edges of the brep's face meshes, welded by exact position, used by more than two triangles.
int OverusedEdges(const ON_SimpleArray<const ON_Mesh*>& meshes) {
  int overused = 0;
  for (const auto& [edge, count] :
       surface_deviation::WeldedEdgeUses(meshes.Array(), meshes.Count()))
    overused += count > 2;
  return overused;
}

struct Model {
  const char* name;
  // Edges of the welded breps used by more than two triangles. The teapot's spout has two faces
  // that both run along a sliver where one face's edges double back along the other's (two edges
  // between the same corners, and a third one of 4e-5 beside them): each face meshes the sliver,
  // so the chord across it gets four triangles.
  int overused;
};

void PrintTo(const Model& model, std::ostream* out) {
  *out << model.name;
}

class ModelMeshDeviation : public ::testing::TestWithParam<Model> {
 protected:
  void SetUp() override {
    if (!fs::is_directory(kShared)) GTEST_SKIP() << "no shared .3dm models at " << kShared;
  }
};

TEST_P(ModelMeshDeviation, EveryTriangleOfEveryBrepStaysWithinTheTolerance) {
  CRhinoDoc doc;
  const TemporaryFolder folder =
      LoadModelFile((kShared / (std::string(GetParam().name) + ".3dm")).string(), doc);
  int breps = 0, overused = 0;
  double worst = 0.0;
  for (int i = 0; i < doc.m_object_table.ObjectCount(); ++i) {
    const auto* object = dynamic_cast<const CRhinoBrepObject*>(doc.m_object_table.Object(i));
    if (!object) continue;
    ++breps;
    const ON_Brep& brep = *object->Brep();
    ASSERT_EQ(object->CreateMeshes(ON::render_mesh, ON_MeshParameters::QualityRenderMesh),
              brep.FaceCount());
    ON_SimpleArray<const ON_Mesh*> meshes;
    ASSERT_EQ(object->GetMeshes(ON::render_mesh, meshes), brep.FaceCount());
    ON_BoundingBox box;
    brep.GetTightBoundingBox(box);
    const double diagonal = box.m_min.DistanceTo(box.m_max);
    for (int f = 0; f < brep.FaceCount(); ++f) {
      const double farthest =
          surface_deviation::FarthestInteriorSample(*brep.Face(f)->SurfaceOf(), *meshes[f]) /
          diagonal;
      worst = std::max(worst, farthest);
      EXPECT_LE(farthest, kTolerance) << "brep " << i << " face " << f;
    }
    overused += OverusedEdges(meshes);
  }
  EXPECT_GT(breps, 0);
  EXPECT_EQ(overused, GetParam().overused);
  std::printf("%s: farthest triangle sample %.4f%% of the diagonal\n", GetParam().name,
              100 * worst);
}

INSTANTIATE_TEST_SUITE_P(SharedModels, ModelMeshDeviation,
                         ::testing::Values(Model{"v5_teapot", 1}, Model{"v5_my_brep", 0},
                                           Model{"v2_my_trimmed_surface", 0},
                                           Model{"v5_my_trimmed_surface", 0},
                                           Model{"v1_five_solids", 0}, Model{"v2_Camera", 0}),
                         [](const auto& model) { return std::string(model.param.name); });

}  // namespace
