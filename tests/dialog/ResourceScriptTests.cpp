// The resource-script compiler: the plug-in's real script read control by control, the table
// compiled into the module, the resource compiler's implied styles, and malformed scripts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "DialogTestSupport.h"
#include "ResourceScript.h"
#include "plugin/resource.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kChild = WS_CHILD | WS_VISIBLE;

struct ExpectedControl {
  int id;
  const char* caption;
  std::uint32_t style;
  int x, y, cx, cy;
};

// The options dialog as it must be laid out, in tab order.
const ExpectedControl kOptionsControls[] = {
    {30002, "Use a single layer output", kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 14, 22, 101, 10},
    {30008, "Single object", kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 14, 36, 101, 10},
    {30003, "By material", kChild | BS_AUTORADIOBUTTON | WS_GROUP, 14, 70, 101, 10},
    {30004, "By layer", kChild | BS_AUTORADIOBUTTON, 14, 81, 101, 10},
    {30005, "By object", kChild | BS_AUTORADIOBUTTON, 14, 92, 101, 10},
    {IDOK, "OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 12, 117, 50, 14},
    {IDCANCEL, "Cancel", kChild | BS_PUSHBUTTON | WS_TABSTOP, 66, 117, 50, 14},
    {IDC_STATIC, "Options", kChild | BS_GROUPBOX, 7, 7, 115, 47},
    {30006, "Orvelle Material Defined", kChild | BS_GROUPBOX, 7, 58, 115, 52},
};

TEST(ResourceScript, PluginScriptDefinesTheOptionsDialogControlByControl) {
  const rcscript::Script script = rcscript::read(ORV_RESOURCE_SCRIPT);
  ASSERT_EQ(script.dialogs.size(), 1u);
  const rcscript::Dialog& d = script.dialogs[0];
  EXPECT_EQ(d.id, IDD_OPTIONS);
  EXPECT_EQ(d.caption, "Orvelle options");
  EXPECT_EQ(d.style,
            static_cast<std::uint32_t>(DS_MODALFRAME | WS_CAPTION | WS_SYSMENU | DS_SETFONT));
  EXPECT_EQ(d.cx, 129);
  EXPECT_EQ(d.cy, 138);
  EXPECT_EQ(d.fontName, "MS Shell Dlg");
  EXPECT_EQ(d.pointSize, 8);
  ASSERT_EQ(d.controls.size(), std::size(kOptionsControls));
  for (size_t i = 0; i < d.controls.size(); ++i) {
    const rcscript::Control& c = d.controls[i];
    const ExpectedControl& e = kOptionsControls[i];
    SCOPED_TRACE(e.caption);
    EXPECT_EQ(c.id, e.id);
    EXPECT_EQ(c.caption, e.caption);
    EXPECT_EQ(c.windowClass, "Button");
    EXPECT_EQ(c.style, e.style);
    EXPECT_EQ((std::vector<int>{c.x, c.y, c.cx, c.cy}), (std::vector<int>{e.x, e.y, e.cx, e.cy}));
  }
}

TEST(ResourceScript, ModuleCarriesTheScriptsTemplateUnchanged) {
  const rcscript::Dialog d = rcscript::read(ORV_RESOURCE_SCRIPT).dialogs.at(0);
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  const AFX_DLGTEMPLATE* compiled = AfxFindDialogTemplate(IDD_OPTIONS);
  ASSERT_NE(compiled, nullptr);
  EXPECT_EQ(compiled->style, d.style);
  EXPECT_STREQ(compiled->caption, L"Orvelle options");
  EXPECT_STREQ(compiled->fontName, L"MS Shell Dlg");
  EXPECT_EQ(compiled->pointSize, 8);
  ASSERT_EQ(compiled->itemCount, static_cast<int>(d.controls.size()));
  for (int i = 0; i < compiled->itemCount; ++i) {
    const AFX_DLGITEMTEMPLATE& item = compiled->items[i];
    EXPECT_EQ(item.id, d.controls[i].id);
    EXPECT_EQ(ON_String(item.caption).Array(), d.controls[i].caption);
    EXPECT_EQ(item.style, d.controls[i].style);
    EXPECT_EQ(item.y, d.controls[i].y);
    EXPECT_EQ(item.cy, d.controls[i].cy);
  }
}

TEST(ResourceScript, StatementsGetTheResourceCompilersImpliedStyles) {
  const rcscript::Script script = rcscript::parse(R"(
    7 DIALOG 1, 2, 50, 60
    BEGIN
      PUSHBUTTON "Say ""hi""", 3, 1, 1, 10, 10, NOT WS_TABSTOP | WS_DISABLED
      AUTOCHECKBOX "Box", 4, 1, 1, 10, 10
      CONTROL "x", 5, "Static", 0x2 | NOT WS_VISIBLE, 1, 1, 10, 10, WS_EX_CLIENTEDGE
    END)",
                                                  "inline.rc");
  const rcscript::Dialog& d = script.dialogs.at(0);
  EXPECT_EQ(d.style, static_cast<std::uint32_t>(WS_POPUP | WS_BORDER | WS_SYSMENU));
  EXPECT_EQ(d.controls[0].caption, "Say \"hi\"");
  EXPECT_EQ(d.controls[0].style, static_cast<std::uint32_t>(kChild | BS_PUSHBUTTON | WS_DISABLED));
  EXPECT_EQ(d.controls[1].style, static_cast<std::uint32_t>(kChild | BS_AUTOCHECKBOX | WS_TABSTOP));
  EXPECT_EQ(d.controls[2].style, static_cast<std::uint32_t>(WS_CHILD | 0x2));
  EXPECT_EQ(d.controls[2].exStyle, static_cast<std::uint32_t>(WS_EX_CLIENTEDGE));

  const std::string source = rcscript::generateSource(script, "inline.rc");
  EXPECT_NE(source.find(R"(L"Say \"hi\"")"), std::string::npos) << source;
}

TEST(ResourceScript, MalformedScriptsAreRejectedNamingFileLineAndToken) {
  const std::string head = "#include \"afxres.h\"\n1 DIALOGEX 0, 0, 10, 10\n";
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {head + "BEGIN\nPUSHBUTTON \"OK\" IDOK, 1, 1, 1, 1\nEND\n",
       "bad.rc:4: expected ',', found 'IDOK'"},
      {head + "BEGIN\nPUSHBUTTON \"OK\", IDC_NOWHERE, 1, 1, 1, 1\nEND\n",
       "bad.rc:4: unknown name 'IDC_NOWHERE'"},
      {head + "MENU 5\nBEGIN\nEND\n", "bad.rc:3: unsupported dialog statement 'MENU'"},
      {head + "BEGIN\nLISTBOX 1, 1, 1, 1, 1\nEND\n",
       "bad.rc:4: unsupported control statement 'LISTBOX'"},
      {head + "CAPTION \"Open\nBEGIN\nEND\n", "bad.rc:3: unterminated string \"Open\""},
      {head + "BEGIN\nPUSHBUTTON \"OK\", 1, 1, 1, -5, 1\nEND\n",
       "bad.rc:4: the control's width -5 is negative"},
      {head + "BEGIN\nPUSHBUTTON \"OK\", 0x1G, 1, 1, 1, 1\nEND\n",
       "bad.rc:4: malformed number '0x1G'"},
      {head + "BEGIN\n", "bad.rc:3: expected a control statement or END, found end of input"},
      {"1 ICON \"app.ico\"\n", "bad.rc:1: expected DIALOG or DIALOGEX"},
      {"#include \"missing.h\"\n", "bad.rc:1: cannot find include file 'missing.h'"},
      {"#ifdef X\n", "bad.rc:1: unsupported directive '#ifdef'"},
      {head + "BEGIN\nEND\n" + head + "BEGIN\nEND\n", "bad.rc:6: dialog id 1 repeated"},
  };
  for (const auto& c : cases) {
    try {
      rcscript::parse(c.text, "bad.rc");
      ADD_FAILURE() << "accepted:\n" << c.text;
    } catch (const rcscript::Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
          << "got: " << e.what() << "\nwanted: " << c.message;
    }
  }
}

TEST(ResourceScript, IncludedHeadersMayOnlyDefineNames) {
  const fs::path folder = fs::path(testing::TempDir()) / "rcscript_headers";
  fs::create_directories(folder);
  std::ofstream(folder / "ids.h") << "// ids\n#pragma once\n#define IDD_X (40)\n#define IDC_Y 41\n";
  std::ofstream(folder / "broken.h") << "#define IDD_X 40\nint x;\n";
  const rcscript::Script script = rcscript::parse(
      "#include \"ids.h\"\nIDD_X DIALOGEX 0,0,9,9\n{\nDEFPUSHBUTTON \"OK\",IDC_Y,1,1,1,1\n}\n",
      folder / "ok.rc");
  EXPECT_EQ(script.dialogs.at(0).id, 40);
  EXPECT_EQ(script.dialogs.at(0).controls.at(0).id, 41);
  try {
    rcscript::parse("#include \"broken.h\"\n", folder / "uses_broken.rc");
    ADD_FAILURE() << "a header with code was accepted";
  } catch (const rcscript::Error& e) {
    EXPECT_NE(std::string(e.what()).find("broken.h:2:"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("'int'"), std::string::npos) << e.what();
  }
}

}  // namespace
