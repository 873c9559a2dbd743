// The scene file's byte layout shared by the writer and the reader: magic, versions, chunk tags,
// and the optional fields of every record in file order. docs/scene-format.md describes it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace QzOrv::scene::layout {

// The high first byte catches 7-bit transfers, CR LF catches line-ending conversion and 0x1A
// stops a text dump, so a file mangled in text mode fails at the first bytes.
inline constexpr std::array<std::uint8_t, 8> kMagic = {0x8F, 'O', 'R', 'V', '\r', '\n', 0x1A, '\n'};
// Set once in the top CMakeLists.txt, which the tools' --version shows too.
inline constexpr std::uint16_t kMajorVersion = ORV_SCENE_FORMAT_MAJOR;
inline constexpr std::uint16_t kMinorVersion = ORV_SCENE_FORMAT_MINOR;
inline constexpr std::size_t kHeaderBytes = 16;  // magic, major, minor, CRC-32 of the first 12

// A chunk is tag (4), payload length (8), payload, CRC-32 of tag, length and payload (4).
inline constexpr std::size_t kTagBytes = 4;
inline constexpr std::size_t kChunkHeadBytes = kTagBytes + 8;
inline constexpr std::size_t kChunkCrcBytes = 4;

inline constexpr std::string_view kCreatorTag = "CRTR";
inline constexpr std::string_view kLayerTag = "LAYR";
inline constexpr std::string_view kDefinitionTag = "ODEF";
inline constexpr std::string_view kInstanceTag = "OINS";
inline constexpr std::string_view kLightTag = "LGHT";
inline constexpr std::string_view kHeliodonTag = "HELI";
inline constexpr std::string_view kViewTag = "VIEW";
inline constexpr std::string_view kCameraTag = "CAMR";
inline constexpr std::string_view kEndTag = "END ";

// The end chunk holds the element count of each list (layers, object definitions, object
// instances, lights, heliodons, views, cameras) as uint32, then the number of chunks before it
// and the CRC-32 of every byte before it (header included), so that a chunk removed, added or
// moved whole is caught although each chunk is sound on its own.
inline constexpr std::size_t kEndListCount = 7;
inline constexpr std::size_t kEndPayloadBytes = 4 * kEndListCount + 4 + 4;

// Encoded sizes used to bound counts before anything is allocated.
inline constexpr std::size_t kIdBytes = 16;
inline constexpr std::size_t kPointBytes = 24;
inline constexpr std::size_t kMinMaterialBytes = kIdBytes + 4;  // id and an empty mask
inline constexpr std::size_t kMinPolygonBytes = 4 + 4;          // empty mask, index count

// Each record's optional fields, in file order: bit i of the record's presence mask says whether
// the i-th field's value follows. `visit` receives the fields as references (const for writing).

template <class M, class Visit>
void layerFields(M& m, Visit&& visit) {
  visit(m.name);
}

template <class M, class Visit>
void materialFields(M& m, Visit&& visit) {
  visit(m.name, m.enabled, m.factor, m.diffuse, m.specular, m.shininess, m.transparency,
        m.textureFile, m.mappingKind, m.mappingOrigin, m.mappingFrame, m.textureFlags,
        m.textureSize, m.ambient, m.textureEnabled, m.reflection, m.emission);
}

template <class M, class Visit>
void polygonFields(M& m, Visit&& visit) {
  visit(m.flag, m.materialIndex);
}

template <class M, class Visit>
void definitionFields(M& m, Visit&& visit) {
  visit(m.name);
}

template <class M, class Visit>
void instanceFields(M& m, Visit&& visit) {
  visit(m.name, m.kind, m.layer);
}

template <class M, class Visit>
void linkFields(M& m, Visit&& visit) {
  visit(m.definition);
}

template <class M, class Visit>
void lightFields(M& m, Visit&& visit) {
  visit(m.name, m.type, m.color, m.position, m.target, m.spotAngle, m.shadowMode, m.shadowIntensity,
        m.intensity);
}

template <class M, class Visit>
void heliodonFields(M& m, Visit&& visit) {
  visit(m.name, m.enabled, m.northAngle, m.skyShadowIntensity, m.mode, m.subMode);
}

template <class M, class Visit>
void dateTimeFields(M& m, Visit&& visit) {
  visit(m.month, m.day, m.hour, m.minute, m.year);
}

template <class M, class Visit>
void placeFields(M& m, Visit&& visit) {
  visit(m.longitude, m.latitude, m.timeZone, m.daylightSaving);
}

template <class M, class Visit>
void settingsFields(M& m, Visit&& visit) {
  visit(m.mode, m.heliodon);
}

template <class M, class Visit>
void stageFields(M& m, Visit&& visit) {
  visit(m.mode);
}

template <class M, class Visit>
void viewFields(M& m, Visit&& visit) {
  visit(m.name, m.viewKind, m.state, m.used, m.fieldSize, m.eye, m.target);
}

template <class M, class Visit>
void cameraFields(M& m, Visit&& visit) {
  visit(m.name, m.eye, m.target, m.current, m.enabled, m.roll, m.focal);
}

}  // namespace QzOrv::scene::layout
