#include "SceneManager.h"
#include "orv/ORV6.h"

namespace QzOrv {

bool newOrvMgr(IOrvMgr** manager, EVersionORV version, IOrvFeedback* feedback) {
  if (!manager) return false;
  *manager = nullptr;
  if (version != ORV_VERSION_6) return false;
  *manager = new scene::SceneManager(feedback);
  return true;
}

}  // namespace QzOrv
