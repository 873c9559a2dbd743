// Shared by the glTF and preview tests: scenes built as plain models and saved as scene files,
// orvdump run as a program, and the glTF validator run on what it wrote.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Subprocess.h"
#include "common/MaterialLook.h"
#include "orv/SceneModel.h"

namespace QzOrv::test {

/// An id whose first byte is `n`, distinct for every n from 1 to 255.
OrvId idNumber(std::uint8_t n);

/// A material named `name` with the diffuse colour (r, g, b).
scene::Material colouredMaterial(const std::string& name, scene::Rgb colour);

/// A definition with the given points and polygons (corner lists), each polygon in slot 0 of
/// `material`.
scene::ObjectDefinition definitionOf(std::uint8_t id, const std::string& name,
                                     const std::vector<OrvPoint>& points,
                                     const std::vector<std::vector<int>>& polygons,
                                     const scene::Material& material);

/// A definition holding one quad with `corners`, in one material of colour `colour`.
scene::ObjectDefinition quadDefinition(std::uint8_t id, const std::string& name,
                                       const std::array<OrvPoint, 4>& corners, scene::Rgb colour);

/// An instance named `name` placing `definition` on the layer `layer` when given.
scene::ObjectInstance instanceOf(const scene::ObjectDefinition& definition, const std::string& name,
                                 std::optional<OrvId> layer = std::nullopt);

/// A camera named `name` at `eye` looking at `target`, focal length 50 mm.
scene::Camera cameraAt(const std::string& name, OrvPoint eye, OrvPoint target);

/// Saves `scene` as a scene file at `file`; fails the test when it cannot.
void saveScene(const scene::Scene& scene, const std::filesystem::path& file);

/// Runs orvdump with `arguments`.
Finished runOrvdump(const std::vector<std::string>& arguments);

struct Validation {
  /// False when node is not installed: nothing was checked.
  bool ran = false;
  /// The validator's exit status: 0 no errors, 1 errors, 2 it could not run.
  int status = -1;
  /// Every issue, one a line, and the error and warning counts.
  std::string report;
};

/// Runs the glTF validator on `file`, images beside it included.
Validation validateGltf(const std::filesystem::path& file);

}  // namespace QzOrv::test

/// Checks `file` with the glTF validator: no errors and no warnings. Skips the test, with a
/// message saying why, when node is not installed.
#define EXPECT_GLTF_VALID(file)                                                     \
  do {                                                                              \
    const ::QzOrv::test::Validation validation = ::QzOrv::test::validateGltf(file); \
    if (!validation.ran)                                                            \
      GTEST_SKIP() << "node is not installed: the glTF validator check "            \
                      "is skipped";                                                 \
    EXPECT_EQ(validation.status, 0) << validation.report;                           \
    EXPECT_NE(validation.report.find("errors 0 warnings 0"), std::string::npos)     \
        << validation.report;                                                       \
  } while (false)
