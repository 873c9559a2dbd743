// The one material-source rule and the one walk through block instances that the grouped passes
// and the object-by-object export share: which index each source gives, inside and outside
// blocks, and the order, placements and nesting the walk reports.
// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <string>
#include <vector>

#include "GeometryTestSupport.h"
#include "geometry/DocumentWalk.h"
#include "materials/MaterialSource.h"

namespace geometry_test {
namespace {

TEST(MaterialIndexFromSource, EachSourceGivesItsIndexInsideAndOutsideBlocks) {
  struct Case {
    ON_3dmObjectAttributes::material_source source;
    bool inBlock;  // a parent instance with material 7
    int expected;
  };
  // Own material 2, layer 5 whose render material is 50 (the lookup's answer).
  const Case cases[] = {
      {ON_3dmObjectAttributes::material_from_object, false, 2},
      {ON_3dmObjectAttributes::material_from_object, true, 2},
      {ON_3dmObjectAttributes::material_from_layer, false, 50},
      {ON_3dmObjectAttributes::material_from_layer, true, 50},
      {ON_3dmObjectAttributes::material_from_parent, true, 7},
      {ON_3dmObjectAttributes::material_from_parent, false, 50},  // the layer is the parent
  };
  for (const Case& c : cases) {
    ON_3dmObjectAttributes attributes;
    attributes.SetMaterialSource(c.source);
    attributes.m_material_index = 2;
    attributes.m_layer_index = 5;
    const int parent = 7;
    std::vector<int> layersAsked;
    const int index =
        materialIndexFromSource(attributes, c.inBlock ? &parent : nullptr, [&](int layer) {
          layersAsked.push_back(layer);
          return layer * 10;
        });
    EXPECT_EQ(index, c.expected) << "source " << c.source << ", in block " << c.inBlock;
    // The layer is looked up only when it decides: a lookup may make a scene layer.
    EXPECT_EQ(layersAsked, c.expected == 50 ? std::vector<int>{5} : std::vector<int>{})
        << "source " << c.source << ", in block " << c.inBlock;
  }
}

// Records what the walk reports: "enter Room", "Leg at 11" (the x of the placed origin), "leave".
struct Recorder {
  std::vector<std::string> events;
  void enterBlock(const CRhinoInstanceObject&, const CRhinoInstanceDefinition& block,
                  const ON_Xform&) {
    events.push_back("enter " + std::string(ON_String(block.Name()).Array()));
  }
  void placed(const CRhinoObject& object, const ON_Xform& placement) {
    ON_3dPoint origin = ON_3dPoint::Origin;
    origin.Transform(placement);
    events.push_back(std::string(ON_String(object.Attributes().m_name).Array()) + " at " +
                     std::to_string(static_cast<int>(origin.x)));
  }
  void leaveBlock() { events.push_back("leave"); }
};

TEST(WalkBlockInstance, NestedBlocksAreWalkedInOrderWithPlacementsComposedOutermostLast) {
  CRhinoDoc doc;
  CRhinoInstanceDefinition* chair = addBlock(
      doc, L"Chair", {meshObject(makeQuad({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}), L"Leg")});
  CRhinoInstanceDefinition* empty = addBlock(doc, L"Empty", {});
  CRhinoInstanceDefinition* room = addBlock(
      doc, L"Room",
      {blockInstance(chair, translation(10, 0, 0)), blockInstance(nullptr, translation(5, 0, 0)),
       blockInstance(empty, translation(3, 0, 0)), curveObject()});
  CRhinoInstanceObject outer(room, translation(1, 0, 0));
  const ON_Xform enclosing = translation(100, 0, 0);

  Recorder recorder;
  EXPECT_TRUE(walkBlockInstance(outer, &enclosing, recorder));
  // The definition-less instance reports nothing; the curve is reported like any object.
  const std::vector<std::string> expected = {"enter Room",  "enter Chair", "Leg at 111", "leave",
                                             "enter Empty", "leave",       " at 101",    "leave"};
  EXPECT_EQ(recorder.events, expected);

  CRhinoInstanceObject withoutDefinition(nullptr, translation(1, 0, 0));
  Recorder untouched;
  EXPECT_FALSE(walkBlockInstance(withoutDefinition, nullptr, untouched));
  EXPECT_TRUE(untouched.events.empty());
}

}  // namespace
}  // namespace geometry_test
