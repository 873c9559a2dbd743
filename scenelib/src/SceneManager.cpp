#include "SceneManager.h"

#include <new>

#include "orv/ReferenceCheck.h"
#include "orv/SceneFileWriter.h"

namespace QzOrv::scene {

unsigned long SceneManager::release() {
  delete this;
  return 0;
}

bool SceneManager::setCreator(const char* application, const char* version) {
  scene_.creator = Creator{textOf(application), textOf(version)};
  return true;
}

bool SceneManager::save(IOrvWriteStream* stream, int flags) {
  if (!stream || flags != 0) {
    report(ORV_MESSAGE_ERROR, "save needs a byte sink and flags 0; nothing was written");
    return false;
  }
  try {
    // A broken reference does not stop the save: the file keeps what the caller recorded.
    for (const std::string& problem : checkReferences(scene_)) report(ORV_MESSAGE_WARNING, problem);
    return writeSceneFile(scene_, *stream, [this] { return !feedback_ || feedback_->query(); });
  } catch (const std::bad_alloc&) {
    report(ORV_MESSAGE_ERROR, "not enough memory to save the scene");
    return false;
  }
}

void SceneManager::report(OrvMessageKind kind, const std::string& text) {
  if (feedback_) feedback_->message(kind, text.c_str());
}

}  // namespace QzOrv::scene
