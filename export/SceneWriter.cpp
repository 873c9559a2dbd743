// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "export/SceneWriter.h"

#include <cmath>
#include <stdexcept>

#include "export/Utf8Converter.h"
#include "plugin/ORVExportPlugIn.h"

namespace {

// A new scene manager for version 6 files that reports through `feedback`.
QzOrv::IOrvMgr* createManager(ORVFeedback& feedback) {
  QzOrv::IOrvMgr* created = nullptr;
  try {
    QzOrv::newOrvMgr(&created, QzOrv::ORV_VERSION_6, &feedback);
  } catch (...) {
    if (created != nullptr) created->release();  // stored before the library gave up
    throw;
  }
  if (created == nullptr) throw std::runtime_error("Unable to create IOrvMgr object");
  return created;
}

// Metres per document unit; 0 when the document names no unit, and not a positive finite number
// when a custom unit's length is unknown.
double metresPerUnit(const CRhinoDoc& doc) {
  const ON_UnitSystem& units = doc.Properties().ModelUnits();
  // The custom scale counts custom units in one metre.
  if (units.m_unit_system == ON::custom_unit_system) return 1.0 / units.m_custom_unit_scale;
  return ON::UnitScaleToMeters(units.m_unit_system);
}

}  // namespace

SceneWriter::SceneWriter(CRhinoDoc& document)
    : manager(createManager(feedback)),
      layerRegistry(&document, &manager),
      doc(&document),
      unitTransform(1) {
  manager->setCreator("RhinoORVExportPlugIn", toUtf8(ON_wString(kORVPlugInVersion)));
  unitTransform = unitScaleTransform(document);
}

ON_Xform unitScaleTransform(const CRhinoDoc& doc) {
  double metres = metresPerUnit(doc);
  if (!(metres > 0.0) || !std::isfinite(metres)) metres = 1.0;  // no usable length: metres
  const double centimetres = metres * 100.0;
  ON_Xform scale;
  scale.Scale(centimetres, centimetres, centimetres);
  return scale;
}
