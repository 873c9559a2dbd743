// Geometry-library block definitions: ON_InstanceDefinition, the named set of objects that block
// instances place by a transform.
#pragma once

#include "opennurbs_string.h"
#include "opennurbs_uuid.h"

class ON_CLASS ON_InstanceDefinition {
 public:
  virtual ~ON_InstanceDefinition() = default;
  /// The block's name, or null when it has none.
  const wchar_t* Name() const { return m_has_name ? m_name.Array() : nullptr; }
  void SetName(const wchar_t* name) {
    m_has_name = name != nullptr;
    m_name = name;
  }
  ON_UUID m_uuid = ON_nil_uuid;

 private:
  ON_wString m_name;
  bool m_has_name = false;
};
