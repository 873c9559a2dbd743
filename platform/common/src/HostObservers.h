// HostObservers: the hooks through which the host program follows an export's work, the faces the
// host meshes for a plug-in and the files it makes to write, told from inside the stand-ins.
#pragma once

#include <string>

namespace host_observers {

/// Tells the meshing observer (RhinoHost::SetMeshingObserver), if any, that `faces` faces of one
/// object were just meshed.
void NoteMeshedFaces(int faces);
/// Tells the file observer (RhinoHost::SetNewFileObserver), if any, that the file `utf8Path` was
/// just made to be written.
void NoteNewFile(const std::string& utf8Path);

}  // namespace host_observers
