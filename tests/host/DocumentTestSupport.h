// Loading document text in the loader tests: the document, or the message of the error that
// loading throws.
#pragma once

#include <gtest/gtest.h>

#include <span>
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

/// A document the loader must refuse, the JSON path its message must name and a part of the
/// message showing the bad value or the problem.
struct BadDocument {
  std::string text;
  const char* place;
  const char* excerpt;
};

/// Expects each document's message to start with "doc.json: PLACE: " and to hold its excerpt.
inline void ExpectEachRefusedWhereItStands(std::span<const BadDocument> cases) {
  for (const BadDocument& bad : cases) {
    const std::string message = ErrorFor(bad.text);
    EXPECT_EQ(message.rfind(std::string("doc.json: ") + bad.place + ": ", 0), 0u)
        << "document: " << bad.text << "\nmessage: " << message;
    EXPECT_NE(message.find(bad.excerpt), std::string::npos)
        << "document: " << bad.text << "\nmessage: " << message;
  }
}
