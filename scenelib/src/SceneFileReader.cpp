#include "orv/SceneFileReader.h"

#include <libdeflate.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <vector>

#include "FileLayout.h"

namespace QzOrv::scene {
namespace {

using Bytes = std::span<const std::uint8_t>;

/// The tag as text, with bytes that are not printable ASCII shown as \xNN.
std::string printableTag(Bytes tag) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::uint8_t byte : tag) {
    if (byte >= 0x20 && byte < 0x7F) {
      text += static_cast<char>(byte);
    } else {
      text += "\\x";
      text += kDigits[byte >> 4];
      text += kDigits[byte & 0x0F];
    }
  }
  return text;
}

std::uint64_t littleEndian(const std::uint8_t* bytes, int count) {
  std::uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

std::uint32_t crcOf(Bytes bytes) {
  return libdeflate_crc32(0, bytes.data(), bytes.size());
}

/// Where in the file reading is, for error messages: "(chunk ODEF, objectDefinitions[2])".
struct Location {
  const std::string& source;
  std::string where;

  [[noreturn]] void fail(std::size_t offset, const std::string& what) const {
    std::ostringstream message;
    message << source << ": offset " << offset << " (" << where << "): " << what;
    throw SceneFileError(message.str());
  }
};

/// Reads the value forms of one chunk's payload, checking every length against what is left.
class Decoder {
 public:
  Decoder(Bytes payload, std::size_t fileOffset, const Location& location)
      : payload_(payload), fileOffset_(fileOffset), location_(location) {}

  [[noreturn]] void fail(const std::string& what) const { location_.fail(offset(), what); }
  [[noreturn]] void failAt(std::size_t fileOffset, const std::string& what) const {
    location_.fail(fileOffset, what);
  }
  std::size_t offset() const { return fileOffset_ + position_; }
  std::size_t remaining() const { return payload_.size() - position_; }

  const std::uint8_t* take(std::size_t count) {
    if (count > remaining()) {
      fail("a value needs " + std::to_string(count) + " bytes but only " +
           std::to_string(remaining()) + " are left in the chunk");
    }
    const std::uint8_t* bytes = payload_.data() + position_;
    position_ += count;
    return bytes;
  }
  std::uint32_t u32() { return static_cast<std::uint32_t>(littleEndian(take(4), 4)); }
  std::uint64_t u64() { return littleEndian(take(8), 8); }

  /// A count of entries that each take at least `minBytes`; fails when they cannot all fit in
  /// the rest of the chunk, so the count is safe to reserve.
  std::size_t count(std::size_t minBytes, const char* what) {
    const std::size_t startOffset = offset();
    const std::size_t count = u32();
    if (count > remaining() / minBytes) {
      failAt(startOffset, std::string(what) + " count " + std::to_string(count) +
                              " needs at least " + std::to_string(count * minBytes) +
                              " bytes but only " + std::to_string(remaining()) +
                              " are left in the chunk");
    }
    return count;
  }

  void read(bool& value) {
    const std::uint8_t byte = *take(1);
    if (byte > 1) fail("boolean byte " + std::to_string(byte) + " is neither 0 nor 1");
    value = byte == 1;
  }
  void read(int& value) { value = static_cast<int>(u32()); }
  void read(double& value) { value = std::bit_cast<double>(u64()); }
  void read(std::string& text) {
    const std::size_t length = count(1, "text byte");
    const std::uint8_t* bytes = take(length);
    text.assign(reinterpret_cast<const char*>(bytes), length);
  }
  void read(OrvPoint& point) {
    read(point.x);
    read(point.y);
    read(point.z);
  }
  void read(OrvColor& color) {
    const std::uint8_t* channels = take(4);
    color = OrvColor{channels[0], channels[1], channels[2], channels[3]};
  }
  void read(OrvId& id) { std::memcpy(id.bytes, take(layout::kIdBytes), layout::kIdBytes); }
  void read(Frame& frame) {
    read(frame.point);
    read(frame.xAxis);
    read(frame.yAxis);
  }
  void read(TextureFlags& flags) {
    read(flags.first);
    read(flags.second);
  }
  void read(TextureSize& size) {
    read(size.height);
    read(size.width);
  }

  void expectEnd() const {
    if (remaining() != 0) {
      fail(std::to_string(remaining()) + " bytes left over at the end of the chunk");
    }
  }

 private:
  Bytes payload_;
  std::size_t fileOffset_;
  std::size_t position_ = 0;
  const Location& location_;
};

template <class T>
void readPresent(Decoder& in, bool present, std::optional<T>& field) {
  if (present) {
    T value{};
    in.read(value);
    field = std::move(value);
  }
}
void readPresent(Decoder&, bool present, bool& field) {
  field = present;
}

/// Reads a record's presence mask, then the value of every field whose bit is set.
struct FieldsReader {
  Decoder& in;
  template <class... Fields>
  void operator()(Fields&... fields) const {
    static_assert(sizeof...(Fields) < 32);
    const std::size_t maskOffset = in.offset();
    const std::uint32_t mask = in.u32();
    constexpr std::uint32_t known = (std::uint32_t{1} << sizeof...(Fields)) - 1;
    if ((mask & ~known) != 0) {
      std::ostringstream what;
      what << "presence mask 0x" << std::hex << mask << " sets bits beyond the " << std::dec
           << sizeof...(Fields) << " fields of this record";
      in.failAt(maskOffset, what.str());
    }
    std::uint32_t bit = 1;
    ((readPresent(in, (mask & bit) != 0, fields), bit <<= 1), ...);
  }
};

void readMaterials(Decoder& in, StableList<Material>& materials) {
  const std::size_t count = in.count(layout::kMinMaterialBytes, "material");
  for (std::size_t i = 0; i < count; ++i) {
    Material& material = materials.push_back({});
    in.read(material.id);
    layout::materialFields(material, FieldsReader{in});
  }
}

Layer readLayer(Decoder& in) {
  Layer layer;
  in.read(layer.id);
  layout::layerFields(layer, FieldsReader{in});
  return layer;
}

/// The optional fields of a polygon record, read before its vertex indices.
struct PolygonFields {
  std::optional<bool> flag;
  std::optional<int> materialIndex;
};

void readPolygons(Decoder& in, PolygonList& polygons) {
  const std::size_t count = in.count(layout::kMinPolygonBytes, "polygon");
  for (std::size_t i = 0; i < count; ++i) {
    PolygonFields fields;
    layout::polygonFields(fields, FieldsReader{in});
    const std::size_t corners = in.count(4, "vertex index");
    int* indices = polygons.append(fields.flag, fields.materialIndex, corners);
    for (std::size_t c = 0; c < corners; ++c) in.read(indices[c]);
  }
}

ObjectDefinition readDefinition(Decoder& in) {
  ObjectDefinition definition;
  in.read(definition.id);
  layout::definitionFields(definition, FieldsReader{in});
  readMaterials(in, definition.materials);
  definition.vertices.resize(in.count(layout::kPointBytes, "vertex"));
  for (OrvPoint& vertex : definition.vertices) in.read(vertex);
  readPolygons(in, definition.polygons);
  return definition;
}

ObjectInstance readInstance(Decoder& in) {
  ObjectInstance instance;
  in.read(instance.id);
  layout::instanceFields(instance, FieldsReader{in});
  layout::linkFields(instance.definitionLink, FieldsReader{in});
  readMaterials(in, instance.definitionLink.materials);
  return instance;
}

Light readLight(Decoder& in) {
  Light light;
  in.read(light.id);
  layout::lightFields(light, FieldsReader{in});
  return light;
}

Heliodon readHeliodon(Decoder& in) {
  Heliodon heliodon;
  in.read(heliodon.id);
  layout::heliodonFields(heliodon, FieldsReader{in});
  layout::dateTimeFields(heliodon.dateTime, FieldsReader{in});
  layout::placeFields(heliodon.place, FieldsReader{in});
  return heliodon;
}

void readSettingsAndStage(Decoder& in, ViewSettings& settings, RenderSetup& setup) {
  layout::settingsFields(settings, FieldsReader{in});
  settings.visibleLayers.resize(in.count(layout::kIdBytes, "visible layer"));
  for (OrvId& layer : settings.visibleLayers) in.read(layer);
  layout::stageFields(setup.stage, FieldsReader{in});
}

View readView(Decoder& in) {
  View view;
  in.read(view.id);
  layout::viewFields(view, FieldsReader{in});
  readSettingsAndStage(in, view.settings, view.renderSetup);
  return view;
}

Camera readCamera(Decoder& in) {
  Camera camera;
  in.read(camera.id);
  layout::cameraFields(camera, FieldsReader{in});
  readSettingsAndStage(in, camera.settings, camera.renderSetup);
  return camera;
}

/// One pass over a whole file: the header, then chunk after chunk up to the end chunk.
class FileReader {
 public:
  FileReader(Bytes file, const std::string& source) : file_(file), source_(source) {}

  Scene read() {
    readHeader();
    offset_ = layout::kHeaderBytes;
    bool ended = false;
    while (!ended) ended = readChunk();
    if (offset_ != file_.size()) {
      Location{source_, "after the end chunk"}.fail(
          offset_, std::to_string(file_.size() - offset_) + " bytes follow the end chunk");
    }
    return std::move(scene_);
  }

 private:
  void readHeader() const {
    const Location location{source_, "header"};
    if (file_.size() < layout::kHeaderBytes) {
      location.fail(0, "the file has " + std::to_string(file_.size()) + " bytes, fewer than the " +
                           std::to_string(layout::kHeaderBytes) + "-byte header");
    }
    if (!std::equal(layout::kMagic.begin(), layout::kMagic.end(), file_.begin())) {
      location.fail(0, "bad magic: this is not a scene file");
    }
    const std::uint32_t stored = static_cast<std::uint32_t>(littleEndian(&file_[12], 4));
    const std::uint32_t computed = crcOf(file_.first(12));
    if (stored != computed) location.fail(12, checksumMismatch(stored, computed));
    const auto major = littleEndian(&file_[8], 2);
    const auto minor = littleEndian(&file_[10], 2);
    if (major != layout::kMajorVersion) {
      location.fail(8, "unsupported format version " + std::to_string(major) + "." +
                           std::to_string(minor) + "; this reader reads version " +
                           std::to_string(layout::kMajorVersion) + ".x");
    }
  }

  static std::string checksumMismatch(std::uint32_t stored, std::uint32_t computed) {
    std::ostringstream what;
    what << std::hex << "checksum mismatch: stored 0x" << stored << ", computed 0x" << computed;
    return what.str();
  }

  /// Checks the chunk at offset_ (length, checksum), hands its payload to the reader for its
  /// tag, skips unknown tags, and moves past it. True for the end chunk.
  bool readChunk() {
    const std::size_t start = offset_;
    const std::size_t left = file_.size() - start;
    if (left == 0) {
      Location{source_, "end of file"}.fail(start, "the file ends without an end chunk");
    }
    Location location{source_, "chunk head"};
    if (left < layout::kChunkHeadBytes) {
      location.fail(start, "truncated chunk head: " + std::to_string(left) + " of " +
                               std::to_string(layout::kChunkHeadBytes) + " bytes");
    }
    const Bytes tagBytes = file_.subspan(start, layout::kTagBytes);
    const std::string tag = printableTag(tagBytes);
    location.where = "chunk " + tag;
    const std::uint64_t length = littleEndian(&file_[start + layout::kTagBytes], 8);
    const std::size_t room = left - layout::kChunkHeadBytes;
    if (room < layout::kChunkCrcBytes || length > room - layout::kChunkCrcBytes) {
      location.fail(start + layout::kTagBytes,
                    "payload length " + std::to_string(length) + " and its " +
                        std::to_string(layout::kChunkCrcBytes) + "-byte checksum exceed the " +
                        std::to_string(room) + " bytes left in the file");
    }
    const std::size_t payloadOffset = start + layout::kChunkHeadBytes;
    const std::size_t crcOffset = payloadOffset + length;
    const std::uint32_t stored = static_cast<std::uint32_t>(littleEndian(&file_[crcOffset], 4));
    const std::uint32_t computed = crcOf(file_.subspan(start, crcOffset - start));
    if (stored != computed) location.fail(crcOffset, checksumMismatch(stored, computed));
    offset_ = crcOffset + layout::kChunkCrcBytes;
    if (tag == layout::kEndTag) {
      readEnd(file_.subspan(payloadOffset, length), payloadOffset, start);
      return true;
    }
    readPayload(tag, file_.subspan(payloadOffset, length), payloadOffset);
    ++chunksRead_;
    return false;
  }

  void readPayload(const std::string& tag, Bytes payload, std::size_t payloadOffset) {
    if (tag == layout::kLayerTag) {
      readElement(scene_.layers, "layers", tag, payload, payloadOffset, readLayer);
    } else if (tag == layout::kDefinitionTag) {
      readElement(scene_.objectDefinitions, "objectDefinitions", tag, payload, payloadOffset,
                  readDefinition);
    } else if (tag == layout::kInstanceTag) {
      readElement(scene_.objectInstances, "objectInstances", tag, payload, payloadOffset,
                  readInstance);
    } else if (tag == layout::kLightTag) {
      readElement(scene_.lights, "lights", tag, payload, payloadOffset, readLight);
    } else if (tag == layout::kHeliodonTag) {
      readElement(scene_.heliodons, "heliodons", tag, payload, payloadOffset, readHeliodon);
    } else if (tag == layout::kViewTag) {
      readElement(scene_.views, "views", tag, payload, payloadOffset, readView);
    } else if (tag == layout::kCameraTag) {
      readElement(scene_.cameras, "cameras", tag, payload, payloadOffset, readCamera);
    } else if (tag == layout::kCreatorTag) {
      readCreator(payload, payloadOffset);
    }
    // Any other tag belongs to a later minor version; its checksum was verified, so skip it.
  }

  template <class Element, class ReadElement>
  void readElement(StableList<Element>& list, const char* listName, const std::string& tag,
                   Bytes payload, std::size_t payloadOffset, ReadElement readOne) {
    const Location location{
        source_, "chunk " + tag + ", " + listName + "[" + std::to_string(list.size()) + "]"};
    Decoder in(payload, payloadOffset, location);
    Element element = readOne(in);
    in.expectEnd();
    list.push_back(std::move(element));
  }

  void readCreator(Bytes payload, std::size_t payloadOffset) {
    const Location location{source_, "chunk " + std::string(layout::kCreatorTag)};
    Decoder in(payload, payloadOffset, location);
    if (scene_.creator) in.fail("the file has a second creator chunk");
    Creator creator;
    in.read(creator.application);
    in.read(creator.version);
    in.expectEnd();
    scene_.creator = std::move(creator);
  }

  /// Checks the end chunk, which starts at `endStart`, against what came before it.
  void readEnd(Bytes payload, std::size_t payloadOffset, std::size_t endStart) {
    const Location location{source_, "chunk " + std::string(layout::kEndTag)};
    Decoder in(payload, payloadOffset, location);
    const std::pair<const char*, std::size_t> lists[] = {
        {"layers", scene_.layers.size()},
        {"objectDefinitions", scene_.objectDefinitions.size()},
        {"objectInstances", scene_.objectInstances.size()},
        {"lights", scene_.lights.size()},
        {"heliodons", scene_.heliodons.size()},
        {"views", scene_.views.size()},
        {"cameras", scene_.cameras.size()}};
    static_assert(std::size(lists) == layout::kEndListCount);
    for (const auto& [name, found] : lists) {
      const std::size_t countOffset = in.offset();
      const std::uint32_t expected = in.u32();
      if (expected != found) {
        in.failAt(countOffset, "the end chunk counts " + std::to_string(expected) + " " + name +
                                   " but the file holds " + std::to_string(found));
      }
    }
    const std::size_t chunksOffset = in.offset();
    const std::uint32_t chunks = in.u32();
    if (chunks != chunksRead_) {
      in.failAt(chunksOffset, "the end chunk counts " + std::to_string(chunks) +
                                  " chunks before it but the file holds " +
                                  std::to_string(chunksRead_));
    }
    const std::size_t checksumOffset = in.offset();
    const std::uint32_t stored = in.u32();
    const std::uint32_t computed = crcOf(file_.first(endStart));
    if (stored != computed) {
      in.failAt(checksumOffset,
                "the chunks before the end chunk are not the ones it was written after: " +
                    checksumMismatch(stored, computed));
    }
    in.expectEnd();
  }

  Bytes file_;
  const std::string& source_;
  std::size_t offset_ = 0;
  std::size_t chunksRead_ = 0;  // before the end chunk, of every tag
  Scene scene_;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

Scene readScene(std::span<const std::uint8_t> bytes, const std::string& source) {
  return FileReader(bytes, source).read();
}

Scene readSceneFile(const std::filesystem::path& path) {
  const std::string source = path.string();
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) throw SceneFileError(source + ": cannot open: " + std::strerror(errno));
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint8_t> block(64 * 1024);
  while (const std::size_t got = std::fread(block.data(), 1, block.size(), file.get())) {
    bytes.insert(bytes.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(got));
  }
  if (std::ferror(file.get()))
    throw SceneFileError(source + ": cannot read: " + std::strerror(errno));
  return readScene(bytes, source);
}

}  // namespace QzOrv::scene
