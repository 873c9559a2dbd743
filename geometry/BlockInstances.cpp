// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "geometry/BlockInstances.h"

#include <cassert>
#include <vector>

#include "export/SceneIds.h"
#include "export/Utf8Converter.h"
#include "geometry/DocumentWalk.h"
#include "materials/MaterialSource.h"
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

// Expands block instances object by object on the writer's stacks: each level pushes its block
// path name (when not empty), its placement and the material it hands down, and pops them after.
struct ExpansionOnStacks {
  SceneWriter& writer;
  std::vector<bool> namePushed;  // per level being expanded, outermost first

  void enterBlock(const CRhinoInstanceObject& instance, const CRhinoInstanceDefinition& block,
                  const ON_Xform& placement) {
    namePushed.push_back(pushName(writer, blockPathName(writer, block.Name())));
    writer.transformStack.Append(placement);
    // An instance whose material comes from its parent hands down the enclosing instance's.
    writer.materialStack.Append(materialIndexUnderBlocks(writer, instance.Attributes()));
  }
  void placed(const CRhinoObject& object, const ON_Xform&) { writer.exportObject(&object); }
  void leaveBlock() {
    writer.materialStack.Remove();
    writer.transformStack.Remove();
    if (namePushed.back()) popName(writer);
    namePushed.pop_back();
  }
};

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
  ExpansionOnStacks expansion{writer, {}};
  return walkBlockInstance(*instance, writer.transformStack.Last(), expansion);
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
