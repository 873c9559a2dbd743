// BlockInstances: scene instances that place definitions, and block instances expanded object by
// object. Owns the push and pop rules of the writer's name, transform and material stacks.
#pragma once

#include "export/SceneWriter.h"
#include "orv/ORV6.h"
#include "plugin/stdafx.h"

/// Pushes `name` on nameStack unless it is null or empty (the stack never holds an empty name);
/// returns whether it pushed.
bool pushName(SceneWriter& writer, const wchar_t* name);
/// Removes the top of nameStack; does nothing when it is empty.
void popName(SceneWriter& writer);

/// Expands `instance` (not null) in place through walkBlockInstance: every object of its block
/// and of the blocks nested in it is exported by SceneWriter::exportObject, without visibility
/// or selection tests, under the block path name ("Room Chair"), the accumulated transform
/// (outer × inner) and the material the instance hands down (materialIndexUnderBlocks). False,
/// with nothing pushed, when the instance has no block definition. The stacks are left as found.
bool exportBlockInstance(SceneWriter& writer, const CRhinoInstanceObject* instance);

/// Places `definition` (not null) in the scene by a new instance at the identity: on the scene
/// layer of the attributes' layer index (-1: the root "Scene objects"), named by the grouping
/// mode ("<exportBaseName> Instance" in SingleObject, else the top of nameStack), linked to the
/// definition by its id and carrying one material per definition slot, in slot order.
void exportInstance(SceneWriter& writer, QzOrv::IOrvObjectDefinition* definition,
                    const ON_3dmObjectAttributes& attributes);
