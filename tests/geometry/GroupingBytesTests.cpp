// The exact bytes that varied generated documents export to, in every grouping mode, with and
// without the selection: a change in how the passes find their objects, how meshes are welded or
// how the scene is stored and saved must not change a single byte of any of them.
// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "GeometryTestSupport.h"
#include "json/SceneJson.h"
#include "lighting/Lights.h"
#include "plugin/ExportOptions.h"

namespace geometry_test {
namespace {

/// Choices drawn from the generator's raw output, which the standard fixes for every library
/// (distributions it does not), so a document is the same wherever the test runs.
class Draw {
 public:
  explicit Draw(unsigned seed) : m_engine(seed) {}
  /// 0 to n - 1.
  int below(int n) { return static_cast<int>(m_engine() % static_cast<unsigned>(n)); }
  bool chance(int percent) { return below(100) < percent; }
  /// A coordinate on a grid of tenths, so that points of different meshes coincide often.
  double coordinate() { return (below(41) - 20) / 10.0; }

 private:
  std::mt19937 m_engine;
};

ON_Mesh* randomMesh(Draw& draw) {
  std::vector<ON_3dPoint> points;
  std::vector<std::vector<int>> faces;
  const int quads = 1 + draw.below(6);
  for (int q = 0; q < quads; ++q) {
    const double x = draw.coordinate(), y = draw.coordinate(), z = draw.coordinate();
    const int base = static_cast<int>(points.size());
    points.push_back({x, y, z});
    points.push_back({x + 0.5, y, z});
    points.push_back({x + 0.5, y + 0.5, z});
    // Some quads close on their third corner, so welding turns them into triangles.
    points.push_back(draw.chance(20) ? ON_3dPoint(x + 0.5, y + 0.5, z) : ON_3dPoint(x, y + 0.5, z));
    if (draw.chance(25))
      faces.push_back({base, base + 1, base + 2});
    else
      faces.push_back({base, base + 1, base + 2, base + 3});
  }
  return makeMesh(points, faces);
}

ON_Material randomMaterial(Draw& draw, int index) {
  static const wchar_t* const kNames[] = {L"Wood", L"wood", L"Glass", L"", L"Brick", L"Wood"};
  ON_Material material;
  material.SetMaterialName(kNames[draw.below(6)]);
  if (draw.chance(30)) material.m_diffuse = ON_Color(10 * (index % 3), 200, 30);
  if (draw.chance(10)) material.SetTransparency(std::numeric_limits<double>::quiet_NaN());
  if (draw.chance(20)) material.SetTransparency(0.5);
  if (draw.chance(15)) material.m_shine = 7;  // does not count for matching
  if (draw.chance(30)) {
    ON_Texture texture;
    texture.m_filename = draw.chance(50) ? L"C:\\maps\\Wood.JPG" : L"c:\\MAPS\\wood.jpg";
    material.m_textures.Append(texture);
  }
  return material;
}

void setRandomAttributes(Draw& draw, CRhinoObject& object, int layers, int materials) {
  static const wchar_t* const kNames[] = {L"", L"Chair", L"Table", L"Lamp"};
  CRhinoObjectAttributes attributes;
  attributes.m_name = kNames[draw.below(4)];
  attributes.m_layer_index = draw.chance(5) ? layers : draw.below(layers);
  attributes.m_material_index = draw.below(materials + 3) - 2;  // some none, some past the table
  const int source = draw.below(3);
  attributes.SetMaterialSource(source == 0   ? ON_3dmObjectAttributes::material_from_layer
                               : source == 1 ? ON_3dmObjectAttributes::material_from_object
                                             : ON_3dmObjectAttributes::material_from_parent);
  if (draw.chance(10)) attributes.SetMode(ON_3dmObjectAttributes::hidden_object);
  object.SetAttributes(attributes);
  if (draw.chance(40)) object.Select(true);
}

CRhinoObject* randomLeaf(Draw& draw, int layers, int materials) {
  CRhinoObject* object = draw.chance(12) ? curveObject() : meshObject(randomMesh(draw));
  setRandomAttributes(draw, *object, layers, materials);
  return object;
}

ON_Xform randomPlacement(Draw& draw) {
  ON_Xform placement = translation(draw.coordinate(), draw.coordinate(), draw.coordinate());
  if (draw.chance(50)) placement = placement * rotationAboutZ(90.0 * draw.below(4));
  return placement;
}

/// A document of a few dozen objects on several layers (some off), with materials that match
/// each other in the ways the material passes merge, block instances (nested, some without
/// definitions' objects visible) and a light.
void fillDocument(CRhinoDoc& doc, unsigned seed) {
  Draw draw(seed);
  static const ON::unit_system kUnits[] = {ON::centimeters, ON::meters, ON::millimeters};
  setUnits(doc, kUnits[draw.below(3)]);
  const int materials = 1 + draw.below(7);
  for (int m = 0; m < materials; ++m) doc.m_material_table.AddMaterial(randomMaterial(draw, m));
  const int layers = 1 + draw.below(5);
  for (int l = 0; l < layers; ++l) {
    ON_Layer layer;
    layer.SetLayerName(l == 2 ? L"" : (L"Layer " + std::to_wstring(l)).c_str());
    layer.SetRenderMaterialIndex(draw.below(materials + 1) - 1);
    if (draw.chance(10)) layer.SetVisible(false);
    if (l > 0 && draw.chance(30)) layer.m_parent_layer_id = doc.m_layer_table[0].m_layer_id;
    doc.m_layer_table.AddLayer(layer);
  }

  std::vector<CRhinoInstanceDefinition*> blocks;
  for (int b = 0; b < 1 + draw.below(3); ++b) {
    std::vector<CRhinoObject*> objects;
    for (int i = 0; i < 1 + draw.below(4); ++i)
      objects.push_back(randomLeaf(draw, layers, materials));
    if (!blocks.empty() && draw.chance(50)) {
      CRhinoObject* nested = blockInstance(blocks.back(), randomPlacement(draw));
      setRandomAttributes(draw, *nested, layers, materials);
      objects.push_back(nested);
    }
    blocks.push_back(addBlock(doc, nullptr, objects));
  }

  const int objects = 10 + draw.below(30);
  for (int i = 0; i < objects; ++i) {
    if (draw.chance(15)) {
      CRhinoObject* instance =
          blockInstance(blocks[draw.below(static_cast<int>(blocks.size()))], randomPlacement(draw));
      setRandomAttributes(draw, *instance, layers, materials);
      doc.AddObject(instance);
    } else {
      doc.AddObject(randomLeaf(draw, layers, materials));
    }
  }
  auto* light = new ON_Light;
  light->m_location = ON_3dPoint(1, 2, 3);
  doc.AddObject(new CRhinoLight(light));
}

std::string bytesOf(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint64_t fnv1a(const std::string& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char byte : bytes) hash = (hash ^ byte) * 0x100000001b3ull;
  return hash;
}

constexpr unsigned kDocuments = 12;
constexpr int kModes[] = {SingleObject, ByMaterial, ByLayer, ByObject};

// FNV-1a of every file, recorded from the exporter before the passes were indexed and the scene
// model stored its polygons flat, and again once objects naming a missing layer went to the
// document's default layer (which changed documents 2, 3, 8, 9 and 11): document by document, mode
// by mode, all objects then only the selected ones. To record them again, run with
// ORV_PRINT_EXPORT_HASHES=1.
constexpr std::uint64_t kExpected[kDocuments][4][2] = {
    {{0x5f3cdfd06ea7da6dull, 0xe0a8447ed412a728ull},
     {0xf0757c39e7be2ba7ull, 0x380b91a43ca53fffull},
     {0xa1a1112d835fa770ull, 0xb8212e611a593614ull},
     {0x1634ef312385336full, 0x9fb540cc40495c6bull}},
    {{0xbe5611459d84ac92ull, 0xbd91923456a24e9bull},
     {0x6a0fa715abcfd589ull, 0xff3969edb3c0454full},
     {0x0c3d9f846eb32310ull, 0x83fdf02803a8bc82ull},
     {0xa1634dcd9eef1569ull, 0xefd83ffc86ff2638ull}},
    {{0xee1b38fdf18222e3ull, 0x6e778094bf00a8c3ull},
     {0x616e2fec9764829cull, 0x777459ddd78e50d3ull},
     {0xf928096d8d2f624aull, 0xce1fd2de3cbae5e6ull},
     {0x6c16e8c0de704ca3ull, 0x166b4978aba09b32ull}},
    {{0xb9105518ef7463feull, 0x49ca94da95e1cf64ull},
     {0x54028ff955894a26ull, 0x3e77ecab67eb78a7ull},
     {0xb3a3c0ebc919c276ull, 0xd06ae22db0d37bb0ull},
     {0xf595a0fde9bd94dfull, 0x546eaac5f7c3c0caull}},
    {{0x82ecc6d20423c8ddull, 0xc69b9d88e61a83f2ull},
     {0x76470ad965324e76ull, 0xf86113d249c9b899ull},
     {0x9be2fdc0d2a644e6ull, 0x1b530fb31cbb40feull},
     {0xe81f0190474a9e26ull, 0x3dcf93b93109d057ull}},
    {{0x34a4a8594732f664ull, 0x14bee748b33c7b8full},
     {0x780b6e4aab08a35bull, 0x703ac4cccb37c3dbull},
     {0x83c9131970dde714ull, 0x53fb1203f84d0067ull},
     {0x3cf29acf0f385180ull, 0x7ad3ce6a41e88af1ull}},
    {{0xbe5d95cfc6783c6cull, 0xce4f009c9ab8b09bull},
     {0xa932af286f32cae2ull, 0xf1576fcf03798bdcull},
     {0xf5e83615a5d7c4b4ull, 0xd149710b9245370cull},
     {0x142ed22da281170full, 0x2e84582c9b8de029ull}},
    {{0xefc9b8ef6e6b27abull, 0x69e1379d01cdcebcull},
     {0xd7b8a7cd697b9160ull, 0x64b875d63348191bull},
     {0xffd2a135c70e04dbull, 0xc19879cea79ce766ull},
     {0x94e1c5abd44e7867ull, 0x7a9f973752e1018bull}},
    {{0xaec15611cfc67b44ull, 0x70e2944fe8db3f04ull},
     {0x92f1af513b6098a9ull, 0x7fcd3ad889295a10ull},
     {0xb44e692f058be1faull, 0xedae9a8fe34ae634ull},
     {0x2493c5a1ab0ffa6dull, 0xd001a1dbfdb9c6e0ull}},
    {{0x2e9c9d07b8efec0bull, 0xa87787561b912d21ull},
     {0x157ecb00c770202aull, 0x333360527ac21f13ull},
     {0xb51bfb15dda8f1b1ull, 0x93e9d14d3704eab5ull},
     {0x430b372025a8ae29ull, 0xd24011932dbd808aull}},
    {{0x8cdc718d8b14aacfull, 0x86431e79e7736784ull},
     {0x62aec5bcfa8712d2ull, 0xe7bfc186014a76bfull},
     {0xb8ebfa60fd25e9dbull, 0x7840446b2e0b84daull},
     {0x4c5f35f5c73ac5a7ull, 0x88f3d05c5c460b38ull}},
    {{0x38b86cb4e9af1669ull, 0x4df97669edf91e15ull},
     {0xbedfad05f6a17366ull, 0x1e27eb78928317e4ull},
     {0xb056e43f86e30ee3ull, 0xde784ec6e682bec4ull},
     {0xd996ba7c25df3bddull, 0xf86e684f857cb66bull}},
};

// The scenes of one document kept as orvdump --json text, so that a changed hash can be shown as
// the lines that changed; the others' scenes are written out on a mismatch, to be compared with
// those of a build that still passes.
constexpr unsigned kDocumentWithReferences = 9;

std::string caseName(unsigned seed, int mode, bool selectedOnly) {
  return "document-" + std::to_string(seed) + "-mode-" + std::to_string(mode) +
         (selectedOnly ? "-selected" : "");
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

/// The first line where `actual` departs from `expected`, with the lines around it in both.
std::string firstDifference(const std::string& expected, const std::string& actual) {
  const std::vector<std::string> want = linesOf(expected), got = linesOf(actual);
  std::size_t line = 0;
  while (line < want.size() && line < got.size() && want[line] == got[line]) ++line;
  if (line == want.size() && line == got.size())
    return "the JSON is the same: only the bytes differ";
  std::ostringstream out;
  out << "first difference at line " << line + 1 << " of the JSON:\n";
  const std::size_t from = line >= 3 ? line - 3 : 0;
  for (const auto& [label, lines] : {std::pair{"kept", &want}, std::pair{"now", &got}}) {
    out << "  " << label << ":\n";
    for (std::size_t i = from; i < std::min(lines->size(), line + 4); ++i)
      out << (i == line ? "  > " : "    ") << (*lines)[i] << "\n";
  }
  return out.str();
}

class GroupingBytes : public GeometryExportTest {
 protected:
  /// The hash of the case's scene file; `json` receives the scene as orvdump --json prints it.
  std::uint64_t exportedHash(unsigned seed, int mode, bool selectedOnly, std::string& json) {
    CRhinoDoc doc;
    fillDocument(doc, seed);
    const QzOrv::scene::Scene scene = exportScene(doc, mode, selectedOnly);
    std::ostringstream text;
    QzOrv::scene::printSceneJson(text, scene);
    json = text.str();
    return fnv1a(bytesOf(folder / "house.orv"));
  }

  /// What a mismatch of the case shows: where its JSON was written and how it departs from the
  /// kept one, if any.
  static std::string explainMismatch(const std::string& name, const std::string& json) {
    const std::filesystem::path dumps = std::filesystem::absolute("grouping-bytes");
    std::filesystem::create_directories(dumps);
    std::ofstream(dumps / (name + ".json"), std::ios::binary) << json;
    std::string story = "the scene is in " + (dumps / (name + ".json")).string() + "\n";
    const std::filesystem::path kept = kReferences / (name + ".json");
    if (std::filesystem::exists(kept)) return story + firstDifference(bytesOf(kept), json);
    return story +
           "no JSON is kept for this case: compare with the scenes a passing build writes "
           "with ORV_WRITE_GROUPING_JSON set";
  }

  static inline const std::filesystem::path kReferences = GROUPING_REFERENCES_DIR;
};

TEST_F(GroupingBytes, VariedDocumentsExportToTheBytesTheyAlwaysExportedTo) {
  const bool print = std::getenv("ORV_PRINT_EXPORT_HASHES") != nullptr;
  // Writes every case's JSON into ./grouping-bytes, and the kept cases' into the source tree.
  const bool write = std::getenv("ORV_WRITE_GROUPING_JSON") != nullptr;
  for (unsigned seed = 0; seed < kDocuments; ++seed) {
    std::uint64_t hashes[4][2];
    for (int m = 0; m < 4; ++m) {
      for (int selected = 0; selected < 2; ++selected) {
        std::string json;
        hashes[m][selected] = exportedHash(seed, kModes[m], selected != 0, json);
        const std::string name = caseName(seed, kModes[m], selected != 0);
        if (write) {
          explainMismatch(name, json);
          if (seed == kDocumentWithReferences)
            std::ofstream(kReferences / (name + ".json"), std::ios::binary) << json;
        }
        if (!print && hashes[m][selected] != kExpected[seed][m][selected])
          ADD_FAILURE() << "document " << seed << ", mode " << kModes[m]
                        << (selected ? ", selected only" : "") << ": "
                        << explainMismatch(name, json);
      }
    }
    if (!print) continue;
    std::printf("    {");
    for (int m = 0; m < 4; ++m)
      std::printf("{0x%016llxull, 0x%016llxull}%s", static_cast<unsigned long long>(hashes[m][0]),
                  static_cast<unsigned long long>(hashes[m][1]), m < 3 ? ", " : "},\n");
  }
}

TEST(GroupingBytesDiagnosis, TheFirstDifferingLineIsShownWithItsNeighbours) {
  const std::string shown = firstDifference("a\nb\nc\nd\ne\n", "a\nb\nc\nD\ne\n");
  EXPECT_NE(shown.find("line 4"), std::string::npos) << shown;
  EXPECT_NE(shown.find("  > d\n"), std::string::npos) << shown;
  EXPECT_NE(shown.find("  > D\n"), std::string::npos) << shown;
  EXPECT_NE(firstDifference("a\n", "a\nb\n").find("line 2"), std::string::npos);
  EXPECT_EQ(firstDifference("a\n", "a\n"), "the JSON is the same: only the bytes differ");
}

}  // namespace
}  // namespace geometry_test
