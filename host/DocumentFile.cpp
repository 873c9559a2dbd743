#include "DocumentFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <cstring>

#include "DocumentBinary.h"
#include "DocumentReading.h"

namespace {

using namespace document;

void ReadDocument(const Node& root, Source& source, CRhinoDoc& doc) {
  const std::string& fileName = source.file;
  if (!root.isObject()) root.expected("a document object {...}");
  root.checkKeys({"units", "path", "binary", "materials", "layers", "texture_mappings", "blocks",
                  "objects", "views", "earth_anchor", "sun"});
  std::optional<Sidecar> sidecar;
  if (auto name = root.member("binary")) source.sidecar = &sidecar.emplace(*name, fileName);
  if (auto units = root.member("units")) doc.Properties().SetModelUnits(ReadUnits(*units));
  if (auto path = root.member("path")) doc.SetPathName(Wide(SavedPath(*path, fileName)));
  References references;
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

constexpr char kDocumentFile[] = "a document file";

[[noreturn]] void Refuse(const std::string& fileName, const std::string& problem) {
  throw DocumentError(fileName + ": " + problem);
}

std::string TooLarge(std::uint64_t bytes) {
  return "the file has " + std::to_string(bytes) + " bytes, more than the " +
         std::to_string(kMaxDocumentBytes) + " a document may have";
}

/// Refuses what is no document file before anything is read: a folder, a device, a pipe, a
/// socket (which could be read without end, or block) and a file over the size limit.
void CheckIsDocumentFile(const std::string& fileName, const struct stat& info) {
  RefuseUnlessRegularFile(fileName, info, kDocumentFile);
  if (static_cast<std::uint64_t>(info.st_size) > kMaxDocumentBytes)
    Refuse(fileName, TooLarge(static_cast<std::uint64_t>(info.st_size)));
}

struct stat StatOrRefuse(const std::string& fileName) {
  struct stat info;
  if (::stat(fileName.c_str(), &info) != 0)
    Refuse(fileName, std::string("cannot open: ") + std::strerror(errno));
  return info;
}

/// The whole text of the document file, read no further than the size limit allows.
std::string ReadDocumentFile(const std::string& fileName) {
  struct stat info = StatOrRefuse(fileName);
  CheckIsDocumentFile(fileName, info);
  // Not blocking: what was checked may have been swapped for a pipe since.
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) Refuse(fileName, std::string("cannot open: ") + std::strerror(errno));
  std::string text;
  int error = ::fstat(fd, &info) != 0 ? errno : 0;
  if (error == 0) {
    CheckIsDocumentFile(fileName, info);
    // One byte more than allowed tells a file that grew past the limit while being read.
    text.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
      if (got == text.size()) text.resize(std::min(text.size() * 2, kMaxDocumentBytes + 1));
      const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) error = errno;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
      if (got > kMaxDocumentBytes) {
        ::close(fd);
        Refuse(fileName, TooLarge(got));
      }
    }
    text.resize(got);
  }
  ::close(fd);
  if (error != 0) Refuse(fileName, std::string("cannot read: ") + std::strerror(error));
  return text;
}

}  // namespace

void RefuseUnlessRegularFile(const std::string& fileName, const struct stat& info,
                             const std::string& what) {
  if (S_ISDIR(info.st_mode)) Refuse(fileName, "is a folder, not " + what);
  if (!S_ISREG(info.st_mode)) Refuse(fileName, "is not a regular file, so not " + what);
}

void LoadDocumentText(const std::string& text, const std::string& fileName, CRhinoDoc& doc,
                      const DocumentBudget& budget) {
  assert(doc.m_material_table.MaterialCount() == 0 && doc.m_layer_table.LayerCount() == 0 &&
         doc.m_object_table.ObjectCount() == 0 &&
         doc.m_instance_definition_table.InstanceDefinitionCount() == 0);
  const ParsedText parsed = ParseDocumentText(text, fileName);
  Source source{fileName, parsed, nullptr, budget};
  ReadDocument(Node(source), source, doc);
}

void LoadDocumentFile(const std::string& fileName, CRhinoDoc& doc, const DocumentBudget& budget) {
  LoadDocumentText(ReadDocumentFile(fileName), fileName, doc, budget);
}
