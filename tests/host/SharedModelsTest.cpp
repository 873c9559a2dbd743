// The real .3dm models of the shared test data (the reader's public examples, versions 1 to 7),
// used in place: every one exports in all four grouping modes, and each scene holds what its model
// does: polygons for every brep face, closed breps without open edges but their real boundary,
// holes kept, lights, views and cameras, materials and textures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ModelFile.h"
#include "ModelTestSupport.h"
#include "SceneNames.h"
#include "TempFolder.h"
#include "rhinoSdk.h"

namespace {

namespace fs = std::filesystem;
using QzOrv::scene::ObjectDefinition;
using QzOrv::scene::Scene;

const fs::path kShared = SHARED_3DM_DIR;

const char* const kModels[] = {
    "v1_Stearman",
    "v1_five_solids",
    "v2_Camera",
    "v2_my_trimmed_surface",
    "v3_Soccer",
    "v4_example_file",
    "v5_example_file",
    "v5_extrusions",
    "v5_my_brep",
    "v5_my_mesh",
    "v5_my_mesh_with_material",
    "v5_my_spot_light",
    "v5_my_surfaces",
    "v5_my_trimmed_surface",
    "v5_my_viewports",
    "v5_rhino_logo",
    "v5_teapot",
    "v6_rhino_subd_logo",
    "v7_my_mesh_with_material",
    "v7_my_viewports",
};

std::string ModelPath(const std::string& name) {
  return (kShared / (name + ".3dm")).string();
}

/// Vertices minus edges plus polygons of a definition: 2 for a closed surface without holes
/// through it, 0 with one hole through it (each hole through takes 2 away).
int EulerCharacteristic(const ObjectDefinition& definition) {
  std::set<std::pair<int, int>> edges;
  std::set<int> used;
  for (const auto& polygon : definition.polygons) {
    const auto& v = polygon.vertexIndices;
    for (std::size_t k = 0; k < v.size(); ++k) {
      used.insert(v[k]);
      const int a = v[k], b = v[(k + 1) % v.size()];
      if (a != b) edges.insert({std::min(a, b), std::max(a, b)});
    }
  }
  return int(used.size()) - int(edges.size()) + int(definition.polygons.size());
}

class SharedModels : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::is_directory(kShared)) GTEST_SKIP() << "no shared .3dm models at " << kShared;
  }
  Scene Export(const std::string& name, const std::string& grouping) {
    return ExportModel(ModelPath(name), grouping, temp.path);
  }
  TempFolder temp{"shared-models"};
};

class EveryModel : public SharedModels, public ::testing::WithParamInterface<const char*> {};

TEST_P(EveryModel, ExportsInEveryGroupingMode) {
  std::size_t definitions = 0;
  for (const char* grouping : {"single", "material", "layer", "object"}) {
    const Scene scene = Export(GetParam(), grouping);
    for (const auto& definition : scene.objectDefinitions) {
      EXPECT_FALSE(definition.polygons.empty()) << grouping;
      for (const auto& p : definition.vertices)
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << grouping;
    }
    if (std::string(grouping) == "object") definitions = scene.objectDefinitions.size();
  }
  // Only the version 5 viewport example holds no geometry.
  EXPECT_EQ(definitions == 0, std::string(GetParam()) == "v5_my_viewports");
}

INSTANTIATE_TEST_SUITE_P(Models, EveryModel, ::testing::ValuesIn(kModels),
                         [](const auto& model) { return std::string(model.param); });

/// The converted document of a model, loaded as orvexport loads it.
struct LoadedModel {
  explicit LoadedModel(const std::string& name) : folder(LoadModelFile(ModelPath(name), doc)) {}
  CRhinoDoc doc;
  TemporaryFolder folder;
};

TEST_F(SharedModels, EveryBrepFaceOfTheTrimmedModelsYieldsPolygons) {
  for (const char* name : {"v5_teapot", "v2_Camera", "v5_extrusions", "v5_example_file",
                           "v2_my_trimmed_surface", "v5_my_trimmed_surface", "v5_my_brep"}) {
    SCOPED_TRACE(name);
    LoadedModel model(name);
    int breps = 0;
    for (int i = 0; i < model.doc.m_object_table.ObjectCount(); ++i) {
      const CRhinoObject* object = model.doc.m_object_table.Object(i);
      const auto* brep = dynamic_cast<const CRhinoBrepObject*>(object);
      if (!brep) continue;
      ++breps;
      const int faces = brep->Brep()->m_F.Count();
      EXPECT_EQ(object->CreateMeshes(ON::render_mesh, ON_MeshParameters::QualityRenderMesh), faces);
      ON_SimpleArray<const ON_Mesh*> meshes;
      ASSERT_EQ(object->GetMeshes(ON::render_mesh, meshes), faces);
      for (int f = 0; f < faces; ++f) EXPECT_GT(meshes[f]->FaceCount(), 0) << "face " << f;
    }
    EXPECT_GT(breps, 0);
  }
}

/// Samples along the edges of the brep that only one trim uses: its real boundary.
std::vector<ON_3dPoint> BoundarySamples(const ON_Brep& brep) {
  std::vector<ON_3dPoint> samples;
  for (int e = 0; e < brep.m_E.Count(); ++e) {
    if (brep.m_E[e].TrimCount() != 1) continue;
    const ON_Curve& curve = *brep.m_E[e].EdgeCurveOf();
    const ON_Interval domain = curve.Domain();
    for (int k = 0; k <= 2048; ++k)
      samples.push_back(curve.PointAt(domain.ParameterAt(k / 2048.0)));
  }
  return samples;
}

// The teapot's faces run along seams, poles, nearly closed surfaces and edges far shorter than
// its tolerance: the welded meshes open only where an edge bounds one face.
TEST_F(SharedModels, TheTeapotsMeshesOpenOnlyAlongTheirRealBoundary) {
  LoadedModel model("v5_teapot");
  const Scene scene = Export("v5_teapot", "object");
  ASSERT_EQ(scene.objectDefinitions.size(), 3u);
  const double toCentimetres = 0.1;  // the teapot is in millimetres
  for (int i = 0; i < 3; ++i) {
    const auto* brep = dynamic_cast<const CRhinoBrepObject*>(model.doc.m_object_table.Object(i));
    ASSERT_NE(brep, nullptr);
    const std::vector<ON_3dPoint> boundary = BoundarySamples(*brep->Brep());
    ON_BoundingBox box;
    brep->Brep()->GetTightBoundingBox(box);
    const double tolerance = 1e-3 * box.m_min.DistanceTo(box.m_max);
    const ObjectDefinition& definition = scene.objectDefinitions[i];
    int away = 0;
    for (const auto& [a, b] : OpenEdges(definition))
      for (int index : {a, b}) {
        const auto& p = definition.vertices[index];
        const ON_3dPoint q(p.x / toCentimetres, p.y / toCentimetres, p.z / toCentimetres);
        double nearest = 1e300;
        for (const ON_3dPoint& s : boundary) nearest = std::min(nearest, q.DistanceTo(s));
        away += nearest > tolerance;
      }
    EXPECT_EQ(away, 0) << "open-edge ends off the boundary of brep " << i << " of "
                       << 2 * OpenEdges(definition).size();
  }
}

TEST_F(SharedModels, ClosedBrepsCloseAndTheirHolesGoThrough) {
  // Extrusions without render meshes: the solid ones with two inner loops (a hole through both
  // caps) have one hole through them.
  const Scene extrusions = Export("v5_extrusions", "object");
  ASSERT_EQ(extrusions.objectDefinitions.size(), 7u);
  std::vector<int> characteristics;
  for (const auto& definition : extrusions.objectDefinitions) {
    if (!OpenEdges(definition).empty()) continue;
    characteristics.push_back(EulerCharacteristic(definition));
  }
  EXPECT_EQ(std::multiset<int>(characteristics.begin(), characteristics.end()),
            (std::multiset<int>{0, 0, 2, 2, 0}));
  // Breps with saved render meshes and a brep without: closed.
  for (const char* name : {"v5_rhino_logo", "v5_my_brep"}) {
    const Scene scene = Export(name, "object");
    for (const auto& definition : scene.objectDefinitions)
      EXPECT_TRUE(OpenEdges(definition).empty()) << name << " " << *definition.name;
  }
}

// Version 1 files come through as the later versions do: the biplane's brep beside its curves,
// text dots and layers; the five solids closed (the torus with a hole through it).
TEST_F(SharedModels, VersionOneModelsHoldWhatTheirFilesDo) {
  LoadedModel stearman("v1_Stearman");
  int breps = 0, curves = 0, annotations = 0;
  for (int i = 0; i < stearman.doc.m_object_table.ObjectCount(); ++i) {
    const CRhinoObject* object = stearman.doc.m_object_table.Object(i);
    breps += dynamic_cast<const CRhinoBrepObject*>(object) != nullptr;
    curves += dynamic_cast<const CRhinoCurveObject*>(object) != nullptr;
    annotations += dynamic_cast<const CRhinoAnnotationObject*>(object) != nullptr;
  }
  EXPECT_EQ(std::vector<int>({breps, curves, annotations}), std::vector<int>({1, 117, 8}));
  EXPECT_EQ(stearman.doc.m_layer_table.LayerCount(), 4);
  EXPECT_EQ(Export("v1_Stearman", "object").objectDefinitions.size(), 1u);

  const Scene solids = Export("v1_five_solids", "object");
  ASSERT_EQ(solids.objectDefinitions.size(), 5u);
  std::multiset<int> characteristics;
  for (const auto& definition : solids.objectDefinitions) {
    EXPECT_TRUE(OpenEdges(definition).empty());
    characteristics.insert(EulerCharacteristic(definition));
  }
  EXPECT_EQ(characteristics, (std::multiset<int>{2, 2, 2, 2, 0}));
}

TEST_F(SharedModels, TheSpotLightIsASpotLight) {
  const Scene scene = Export("v5_my_spot_light", "single");
  ASSERT_EQ(namesOf(scene.lights), (std::vector<std::string>{"Blue spot light"}));
  const auto& light = scene.lights[0];
  EXPECT_EQ(light.type, 1);
  EXPECT_EQ(light.color->b, 255);
  EXPECT_EQ(light.color->r, 0);
  EXPECT_NEAR(*light.spotAngle, 3.14159265358979323846 / 6, 1e-9);
}

TEST_F(SharedModels, ViewportsBecomeViewsAndTheirPerspectiveACamera) {
  for (const char* name : {"v5_my_viewports", "v7_my_viewports"}) {
    const Scene scene = Export(name, "object");
    EXPECT_EQ(scene.views.size(), 6u) << name;
    EXPECT_EQ(scene.cameras.size(), 1u) << name;
  }
  // Named views join the model views.
  const Scene teapot = Export("v5_teapot", "single");
  EXPECT_EQ(namesOf(teapot.cameras),
            (std::vector<std::string>{"Perspective", "render1", "render2"}));
}

TEST_F(SharedModels, MaterialsKeepTheirNamesColoursAndTexture) {
  const Scene mesh = Export("v5_my_mesh_with_material", "material");
  ASSERT_EQ(mesh.objectDefinitions.size(), 1u);
  const auto& material = mesh.objectDefinitions[0].materials[0];
  EXPECT_EQ(material.name, "my render material");
  // The image beside the model is copied into the texture folder.
  EXPECT_TRUE(
      fs::is_regular_file(temp.path / "v5_my_mesh_with_material-material" / "example_texture.bmp"));
  // Six materials, five of them the same white: one definition for red, one for white.
  const Scene logo = Export("v5_rhino_logo", "material");
  EXPECT_EQ(namesOf(logo.objectDefinitions).size(), 2u);
}

/// The angles, in degrees, between the normals of every two polygons sharing an edge.
std::vector<double> Folds(const ObjectDefinition& definition) {
  std::vector<ON_3dVector> normals;
  std::map<std::pair<int, int>, std::vector<std::size_t>> edges;
  for (const auto& polygon : definition.polygons) {
    const auto& v = polygon.vertexIndices;
    ON_3dVector n(0, 0, 0);
    for (std::size_t k = 0; k < v.size(); ++k) {
      const auto& a = definition.vertices[v[k]];
      const auto& b = definition.vertices[v[(k + 1) % v.size()]];
      n = n + ON_3dVector((a.y - b.y) * (a.z + b.z), (a.z - b.z) * (a.x + b.x),
                          (a.x - b.x) * (a.y + b.y));
      const int i = v[k], j = v[(k + 1) % v.size()];
      if (i != j) edges[{std::min(i, j), std::max(i, j)}].push_back(normals.size());
    }
    normals.push_back(n * (1 / n.Length()));
  }
  std::vector<double> folds;
  for (const auto& [edge, faces] : edges) {
    if (faces.size() != 2) continue;
    const ON_3dVector& a = normals[faces[0]];
    const ON_3dVector& b = normals[faces[1]];
    folds.push_back(std::acos(std::clamp(a.x * b.x + a.y * b.y + a.z * b.z, -1.0, 1.0)) * 180 /
                    3.14159265358979323846);
  }
  std::sort(folds.begin(), folds.end());
  return folds;
}

// The logo's SubD objects come out as their smooth limit surfaces: refined at least twice, far
// more polygons than their cages but within the bound, and nearly every two neighbouring
// polygons almost in line (the creases fold).
TEST_F(SharedModels, SubDObjectsComeOutAsTheirSmoothSurfaces) {
  LoadedModel logo("v6_rhino_subd_logo");
  EXPECT_EQ(logo.doc.m_object_table.ObjectCount(), 12);
  int subds = 0;
  for (int i = 0; i < logo.doc.m_object_table.ObjectCount(); ++i) {
    const auto* object = dynamic_cast<const CRhinoSubDObject*>(logo.doc.m_object_table.Object(i));
    if (!object) continue;
    ++subds;
    const ON_SubD& net = *object->SubD();
    EXPECT_GE(net.RenderMeshLevel(ON_MeshParameters::QualityRenderMesh), 2);
    ASSERT_EQ(object->CreateMeshes(ON::render_mesh, ON_MeshParameters::QualityRenderMesh), 1);
    ON_SimpleArray<const ON_Mesh*> meshes;
    ASSERT_EQ(object->GetMeshes(ON::render_mesh, meshes), 1);
    EXPECT_GE(meshes[0]->FaceCount(), 16 * int(net.m_faces.size()));
    EXPECT_LE(meshes[0]->FaceCount(), 1 << 20);
  }
  EXPECT_EQ(subds, 6);
  const Scene scene = Export("v6_rhino_subd_logo", "object");
  ASSERT_EQ(scene.objectDefinitions.size(), 6u);
  for (const auto& definition : scene.objectDefinitions) {
    const std::vector<double> folds = Folds(definition);
    ASSERT_FALSE(folds.empty());
    // The cages: median 2 to 29 degrees, 90th percentile 54 to 89 (their creases and corners).
    EXPECT_LT(folds[folds.size() / 2], 4.0);
    EXPECT_LT(folds[folds.size() * 9 / 10], 12.0);
  }
}

TEST_F(SharedModels, BlocksAndHiddenLayersComeThroughAsTheModelHasThem) {
  // Block instances of the version 4 example.
  const Scene blocks = Export("v4_example_file", "object");
  EXPECT_EQ(blocks.lights.size(), 2u);
  // The soccer ball: 1202 meshes, of which the two visible layers hold 32; its lights and the
  // camera's are on layers that are off.
  LoadedModel soccer("v3_Soccer");
  EXPECT_EQ(soccer.doc.m_material_table.MaterialCount(), 1202);
  EXPECT_EQ(soccer.doc.m_layer_table.LayerCount(), 21);
  EXPECT_EQ(Export("v3_Soccer", "object").objectDefinitions.size(), 32u);
  LoadedModel camera("v2_Camera");
  int lights = 0;
  for (int i = 0; i < camera.doc.m_object_table.ObjectCount(); ++i)
    lights += CRhinoLight::Cast(camera.doc.m_object_table.Object(i)) != nullptr;
  EXPECT_EQ(lights, 4);
  EXPECT_EQ(camera.doc.m_layer_table.LayerCount(), 36);
}

}  // namespace
