#include "GeneratedDocument.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <fstream>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

namespace benchdoc {

namespace {

namespace fs = std::filesystem;

static_assert(std::endian::native == std::endian::little,
              "the sidecar is little-endian, written here as the machine's bytes");

/// Output with a large buffer of its own: the documents run to hundreds of megabytes.
class Output {
 public:
  explicit Output(const fs::path& path) : m_path(path), m_file(path, std::ios::binary) {
    if (!m_file) throw std::runtime_error("cannot write " + path.string());
  }
  ~Output() { flush(); }

  Output& operator<<(std::string_view text) {
    if (m_buffer.size() + text.size() > kFlushAt) flush();
    m_buffer.append(text);
    return *this;
  }
  Output& operator<<(float value) { return number(value); }
  Output& operator<<(int value) { return number(value); }
  Output& operator<<(std::size_t value) { return number(value); }

  /// Raw bytes, then zeros up to the next multiple of 8.
  std::uint64_t aligned(const void* bytes, std::size_t count) {
    const std::uint64_t at = m_written + m_buffer.size();
    *this << std::string_view(static_cast<const char*>(bytes), count);
    *this << std::string_view("\0\0\0\0\0\0\0", (8 - count % 8) % 8);
    return at;
  }

  std::uintmax_t close() {
    flush();
    m_file.close();
    if (!m_file) throw std::runtime_error("cannot write " + m_path.string());
    return m_written;
  }

 private:
  static constexpr std::size_t kFlushAt = std::size_t{1} << 20;

  template <class T>
  Output& number(T value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return *this << std::string_view(text, std::size_t(end - text));
  }

  void flush() {
    m_file.write(m_buffer.data(), std::streamsize(m_buffer.size()));
    m_written += m_buffer.size();
    m_buffer.clear();
  }

  fs::path m_path;
  std::ofstream m_file;
  std::string m_buffer;
  std::uintmax_t m_written = 0;
};

/// Mesh `m`'s grid: (side + 1)² vertices on the height field z = sin(x) cos(y), the meshes laid
/// out ten to a row.
std::vector<float> GridVertices(int m, int side) {
  const double x0 = (m % 10) * (side + 2) * 0.37, y0 = (m / 10) * (side + 2) * 0.41;
  std::vector<float> xyz;
  xyz.reserve(std::size_t(side + 1) * (side + 1) * 3);
  for (int i = 0; i <= side; ++i)
    for (int j = 0; j <= side; ++j) {
      const double x = x0 + i * 0.37, y = y0 + j * 0.41;
      // +0 rather than -0: JSON's "-0" is the integer 0, which would read back as +0.
      const float z = float(std::sin(x) * std::cos(y)) + 0.0f;
      xyz.insert(xyz.end(), {float(x), float(y), z});
    }
  return xyz;
}

std::vector<std::int32_t> GridQuads(int side) {
  std::vector<std::int32_t> quads;
  quads.reserve(std::size_t(side) * side * 4);
  for (int i = 0; i < side; ++i)
    for (int j = 0; j < side; ++j) {
      const int a = i * (side + 1) + j;
      quads.insert(quads.end(), {a, a + side + 1, a + side + 2, a + 1});
    }
  return quads;
}

void WriteTables(Output& json, const DocumentShape& shape) {
  json << "{\"units\": \"meters\",\n\"materials\": [";
  for (int m = 0; m < shape.materials; ++m)
    json << (m ? ",\n" : "\n") << "{\"name\": \"Material " << m << "\", \"diffuse\": ["
         << (m * 25) % 256 << ", 90, " << 200 - m * 15 << "]}";
  json << "],\n\"layers\": [";
  for (int l = 0; l < shape.layers; ++l)
    json << (l ? ",\n" : "\n") << "{\"name\": \"Layer " << l << "\"}";
  json << "],\n";
}

void WriteJsonArrays(Output& json, const std::vector<float>& xyz,
                     const std::vector<std::int32_t>& quads) {
  json << "\"vertices\": [";
  for (std::size_t v = 0; v < xyz.size(); v += 3)
    json << (v ? ",[" : "[") << xyz[v] << "," << xyz[v + 1] << "," << xyz[v + 2] << "]";
  json << "],\n\"faces\": [";
  for (std::size_t f = 0; f < quads.size(); f += 4)
    json << (f ? ",[" : "[") << int(quads[f]) << "," << int(quads[f + 1]) << ","
         << int(quads[f + 2]) << "," << int(quads[f + 3]) << "]";
  json << "]";
}

void WriteReference(Output& json, const char* type, std::uint64_t offset, std::size_t rows,
                    int width) {
  json << "{\"binary\": \"" << type << "\", \"offset\": " << std::size_t(offset) << ", \"shape\": ["
       << rows << ", " << width << "]}";
}

}  // namespace

DocumentShape ShapeForTriangles(std::size_t triangles) {
  DocumentShape shape;
  const double perMesh = double(triangles) / (2.0 * shape.meshes);
  shape.side = std::max(1, int(std::lround(std::sqrt(perMesh))));
  return shape;
}

GeneratedFiles WriteGeneratedDocument(const fs::path& folder, const std::string& stem,
                                      const DocumentShape& shape, bool withSidecar) {
  GeneratedFiles files;
  files.json = folder / (stem + ".json");
  if (withSidecar) files.sidecar = folder / (stem + ".bin");
  Output json(files.json);
  std::optional<Output> sidecar;
  if (withSidecar) sidecar.emplace(files.sidecar);
  WriteTables(json, shape);
  if (withSidecar) json << "\"binary\": \"" << files.sidecar.filename().string() << "\",\n";
  json << "\"objects\": [";
  const std::vector<std::int32_t> quads = GridQuads(shape.side);
  for (int m = 0; m < shape.meshes; ++m) {
    json << (m ? ",\n" : "\n") << "{\"name\": \"Mesh " << m << "\", \"layer\": " << m % shape.layers
         << ", \"material_source\": \"object\", \"material\": " << m % shape.materials
         << ",\n\"mesh\": {";
    const std::vector<float> xyz = GridVertices(m, shape.side);
    if (sidecar) {
      json << "\"vertices\": ";
      WriteReference(json, "f32", sidecar->aligned(xyz.data(), xyz.size() * sizeof(float)),
                     xyz.size() / 3, 3);
      json << ",\n\"faces\": ";
      WriteReference(json, "i32",
                     sidecar->aligned(quads.data(), quads.size() * sizeof(std::int32_t)),
                     quads.size() / 4, 4);
    } else {
      WriteJsonArrays(json, xyz, quads);
    }
    json << "}}";
  }
  json << "\n]}\n";
  files.bytes = json.close() + (sidecar ? sidecar->close() : 0);
  return files;
}

namespace {

/// The folder of the benchmark documents, removed with them at exit.
struct BenchFolder {
  BenchFolder()
      : path(fs::temp_directory_path() / ("bench_documents_" + std::to_string(getpid()))) {
    fs::create_directories(path);
  }
  ~BenchFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  fs::path path;
  std::map<std::pair<std::size_t, bool>, GeneratedFiles> documents;
};

}  // namespace

const GeneratedFiles& BenchDocument(std::size_t triangles, bool withSidecar) {
  static BenchFolder folder;
  auto [at, added] = folder.documents.try_emplace({triangles, withSidecar});
  if (added)
    at->second = WriteGeneratedDocument(
        folder.path, "generated" + std::to_string(triangles) + (withSidecar ? "b" : "j"),
        ShapeForTriangles(triangles), withSidecar);
  return at->second;
}

}  // namespace benchdoc
