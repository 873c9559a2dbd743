// Loading document text in the loader tests: the document, or the message of the error that
// loading throws.
#pragma once

#include <string>

#include "DocumentFile.h"

/// Loads document text named "doc.json" (in the current folder) into `doc`.
inline void Load(const std::string& text, CRhinoDoc& doc) {
  LoadDocumentText(text, "doc.json", doc);
}

/// The message of the DocumentError that loading `text` throws, or a note that none was thrown.
inline std::string ErrorFor(const std::string& text) {
  CRhinoDoc doc;
  try {
    Load(text, doc);
  } catch (const DocumentError& error) {
    return error.what();
  }
  return "(no error)";
}
