// The document's texture-mapping table: the texture mappings that objects' mapping channels
// refer to by id. The document owns the table and its rows; plug-ins read them.
#pragma once

#include "../../opennurbs/include/opennurbs.h"

class RHINO_SDK_CLASS CRhinoTextureMappingTable {
 public:
  int TextureMappingCount() const;
  /// Row i; i must be from 0 to TextureMappingCount() - 1. The reference is valid until the table
  /// changes.
  const ON_TextureMapping& operator[](int i) const;
  /// Appends a copy of the mapping, giving it a new id when its id is nil, and returns its index;
  /// -1 (nothing added) when a row already has its id.
  int AddTextureMapping(const ON_TextureMapping& mapping);

  /// The mapping a channel names, found quickly through the table index the channel remembers:
  /// true, with `mapping` set to a copy, when that row exists and has the channel's mapping id.
  /// False, with `mapping` unchanged, for a channel whose index is unknown (-1) or stale.
  bool GetTextureMapping(const ON_MappingChannel& mapping_channel,
                         ON_TextureMapping& mapping) const;
  /// The mapping with this id, searched row by row: true with `mapping` set to a copy; false,
  /// with `mapping` unchanged, for the nil id or an id no row has.
  bool GetTextureMapping(const ON_UUID& mapping_id, ON_TextureMapping& mapping) const;

 private:
  int FindTextureMapping(const ON_UUID& mapping_id) const;

  ON_ObjectArray<ON_TextureMapping> m_mappings;
};
