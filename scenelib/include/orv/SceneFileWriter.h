// Writing a scene model as a scene file: the header, one checksummed chunk per element and the
// end chunk, streamed to a byte sink in bounded pieces without ever holding a whole chunk.
#pragma once

#include <cstddef>
#include <functional>

#include "orv/ORV6.h"
#include "orv/SceneModel.h"

namespace QzOrv::scene {

/// Largest piece handed to IOrvWriteStream::write in one call, in bytes.
inline constexpr std::size_t kMaxPieceBytes = 64 * 1024;

/// Writes `scene` to `stream` in the scene file format (docs/scene-format.md), in pieces of at
/// most kMaxPieceBytes. Before every piece after the first it asks `keepGoing` (may be empty,
/// meaning "always go on"); when that answers false nothing more is written and the result is
/// false. Returns true when the whole file was written. Each chunk's length is counted before
/// its bytes are encoded into the pieces (a definition's points and polygons from their counts
/// and the polygon list's totals, not one by one), so time is linear in the scene's size and the
/// only memory used is one piece buffer. Exceptions thrown by `stream` or `keepGoing` pass
/// through.
bool writeSceneFile(const Scene& scene, IOrvWriteStream& stream,
                    const std::function<bool()>& keepGoing);

}  // namespace QzOrv::scene
