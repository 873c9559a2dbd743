// SceneIds: host ids and scene-library ids are the same 16 bytes in the same order; these two
// conversions carry them across the boundary unchanged.
#pragma once

#include <cstring>

#include "orv/ORV6.h"
#include "plugin/stdafx.h"

static_assert(sizeof(ON_UUID) == sizeof(QzOrv::OrvId), "both ids are 16 bytes");

/// The scene-library form of a host id (byte for byte).
inline QzOrv::OrvId toOrvId(const ON_UUID& id) {
  QzOrv::OrvId result;
  std::memcpy(result.bytes, &id, sizeof result.bytes);
  return result;
}

/// The host form of a scene-library id (byte for byte); the nil id for null.
inline ON_UUID toUuid(const QzOrv::OrvId* id) {
  ON_UUID result = ON_nil_uuid;
  if (id != nullptr) std::memcpy(&result, id->bytes, sizeof result);
  return result;
}
