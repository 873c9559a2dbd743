// Host objects: render meshes and duplicates, visibility and locking through the layer tree, the
// object iterator, block definitions and layer materials.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rhinoSdk.h"

namespace {

ON_Xform Moved(double dx, double dy, double dz) {
  ON_Xform xform;
  xform.Translation(dx, dy, dz);
  return xform;
}

ON_Brep* UnitSquares(int faces) {
  auto* brep = new ON_Brep();
  for (int i = 0; i < faces; ++i)
    brep->NewFace(new ON_PlaneSurface({0, 0, double(i)}, {1, 0, 0}, {0, 1, 0}, {0, 1}, {0, 1}));
  return brep;
}

ON_Mesh* Triangle(double z) {
  auto* mesh = new ON_Mesh();
  mesh->AppendVertex({0, 0, z});
  mesh->AppendVertex({1, 0, z});
  mesh->AppendVertex({0, 1, z});
  mesh->SetTriangle(0, 0, 1, 2);
  return mesh;
}

std::vector<const ON_Mesh*> RenderMeshes(const CRhinoObject& object) {
  ON_SimpleArray<const ON_Mesh*> meshes;
  const int count = object.GetMeshes(ON::render_mesh, meshes);
  EXPECT_EQ(count, meshes.Count());
  return std::vector<const ON_Mesh*>(meshes.Array(), meshes.Array() + meshes.Count());
}

TEST(BrepObject, GetMeshesGivesStoredFaceMeshesUntilCreateMeshesMakesThemAll) {
  ON_Brep* brep = UnitSquares(3);
  brep->Face(1)->SetMesh(ON::render_mesh, Triangle(1));
  const CRhinoBrepObject object(brep);
  ASSERT_EQ(RenderMeshes(object).size(), 1u);
  EXPECT_EQ(RenderMeshes(object)[0]->Vertex(0).z, 1);
  ON_SimpleArray<const ON_Mesh*> none;
  EXPECT_EQ(object.GetMeshes(ON::analysis_mesh, none), 0);

  EXPECT_EQ(object.CreateMeshes(ON::render_mesh, ON_MeshParameters::QualityRenderMesh), 3);
  const std::vector<const ON_Mesh*> made = RenderMeshes(object);
  ASSERT_EQ(made.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_GE(made[i]->FaceCount(), ON_MeshParameters::QualityRenderMesh.m_grid_min_count);
    ON_BoundingBox box;
    made[i]->GetTightBoundingBox(box);
    EXPECT_EQ(box.m_min, ON_3dPoint(0, 0, i));  // face i's own plane, not the stored triangle
    EXPECT_EQ(box.m_max, ON_3dPoint(1, 1, i));
  }
}

TEST(ObjectsWithoutMeshes, NeitherHaveNorMakeRenderMeshes) {
  const ON_Xform identity(1);
  CRhinoInstanceDefinition definition;
  auto* curve = new ON_PolylineCurve();
  curve->m_pline.Append({0, 0, 0});
  curve->m_pline.Append({1, 0, 0});
  const CRhinoCurveObject line(curve);
  const CRhinoPointObject point(new ON_Point({1, 2, 3}));
  const CRhinoAnnotationObject note(new ON_Point({0, 0, 0}));
  const CRhinoLight light(new ON_Light());
  const CRhinoInstanceObject instance(&definition, identity);
  for (const CRhinoObject* object :
       std::vector<const CRhinoObject*>{&line, &point, &note, &light, &instance}) {
    EXPECT_TRUE(RenderMeshes(*object).empty());
    EXPECT_EQ(object->CreateMeshes(ON::render_mesh, ON_MeshParameters::QualityRenderMesh), 0);
    EXPECT_TRUE(RenderMeshes(*object).empty());
  }
  EXPECT_EQ(CRhinoLight::Cast(&light), &light);
  EXPECT_EQ(CRhinoLight::Cast(&point), nullptr);
  EXPECT_EQ(CRhinoInstanceObject::Cast(&instance), &instance);
  EXPECT_EQ(CRhinoInstanceObject::Cast(&light), nullptr);
  EXPECT_EQ(CRhinoInstanceObject::Cast(nullptr), nullptr);
}

TEST(Duplicate, CopiesEverythingSoThatMovingTheCopyLeavesTheOriginal) {
  ON_Brep* brep = UnitSquares(1);
  brep->Face(0)->SetMesh(ON::render_mesh, Triangle(0));
  CRhinoDoc doc;
  CRhinoObject& original = *doc.AddObject(new CRhinoBrepObject(brep));
  ON_3dmObjectAttributes attributes;
  attributes.m_name = L"Slab";
  original.SetAttributes(attributes);
  original.Select();

  CRhinoObject* copy = original.Duplicate();
  ASSERT_NE(dynamic_cast<CRhinoBrepObject*>(copy), nullptr);
  EXPECT_STREQ(copy->Attributes().m_name, L"Slab");
  EXPECT_NE(copy->IsSelected(false), 0);
  EXPECT_EQ(original.Document(), &doc);
  EXPECT_EQ(copy->Document(), nullptr);
  ASSERT_NE(copy->Geometry(), original.Geometry());
  const_cast<ON_Geometry*>(copy->Geometry())->Transform(Moved(0, 0, 7));
  EXPECT_EQ(RenderMeshes(*copy)[0]->Vertex(2), ON_3dPoint(0, 1, 7));
  EXPECT_EQ(RenderMeshes(original)[0]->Vertex(2), ON_3dPoint(0, 1, 0));
  delete copy;

  CRhinoMeshObject mesh(Triangle(0));
  CRhinoObject* mesh_copy = mesh.Duplicate();
  const_cast<ON_Geometry*>(mesh_copy->Geometry())->Transform(Moved(1, 0, 0));
  EXPECT_EQ(RenderMeshes(*mesh_copy)[0]->Vertex(0), ON_3dPoint(1, 0, 0));
  EXPECT_EQ(RenderMeshes(mesh)[0], mesh.Mesh());
  EXPECT_EQ(mesh.Mesh()->Vertex(0), ON_3dPoint(0, 0, 0));
  delete mesh_copy;
}

// A document with a layer tree:
//   0 Shown   1 Off (hidden)   2 Child of Off   3 Locked   4 Child of Locked
// and objects named after what makes them special.
class IteratedDocument : public ::testing::Test {
 protected:
  void SetUp() override {
    const int shown = AddLayer(L"Shown", -1, true, false);
    const int off = AddLayer(L"Off", -1, false, false);
    const int under_off = AddLayer(L"UnderOff", off, true, false);
    const int locked = AddLayer(L"Locked", -1, true, true);
    const int under_locked = AddLayer(L"UnderLocked", locked, true, false);
    Add(L"normal", shown, ON_3dmObjectAttributes::normal_object);
    Add(L"hidden", shown, ON_3dmObjectAttributes::hidden_object);
    Add(L"lockedMode", shown, ON_3dmObjectAttributes::locked_object);
    Add(L"offLayer", off, ON_3dmObjectAttributes::normal_object);
    Add(L"underOff", under_off, ON_3dmObjectAttributes::normal_object);
    Add(L"lockedLayer", locked, ON_3dmObjectAttributes::normal_object);
    Add(L"underLocked", under_locked, ON_3dmObjectAttributes::normal_object);
    Add(L"hiddenOnLocked", locked, ON_3dmObjectAttributes::hidden_object);
    Add(L"reference", shown, ON_3dmObjectAttributes::normal_object, true);
    Add(L"light", shown, ON_3dmObjectAttributes::normal_object, false, true);
    Add(L"offLight", off, ON_3dmObjectAttributes::normal_object, false, true);
  }

  int AddLayer(const wchar_t* name, int parent, bool visible, bool locked) {
    ON_Layer layer;
    layer.SetLayerName(name);
    layer.SetVisible(visible);
    layer.SetLocked(locked);
    if (parent >= 0) layer.m_parent_layer_id = doc.m_layer_table[parent].m_layer_id;
    return doc.m_layer_table.AddLayer(layer);
  }

  void Add(const wchar_t* name, int layer, ON_3dmObjectAttributes::object_mode mode,
           bool reference = false, bool light = false) {
    CRhinoObject* object = light
                               ? static_cast<CRhinoObject*>(new CRhinoLight(new ON_Light()))
                               : static_cast<CRhinoObject*>(new CRhinoPointObject(new ON_Point()));
    ON_3dmObjectAttributes attributes;
    attributes.m_name = name;
    attributes.m_layer_index = layer;
    attributes.SetMode(mode);
    object->SetAttributes(attributes);
    doc.AddObject(object, reference);
  }

  std::string Walk(unsigned int state, unsigned int category, bool lights) {
    CRhinoObjectIterator it(doc, CRhinoObjectIterator::object_state(state),
                            CRhinoObjectIterator::object_category(category));
    it.IncludeLights(lights);
    it.IncludeGrips(false);
    std::string names;
    for (CRhinoObject* object = it.First(); object; object = it.Next())
      names += (names.empty() ? "" : " ") + std::string(ON_String(object->Attributes().m_name));
    return names;
  }

  CRhinoDoc doc;
};

TEST_F(IteratedDocument, VisibilityAndLockingFollowTheModeAndEveryParentLayer) {
  auto visible = [this](int i) { return doc.m_object_table.Object(i)->IsVisible(); };
  auto locked = [this](int i) { return doc.m_object_table.Object(i)->IsLocked(); };
  EXPECT_TRUE(visible(0) && !locked(0));
  EXPECT_FALSE(visible(1));
  EXPECT_TRUE(visible(2) && locked(2));
  EXPECT_FALSE(visible(3));
  EXPECT_FALSE(visible(4));  // its own layer is on, its parent is off
  EXPECT_TRUE(visible(5) && locked(5));
  EXPECT_TRUE(visible(6) && locked(6));  // locked through its parent
  EXPECT_TRUE(!visible(7) && locked(7));
}

TEST_F(IteratedDocument, StateBitsSelectNormalLockedAndHiddenObjects) {
  EXPECT_EQ(Walk(CRhinoObjectIterator::normal_objects, 1, false), "normal");
  EXPECT_EQ(Walk(CRhinoObjectIterator::locked_objects, 1, false),
            "lockedMode lockedLayer underLocked hiddenOnLocked");
  EXPECT_EQ(Walk(CRhinoObjectIterator::hidden_objects, 1, false),
            "hidden offLayer underOff hiddenOnLocked");
  EXPECT_EQ(Walk(CRhinoObjectIterator::undeleted_objects, 1, false),
            "normal hidden lockedMode offLayer underOff lockedLayer underLocked hiddenOnLocked");
}

TEST_F(IteratedDocument, CategoryPicksActiveOrReferenceObjectsAndLightsAreOptional) {
  EXPECT_EQ(Walk(7, CRhinoObjectIterator::reference_objects, true), "reference");
  EXPECT_EQ(Walk(1, CRhinoObjectIterator::active_and_reference_objects, false), "normal reference");
  EXPECT_EQ(Walk(1, 3, true), "normal reference light");
  EXPECT_EQ(Walk(4, 3, true), "hidden offLayer underOff hiddenOnLocked offLight");

  // Restarting gives the same walk; objects added later are met too.
  CRhinoObjectIterator it(doc, CRhinoObjectIterator::normal_objects);
  it.IncludeLights(false);
  ASSERT_NE(it.First(), nullptr);
  EXPECT_EQ(it.Next(), nullptr);
  EXPECT_STREQ(it.First()->Attributes().m_name, L"normal");
  Add(L"late", 0, ON_3dmObjectAttributes::normal_object);
  EXPECT_STREQ(it.Next()->Attributes().m_name, L"late");
}

// An object that counts its own destruction.
class Counted : public CRhinoPointObject {
 public:
  explicit Counted(int& destroyed) : CRhinoPointObject(new ON_Point()), m_destroyed(destroyed) {}
  ~Counted() override { ++m_destroyed; }
  CRhinoObject* Duplicate() const override { return new Counted(m_destroyed); }

 private:
  int& m_destroyed;
};

TEST(BlockDefinitions, OwnTheirObjectsAndGiveThemTheDocumentButNotItsObjectTable) {
  int destroyed = 0;
  {
    CRhinoDoc doc;
    auto* chair = new CRhinoInstanceDefinition();
    chair->SetName(L"Chair");
    auto* first = new Counted(destroyed);
    chair->AddObject(first);
    EXPECT_EQ(first->Document(), nullptr);
    doc.m_instance_definition_table.AddInstanceDefinition(chair);
    EXPECT_EQ(first->Document(), &doc);
    auto* second = new Counted(destroyed);
    chair->AddObject(second);  // after the definition joined the document
    EXPECT_EQ(second->Document(), &doc);

    auto* unnamed = new CRhinoInstanceDefinition();
    doc.m_instance_definition_table.AddInstanceDefinition(unnamed);
    EXPECT_EQ(unnamed->Name(), nullptr);
    EXPECT_EQ(doc.m_instance_definition_table.InstanceDefinitionCount(), 2);
    EXPECT_EQ(doc.m_instance_definition_table.FindInstanceDefinition(L"Chair"), chair);
    EXPECT_EQ(doc.m_instance_definition_table.FindInstanceDefinition(L"chair"), nullptr);
    EXPECT_EQ(doc.m_instance_definition_table.FindInstanceDefinition(nullptr), nullptr);

    ON_SimpleArray<const CRhinoObject*> objects;
    objects.Append(nullptr);  // GetObjects appends
    EXPECT_EQ(chair->GetObjects(objects), 2);
    ASSERT_EQ(objects.Count(), 3);
    EXPECT_EQ(objects[1], first);
    EXPECT_EQ(objects[2], second);

    doc.AddObject(new CRhinoInstanceObject(chair, Moved(1, 0, 0)));
    EXPECT_EQ(doc.m_object_table.ObjectCount(), 1);
    EXPECT_EQ(destroyed, 0);
  }
  EXPECT_EQ(destroyed, 2);
}

CRhinoObject* OnLayer(int layer) {
  auto* object = new CRhinoPointObject(new ON_Point(ON_3dPoint(0, 0, 0)));
  CRhinoObjectAttributes attributes;
  attributes.m_layer_index = layer;
  object->SetAttributes(attributes);
  return object;
}

TEST(DefaultLayer, ObjectsNamingNoLayerOfTheDocumentGoToItsFirstMadeWhenMissing) {
  CRhinoDoc empty;
  const CRhinoObject* lone = empty.AddObject(OnLayer(0));
  ASSERT_EQ(empty.m_layer_table.LayerCount(), 1);  // a document always has a layer
  EXPECT_STREQ(empty.m_layer_table[0].LayerName(), L"Default");
  EXPECT_EQ(lone->Attributes().m_layer_index, 0);
  EXPECT_TRUE(lone->IsVisible());

  CRhinoDoc doc;
  ON_Layer walls, hidden;
  walls.SetLayerName(L"Walls");
  hidden.SetLayerName(L"Hidden");
  hidden.SetVisible(false);
  doc.m_layer_table.AddLayer(walls);
  doc.m_layer_table.AddLayer(hidden);
  EXPECT_EQ(doc.AddObject(OnLayer(1))->Attributes().m_layer_index, 1);  // a real layer stays
  EXPECT_EQ(doc.AddObject(OnLayer(7))->Attributes().m_layer_index, 0);
  EXPECT_EQ(doc.AddObject(OnLayer(-1))->Attributes().m_layer_index, 0);
  EXPECT_EQ(doc.m_layer_table.LayerCount(), 2);  // no layer made beside existing ones

  // Block objects too, whether added before or after their definition joined the document.
  auto* block = new CRhinoInstanceDefinition();
  CRhinoObject* before = OnLayer(5);
  block->AddObject(before);
  EXPECT_EQ(before->Attributes().m_layer_index, 5);  // no document yet: nothing to go by
  doc.m_instance_definition_table.AddInstanceDefinition(block);
  EXPECT_EQ(before->Attributes().m_layer_index, 0);
  CRhinoObject* after = OnLayer(9);
  block->AddObject(after);
  EXPECT_EQ(after->Attributes().m_layer_index, 0);
}

TEST(LayerMaterial, ReachesTheDocumentsMaterialOrTheDefault) {
  CRhinoDoc doc;
  ON_Material brick;
  brick.SetMaterialName(L"Brick");
  doc.m_material_table.AddMaterial(ON_Material());
  doc.m_material_table.AddMaterial(brick);
  ON_Layer walls, bare, broken;
  walls.SetRenderMaterialIndex(1);
  broken.SetRenderMaterialIndex(2);
  doc.m_layer_table.AddLayer(walls);
  doc.m_layer_table.AddLayer(bare);
  doc.m_layer_table.AddLayer(broken);

  EXPECT_EQ(&doc.m_layer_table[0].LayerMaterial(), &doc.m_material_table[1]);
  EXPECT_STREQ(doc.m_layer_table[0].LayerMaterial().MaterialName(), L"Brick");
  EXPECT_EQ(doc.m_layer_table[1].LayerMaterial().MaterialIndex(), -1);
  EXPECT_EQ(doc.m_layer_table[2].LayerMaterial().MaterialIndex(), -1);
  const CRhinoLayer copy = doc.m_layer_table[0];
  EXPECT_EQ(copy.LayerMaterial().MaterialIndex(), 1);
  EXPECT_EQ(CRhinoLayer(walls).LayerMaterial().MaterialIndex(), -1);  // in no document
}

}  // namespace
