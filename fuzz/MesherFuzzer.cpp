// Fuzzes the brep and surface mesher through documents: every object of a document the loader
// takes is meshed with the quality and the fast render-mesh settings. The loader's refusal and
// faces left without a mesh (with their warning) are expected; a crash, a sanitizer report, an
// exception out of the mesher or a run past libFuzzer's time limit is a fault.
//
// Mutations stay structure-aware: the custom mutator parses the document and changes what the
// mesher sees (numbers such as coordinates, weights and knots; arrays such as control points,
// knot vectors, loops and trims; flags such as "reversed"; optional keys), so that most mutants
// are still documents the loader takes. Text that does not parse gets libFuzzer's byte mutations.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "DocumentFile.h"
#include "RhinoHostServices.h"

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size,
                                        std::size_t max_size);

namespace {

using Json = nlohmann::json;
using Random = std::minstd_rand;

/// The nodes of a document by kind, for choosing one to change.
struct Nodes {
  std::vector<Json*> numbers, arrays, flags, objects;

  void Collect(Json& node) {
    if (node.is_number()) numbers.push_back(&node);
    if (node.is_boolean()) flags.push_back(&node);
    if (node.is_array()) arrays.push_back(&node);
    if (node.is_object()) objects.push_back(&node);
    if (node.is_structured())
      for (Json& child : node) Collect(child);
  }
};

std::size_t Below(Random& random, std::size_t count) {
  return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
}

/// A new value for an integer (an index, a degree, a count): near it, or at an extreme.
std::int64_t MutatedInteger(std::int64_t x, Random& random) {
  static constexpr std::int64_t kPicks[] = {0, 1, -1, 2, 3, 11, 12, 1000, 1 << 20};
  // Far from the ends of the type, so that the steps below cannot overflow.
  constexpr std::int64_t kFar = std::int64_t(1) << 40;
  switch (x < -kFar || x > kFar ? 3 : Below(random, 4)) {
    case 0: return x + 1;
    case 1: return x - 1;
    case 2: return x * 2;
    default: return kPicks[Below(random, std::size(kPicks))];
  }
}

/// A new value for a coordinate, weight or knot: scaled, nudged, negated or an extreme.
double MutatedNumber(double x, const Nodes& nodes, Random& random) {
  static constexpr double kPicks[] = {0.0, 1.0, -1.0, 0.5, 1e-9, 1e9, 1e-300, 1e300, -1e300,
                                      3.4e38, 1e154, 1e-12};
  switch (Below(random, 9)) {
    case 0: return -x;
    case 1: return x * 1e9;
    case 2: return x * 1e-9;
    case 3: return x * (1.0 + 1e-12);
    case 4: return x + 1.0;
    case 5: return x * 2.0;
    case 6: return nodes.numbers[Below(random, nodes.numbers.size())]->get<double>();
    default: return kPicks[Below(random, std::size(kPicks))];
  }
}

/// Duplicates, removes, swaps or reverses elements of an array (points, knots, loops, trims), or
/// puts a copy of a node from elsewhere in the document into it.
void MutateArray(Json& array, const Nodes& nodes, Random& random) {
  const std::size_t n = array.size();
  switch (n == 0 ? 4 : Below(random, 5)) {
    case 0: array.insert(array.begin() + Below(random, n + 1), array[Below(random, n)]); break;
    case 1: array.erase(array.begin() + Below(random, n)); break;
    case 2: std::swap(array[Below(random, n)], array[Below(random, n)]); break;
    case 3: std::reverse(array.begin(), array.end()); break;
    default: {
      const Json* from = nodes.arrays[Below(random, nodes.arrays.size())];
      if (from->empty()) return;
      const Json copy = (*from)[Below(random, from->size())];
      array.insert(array.begin() + Below(random, n + 1), copy);
    }
  }
}

/// Changes one node of the document.
void Mutate(Json& document, Random& random) {
  Nodes nodes;
  nodes.Collect(document);
  switch (Below(random, 8)) {
    case 0:
      if (!nodes.flags.empty()) {
        Json& flag = *nodes.flags[Below(random, nodes.flags.size())];
        flag = !flag.get<bool>();
        return;
      }
      break;
    case 1:
      if (!nodes.objects.empty()) {
        Json& object = *nodes.objects[Below(random, nodes.objects.size())];
        if (!object.empty()) object.erase(std::next(object.begin(), Below(random, object.size())));
        return;
      }
      break;
    case 2:
    case 3:
      if (!nodes.arrays.empty()) {
        MutateArray(*nodes.arrays[Below(random, nodes.arrays.size())], nodes, random);
        return;
      }
      break;
    default:
      break;
  }
  if (nodes.numbers.empty()) return;
  Json& number = *nodes.numbers[Below(random, nodes.numbers.size())];
  if (number.is_number_integer())
    number = MutatedInteger(number.get<std::int64_t>(), random);
  else
    number = MutatedNumber(number.get<double>(), nodes, random);
}

void MeshEverything(const CRhinoDoc& doc) {
  auto mesh = [](const CRhinoObject* object) {
    for (const ON_MeshParameters* mp :
         {&ON_MeshParameters::QualityRenderMesh, &ON_MeshParameters::FastRenderMesh})
      object->CreateMeshes(ON::render_mesh, *mp);
  };
  for (int i = 0; i < doc.m_object_table.ObjectCount(); ++i) mesh(doc.m_object_table.Object(i));
  const CRhinoInstanceDefinitionTable& blocks = doc.m_instance_definition_table;
  for (int b = 0; b < blocks.InstanceDefinitionCount(); ++b) {
    ON_SimpleArray<const CRhinoObject*> objects;
    blocks[b]->GetObjects(objects);
    for (int i = 0; i < objects.Count(); ++i) mesh(objects[i]);
  }
}

}  // namespace

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t max_size, unsigned seed) {
  Random random(seed);
  // Now and then bytes, so that the loader's refusals stay covered too.
  if (Below(random, 8) != 0) {
    Json document = Json::parse(data, data + size, nullptr, false, true);
    if (!document.is_discarded()) {
      for (std::size_t k = 1 + Below(random, 3); k > 0; --k) Mutate(document, random);
      const std::string text = document.dump();
      if (text.size() <= max_size) {
        std::memcpy(data, text.data(), text.size());
        return text.size();
      }
    }
  }
  return LLVMFuzzerMutate(data, size, max_size);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The warnings of faces that cannot be meshed are expected; printing them would only slow down.
  static const bool quiet = (RhinoHost::SetCommandLineSink([](const std::string&) {}), true);
  (void)quiet;
  const std::string text(reinterpret_cast<const char*>(data), size);
  CRhinoDoc doc;
  try {
    LoadDocumentText(text, "fuzz.json", doc);
  } catch (const DocumentError&) {
    return 0;  // the loader's refusal
  }
  MeshEverything(doc);
  return 0;
}
