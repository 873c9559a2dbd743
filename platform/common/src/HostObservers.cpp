// The host program's observers of meshing and of the files made to be written.
#include "HostObservers.h"

#include <utility>

#include "RhinoHostServices.h"

namespace {

std::function<void(int)>& MeshingObserver() {
  static auto* observer = new std::function<void(int)>;
  return *observer;
}

std::function<void(const std::string&)>& NewFileObserver() {
  static auto* observer = new std::function<void(const std::string&)>;
  return *observer;
}

}  // namespace

namespace host_observers {

void NoteMeshedFaces(int faces) {
  if (const auto& observer = MeshingObserver()) observer(faces);
}

void NoteNewFile(const std::string& utf8Path) {
  if (const auto& observer = NewFileObserver()) observer(utf8Path);
}

}  // namespace host_observers

namespace RhinoHost {

void SetMeshingObserver(std::function<void(int faces)> observer) {
  MeshingObserver() = std::move(observer);
}

void SetNewFileObserver(std::function<void(const std::string& utf8Path)> observer) {
  NewFileObserver() = std::move(observer);
}

}  // namespace RhinoHost
