#include "Elements.h"

namespace QzOrv::scene {
namespace {

// A frame is recorded only when all three of its vectors are given.
void recordFrame(std::optional<Frame>& field, const OrvPoint* point, const OrvPoint* xAxis,
                 const OrvPoint* yAxis) {
  if (point && xAxis && yAxis) field = Frame{*point, *xAxis, *yAxis};
}

}  // namespace

void MaterialElement::setMappingOrigin(const OrvPoint* point, const OrvPoint* xAxis,
                                       const OrvPoint* yAxis) {
  recordFrame(m_.mappingOrigin, point, xAxis, yAxis);
}

void MaterialElement::setMappingFrame(const OrvPoint* point, const OrvPoint* xAxis,
                                      const OrvPoint* yAxis) {
  recordFrame(m_.mappingFrame, point, xAxis, yAxis);
}

void MaterialElement::assign(const IOrvMaterial* source) {
  // Only this library's materials carry recorded values; anything else is left alone like null.
  const auto* other = dynamic_cast<const MaterialElement*>(source);
  if (!other || other == this) return;
  const OrvId ownId = m_.id;
  m_ = other->m_;
  m_.id = ownId;
}

void CameraElement::makeCurrent() {
  for (Camera& camera : scene_.cameras) camera.current = false;
  camera_.current = true;
}

}  // namespace QzOrv::scene
