#include <algorithm>
#include <cassert>
#include <iterator>
#include <set>

#include "DocumentReading.h"

namespace document {

namespace {

// ---- objects and block definitions

/// A block instance met inside a block definition: which block it places, and where it stands,
/// so that a cycle can be reported at the instance that closes it.
struct BlockUse {
  int block;
  Node at;
};

constexpr std::string_view kGeometryKeys[] = {"mesh",  "surface",    "brep",  "subd",    "curve",
                                              "point", "annotation", "light", "instance"};

/// The one geometry key of an object; of two, the second in the file is refused.
Node GeometryOf(const Node& object) {
  std::optional<Node> found;
  for (const Node& node : object.members()) {
    const std::string key = node.key();
    if (std::find(std::begin(kGeometryKeys), std::end(kGeometryKeys), key) ==
        std::end(kGeometryKeys))
      continue;
    if (found)
      node.fail("an object has one geometry, but \"" + found->key() + "\" and \"" + key +
                "\" are both given");
    found.emplace(node);
  }
  if (!found)
    object.fail(
        "missing the object's geometry: one of mesh, surface, brep, subd, curve, point, "
        "annotation, light, instance");
  return *found;
}

std::unique_ptr<CRhinoObject> MakeObject(const std::string& key, const Node& geometry,
                                         const ON_wString& name, const References& references,
                                         CRhinoDoc& doc, std::vector<BlockUse>& uses) {
  if (key == "mesh") return std::make_unique<CRhinoMeshObject>(ReadMesh(geometry).release());
  if (key == "surface") return std::make_unique<CRhinoBrepObject>(ReadSurface(geometry).release());
  if (key == "brep") return std::make_unique<CRhinoBrepObject>(ReadBrep(geometry).release());
  if (key == "subd") return std::make_unique<CRhinoSubDObject>(ReadSubD(geometry).release());
  if (key == "curve") return std::make_unique<CRhinoCurveObject>(ReadCurve(geometry).release());
  if (key == "point") return std::make_unique<CRhinoPointObject>(new ON_Point(ReadPoint(geometry)));
  if (key == "annotation")
    return std::make_unique<CRhinoAnnotationObject>(new ON_Point(ReadPoint(geometry)));
  if (key == "light") return std::make_unique<CRhinoLight>(ReadLight(geometry, name).release());
  assert(key == "instance");
  geometry.checkKeys({"block", "transform"});
  const Node block = geometry.required("block", "the placed block, by name or index");
  const int index = Resolve(block, references.blocks, "block");
  uses.push_back({index, block});
  ON_Xform xform(1);
  if (auto transform = geometry.member("transform")) xform = ReadTransform(*transform);
  return std::make_unique<CRhinoInstanceObject>(doc.m_instance_definition_table[index], xform);
}

ON_3dmObjectAttributes::material_source MaterialSource(const Node& source) {
  const std::string name = source.text();
  if (name == "layer") return ON_3dmObjectAttributes::material_from_layer;
  if (name == "object") return ON_3dmObjectAttributes::material_from_object;
  if (name == "parent") return ON_3dmObjectAttributes::material_from_parent;
  source.expected("a material source (layer, object, parent)");
}

ON_3dmObjectAttributes::object_mode ObjectMode(const Node& mode) {
  const std::string name = mode.text();
  if (name == "normal") return ON_3dmObjectAttributes::normal_object;
  if (name == "hidden") return ON_3dmObjectAttributes::hidden_object;
  if (name == "locked") return ON_3dmObjectAttributes::locked_object;
  mode.expected("an object mode (normal, hidden, locked)");
}

/// Reads one object, recording in `uses` the block it places, if any. Objects of block
/// definitions (reference null) cannot be reference objects; top-level objects report whether
/// they are one.
std::unique_ptr<CRhinoObject> ReadObject(const Node& object, const References& references,
                                         CRhinoDoc& doc, std::vector<BlockUse>& uses,
                                         bool* reference) {
  object.checkKeys({"name", "layer", "material_source", "material", "mappings", "mode", "selected",
                    "reference", "mesh", "surface", "brep", "subd", "curve", "point", "annotation",
                    "light", "instance"});
  if (auto flag = object.member("reference"); flag && !reference)
    flag->fail("the objects of a block cannot be reference objects");
  CRhinoObjectAttributes attributes;
  if (auto name = object.member("name")) attributes.m_name = Wide(name->text());
  if (auto layer = object.member("layer"))
    attributes.m_layer_index = Resolve(*layer, references.layers, "object's layer");
  if (auto source = object.member("material_source"))
    attributes.SetMaterialSource(MaterialSource(*source));
  if (auto material = object.member("material"))
    attributes.m_material_index = Resolve(*material, references.materials, "object's material");
  if (auto mappings = object.member("mappings"))
    ReadMappingChannels(*mappings, references.textureMappings, doc, attributes);
  if (auto mode = object.member("mode")) attributes.SetMode(ObjectMode(*mode));
  const Node geometry = GeometryOf(object);
  std::unique_ptr<CRhinoObject> result =
      MakeObject(geometry.key(), geometry, attributes.m_name, references, doc, uses);
  result->SetAttributes(attributes);
  if (auto selected = object.member("selected")) result->Select(selected->flag());
  if (reference)
    if (auto flag = object.member("reference")) *reference = flag->flag();
  return result;
}

/// What an object places itself: itself, and a mesh its faces (an instance places what its
/// block places besides).
Placed OwnPlaced(const CRhinoObject& object) {
  const auto* mesh = dynamic_cast<const ON_Mesh*>(object.Geometry());
  return {mesh ? std::uint64_t(mesh->m_F.Count()) : 0, 1};
}

/// Fails at `object` when what the document places with it, `placed`, is over the budget.
void CheckBudget(const Node& object, const Placed& placed) {
  const DocumentBudget& budget = object.source().budget;
  auto refuse = [&](std::uint64_t limit, const char* what, const char* option) {
    object.fail("with this object the document places more than the budget of " +
                std::to_string(limit) + " " + what +
                " once its blocks are expanded (each counted " +
                "once for every place it stands); " + option + " raises it");
  };
  if (placed.polygons > budget.polygons) refuse(budget.polygons, "polygons", kPolygonBudgetOption);
  if (placed.objects > budget.objects) refuse(budget.objects, "objects", kObjectBudgetOption);
}

}  // namespace

void ReadObjects(const Node& objects, const References& references, CRhinoDoc& doc) {
  Placed placed;
  for (const Node& object : objects.elements()) {
    bool reference = false;
    std::vector<BlockUse> uses;
    std::unique_ptr<CRhinoObject> read = ReadObject(object, references, doc, uses, &reference);
    placed += OwnPlaced(*read);
    for (const BlockUse& use : uses) placed += references.blockPlaced[use.block];
    CheckBudget(object, placed);
    doc.AddObject(read.release(), reference);
  }
}

namespace {

/// The blocks of a cycle in order, each followed by " > "; a long one shows its two ends.
template <class Name>
std::string CyclePath(const std::vector<int>& cycle, const Name& name) {
  constexpr std::size_t kShownAtEachEnd = 4;
  std::string path;
  for (std::size_t i = 0; i < cycle.size(); ++i) {
    if (cycle.size() > 3 * kShownAtEachEnd && i == kShownAtEachEnd) {
      path += "... (" + std::to_string(cycle.size() - 2 * kShownAtEachEnd) + " more) > ";
      i = cycle.size() - kShownAtEachEnd;
    }
    path += name(cycle[i]) + " > ";
  }
  return path;
}

/// Fails at the instance that makes a block contain itself, naming the chain of blocks, or at
/// the instance through which a block would hold blocks nested deeper than kMaxBlockNesting.
/// Walks depth first with a stack of its own, so a long chain of blocks cannot exhaust the
/// program's stack. Adds to what each block places (`placed`, its own objects' at first) what the
/// blocks it places place, once for every placement.
void RefuseCyclesAndDeepNesting(const std::vector<std::vector<BlockUse>>& uses,
                                const NameTable& blocks, std::vector<Placed>& placed) {
  enum Mark { unvisited, open, done };
  std::vector<Mark> marks(uses.size(), unvisited);
  std::vector<int> depth(uses.size(), 1);  // of the blocks done: 1 holds no other block
  auto name = [&](int b) {
    return blocks.names[b].empty() ? "#" + std::to_string(b) : "\"" + blocks.names[b] + "\"";
  };
  // Once `use.block` is done, the block holding it is at least one deeper.
  auto account = [&](int holder, const BlockUse& use) {
    depth[holder] = std::max(depth[holder], depth[use.block] + 1);
    placed[holder] += placed[use.block];
    if (depth[holder] > kMaxBlockNesting)
      use.at.fail("block " + name(holder) + " would hold blocks nested " +
                  std::to_string(depth[holder]) + " deep, more than the " +
                  std::to_string(kMaxBlockNesting) + " allowed");
  };
  struct Step {
    int block;
    std::size_t next;  // the next of its uses to follow
  };
  std::vector<Step> chain;
  for (std::size_t root = 0; root < uses.size(); ++root) {
    if (marks[root] != unvisited) continue;
    marks[root] = open;
    chain.push_back({int(root), 0});
    while (!chain.empty()) {
      Step& step = chain.back();
      if (step.next == uses[step.block].size()) {
        marks[step.block] = done;
        chain.pop_back();
        if (!chain.empty())
          account(chain.back().block, uses[chain.back().block][chain.back().next - 1]);
        continue;
      }
      const BlockUse& use = uses[step.block][step.next++];
      if (marks[use.block] == open) {  // an edge back into the chain closes a cycle
        std::vector<int> cycle;
        auto it = std::find_if(chain.begin(), chain.end(),
                               [&](const Step& s) { return s.block == use.block; });
        for (; it != chain.end(); ++it) cycle.push_back(it->block);
        use.at.fail("block " + name(use.block) +
                    " would contain itself: " + CyclePath(cycle, name) + name(use.block));
      }
      if (marks[use.block] == done) {
        account(step.block, use);
      } else {
        marks[use.block] = open;
        chain.push_back({use.block, 0});  // invalidates `step`
      }
    }
  }
}

}  // namespace

void ReadBlocks(const Node& blocks, References& references, CRhinoDoc& doc) {
  const std::vector<Node> entries = blocks.elements();
  std::set<std::string> named;  // ordered: names chosen to collide in a hash cannot slow it
  for (const Node& block : entries) {
    block.checkKeys({"name", "objects"});
    auto definition = std::make_unique<CRhinoInstanceDefinition>();
    std::string name;
    if (auto node = block.member("name")) {
      name = node->text();
      if (!name.empty() && !named.insert(name).second)
        node->fail("another block is already named " + Show(*node));
      definition->SetName(Wide(name));
    }
    doc.m_instance_definition_table.AddInstanceDefinition(definition.release());
    references.blocks.names.push_back(name);
  }
  std::vector<std::vector<BlockUse>> uses(entries.size());
  std::vector<Placed>& placed = references.blockPlaced;
  placed.assign(entries.size(), {});
  for (std::size_t b = 0; b < entries.size(); ++b)
    if (auto objects = entries[b].member("objects"))
      for (const Node& object : objects->elements()) {
        std::unique_ptr<CRhinoObject> read = ReadObject(object, references, doc, uses[b], nullptr);
        placed[b] += OwnPlaced(*read);
        doc.m_instance_definition_table[int(b)]->AddObject(read.release());
      }
  RefuseCyclesAndDeepNesting(uses, references.blocks, placed);
}

}  // namespace document
