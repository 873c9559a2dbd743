#include "DocumentFile.h"

#include <cassert>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "DocumentReading.h"

namespace {

using namespace document;

void ReadDocument(const Node& root, const std::string& fileName, CRhinoDoc& doc) {
  if (!root.value().is_object()) root.expected("a document object {...}");
  root.checkKeys({"units", "path", "materials", "layers", "texture_mappings", "blocks", "objects",
                  "views", "earth_anchor", "sun"});
  if (auto units = root.member("units")) doc.Properties().SetModelUnits(ReadUnits(*units));
  if (auto path = root.member("path")) doc.SetPathName(Wide(SavedPath(*path, fileName)));
  References references{{"material", {}, {}}, {"layer", {}, {}}};
  if (auto list = root.member("materials")) references.materials = ReadMaterials(*list, doc);
  if (auto list = root.member("layers"))
    references.layers = ReadLayers(*list, doc, references.materials);
  if (auto list = root.member("texture_mappings"))
    references.textureMappings = ReadTextureMappings(*list, doc);
  if (auto list = root.member("blocks")) ReadBlocks(*list, references, doc);
  if (auto list = root.member("objects")) ReadObjects(*list, references, doc);
  if (auto list = root.member("views")) ReadViews(*list, doc);
  if (auto anchor = root.member("earth_anchor")) ReadEarthAnchor(*anchor, doc);
  if (auto sun = root.member("sun")) ReadSun(*sun, doc);
}

/// The parser's own account of a syntax error, without its exception-class prefix.
std::string SyntaxProblem(const Json::parse_error& error) {
  const std::string what = error.what();
  const std::size_t prefixEnd = what.find("] ");
  return prefixEnd == std::string::npos ? what : what.substr(prefixEnd + 2);
}

}  // namespace

void LoadDocumentText(const std::string& text, const std::string& fileName, CRhinoDoc& doc) {
  assert(doc.m_material_table.MaterialCount() == 0 && doc.m_layer_table.LayerCount() == 0 &&
         doc.m_object_table.ObjectCount() == 0 &&
         doc.m_instance_definition_table.InstanceDefinitionCount() == 0);
  Json root;
  try {
    root = Json::parse(text, nullptr, /*allow_exceptions=*/true, /*ignore_comments=*/true);
  } catch (const Json::parse_error& error) {
    throw DocumentError(fileName + ": " + SyntaxProblem(error));
  }
  ReadDocument(Node(fileName, root, Pointer()), fileName, doc);
}

void LoadDocumentFile(const std::string& fileName, CRhinoDoc& doc) {
  std::error_code ignored;
  if (std::filesystem::is_directory(fileName, ignored))
    throw DocumentError(fileName + ": is a folder, not a document file");
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw DocumentError(fileName + ": cannot open: " + std::strerror(errno));
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw DocumentError(fileName + ": cannot read: " + std::strerror(errno));
  LoadDocumentText(text, fileName, doc);
}
