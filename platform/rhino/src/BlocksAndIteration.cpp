// The document's object and block definition tables, block definitions, layer materials and the
// object iterator.
#include <cassert>

#include "rhinoSdkDoc.h"

// ---- CRhinoObjectTable

CRhinoObjectTable::~CRhinoObjectTable() {
  for (int i = 0; i < m_objects.Count(); ++i) delete m_objects[i];
}

int CRhinoObjectTable::ObjectCount() const {
  return m_objects.Count();
}

CRhinoObject* CRhinoObjectTable::Object(int i) const {
  return m_objects[i];
}

bool CRhinoObjectTable::IsReference(int i) const {
  return m_reference[i] != 0;
}

CRhinoObject* CRhinoDoc::AddObject(CRhinoObject* object, bool bReference) {
  assert(object);
  object->SetDocument(this);
  m_layer_table.PlaceOnExistingLayer(*object);
  m_object_table.m_objects.Append(object);
  m_object_table.m_reference.Append(bReference ? 1 : 0);
  return object;
}

// ---- block definitions

CRhinoInstanceDefinition::~CRhinoInstanceDefinition() {
  for (int i = 0; i < m_objects.Count(); ++i) delete m_objects[i];
}

void CRhinoInstanceDefinition::AddObject(CRhinoObject* object) {
  assert(object);
  object->SetDocument(m_doc);
  if (m_layer_table) m_layer_table->PlaceOnExistingLayer(*object);
  m_objects.Append(object);
}

int CRhinoInstanceDefinition::GetObjects(ON_SimpleArray<const CRhinoObject*>& objects) const {
  for (int i = 0; i < m_objects.Count(); ++i) objects.Append(m_objects[i]);
  return m_objects.Count();
}

void CRhinoInstanceDefinition::SetDocument(const CRhinoDoc* doc) {
  m_doc = doc;
  for (int i = 0; i < m_objects.Count(); ++i) m_objects[i]->SetDocument(doc);
}

CRhinoInstanceDefinitionTable::~CRhinoInstanceDefinitionTable() {
  for (int i = 0; i < m_definitions.Count(); ++i) delete m_definitions[i];
}

int CRhinoInstanceDefinitionTable::InstanceDefinitionCount() const {
  return m_definitions.Count();
}

CRhinoInstanceDefinition* CRhinoInstanceDefinitionTable::operator[](int i) const {
  return m_definitions[i];
}

int CRhinoInstanceDefinitionTable::AddInstanceDefinition(CRhinoInstanceDefinition* definition) {
  assert(definition);
  definition->SetDocument(m_doc);
  definition->m_layer_table = m_layer_table;
  if (m_layer_table)
    for (int i = 0; i < definition->m_objects.Count(); ++i)
      m_layer_table->PlaceOnExistingLayer(*definition->m_objects[i]);
  m_definitions.Append(definition);
  return m_definitions.Count() - 1;
}

CRhinoInstanceDefinition* CRhinoInstanceDefinitionTable::FindInstanceDefinition(
    const wchar_t* name) const {
  if (!name) return nullptr;
  for (int i = 0; i < m_definitions.Count(); ++i) {
    const wchar_t* own = m_definitions[i]->Name();
    if (own && ON_wString(own) == ON_wString(name)) return m_definitions[i];
  }
  return nullptr;
}

// ---- layers reach their document's materials

const CRhinoMaterial& CRhinoLayer::LayerMaterial() const {
  const int index = RenderMaterialIndex();
  if (!m_material_table || index < 0 || index >= m_material_table->MaterialCount())
    return CRhinoMaterial::DefaultMaterial();
  return (*m_material_table)[index];
}

// ---- CRhinoObjectIterator

CRhinoObjectIterator::CRhinoObjectIterator(const CRhinoDoc& doc, object_state state,
                                           object_category category)
    : m_doc(doc), m_state(state), m_category(category) {}

CRhinoObject* CRhinoObjectIterator::First() {
  m_next = 0;
  return Next();
}

CRhinoObject* CRhinoObjectIterator::Next() {
  const CRhinoObjectTable& table = m_doc.m_object_table;
  while (m_next < table.ObjectCount()) {
    const int index = m_next++;
    if (Matches(index)) return table.Object(index);
  }
  return nullptr;
}

bool CRhinoObjectIterator::Matches(int index) const {
  const CRhinoObjectTable& table = m_doc.m_object_table;
  const unsigned int category = table.IsReference(index) ? reference_objects : active_objects;
  if (!(m_category & category)) return false;
  const CRhinoObject& object = *table.Object(index);
  if (!m_include_lights && CRhinoLight::Cast(&object)) return false;
  const bool visible = object.IsVisible(), locked = object.IsLocked();
  return ((m_state & normal_objects) && visible && !locked) ||
         ((m_state & locked_objects) && locked) || ((m_state & hidden_objects) && !visible);
}
