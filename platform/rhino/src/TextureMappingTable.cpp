// The document's texture-mapping table.
#include <cassert>

#include "rhinoSdkTextureMapping.h"

int CRhinoTextureMappingTable::TextureMappingCount() const {
  return m_mappings.Count();
}

const ON_TextureMapping& CRhinoTextureMappingTable::operator[](int i) const {
  assert(i >= 0 && i < TextureMappingCount());
  return m_mappings[i];
}

int CRhinoTextureMappingTable::AddTextureMapping(const ON_TextureMapping& mapping) {
  if (!ON_UuidIsNil(mapping.m_mapping_id) && FindTextureMapping(mapping.m_mapping_id) >= 0)
    return -1;
  ON_TextureMapping& row = m_mappings.AppendNew();
  row = mapping;
  if (ON_UuidIsNil(row.m_mapping_id)) ON_CreateUuid(row.m_mapping_id);
  return m_mappings.Count() - 1;
}

bool CRhinoTextureMappingTable::GetTextureMapping(const ON_MappingChannel& mapping_channel,
                                                  ON_TextureMapping& mapping) const {
  const int i = mapping_channel.m_mapping_index;
  if (i < 0 || i >= TextureMappingCount()) return false;
  if (ON_UuidIsNil(mapping_channel.m_mapping_id) ||
      m_mappings[i].m_mapping_id != mapping_channel.m_mapping_id)
    return false;
  mapping = m_mappings[i];
  return true;
}

bool CRhinoTextureMappingTable::GetTextureMapping(const ON_UUID& mapping_id,
                                                  ON_TextureMapping& mapping) const {
  const int i = FindTextureMapping(mapping_id);
  if (i < 0) return false;
  mapping = m_mappings[i];
  return true;
}

int CRhinoTextureMappingTable::FindTextureMapping(const ON_UUID& mapping_id) const {
  if (ON_UuidIsNil(mapping_id)) return -1;
  for (int i = 0; i < TextureMappingCount(); ++i)
    if (m_mappings[i].m_mapping_id == mapping_id) return i;
  return -1;
}
