// The two meshes of compared objects as document files, to be exported and looked at (a preview
// of the host's meshes beside one of ours shows where they part).
#pragma once

#include <string>
#include <vector>

#include "ModelComparison.h"

/// Writes PREFIX-host.json and PREFIX-ours.json: document files (docs/document-format.md) with
/// one mesh object per face of each row, named "FILE OBJECT face N", in double precision. Throws
/// std::runtime_error naming the file that cannot be written.
void WriteMeshDocuments(const std::vector<ComparisonRow>& rows, const std::string& prefix);
