// The host document: units, earth anchor point, the material, layer, object and block definition
// tables, its views and the render kit's sun. The host owns every document and every row of its
// tables; plug-ins read them and never change them.
#pragma once

#include <cstring>
#include <map>

#include "../../opennurbs/include/opennurbs.h"
#include "../../rdk/include/RhRdkDocSun.h"
#include "rhinoSdkObject.h"
#include "rhinoSdkTextureMapping.h"
#include "rhinoSdkView.h"

/// A document unit system. For custom units, m_custom_unit_scale is the number of custom units in
/// one metre (1 metre = m_custom_unit_scale custom units), as the geometry library defines it.
class ON_CLASS ON_UnitSystem {
 public:
  ON::unit_system m_unit_system = ON::no_unit_system;
  double m_custom_unit_scale = 0.0;  // custom units per metre for custom_unit_system; 0: unknown
  ON_wString m_custom_unit_name;
};

class RHINO_SDK_CLASS CRhinoMaterial : public ON_Material {
 public:
  CRhinoMaterial() = default;
  explicit CRhinoMaterial(const ON_Material& m) : ON_Material(m) {}
  /// The host's default material (index -1, no name), used by objects without a material.
  static const CRhinoMaterial& DefaultMaterial();
};

class RHINO_SDK_CLASS CRhinoMaterialTable {
 public:
  int MaterialCount() const;
  /// Row i; i must be from 0 to MaterialCount() - 1. The reference is valid until the table
  /// changes.
  const CRhinoMaterial& operator[](int i) const;
  /// Appends a copy of the material, sets its index and returns it.
  int AddMaterial(const ON_Material& material);

 private:
  ON_ClassArray<CRhinoMaterial> m_materials;
};

class RHINO_SDK_CLASS CRhinoLayer : public ON_Layer {
 public:
  CRhinoLayer() = default;
  explicit CRhinoLayer(const ON_Layer& l) : ON_Layer(l) {}
  /// The document material at the layer's render material index, or
  /// CRhinoMaterial::DefaultMaterial() (index -1) when the layer has none, the index is bad or the
  /// layer is in no document. A layer added to a document's table (and any copy of it) reaches
  /// that document's material table, so the document must outlive it.
  const CRhinoMaterial& LayerMaterial() const;

 private:
  friend class CRhinoLayerTable;
  const CRhinoMaterialTable* m_material_table = nullptr;  // the document's, set when added
};

class RHINO_SDK_CLASS CRhinoLayerTable {
 public:
  int LayerCount() const;
  const CRhinoLayer& operator[](int i) const;
  /// Appends a copy of the layer, sets its index (and a fresh id when its id is nil) and returns
  /// the index.
  int AddLayer(const ON_Layer& layer);
  /// Full path of the layer, parent names first (following m_parent_layer_id), joined by "::".
  /// The path stops at a parent that is missing or already in the path (a cycle). False, with
  /// layer_path_name emptied, for a bad index.
  bool GetLayerPathName(int layer_index, ON_wString& layer_path_name) const;
  /// The index of the first layer with this id, or -1. Logarithmic in the table's size.
  int FindLayerFromId(const ON_UUID& layer_id) const;
  /// The layer that takes objects naming a layer the table does not have: the first one. A table
  /// without layers gets one named "Default" first, as the host's documents always have a layer.
  int DefaultLayerIndex();
  /// Puts `object` on DefaultLayerIndex() when its layer index names no layer of the table.
  void PlaceOnExistingLayer(CRhinoObject& object);

 private:
  friend class CRhinoDoc;
  struct IdOrder {
    bool operator()(const ON_UUID& a, const ON_UUID& b) const {
      return std::memcmp(&a, &b, sizeof a) < 0;
    }
  };
  ON_ClassArray<CRhinoLayer> m_layers;
  std::map<ON_UUID, int, IdOrder> m_index_of_id;          // the first layer of each id
  const CRhinoMaterialTable* m_material_table = nullptr;  // the document's, given to its layers
};

/// The document's objects, in the order they were added. Owns them.
class RHINO_SDK_CLASS CRhinoObjectTable {
 public:
  CRhinoObjectTable() = default;
  CRhinoObjectTable(const CRhinoObjectTable&) = delete;
  CRhinoObjectTable& operator=(const CRhinoObjectTable&) = delete;
  ~CRhinoObjectTable();
  int ObjectCount() const;
  /// Object i (0 to ObjectCount() - 1).
  CRhinoObject* Object(int i) const;
  /// True when object i was added as a reference object (for example from a linked file).
  bool IsReference(int i) const;

 private:
  friend class CRhinoDoc;
  ON_SimpleArray<CRhinoObject*> m_objects;
  ON_SimpleArray<unsigned char> m_reference;  // 1 for a reference object
};

/// The document's block definitions. Owns them.
class RHINO_SDK_CLASS CRhinoInstanceDefinitionTable {
 public:
  CRhinoInstanceDefinitionTable() = default;
  CRhinoInstanceDefinitionTable(const CRhinoInstanceDefinitionTable&) = delete;
  CRhinoInstanceDefinitionTable& operator=(const CRhinoInstanceDefinitionTable&) = delete;
  ~CRhinoInstanceDefinitionTable();
  int InstanceDefinitionCount() const;
  CRhinoInstanceDefinition* operator[](int i) const;
  /// Takes ownership of the definition (not null), gives it and its objects the table's document
  /// (objects naming a layer the document does not have go to its default layer) and returns its
  /// index.
  int AddInstanceDefinition(CRhinoInstanceDefinition* definition);
  /// The first definition with this name (exact, case-sensitive), or null; null finds nothing.
  CRhinoInstanceDefinition* FindInstanceDefinition(const wchar_t* name) const;

 private:
  friend class CRhinoDoc;
  ON_SimpleArray<CRhinoInstanceDefinition*> m_definitions;
  const CRhinoDoc* m_doc = nullptr;           // given to each definition added
  CRhinoLayerTable* m_layer_table = nullptr;  // the document's, given to each definition added
};

class RHINO_SDK_CLASS CRhinoDocProperties {
 public:
  const ON_UnitSystem& ModelUnits() const { return m_model_units; }
  void SetModelUnits(const ON_UnitSystem& units) { m_model_units = units; }
  /// A copy of where the model lies on the earth; unset latitude and longitude until placed.
  ON_EarthAnchorPoint EarthAnchorPoint() const { return m_earth_anchor_point; }
  void SetEarthAnchorPoint(const ON_EarthAnchorPoint& point) { m_earth_anchor_point = point; }

 private:
  ON_UnitSystem m_model_units;
  ON_EarthAnchorPoint m_earth_anchor_point;
};

class RHINO_SDK_CLASS CRhinoDoc {
 public:
  CRhinoDoc();
  CRhinoDoc(const CRhinoDoc&) = delete;
  CRhinoDoc& operator=(const CRhinoDoc&) = delete;
  virtual ~CRhinoDoc();

  /// The model unit system code.
  ON::unit_system UnitSystem() const { return m_properties.ModelUnits().m_unit_system; }
  const CRhinoDocProperties& Properties() const { return m_properties; }
  CRhinoDocProperties& Properties() { return m_properties; }

  /// Full path of the document file; empty for a document never saved.
  const wchar_t* GetPathName() const { return m_path_name; }
  void SetPathName(const wchar_t* path) { m_path_name = path; }

  /// Takes ownership of the object, sets its document and appends it to the object table;
  /// returns the object. An object naming a layer the document does not have goes to the default
  /// layer (CRhinoLayerTable::DefaultLayerIndex). Objects of block definitions are added to their
  /// definition instead.
  CRhinoObject* AddObject(CRhinoObject* object, bool bReference = false);

  /// Takes ownership of the view (not null), gives its main viewport a fresh id when it has none
  /// and appends it to the document's views; returns the view.
  CRhinoView* AddView(CRhinoView* view);
  /// Appends the document's views in the order they were added: the model views when
  /// bModelViews, the page views when bPageViews. Returns how many were appended. The views stay
  /// owned by the document.
  int GetViewList(ON_SimpleArray<CRhinoView*>& views, bool bModelViews = true,
                  bool bPageViews = false) const;

  CRhinoMaterialTable m_material_table;
  CRhinoLayerTable m_layer_table;
  CRhinoObjectTable m_object_table;
  CRhinoInstanceDefinitionTable m_instance_definition_table;
  /// The render kit keeps its document sun with the document; plug-ins read it through
  /// CRhRdkDocSun.
  CRhRdkSunData m_rdk_sun;
  /// The texture mappings that objects' mapping channels name.
  CRhinoTextureMappingTable m_texture_mapping_table;

 private:
  CRhinoDocProperties m_properties;
  ON_wString m_path_name;
  CRhinoViewTable m_views;
};
