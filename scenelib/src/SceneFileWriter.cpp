#include "orv/SceneFileWriter.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "FileLayout.h"

namespace QzOrv::scene {
namespace {

/// Where encoded bytes go: a counter that learns a chunk's length, or the pieces of the file.
class Sink {
 public:
  virtual void append(const std::uint8_t* bytes, std::size_t count) = 0;

 protected:
  ~Sink() = default;
};

class CountingSink final : public Sink {
 public:
  void append(const std::uint8_t*, std::size_t count) override { total_ += count; }
  std::uint64_t total() const { return total_; }

 private:
  std::uint64_t total_ = 0;
};

/// Thrown out of the serialiser when the caller's feedback asks to stop.
struct SaveStopped {};

/// Gathers bytes into one piece buffer, hands every full piece to the stream, and keeps a
/// running CRC-32 that each chunk restarts. The CRC is brought up to date over whole runs of the
/// buffer rather than per value, which keeps it cheap for millions of small values.
class PieceSink final : public Sink {
 public:
  PieceSink(IOrvWriteStream& stream, const std::function<bool()>& keepGoing)
      : stream_(stream), keepGoing_(keepGoing), piece_(kMaxPieceBytes) {}

  void append(const std::uint8_t* bytes, std::size_t count) override {
    total_ += count;
    while (count > 0) {
      const std::size_t room = std::min(count, piece_.size() - used_);
      std::memcpy(piece_.data() + used_, bytes, room);
      used_ += room;
      bytes += room;
      count -= room;
      if (used_ == piece_.size()) flush();
    }
  }

  void restartCrc() {
    settleFileCrc();
    crc_ = 0;
    crcDoneUpTo_ = used_;
  }
  std::uint32_t crc() {
    settleCrc();
    return static_cast<std::uint32_t>(crc_);
  }
  /// The CRC-32 of every byte appended so far.
  std::uint32_t fileCrc() {
    settleFileCrc();
    return static_cast<std::uint32_t>(fileCrc_);
  }
  std::uint64_t total() const { return total_; }

  /// Hands the bytes gathered so far to the stream as one piece.
  void flush() {
    if (used_ == 0) return;
    settleCrc();
    settleFileCrc();
    if (piecesWritten_ > 0 && keepGoing_ && !keepGoing_()) throw SaveStopped{};
    stream_.write(piece_.data(), used_);
    ++piecesWritten_;
    used_ = 0;
    crcDoneUpTo_ = 0;
    fileCrcDoneUpTo_ = 0;
  }

 private:
  void settleCrc() {
    crc_ = crc32_z(crc_, piece_.data() + crcDoneUpTo_, used_ - crcDoneUpTo_);
    crcDoneUpTo_ = used_;
  }
  void settleFileCrc() {
    fileCrc_ = crc32_z(fileCrc_, piece_.data() + fileCrcDoneUpTo_, used_ - fileCrcDoneUpTo_);
    fileCrcDoneUpTo_ = used_;
  }

  IOrvWriteStream& stream_;
  const std::function<bool()>& keepGoing_;
  std::vector<std::uint8_t> piece_;
  std::size_t used_ = 0;
  std::size_t crcDoneUpTo_ = 0;      // bytes of the piece already in crc_
  std::size_t fileCrcDoneUpTo_ = 0;  // bytes of the piece already in fileCrc_
  std::uint64_t piecesWritten_ = 0;
  std::uint64_t total_ = 0;
  unsigned long crc_ = 0;
  unsigned long fileCrc_ = 0;
};

/// Little-endian encoding of the file's value forms.
class Encoder {
 public:
  explicit Encoder(Sink& sink) : sink_(sink) {}

  void bytes(const void* data, std::size_t count) {
    sink_.append(static_cast<const std::uint8_t*>(data), count);
  }
  void u16(std::uint16_t value) { little(value, 2); }
  void u32(std::uint32_t value) { little(value, 4); }
  void u64(std::uint64_t value) { little(value, 8); }
  void tag(std::string_view tag) { bytes(tag.data(), layout::kTagBytes); }
  void count(std::size_t count) {
    assert(count <= std::numeric_limits<std::uint32_t>::max());
    u32(static_cast<std::uint32_t>(count));
  }

  void value(bool value) {
    const std::uint8_t byte = value ? 1 : 0;
    bytes(&byte, 1);
  }
  void value(int value) { u32(static_cast<std::uint32_t>(value)); }
  void value(double value) { u64(std::bit_cast<std::uint64_t>(value)); }
  void value(const std::string& text) {
    count(text.size());
    bytes(text.data(), text.size());
  }
  void value(const OrvPoint& point) {
    value(point.x);
    value(point.y);
    value(point.z);
  }
  void value(const OrvColor& color) {
    const std::uint8_t channels[4] = {color.a, color.r, color.g, color.b};
    bytes(channels, 4);
  }
  void value(const OrvId& id) { bytes(id.bytes, layout::kIdBytes); }
  void value(const Frame& frame) {
    value(frame.point);
    value(frame.xAxis);
    value(frame.yAxis);
  }
  void value(const TextureFlags& flags) {
    value(flags.first);
    value(flags.second);
  }
  void value(const TextureSize& size) {
    value(size.height);
    value(size.width);
  }

 private:
  void little(std::uint64_t value, int byteCount) {
    std::uint8_t out[8];
    for (int i = 0; i < byteCount; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
    bytes(out, static_cast<std::size_t>(byteCount));
  }

  Sink& sink_;
};

// A field is present when its setter was called: an optional holds a value, and a field that
// is only a call (markUsed, makeCurrent) is a bool that is true.
template <class T>
bool isPresent(const std::optional<T>& field) {
  return field.has_value();
}
bool isPresent(bool field) {
  return field;
}

template <class T>
void writePresent(Encoder& out, const std::optional<T>& field) {
  if (field) out.value(*field);
}
void writePresent(Encoder&, bool) {}

/// Writes a record's presence mask, then the value of every present field in order.
struct FieldsWriter {
  Encoder& out;
  template <class... Fields>
  void operator()(const Fields&... fields) const {
    static_assert(sizeof...(Fields) < 32);
    std::uint32_t mask = 0;
    std::uint32_t bit = 1;
    ((mask |= isPresent(fields) ? bit : 0u, bit <<= 1), ...);
    out.u32(mask);
    (writePresent(out, fields), ...);
  }
};

void writeMaterials(Encoder& out, const StableList<Material>& materials) {
  out.count(materials.size());
  for (const Material& material : materials) {
    out.value(material.id);
    layout::materialFields(material, FieldsWriter{out});
  }
}

void writeLayer(Encoder& out, const Layer& layer) {
  out.value(layer.id);
  layout::layerFields(layer, FieldsWriter{out});
}

void writeDefinition(Encoder& out, const ObjectDefinition& definition) {
  out.value(definition.id);
  layout::definitionFields(definition, FieldsWriter{out});
  writeMaterials(out, definition.materials);
  out.count(definition.vertices.size());
  for (const OrvPoint& vertex : definition.vertices) out.value(vertex);
  out.count(definition.polygons.size());
  for (const Polygon& polygon : definition.polygons) {
    layout::polygonFields(polygon, FieldsWriter{out});
    out.count(polygon.vertexIndices.size());
    for (int index : polygon.vertexIndices) out.value(index);
  }
}

void writeInstance(Encoder& out, const ObjectInstance& instance) {
  out.value(instance.id);
  layout::instanceFields(instance, FieldsWriter{out});
  layout::linkFields(instance.definitionLink, FieldsWriter{out});
  writeMaterials(out, instance.definitionLink.materials);
}

void writeLight(Encoder& out, const Light& light) {
  out.value(light.id);
  layout::lightFields(light, FieldsWriter{out});
}

void writeHeliodon(Encoder& out, const Heliodon& heliodon) {
  out.value(heliodon.id);
  layout::heliodonFields(heliodon, FieldsWriter{out});
  layout::dateTimeFields(heliodon.dateTime, FieldsWriter{out});
  layout::placeFields(heliodon.place, FieldsWriter{out});
}

void writeSettingsAndStage(Encoder& out, const ViewSettings& settings, const RenderSetup& setup) {
  layout::settingsFields(settings, FieldsWriter{out});
  out.count(settings.visibleLayers.size());
  for (const OrvId& layer : settings.visibleLayers) out.value(layer);
  layout::stageFields(setup.stage, FieldsWriter{out});
}

void writeView(Encoder& out, const View& view) {
  out.value(view.id);
  layout::viewFields(view, FieldsWriter{out});
  writeSettingsAndStage(out, view.settings, view.renderSetup);
}

void writeCamera(Encoder& out, const Camera& camera) {
  out.value(camera.id);
  layout::cameraFields(camera, FieldsWriter{out});
  writeSettingsAndStage(out, camera.settings, camera.renderSetup);
}

void writeHeader(PieceSink& sink) {
  Encoder out(sink);
  sink.restartCrc();
  out.bytes(layout::kMagic.data(), layout::kMagic.size());
  out.u16(layout::kMajorVersion);
  out.u16(layout::kMinorVersion);
  out.u32(sink.crc());
}

/// Writes one chunk whose payload `body` encodes. The payload is encoded twice: first only to
/// count its bytes, so the length can precede it, then into the pieces.
template <class Body>
void writeChunk(PieceSink& sink, std::string_view tag, const Body& body, std::size_t& chunks) {
  ++chunks;
  CountingSink counter;
  Encoder counting(counter);
  body(counting);

  Encoder out(sink);
  sink.restartCrc();
  out.tag(tag);
  out.u64(counter.total());
  [[maybe_unused]] const std::uint64_t payloadStart = sink.total();
  body(out);
  assert(sink.total() - payloadStart == counter.total());
  out.u32(sink.crc());
}

template <class Element, class WriteElement>
void writeChunks(PieceSink& sink, std::string_view tag, const StableList<Element>& elements,
                 WriteElement writeElement, std::size_t& chunks) {
  for (const Element& element : elements) {
    writeChunk(
        sink, tag, [&](Encoder& out) { writeElement(out, element); }, chunks);
  }
}

void writeScene(PieceSink& sink, const Scene& scene) {
  writeHeader(sink);
  std::size_t chunks = 0;
  if (scene.creator) {
    writeChunk(
        sink, layout::kCreatorTag,
        [&](Encoder& out) {
          out.value(scene.creator->application);
          out.value(scene.creator->version);
        },
        chunks);
  }
  writeChunks(sink, layout::kLayerTag, scene.layers, writeLayer, chunks);
  writeChunks(sink, layout::kDefinitionTag, scene.objectDefinitions, writeDefinition, chunks);
  writeChunks(sink, layout::kInstanceTag, scene.objectInstances, writeInstance, chunks);
  writeChunks(sink, layout::kLightTag, scene.lights, writeLight, chunks);
  writeChunks(sink, layout::kHeliodonTag, scene.heliodons, writeHeliodon, chunks);
  writeChunks(sink, layout::kViewTag, scene.views, writeView, chunks);
  writeChunks(sink, layout::kCameraTag, scene.cameras, writeCamera, chunks);
  const std::size_t chunksBefore = chunks;
  const std::uint32_t checksumBefore = sink.fileCrc();
  writeChunk(
      sink, layout::kEndTag,
      [&](Encoder& out) {
        for (std::size_t count :
             {scene.layers.size(), scene.objectDefinitions.size(), scene.objectInstances.size(),
              scene.lights.size(), scene.heliodons.size(), scene.views.size(),
              scene.cameras.size()}) {
          out.count(count);
        }
        out.count(chunksBefore);
        out.u32(checksumBefore);
      },
      chunks);
  sink.flush();
}

}  // namespace

bool writeSceneFile(const Scene& scene, IOrvWriteStream& stream,
                    const std::function<bool()>& keepGoing) {
  PieceSink sink(stream, keepGoing);
  try {
    writeScene(sink, scene);
  } catch (const SaveStopped&) {
    return false;
  }
  return true;
}

}  // namespace QzOrv::scene
