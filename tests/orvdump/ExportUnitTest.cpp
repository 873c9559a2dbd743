// The pieces under orvdump's glTF export and preview on their own: polygons split into triangles,
// texture references turned into files and URIs, texture projections, the vertices of a
// primitive, and output files written whole or not at all.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "ExportTestSupport.h"
#include "TempFolder.h"
#include "common/OutputReplacement.h"
#include "common/Picture.h"
#include "common/SceneMeshes.h"
#include "common/TextureImage.h"
#include "common/TextureLookup.h"
#include "common/TextureProjection.h"
#include "common/VertexNormals.h"
#include "gltf/GltfPrimitives.h"

namespace {

using namespace QzOrv;
using namespace QzOrv::scene;
namespace fs = std::filesystem;

using Corners = std::vector<std::uint32_t>;

ObjectDefinition withPolygons(std::size_t points, const std::vector<std::vector<int>>& corners,
                              const std::vector<std::optional<int>>& slots, std::size_t materials) {
  ObjectDefinition definition;
  for (std::size_t i = 0; i < points; ++i) {
    definition.vertices.push_back({static_cast<double>(i), static_cast<double>(i * i), 0});
  }
  for (std::size_t m = 0; m < materials; ++m) definition.materials.push_back({});
  for (std::size_t p = 0; p < corners.size(); ++p) {
    Polygon polygon;
    polygon.vertexIndices = corners[p];
    polygon.materialIndex = slots[p];
    definition.polygons.push_back(polygon);
  }
  return definition;
}

TEST(Triangulate, QuadsSplitAlongTheFirstDiagonalAndLargerPolygonsFan) {
  const DefinitionTriangles triangles =
      triangulate(withPolygons(6, {{0, 1, 2, 3}, {4, 5, 0}, {0, 1, 2, 3, 4}}, {0, 0, 0}, 1));
  ASSERT_EQ(triangles.slots.size(), 1u);
  EXPECT_EQ(triangles.slots[0].corners,
            (Corners{0, 1, 2, 0, 2, 3, 4, 5, 0, 0, 1, 2, 0, 2, 3, 0, 3, 4}));
  EXPECT_EQ(triangles.skippedPolygons, 0u);
}

TEST(Triangulate, AQuadWhoseLastCornersWeldIsOneTriangle) {
  const DefinitionTriangles triangles =
      triangulate(withPolygons(3, {{0, 1, 2, 2}, {0, 0, 1}}, {0, 0}, 1));
  ASSERT_EQ(triangles.slots.size(), 1u);
  EXPECT_EQ(triangles.slots[0].corners, (Corners{0, 1, 2}));
  EXPECT_EQ(triangles.skippedPolygons, 0u);
}

TEST(Triangulate, BrokenPolygonsAreCountedAndLeftOut) {
  ObjectDefinition definition =
      withPolygons(4, {{0, 1}, {0, 1, 4}, {-1, 1, 2}, {1, 2, 3}, {0, 1, 2}}, {0, 0, 0, 0, 0}, 1);
  definition.vertices[3].z = std::nan("");
  const DefinitionTriangles triangles = triangulate(definition);
  ASSERT_EQ(triangles.slots.size(), 1u);
  EXPECT_EQ(triangles.slots[0].corners, (Corners{0, 1, 2}));
  EXPECT_EQ(triangles.skippedPolygons, 4u);
  EXPECT_EQ(triangles.triangleCount(), 1u);
}

TEST(Triangulate, TrianglesGroupBySlotInSlotOrderWithoutASlotLast) {
  const DefinitionTriangles triangles = triangulate(withPolygons(
      3, {{0, 1, 2}, {2, 1, 0}, {1, 2, 0}, {0, 2, 1}, {2, 0, 1}}, {2, std::nullopt, 0, 5, -1}, 3));
  ASSERT_EQ(triangles.slots.size(), 3u);
  EXPECT_EQ(triangles.slots[0].slot, 0);
  EXPECT_EQ(triangles.slots[0].corners, (Corners{1, 2, 0}));
  EXPECT_EQ(triangles.slots[1].slot, 2);
  EXPECT_EQ(triangles.slots[1].corners, (Corners{0, 1, 2}));
  EXPECT_EQ(triangles.slots[2].slot, kNoSlot);
  EXPECT_EQ(triangles.slots[2].corners, (Corners{2, 1, 0, 0, 2, 1, 2, 0, 1}));
}

TEST(TextureLookup, FileUrlsAndPlainPathsNameLocalFiles) {
  const fs::path base = "/scenes/house";
  const std::pair<std::string, std::optional<fs::path>> cases[] = {
      {"file:///tmp/roof%20tiles.png", "/tmp/roof tiles.png"},
      {"file:////tmp/x.png", "/tmp/x.png"},  // "file:///" put before an absolute path
      {"file:/tmp/x.png", "/tmp/x.png"},
      {"FILE://localhost/tmp/x.png", "/tmp/x.png"},
      {"file:///C|/maps/wood.jpg", "C:/maps/wood.jpg"},
      {"file:///tmp/100%", "/tmp/100%"},
      {"maps/oak.jpg", "/scenes/house/maps/oak.jpg"},
      {"/textures/oak.jpg", "/textures/oak.jpg"},
      {"file://server/share/x.png", std::nullopt},
      {"http://example.invalid/x.png", std::nullopt},
      {"file:///", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [url, path] : cases) {
    EXPECT_EQ(pathFromTextureUrl(url, base), path) << url;
  }
}

TEST(TextureLookup, RelativeUrisClimbOutOfFoldersAndEscapeEveryOtherByte) {
  EXPECT_EQ(relativeUri("/out/maps/roof tiles.png", "/out"), "maps/roof%20tiles.png");
  EXPECT_EQ(relativeUri("/textures/a#1.png", "/out/glb"), "../../textures/a%231.png");
  EXPECT_EQ(relativeUri("/out/caf\xC3\xA9.jpg", "/out"), "caf%C3%A9.jpg");
}

TEST(TextureLookup, ImagesAreKnownByTheirFirstBytesNotTheirNames) {
  TempFolder folder("orvdump-images");
  const fs::path png = folder.path / "really.jpg", jpeg = folder.path / "photo.png",
                 text = folder.path / "notes.png";
  writePng(Picture(1, 1, {}), png);
  std::ofstream(jpeg, std::ios::binary) << "\xFF\xD8\xFF\xE0 rest of a JPEG file";
  std::ofstream(text) << "just notes";
  EXPECT_EQ(imageKindOf(png), ImageKind::png);
  EXPECT_EQ(imageKindOf(jpeg), ImageKind::jpeg);
  EXPECT_EQ(imageKindOf(text), ImageKind::other);
  EXPECT_EQ(imageKindOf(folder.path / "absent.png"), ImageKind::other);
  EXPECT_STREQ(mimeTypeOf(ImageKind::jpeg), "image/jpeg");
  EXPECT_EQ(mimeTypeOf(ImageKind::other), nullptr);
}

/// A BMP file header of `width` × `height` 24-bit pixels, followed by `pixels` bytes.
std::string bmpFile(std::int32_t width, std::int32_t height, const std::string& pixels) {
  std::string bytes = "BM";
  auto put = [&bytes](std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  put(54 + pixels.size(), 4);
  put(0, 4);
  put(54, 4);  // where the pixels start
  put(40, 4);  // the information header's size
  put(static_cast<std::uint32_t>(width), 4);
  put(static_cast<std::uint32_t>(height), 4);
  put(1, 2);   // planes
  put(24, 2);  // bits per pixel
  put(0, 4);   // no compression
  put(pixels.size(), 4);
  for (int i = 0; i < 4; ++i) put(0, 4);  // resolution and palette counts
  return bytes + pixels;
}

TEST(TextureImage, ImagesDecodeToRepeatingPixelsAndBadOrHugeFilesAreRefused) {
  TempFolder folder("orvdump-texture-image");
  // Two pixels in blue, green, red order, padded to four bytes: red then blue.
  const std::string twoPixels{"\x00\x00\xFF\xFF\x00\x00\x00\x00", 8};
  const std::pair<std::string, std::string> files[] = {
      {"good.bmp", bmpFile(2, 1, twoPixels)},
      {"huge.bmp", bmpFile(100000, 100000, twoPixels)},
      {"short.bmp", bmpFile(2, 1, twoPixels).substr(0, 56)},
      {"notes.bmp", "just notes"},
      {"empty.bmp", ""},
  };
  for (const auto& [name, bytes] : files) {
    std::ofstream(folder.path / name, std::ios::binary) << bytes;
  }
  std::string why;
  const std::optional<TextureImage> good = readTextureImage(folder.path / "good.bmp", why);
  ASSERT_TRUE(good) << why;
  using Texel = std::array<std::uint8_t, 4>;
  EXPECT_EQ(good->sample(0.25, 0.5), (Texel{255, 0, 0, 255}));
  EXPECT_EQ(good->sample(0.75, 0.5), (Texel{0, 0, 255, 255}));
  EXPECT_EQ(good->sample(-0.75, 3.5), (Texel{255, 0, 0, 255}));  // the image repeats
  EXPECT_EQ(good->sample(std::nan(""), 0), (Texel{255, 0, 0, 255}));

  // A file cut short is decoded as far as it goes (the decoder fills the rest), never beyond.
  const std::optional<TextureImage> cut = readTextureImage(folder.path / "short.bmp", why);
  if (cut) {
    EXPECT_EQ(cut->rgba.size(), 2u * 4);
  }
  for (const char* name : {"huge.bmp", "notes.bmp", "empty.bmp", "absent.bmp"}) {
    why.clear();
    EXPECT_FALSE(readTextureImage(folder.path / name, why)) << name;
    EXPECT_FALSE(why.empty()) << name;
  }
  readTextureImage(folder.path / "huge.bmp", why);
  EXPECT_EQ(why, "is 100000 × 100000 pixels, larger than 8192 a side");
}

Material mapped(int kind, std::optional<Frame> frame) {
  Material material;
  material.mappingKind = kind;
  material.mappingFrame = frame;
  return material;
}

void expectCoordinates(const std::array<float, 2>& uv, double u, double v) {
  EXPECT_NEAR(uv[0], u, 1e-6);
  EXPECT_NEAR(uv[1], v, 1e-6);
}

TEST(TextureProjection, TheImageFrameGivesABoxProjectionOneRepeatPerTextureSize) {
  Material material = mapped(0, Frame{{100, 100, 100}, {0, 0, 1}, {0, 0, 1}});
  material.textureSize = TextureSize{50, 200};  // height, width
  const std::optional<TextureProjection> box = projectionOf(material);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->kind, TextureProjection::Kind::box);
  EXPECT_EQ(faceKey(*box, {0.1, -0.2, 3}), 2);
  EXPECT_EQ(faceKey(*box, {-2, 1, 0.5}), 0);
  EXPECT_EQ(faceKey(*box, {0.5, 2, -1}), 1);
  // Across a face along x or y, up along z (or y for faces looking up); v runs downwards.
  expectCoordinates(textureCoordinates(*box, {300, 150, 100}, 2), 1, -1);
  expectCoordinates(textureCoordinates(*box, {0, 500, 200}, 0), 2, -2);
  expectCoordinates(textureCoordinates(*box, {0, 0, 125}, 1), -0.5, -0.5);

  material.textureSize.reset();
  expectCoordinates(textureCoordinates(*projectionOf(material), {200, 100, 100}, 2), 1, 0);
}

TEST(TextureProjection, PlanarSphericalAndCylindricalFramesPlaceTheTexture) {
  // A plane's frame gives directions only (its axes are unit vectors): one repeat is the
  // texture size, 200 cm wide and 50 cm high here, or 100 cm each way when unset.
  Material onPlane = mapped(0, Frame{{10, 0, 0}, {1, 0, 0}, {0, 0, 3}});
  onPlane.textureSize = TextureSize{50, 200};
  const std::optional<TextureProjection> planar = projectionOf(onPlane);
  ASSERT_TRUE(planar);
  EXPECT_EQ(planar->kind, TextureProjection::Kind::planar);
  expectCoordinates(textureCoordinates(*planar, {110, 77, 25}, 0), 0.5, -0.5);
  onPlane.textureSize.reset();
  expectCoordinates(textureCoordinates(*projectionOf(onPlane), {410, 0, 50}, 0), 4, -0.5);

  const std::optional<TextureProjection> sphere =
      projectionOf(mapped(3, Frame{{1, 2, 3}, {2, 0, 0}, {0, 2, 0}}));
  ASSERT_TRUE(sphere);
  EXPECT_NEAR(textureCoordinates(*sphere, {1, 2, 13}, 0)[1], 0, 1e-6);  // the pole: top row
  EXPECT_NEAR(textureCoordinates(*sphere, {1, 2, -7}, 0)[1], 1, 1e-6);
  // Around the pole from the frame's x axis, the texture's left edge.
  expectCoordinates(textureCoordinates(*sphere, {11, 2, 3}, 0), 0, 0.5);
  expectCoordinates(textureCoordinates(*sphere, {1, 12, 3}, 0), 0.25, 0.5);
  expectCoordinates(textureCoordinates(*sphere, {-9, 2, 3}, 0), 0.5, 0.5);

  const std::optional<TextureProjection> cylinder =
      projectionOf(mapped(5, Frame{{0, 0, 0}, {1, 0, 0}, {0, 0, 10}}));
  ASSERT_TRUE(cylinder);
  expectCoordinates(textureCoordinates(*cylinder, {1, 0, 5}, 0), 0, -0.5);
  expectCoordinates(textureCoordinates(*cylinder, {0, -3, 20}, 0), 0.75, -2);
}

TEST(TextureProjection, TrianglesAcrossTheSeamOfARoundProjectionTakeUPastOne) {
  const TextureProjection sphere = *projectionOf(mapped(3, Frame{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}));
  const TextureProjection cylinder =
      projectionOf(mapped(5, Frame{{0, 0, 0}, {1, 0, 0}, {0, 0, 100}})).value();
  const TextureProjection box = *projectionOf(mapped(0, std::nullopt));
  const TextureProjection planar = *projectionOf(mapped(0, Frame{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}));
  // Points around the z axis: a tenth of a turn before the seam (u 0.9), a twentieth after it
  // (u 0.05) and a quarter turn (u 0.25).
  const auto around = [](double turn, double z) {
    const double angle = 2 * std::numbers::pi * turn;
    return Vec3{100 * std::cos(angle), 100 * std::sin(angle), z};
  };
  struct Case {
    const char* what;
    const TextureProjection& projection;
    std::array<Vec3, 3> corners;
    int key;
    std::array<double, 3> u;  // the corners' u with that key
  };
  const Case cases[] = {
      {"sphere across the seam",
       sphere,
       {around(0.9, 10), around(0.05, 10), around(0.05, -10)},
       1,
       {0.9, 1.05, 1.05}},
      {"sphere beside it",
       sphere,
       {around(0.05, 10), around(0.25, 10), around(0.25, -10)},
       0,
       {0.05, 0.25, 0.25}},
      {"cylinder across the seam",
       cylinder,
       {around(0.05, 0), around(0.9, 0), around(0.9, 50)},
       1,
       {1.05, 0.9, 0.9}},
      {"cylinder beside it",
       cylinder,
       {around(0.6, 0), around(0.9, 0), around(0.9, 50)},
       0,
       {0.6, 0.9, 0.9}},
      {"box: the axis nearest the normal",
       box,
       {Vec3{0, 0, 0}, {100, 0, 0}, {0, 100, 0}},
       2,
       {0, 1, 0}},
      {"plane: one key", planar, {Vec3{0, 0, 0}, {90, 0, 0}, {0, 0, 100}}, 0, {0, 0.9, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(triangleKey(c.projection, c.corners), c.key);
    for (std::size_t k = 0; k < 3; ++k)
      EXPECT_NEAR(textureCoordinates(c.projection, c.corners[k], c.key)[0], c.u[k], 1e-6);
  }
}

TEST(TextureProjection, NoKindNoneOrAnUnfitFrameGiveNoProjection) {
  EXPECT_FALSE(projectionOf(Material{}));
  EXPECT_FALSE(projectionOf(mapped(-1, std::nullopt)));
  EXPECT_FALSE(projectionOf(mapped(3, std::nullopt)));
  EXPECT_FALSE(projectionOf(mapped(3, Frame{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}})));
  EXPECT_FALSE(projectionOf(mapped(5, Frame{{0, 0, 0}, {0, 0, 1}, {0, 0, 10}})));
  EXPECT_FALSE(projectionOf(mapped(7, Frame{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})));
}

TEST(PrimitiveBuilder, KeepsOnlyThePointsUsedNumberedInOrderOfFirstUse) {
  ObjectDefinition definition;
  definition.vertices = {{0, 0, 0}, {100, 0, 0}, {100, 200, 0}, {0, 200, 300}, {5, 5, 5}};
  const DefinitionTriangles triangles{{{0, {3, 1, 2, 3, 2, 0}}, {1, {4, 0, 1}}}};
  const VertexNormals normals(definition, triangles, 180);  // one normal per point
  PrimitiveBuilder builder(definition, normals);
  const PrimitiveArrays first =
      builder.build(triangles.slots[0], normals.vertexOfCorner[0], nullptr);
  EXPECT_EQ(first.indices, (Corners{0, 1, 2, 0, 2, 3}));
  // Centimetres with Z up become metres with Y up: (x, y, z) -> (x, z, -y) / 100.
  EXPECT_EQ(first.positions, (std::vector<float>{0, 3, -2, 1, 0, -0, 1, 0, -2, 0, 0, -0}));
  EXPECT_EQ(first.min, (std::array<float, 3>{0, 0, -2}));
  EXPECT_EQ(first.max, (std::array<float, 3>{1, 3, 0}));
  EXPECT_TRUE(first.textureCoordinates.empty());

  // A second primitive starts its numbering afresh.
  const PrimitiveArrays second =
      builder.build(triangles.slots[1], normals.vertexOfCorner[1], nullptr);
  EXPECT_EQ(second.indices, (Corners{0, 1, 2}));
  EXPECT_EQ(second.vertexCount(), 3u);
}

TEST(PrimitiveBuilder, ABoxProjectionGivesASharedEdgeOneVertexPerFace) {
  // Two faces of a cube meeting along the edge (0, 0, 0)-(100, 0, 0): the floor and the front.
  ObjectDefinition definition;
  definition.vertices = {{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {100, 0, 100}};
  Material material = mapped(0, std::nullopt);
  const TextureProjection box = *projectionOf(material);
  const DefinitionTriangles triangles{{{0, {0, 1, 2, 0, 1, 3}}}};
  // Even with the faces smooth across the edge, the box projection splits its points.
  const VertexNormals normals(definition, triangles, 180);
  PrimitiveBuilder builder(definition, normals);
  const PrimitiveArrays arrays = builder.build(triangles.slots[0], normals.vertexOfCorner[0], &box);
  EXPECT_EQ(arrays.vertexCount(), 6u);
  EXPECT_EQ(arrays.indices, (Corners{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(arrays.textureCoordinates,
            (std::vector<float>{0, -0, 1, -0, 1, -1, 0, -0, 1, -0, 1, -1}));
  EXPECT_EQ(arrays.normals.size(), 6u * 3);
}

/// A prism standing on the ground: a regular polygon of `sides` corners of radius 100 cm, 100 cm
/// high, its side quads welded to their neighbours and to the top, which closes it (or, not
/// `closed`, only the side).
ObjectDefinition prism(int sides, bool closed = true) {
  ObjectDefinition definition;
  for (int level = 0; level < 2; ++level) {
    for (int i = 0; i < sides; ++i) {
      const double angle = 2 * std::numbers::pi * i / sides;
      definition.vertices.push_back({100 * std::cos(angle), 100 * std::sin(angle), 100.0 * level});
    }
  }
  definition.materials.push_back({});
  Polygon top;
  top.materialIndex = 0;
  for (int i = 0; i < sides; ++i) {
    Polygon side;
    side.materialIndex = 0;
    side.vertexIndices = {i, (i + 1) % sides, sides + (i + 1) % sides, sides + i};
    definition.polygons.push_back(side);
    top.vertexIndices.push_back(sides + i);
  }
  if (closed) definition.polygons.push_back(top);
  return definition;
}

TEST(VertexNormals, FacesShareNormalsBelowTheCreaseAngleAndSplitAboveIt) {
  struct Case {
    int sides;
    double crease;
    std::size_t vertices;
    bool smoothSides;
  };
  // Side faces meet at 360° / sides; the top meets them at 90°.
  const Case cases[] = {
      {16, 30, 16 + 16 + 16, true},       // 22.5°: smooth round the side, split at the top
      {6, 30, 6 * 2 + 6 * 2 + 6, false},  // 60°: every side flat
      {16, 0, 16 * 2 + 16 * 2 + 16, false},
      {6, 180, 12, true},  // one normal per point, the top's corners bent towards it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.sides) + " sides, crease " + std::to_string(c.crease));
    const ObjectDefinition definition = prism(c.sides);
    const DefinitionTriangles triangles = triangulate(definition);
    const VertexNormals normals(definition, triangles, c.crease);
    EXPECT_EQ(normals.normals.size(), c.vertices);
    for (const Vec3& n : normals.normals) EXPECT_NEAR(length(n), 1, 1e-12);
    // Point 0 stands at (100, 0, 0): its first corner is on the first side face.
    const Vec3 n = normals.normals[normals.vertexOfCorner[0][0]];
    if (c.smoothSides && c.crease < 90) {
      EXPECT_NEAR(n.x, 1, 1e-12);  // straight out from the axis, between its two faces
    } else if (!c.smoothSides) {
      EXPECT_NEAR(n.y, std::sin(std::numbers::pi / c.sides), 1e-12);  // its own face's
    }
  }
}

TEST(PrimitiveBuilder, ACylindricalProjectionGivesTheSeamItsOwnVertices) {
  // The side of an eight-sided prism: its welded points at the seam (turn 0, points 0 and 8)
  // need u 0 on the first side face and u 1 on the last.
  const ObjectDefinition definition = prism(8, false);
  const TextureProjection cylinder =
      projectionOf(mapped(5, Frame{{0, 0, 0}, {1, 0, 0}, {0, 0, 100}})).value();
  const DefinitionTriangles triangles = triangulate(definition);
  const VertexNormals normals(definition, triangles, 50);  // smooth round the side
  PrimitiveBuilder builder(definition, normals);
  const PrimitiveArrays arrays =
      builder.build(triangles.slots[0], normals.vertexOfCorner[0], &cylinder);
  // The four corners of the last side face, across the seam, get vertices of their own.
  EXPECT_EQ(arrays.vertexCount(), 16u + 4);
  for (std::size_t t = 0; t + 2 < arrays.indices.size(); t += 3) {
    float low = 2, high = -1;
    for (std::size_t k = 0; k < 3; ++k) {
      const float u = arrays.textureCoordinates[2 * arrays.indices[t + k]];
      low = std::min(low, u);
      high = std::max(high, u);
    }
    EXPECT_NEAR(high - low, 1.0 / 8, 1e-6) << "triangle " << t / 3;
  }
}

TEST(VertexNormals, PointsTheMeshDoesNotWeldAreNeverShared) {
  // Two triangles in one plane meeting along an edge whose ends are separate points.
  ObjectDefinition definition;
  definition.vertices = {{0, 0, 0},   {100, 0, 0}, {0, 100, 0},
                         {100, 0, 0}, {0, 100, 0}, {100, 100, 0}};
  const DefinitionTriangles triangles{{{0, {0, 1, 2, 3, 5, 4}}}};
  EXPECT_EQ(VertexNormals(definition, triangles, 180).normals.size(), 6u);
  definition.vertices.resize(4);
  definition.vertices[3] = {100, 100, 0};
  const DefinitionTriangles welded{{{0, {0, 1, 2, 1, 3, 2}}}};
  EXPECT_EQ(VertexNormals(definition, welded, 1).normals.size(), 4u);
}

TEST(OutputReplacement, AFailedWriteLeavesThePreviousFileAndNoTemporary) {
  TempFolder folder("orvdump-output");
  const fs::path file = folder.path / "out.bin";
  const std::string text = "new content";
  const std::span<const std::byte> bytes = std::as_bytes(std::span(text.data(), text.size()));
  writeWholeFile(file, {bytes, bytes});
  EXPECT_EQ(contentsOf(file), text + text);
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::others_read, fs::perms::others_read);

  // A folder in the file's place cannot be replaced by a file.
  const fs::path taken = folder.path / "taken";
  fs::create_directory(taken);
  EXPECT_THROW(writeWholeFile(taken, {bytes}), OutputError);
  EXPECT_TRUE(fs::is_directory(taken));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 2);

  try {
    writeWholeFile(folder.path / "no" / "out.bin", {bytes});
    ADD_FAILURE() << "no error";
  } catch (const OutputError& error) {
    EXPECT_EQ(std::string(error.what()), (folder.path / "no" / "out.bin").string() +
                                             ": cannot write: No such file or directory");
  }
}

}  // namespace
