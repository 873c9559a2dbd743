// A document to export lights, sun and views from, and the scene a writer holds read back from
// its saved file. Owns the document and the temporary folder of each test.
#pragma once

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "export/SceneWriter.h"
#include "orv/SceneModel.h"
#include "plugin/stdafx.h"

namespace lighting_test {

/// A fresh document in centimetres (so the unit transform is the identity until setUnits), and
/// no active view until a test makes one.
class LightingTest : public ::testing::Test {
 protected:
  LightingTest();
  /// Sets the document's units; writers made afterwards scale by them.
  void setUnits(ON::unit_system units);
  /// Saves what `writer` holds and reads it back.
  QzOrv::scene::Scene saved(SceneWriter& writer);

  CRhinoDoc doc;
  TempFolder temp{"orv-lighting"};
};

/// How a view looks: its projection, camera and frustum (width by height at the near plane 1,
/// far plane at `far` along the direction). The up vector is +z, or +y when looking along z.
struct Camera {
  ON::view_projection projection = ON::parallel_view;
  ON_3dPoint location{0, 0, 10};
  ON_3dVector direction{0, 0, -1};
  double width = 30;
  double height = 40;
  double far = 100;
};

/// Adds a model view (or a page view) named `name` looking as `camera` says; the document owns
/// it.
CRhinoView* addView(CRhinoDoc& doc, const wchar_t* name, const Camera& camera, bool page = false);

/// Expects the scene point to be (x, y, z) exactly.
void expectPoint(const std::optional<QzOrv::OrvPoint>& point, double x, double y, double z);
/// Expects the scene point to be within 1e-9 of (x, y, z).
void expectNear(const std::optional<QzOrv::OrvPoint>& point, double x, double y, double z);

}  // namespace lighting_test
