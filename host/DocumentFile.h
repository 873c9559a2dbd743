// The host program's document files: JSON text describing a host document (units, saved path,
// materials, layers, objects, block definitions), read into a CRhinoDoc for an export.
#pragma once

#include <sys/stat.h>

#include <stdexcept>
#include <string>

#include "DocumentBudget.h"
#include "rhinoSdk.h"

/// A document file that cannot be read. The message names the file and, for a bad value, its
/// JSON path and the value: "house.json: /materials/2/diffuse/1: ... got 300".
class DocumentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Fills `doc`, a new document with empty tables, from the document file `fileName` (a UTF-8
/// file-system path; docs/document-format.md describes the format). A relative "path" in the file
/// is taken relative to the file's folder and stored as an absolute path. Throws DocumentError for
/// a file that cannot be read or is not a valid document; `doc` is then partly filled and must be
/// discarded. A document over `budget` is refused so, naming the limit.
void LoadDocumentFile(const std::string& fileName, CRhinoDoc& doc,
                      const DocumentBudget& budget = {});

/// As LoadDocumentFile, for document text already in memory. `fileName` names the text in
/// messages and anchors a relative "path"; it is not opened.
void LoadDocumentText(const std::string& text, const std::string& fileName, CRhinoDoc& doc,
                      const DocumentBudget& budget = {});

/// Throws DocumentError unless `info`, the stat of `fileName` (links followed), is a regular
/// file's: a folder, a device, a pipe or a socket could be read without end or block whatever
/// opens it. `what` names what the file was to be ("a document file").
void RefuseUnlessRegularFile(const std::string& fileName, const struct stat& info,
                             const std::string& what);
