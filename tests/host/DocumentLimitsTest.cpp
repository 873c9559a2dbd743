// The limits every document keeps, at the level of document text and files: whatever parses the
// JSON must refuse the same documents with the same messages.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "DocumentParser.h"
#include "DocumentTestSupport.h"
#include "TempFolder.h"

namespace {

/// `inner` wrapped in `depth` arrays.
std::string Nested(int depth, const std::string& inner = "") {
  return std::string(static_cast<std::size_t>(depth), '[') + inner +
         std::string(static_cast<std::size_t>(depth), ']');
}

TEST(DocumentLimits, NumbersADoubleCannotHoldAreRefusedAtTheirPlace) {
  EXPECT_EQ(ErrorFor(R"({"units": 1e400})"),
            "doc.json: /units: number 1e400 is out of range (its magnitude must stay below about "
            "1.8e308)");
  EXPECT_EQ(ErrorFor(R"({"objects": [{"mesh": {"vertices": [[0, 0, 0], [1, -1E+999, 2]]}}]})"),
            "doc.json: /objects/0/mesh/vertices/1/1: number -1E+999 is out of range (its "
            "magnitude must stay below about 1.8e308)");
  EXPECT_EQ(ErrorFor("1" + std::string(400, '0')),
            "doc.json: top level: number 1" + std::string(59, '0') +
                "... is out of range (its magnitude must stay below about 1.8e308)");
  // The largest double itself is a number like any other.
  const std::string largest = ErrorFor(R"({"units": 1.7976931348623157e308})");
  EXPECT_EQ(largest.rfind("doc.json: /units: expected a unit name", 0), 0u) << largest;
  EXPECT_NE(largest.find("got 1.7976931348623157e+308"), std::string::npos) << largest;
}

TEST(DocumentLimits, NestingStopsAtTheLimitBeforeAnythingDeeperIsRead) {
  ASSERT_EQ(document::kMaxNesting, 256);
  // The document object and 255 arrays: as deep as may be, so what is read is the content.
  EXPECT_EQ(ErrorFor(R"({"objects": )" + Nested(255) + "}").find("doc.json: /objects/0: expected"),
            0u);
  const std::string refused = "arrays and objects nested more than 256 deep";
  EXPECT_EQ(
      ErrorFor(R"({"objects": )" + Nested(256) + "}"),
      "doc.json: /objects/0/0/0/0/0/0/0/0/0/0/0/0/0/0/0/0/0/0/0/0/0/0/0/0/0/0...: " + refused);
  // Far deeper, and deep objects too, with a mistake further in that is never reached.
  std::string objects;
  for (int i = 0; i < 20000; ++i) objects += R"({"a": )";
  EXPECT_NE(ErrorFor(objects + "1e400").find(": /a/a/a/a/"), std::string::npos);
  EXPECT_NE(ErrorFor(objects + "1e400").find(refused), std::string::npos);
  EXPECT_NE(ErrorFor(Nested(100000, "1")).find(refused), std::string::npos);
}

TEST(DocumentLimits, AKeyGivenTwiceInOneObjectIsRefused) {
  EXPECT_EQ(ErrorFor(R"({"units": "meters", "units": "feet"})"),
            "doc.json: top level: key \"units\" appears more than once");
  EXPECT_EQ(ErrorFor(R"({"materials": [{"name": "A"}, {"name": "B", "diffuse": [1, 2, 3],
                                                      "name": "C"}]})"),
            "doc.json: /materials/1: key \"name\" appears more than once");
  // Escapes spell the same key.
  EXPECT_EQ(ErrorFor(R"({"path": "a.3dm", "p\u0061th": "b.3dm"})"),
            "doc.json: top level: key \"path\" appears more than once");
  // The same key in different objects, and at different depths, is fine.
  CRhinoDoc doc;
  Load(R"({"materials": [{"name": "A"}, {"name": "B", "textures": [{"file": "name"}]}]})", doc);
  EXPECT_EQ(doc.m_material_table.MaterialCount(), 2);
}

class DocumentFiles : public ::testing::Test {
 protected:
  std::string ErrorForFile(const std::string& fileName) {
    CRhinoDoc doc;
    try {
      LoadDocumentFile(fileName, doc);
    } catch (const DocumentError& error) {
      return error.what();
    }
    return "(no error)";
  }

  TempFolder folder{"orv-document"};
};

TEST_F(DocumentFiles, WhatIsNoRegularFileIsRefusedBeforeReading) {
  EXPECT_EQ(ErrorForFile("/dev/zero"), "/dev/zero: is not a regular file, so not a document file");
  EXPECT_EQ(ErrorForFile(folder.path.string()),
            folder.path.string() + ": is a folder, not a document file");
  // A pipe with no writer would block a reader for ever.
  const std::string pipe = (folder.path / "pipe.json").string();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(ErrorForFile(pipe), pipe + ": is not a regular file, so not a document file");
}

TEST_F(DocumentFiles, AFileOverTheSizeLimitIsRefusedBeforeReading) {
  const std::filesystem::path huge = folder.path / "huge.json";
  std::ofstream(huge) << "{}";
  std::filesystem::resize_file(huge, document::kMaxDocumentBytes + 1);  // sparse: costs no disk
  EXPECT_EQ(ErrorForFile(huge.string()),
            huge.string() +
                ": the file has 268435457 bytes, more than the 268435456 a document "
                "may have");
  std::filesystem::resize_file(huge, 2);
  CRhinoDoc doc;
  EXPECT_NO_THROW(LoadDocumentFile(huge.string(), doc));
}

}  // namespace
