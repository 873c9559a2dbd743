#include "orv/SceneFileWriter.h"

#include <libdeflate.h>
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

static_assert(sizeof(OrvPoint) == layout::kPointBytes, "points are written as they lie in memory");

/// Counts the bytes a chunk's payload encodes to, so its length can precede it.
class ByteCounter {
 public:
  static constexpr bool kCountsOnly = true;
  void append(const void*, std::size_t count) { total_ += count; }
  std::uint64_t total() const { return total_; }

 private:
  std::uint64_t total_ = 0;
};

/// Thrown out of the serialiser when the caller's feedback asks to stop.
struct SaveStopped {};

/// Gathers bytes into one piece buffer and hands every full piece to the stream. Keeps the CRC-32
/// of the current run of bytes (a run is the header or one chunk, trailing checksum included),
/// brought up to date over whole stretches of the buffer rather than per value, and the CRC-32 of
/// the whole file: a short run is checksummed a second time into it while its bytes are in cache,
/// a long run is folded into it when it ends (zlib's crc32_combine, whose cost does not grow with
/// the run), so the bytes of large scenes are checksummed once. The checksumming itself is
/// libdeflate's, which folds many bytes per step with carry-less multiplication where the
/// processor has it.
class PieceSink {
 public:
  static constexpr bool kCountsOnly = false;

  PieceSink(IOrvWriteStream& stream, const std::function<bool()>& keepGoing)
      : stream_(stream), keepGoing_(keepGoing), piece_(kMaxPieceBytes) {}

  void append(const void* bytes, std::size_t count) {
    if (count == 0) return;  // an empty list's storage may be null
    if (count <= piece_.size() - used_) {
      std::memcpy(piece_.data() + used_, bytes, count);
      used_ += count;
      total_ += count;
      return;
    }
    appendAcrossPieces(static_cast<const std::uint8_t*>(bytes), count);
  }

  /// Ends the current run and starts a new one at the next byte, of about `length` bytes.
  void startRun(std::uint64_t length) {
    settleCrc();
    if (!fileCrcDirect_) fileCrc_ = combined(fileCrc_, runCrc_, runLength());
    runCrc_ = 0;
    runStart_ = total_;
    fileCrcDirect_ = length < kCombineFrom;
  }
  /// The CRC-32 of the current run so far.
  std::uint32_t runCrc() {
    settleCrc();
    return runCrc_;
  }
  /// The CRC-32 of every byte appended so far.
  std::uint32_t fileCrc() {
    settleCrc();
    return fileCrcDirect_ ? fileCrc_ : combined(fileCrc_, runCrc_, runLength());
  }
  std::uint64_t total() const { return total_; }

  /// Hands the bytes gathered so far to the stream as one piece.
  void flush() {
    if (used_ == 0) return;
    settleCrc();
    if (piecesWritten_ > 0 && keepGoing_ && !keepGoing_()) throw SaveStopped{};
    stream_.write(piece_.data(), used_);
    ++piecesWritten_;
    used_ = 0;
    crcDoneUpTo_ = 0;
  }

 private:
  void appendAcrossPieces(const std::uint8_t* bytes, std::size_t count) {
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

  // Runs from this length on are folded into the file's CRC rather than checksummed twice.
  static constexpr std::uint64_t kCombineFrom = 1024;

  z_off64_t runLength() const { return static_cast<z_off64_t>(total_ - runStart_); }
  /// The CRC-32 of `first`'s bytes followed by `length` bytes whose CRC-32 is `second`.
  static std::uint32_t combined(std::uint32_t first, std::uint32_t second, z_off64_t length) {
    return static_cast<std::uint32_t>(crc32_combine64(first, second, length));
  }

  void settleCrc() {
    const std::uint8_t* unsettled = piece_.data() + crcDoneUpTo_;
    runCrc_ = libdeflate_crc32(runCrc_, unsettled, used_ - crcDoneUpTo_);
    if (fileCrcDirect_) fileCrc_ = libdeflate_crc32(fileCrc_, unsettled, used_ - crcDoneUpTo_);
    crcDoneUpTo_ = used_;
  }

  IOrvWriteStream& stream_;
  const std::function<bool()>& keepGoing_;
  std::vector<std::uint8_t> piece_;
  std::size_t used_ = 0;
  std::size_t crcDoneUpTo_ = 0;  // bytes of the piece already in runCrc_
  std::uint64_t piecesWritten_ = 0;
  std::uint64_t total_ = 0;
  std::uint64_t runStart_ = 0;
  std::uint32_t runCrc_ = 0;
  std::uint32_t fileCrc_ = 0;
  bool fileCrcDirect_ = true;  // the current run goes into fileCrc_ as it is settled
};

template <class Sink>
struct FieldsWriter;

/// Little-endian encoding of the file's value forms into a ByteCounter or a PieceSink; every call
/// is resolved at compile time.
template <class Sink>
class Encoder {
 public:
  explicit Encoder(Sink& sink) : sink_(sink) {}

  void bytes(const void* data, std::size_t count) { sink_.append(data, count); }
  void u16(std::uint16_t value) { little(value); }
  void u32(std::uint32_t value) { little(value); }
  void u64(std::uint64_t value) { little(value); }
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

  /// Every point in order, each stretch of them as one run of bytes where memory already holds
  /// them little-endian.
  void points(const ChunkedArray<OrvPoint>& points) {
    points.forEachRun([&](const OrvPoint* first, std::size_t count) {
      if constexpr (std::endian::native == std::endian::little) {
        bytes(first, count * sizeof(OrvPoint));
      } else {
        for (std::size_t i = 0; i < count; ++i) value(first[i]);
      }
    });
  }

  /// Every polygon record in order: presence mask, flag, material index, index count, indices.
  /// Their length follows from the list's totals, without a look at any polygon.
  void polygons(const PolygonList& polygons) {
    if constexpr (Sink::kCountsOnly) {
      const PolygonList::Totals& totals = polygons.totals();
      bytes(nullptr, (4 + 4) * polygons.size() + totals.flags + 4 * totals.materialIndices +
                         4 * totals.vertexIndices);
      return;
    }
    polygons.forEach([&](const PolygonRef& polygon) {
      const std::span<const int> corners = polygon.vertexIndices;
      if (corners.size() <= kShortPolygon && std::endian::native == std::endian::little) {
        // Encoded whole on the stack and appended at once: one copy per polygon.
        std::uint8_t record[4 + 1 + 4 + 4 + 4 * kShortPolygon];
        std::size_t used = 0;
        auto put = [&](const void* value, std::size_t size) {
          if (size == 0) return;  // a polygon without indices may have no storage
          std::memcpy(record + used, value, size);
          used += size;
        };
        const std::uint32_t mask = (polygon.flag ? 1u : 0u) | (polygon.materialIndex ? 2u : 0u);
        put(&mask, 4);
        if (polygon.flag) {
          const std::uint8_t flag = *polygon.flag ? 1 : 0;
          put(&flag, 1);
        }
        if (polygon.materialIndex) put(&*polygon.materialIndex, 4);
        const auto count = static_cast<std::uint32_t>(corners.size());
        put(&count, 4);
        put(corners.data(), 4 * corners.size());
        bytes(record, used);
      } else {
        layout::polygonFields(polygon, FieldsWriter<Sink>{*this});
        count(corners.size());
        for (int index : corners) value(index);
      }
    });
  }

 private:
  static constexpr std::size_t kShortPolygon = 8;

  template <class Unsigned>
  void little(Unsigned value) {
    if constexpr (std::endian::native != std::endian::little) value = byteSwapped(value);
    bytes(&value, sizeof value);
  }
  template <class Unsigned>
  static Unsigned byteSwapped(Unsigned value) {
    Unsigned swapped = 0;
    for (std::size_t i = 0; i < sizeof value; ++i) {
      swapped = static_cast<Unsigned>((swapped << 8) | ((value >> (8 * i)) & 0xFF));
    }
    return swapped;
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

template <class Sink, class T>
void writePresent(Encoder<Sink>& out, const std::optional<T>& field) {
  if (field) out.value(*field);
}
template <class Sink>
void writePresent(Encoder<Sink>&, bool) {}

/// Writes a record's presence mask, then the value of every present field in order.
template <class Sink>
struct FieldsWriter {
  Encoder<Sink>& out;
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

template <class Sink>
void writeMaterials(Encoder<Sink>& out, const StableList<Material>& materials) {
  out.count(materials.size());
  for (const Material& material : materials) {
    out.value(material.id);
    layout::materialFields(material, FieldsWriter<Sink>{out});
  }
}

template <class Sink>
void writeLayer(Encoder<Sink>& out, const Layer& layer) {
  out.value(layer.id);
  layout::layerFields(layer, FieldsWriter<Sink>{out});
}

template <class Sink>
void writeDefinition(Encoder<Sink>& out, const ObjectDefinition& definition) {
  out.value(definition.id);
  layout::definitionFields(definition, FieldsWriter<Sink>{out});
  writeMaterials(out, definition.materials);
  out.count(definition.vertices.size());
  out.points(definition.vertices);
  out.count(definition.polygons.size());
  out.polygons(definition.polygons);
}

template <class Sink>
void writeInstance(Encoder<Sink>& out, const ObjectInstance& instance) {
  out.value(instance.id);
  layout::instanceFields(instance, FieldsWriter<Sink>{out});
  layout::linkFields(instance.definitionLink, FieldsWriter<Sink>{out});
  writeMaterials(out, instance.definitionLink.materials);
}

template <class Sink>
void writeLight(Encoder<Sink>& out, const Light& light) {
  out.value(light.id);
  layout::lightFields(light, FieldsWriter<Sink>{out});
}

template <class Sink>
void writeHeliodon(Encoder<Sink>& out, const Heliodon& heliodon) {
  out.value(heliodon.id);
  layout::heliodonFields(heliodon, FieldsWriter<Sink>{out});
  layout::dateTimeFields(heliodon.dateTime, FieldsWriter<Sink>{out});
  layout::placeFields(heliodon.place, FieldsWriter<Sink>{out});
}

template <class Sink>
void writeSettingsAndStage(Encoder<Sink>& out, const ViewSettings& settings,
                           const RenderSetup& setup) {
  layout::settingsFields(settings, FieldsWriter<Sink>{out});
  out.count(settings.visibleLayers.size());
  for (const OrvId& layer : settings.visibleLayers) out.value(layer);
  layout::stageFields(setup.stage, FieldsWriter<Sink>{out});
}

template <class Sink>
void writeView(Encoder<Sink>& out, const View& view) {
  out.value(view.id);
  layout::viewFields(view, FieldsWriter<Sink>{out});
  writeSettingsAndStage(out, view.settings, view.renderSetup);
}

template <class Sink>
void writeCamera(Encoder<Sink>& out, const Camera& camera) {
  out.value(camera.id);
  layout::cameraFields(camera, FieldsWriter<Sink>{out});
  writeSettingsAndStage(out, camera.settings, camera.renderSetup);
}

void writeHeader(PieceSink& sink) {
  Encoder out(sink);
  out.bytes(layout::kMagic.data(), layout::kMagic.size());
  out.u16(layout::kMajorVersion);
  out.u16(layout::kMinorVersion);
  out.u32(sink.runCrc());
}

/// Writes one chunk whose payload `body(encoder)` encodes, for either sink. The payload is
/// encoded twice: first only to count its bytes, so the length can precede it, then into the
/// pieces. Counting skips over stretches whose length is known (points, polygons), so the first
/// pass costs little even for a definition of millions of polygons.
template <class Body>
void writeChunk(PieceSink& sink, std::string_view tag, const Body& body, std::size_t& chunks) {
  ++chunks;
  ByteCounter counter;
  Encoder counting(counter);
  body(counting);

  Encoder out(sink);
  sink.startRun(layout::kChunkHeadBytes + counter.total() + layout::kChunkCrcBytes);
  out.tag(tag);
  out.u64(counter.total());
  [[maybe_unused]] const std::uint64_t payloadStart = sink.total();
  body(out);
  assert(sink.total() - payloadStart == counter.total());
  out.u32(sink.runCrc());
}

template <class Element, class WriteElement>
void writeChunks(PieceSink& sink, std::string_view tag, const StableList<Element>& elements,
                 const WriteElement& writeElement, std::size_t& chunks) {
  for (const Element& element : elements) {
    writeChunk(
        sink, tag, [&](auto& out) { writeElement(out, element); }, chunks);
  }
}

void writeScene(PieceSink& sink, const Scene& scene) {
  writeHeader(sink);
  std::size_t chunks = 0;
  if (scene.creator) {
    writeChunk(
        sink, layout::kCreatorTag,
        [&](auto& out) {
          out.value(scene.creator->application);
          out.value(scene.creator->version);
        },
        chunks);
  }
  writeChunks(
      sink, layout::kLayerTag, scene.layers,
      [](auto& out, const Layer& element) { writeLayer(out, element); }, chunks);
  writeChunks(
      sink, layout::kDefinitionTag, scene.objectDefinitions,
      [](auto& out, const ObjectDefinition& element) { writeDefinition(out, element); }, chunks);
  writeChunks(
      sink, layout::kInstanceTag, scene.objectInstances,
      [](auto& out, const ObjectInstance& element) { writeInstance(out, element); }, chunks);
  writeChunks(
      sink, layout::kLightTag, scene.lights,
      [](auto& out, const Light& element) { writeLight(out, element); }, chunks);
  writeChunks(
      sink, layout::kHeliodonTag, scene.heliodons,
      [](auto& out, const Heliodon& element) { writeHeliodon(out, element); }, chunks);
  writeChunks(
      sink, layout::kViewTag, scene.views,
      [](auto& out, const View& element) { writeView(out, element); }, chunks);
  writeChunks(
      sink, layout::kCameraTag, scene.cameras,
      [](auto& out, const Camera& element) { writeCamera(out, element); }, chunks);
  const std::size_t chunksBefore = chunks;
  const std::uint32_t checksumBefore = sink.fileCrc();
  writeChunk(
      sink, layout::kEndTag,
      [&](auto& out) {
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
