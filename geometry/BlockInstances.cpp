// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "geometry/BlockInstances.h"

#include <cassert>

#include "export/SceneIds.h"
#include "export/Utf8Converter.h"
#include "plugin/ExportOptions.h"

namespace {

CString topName(const SceneWriter& writer) {
  const int depth = writer.nameStack.GetSize();
  return depth > 0 ? writer.nameStack[depth - 1] : CString();
}

// The block's name under the enclosing path ("Room" + "Chair" gives "Room Chair"), or the path
// alone when the block has no name.
CString blockPathName(const SceneWriter& writer, const wchar_t* blockName) {
  CString path = topName(writer);
  if (blockName == nullptr) return path;
  if (path.IsEmpty()) return CString(blockName);
  path += L" ";
  path += blockName;
  return path;
}

// Pushes the material index that the instance hands down to its objects; false when its
// material comes from its own parent, an enclosing instance, whose entry then stays in effect.
// An outermost instance has its layer for a parent.
bool pushInstanceMaterial(SceneWriter& writer, const ON_3dmObjectAttributes& attributes) {
  switch (attributes.MaterialSource()) {
    case ON_3dmObjectAttributes::material_from_parent:
      if (writer.materialStack.Count() > 0) return false;
      [[fallthrough]];
    case ON_3dmObjectAttributes::material_from_layer:
      writer.materialStack.Append(
          writer.layerRegistry.findLayerMaterial(attributes.m_layer_index, true));
      return true;
    case ON_3dmObjectAttributes::material_from_object:
      writer.materialStack.Append(attributes.m_material_index);
      return true;
    default:
      return false;
  }
}

CString instanceName(const SceneWriter& writer) {
  if (GroupingMode == SingleObject) {
    if (exportBaseName.IsEmpty()) return CString(L"Object Instance");
    return exportBaseName + L" Instance";
  }
  const CString top = topName(writer);
  return top.IsEmpty() ? CString(L"Unnamed object instance") : top;
}

// Gives the instance one material per slot of its definition, copied slot by slot.
void assignDefinitionMaterials(QzOrv::IOrvDefinitionLink& link,
                               QzOrv::IOrvObjectDefinition& definition) {
  QzOrv::IOrvList<QzOrv::IOrvMaterial>* slots = definition.materials();
  QzOrv::IOrvList<QzOrv::IOrvMaterial>* assigned = link.materials();
  if (slots == nullptr || assigned == nullptr) return;
  for (int i = 0; i < slots->count(); ++i) {
    if (QzOrv::IOrvMaterial* copy = assigned->insert(-1)) copy->assign(slots->at(i));
  }
}

}  // namespace

bool pushName(SceneWriter& writer, const wchar_t* name) {
  if (name == nullptr || name[0] == L'\0') return false;
  writer.nameStack.Add(name);
  return true;
}

void popName(SceneWriter& writer) {
  const int depth = writer.nameStack.GetSize();
  if (depth > 0) writer.nameStack.RemoveAt(depth - 1);
}

bool exportBlockInstance(SceneWriter& writer, const CRhinoInstanceObject* instance) {
  assert(instance != nullptr);
  const CRhinoInstanceDefinition* block = instance->InstanceDefinition();
  if (block == nullptr) return false;

  const bool namePushed = pushName(writer, blockPathName(writer, block->Name()));
  const ON_Xform* outer = writer.transformStack.Last();
  writer.transformStack.Append((outer != nullptr ? *outer : ON_Xform::IdentityTransformation) *
                               instance->InstanceXform());
  const bool materialPushed = pushInstanceMaterial(writer, instance->Attributes());

  ON_SimpleArray<const CRhinoObject*> objects;
  block->GetObjects(objects);
  for (int i = 0; i < objects.Count(); ++i) {
    if (objects[i] != nullptr) writer.exportObject(objects[i]);
  }

  if (materialPushed) writer.materialStack.Remove();
  writer.transformStack.Remove();
  if (namePushed) popName(writer);
  return true;
}

void exportInstance(SceneWriter& writer, QzOrv::IOrvObjectDefinition* definition,
                    const ON_3dmObjectAttributes& attributes) {
  assert(definition != nullptr);
  const QzOrv::OrvId layerId =
      toOrvId(writer.layerRegistry.findLayerId(attributes.m_layer_index, true));
  QzOrv::IOrvList<QzOrv::IOrvObjectInstance>* instances = writer.manager->objectInstances();
  QzOrv::IOrvObjectInstance* instance = instances != nullptr ? instances->insert(-1) : nullptr;
  if (instance == nullptr) return;
  instance->setLayer(&layerId);
  instance->setKind("ModelObject");
  instance->identity()->setName(toUtf8(instanceName(writer)));
  QzOrv::IOrvDefinitionLink* link = instance->definitionLink();
  if (link == nullptr) return;
  link->setDefinition(definition->identity()->id());
  assignDefinitionMaterials(*link, *definition);
}
