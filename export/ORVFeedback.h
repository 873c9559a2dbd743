// ORVFeedback: the feedback object the scene library reports through during an export. Library
// messages are echoed on the host command line; the library is always told to go on.
#pragma once

#include "orv/ORV6.h"

/// Prints every library message as "** text **" on the host command line (RhinoApp().Print),
/// whatever its kind. `query` keeps the library's default answer, true (never stop a save).
/// Has no data; one lives in each SceneWriter and outlives the manager it is given to.
class ORVFeedback final : public QzOrv::IOrvFeedback {
 public:
  /// `text` is UTF-8, valid only during the call; null prints as empty.
  void message(int kind, const char* text) override;
};
