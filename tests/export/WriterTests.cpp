// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "RhinoHostServices.h"
#include "export/ORVFeedback.h"
#include "export/SceneWriter.h"
#include "export/TOrvComPtr.h"
#include "export/Utf8Converter.h"

namespace {

void setUnits(CRhinoDoc& doc, ON::unit_system units, double customPerMetre = 0.0) {
  ON_UnitSystem system;
  system.m_unit_system = units;
  system.m_custom_unit_scale = customPerMetre;
  doc.Properties().SetModelUnits(system);
}

// Collects what the plug-in prints on the host command line.
class CommandLine {
 public:
  CommandLine() {
    RhinoHost::SetCommandLineSink([this](const std::string& text) { printed += text; });
  }
  ~CommandLine() { RhinoHost::SetCommandLineSink({}); }
  std::string printed;
};

TEST(UnitScaleTransform, ScalesEveryUnitExactlyToCentimetres) {
  struct Case {
    ON::unit_system units;
    double customPerMetre;  // custom units in one metre
    double centimetres;
  };
  const Case cases[] = {
      {ON::millimeters, 0, 0.1},
      {ON::centimeters, 0, 1.0},
      {ON::inches, 0, 2.54},
      {ON::feet, 0, 30.48},
      {ON::yards, 0, 91.44},
      {ON::miles, 0, 160934.4},
      {ON::microns, 0, 1e-4},
      {ON::meters, 0, 100.0},
      {ON::kilometers, 0, 1e5},
      {ON::no_unit_system, 0, 100.0},
      {ON::custom_unit_system, 2.0, 50.0},  // two custom units make a metre: 50 cm each
      {ON::custom_unit_system, 0.4, 250.0},
      {ON::custom_unit_system, 0, 100.0},  // a custom unit of unknown length stays metres
      {ON::custom_unit_system, -2, 100.0},
      {static_cast<ON::unit_system>(200), 0, 100.0},  // a code that names no unit
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "unit code " << c.units << ", custom " << c.customPerMetre);
    CRhinoDoc doc;
    setUnits(doc, c.units, c.customPerMetre);
    const ON_Xform xform = unitScaleTransform(doc);
    const ON_3dPoint p = xform * ON_3dPoint(1, -2, 3);
    EXPECT_DOUBLE_EQ(p.x, c.centimetres);
    EXPECT_DOUBLE_EQ(p.y, -2 * c.centimetres);
    EXPECT_DOUBLE_EQ(p.z, 3 * c.centimetres);
    EXPECT_EQ(xform[3][3], 1.0);
    EXPECT_EQ(xform[0][3], 0.0);
  }
}

TEST(Utf8Converter, LongNameGrowsTheBufferToExactlyItsSizeAndKeepsIt) {
  Utf8Converter convert;
  EXPECT_EQ(convert.capacity(), 260);
  const std::wstring letters(300, L'q');
  const char* utf8 = convert(letters.c_str());
  EXPECT_EQ(std::string(utf8), std::string(300, 'q'));
  EXPECT_EQ(utf8[300], '\0');
  EXPECT_EQ(convert.capacity(), 301);

  const char* shorter = convert(L"Wall");
  EXPECT_STREQ(shorter, "Wall");
  EXPECT_EQ(shorter[5], '\0');  // the rest of the longer name is wiped
  EXPECT_EQ(convert.capacity(), 301);
}

TEST(Utf8Converter, ConvertsNonLatinTextCompletely) {
  Utf8Converter convert;
  // é takes two bytes, 中 three, and 𝄞 (outside the basic plane) four.
  EXPECT_STREQ(convert(L"Caf\u00e9 \u4e2d \U0001D11E"),
               "Caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9D\x84\x9E");
  // Longer in bytes than in characters: 200 × 中 needs 601 bytes.
  const std::wstring wide(200, L'\u4e2d');
  EXPECT_EQ(std::strlen(convert(wide.c_str())), 600u);
  EXPECT_EQ(convert.capacity(), 601);
}

TEST(Utf8Converter, EachCallOverwritesThePreviousResult) {
  Utf8Converter convert;
  const char* first = convert(L"first name");
  const char* second = convert(L"second");
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "second");
  EXPECT_STREQ(convert(L""), "");  // empty text gives an empty string
}

TEST(Utf8Converter, LayerNamesDoNotOverwriteOtherNames) {
  const char* objectName = toUtf8(L"Chair");
  const char* layerName = layerNameToUtf8(L"Furniture::Chairs");
  EXPECT_STREQ(objectName, "Chair");
  EXPECT_STREQ(layerName, "Furniture::Chairs");
}

TEST(ORVFeedback, EchoesLibraryMessagesOnTheCommandLineWhateverTheirKind) {
  CommandLine commandLine;
  ORVFeedback feedback;
  feedback.message(QzOrv::ORV_MESSAGE_WARNING, "texture missing: wood.png");
  feedback.message(QzOrv::ORV_MESSAGE_ERROR, "caf\xC3\xA9");
  feedback.message(QzOrv::ORV_MESSAGE_INFO, nullptr);
  EXPECT_EQ(commandLine.printed, "** texture missing: wood.png **\n** caf\xC3\xA9 **\n**  **\n");
  EXPECT_TRUE(feedback.query());
}

// A released object that counts its releases.
struct Counted {
  unsigned long release() { return ++releases, 0; }
  int releases = 0;
};

TEST(TOrvComPtr, ReleasesItsObjectExactlyOnce) {
  Counted first, second;
  {
    TOrvComPtr<Counted> pointer(&first);
    pointer.reset(&second);
    EXPECT_EQ(first.releases, 1);
    EXPECT_EQ(second.releases, 0);
  }
  EXPECT_EQ(first.releases, 1);
  EXPECT_EQ(second.releases, 1);

  TOrvComPtr<Counted> detached(&first);
  EXPECT_EQ(detached.detach(), &first);
  EXPECT_EQ(first.releases, 1);
}

TEST(TOrvComPtr, DereferencingNullThrowsInsteadOfCrashing) {
  TOrvComPtr<Counted> pointer;
  try {
    pointer->release();
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "TOrvComPtr::operator->() - Dereferencing NULL");
  }
}

}  // namespace
