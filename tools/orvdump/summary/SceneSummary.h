// The readable summary orvdump prints: the creator, the element count of every list, then one
// line per element with its name and the few values that identify it.
#pragma once

#include <ostream>

#include "orv/SceneModel.h"

namespace QzOrv::scene {

/// Writes the summary of `scene` to `out`. Values never set are left out of the lines; an
/// element without a name shows as (unnamed); references are shown by the referenced element's
/// name, or as "missing" with the id when they name nothing.
void writeSummary(std::ostream& out, const Scene& scene);

}  // namespace QzOrv::scene
