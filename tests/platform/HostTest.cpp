// The host stand-in: registries of plug-ins and commands, documents and their tables, and the
// command line.
#include <gtest/gtest.h>

#include <string>

#include "RhinoHostServices.h"
#include "rhinoSdk.h"

namespace {

class TestCommand : public CRhinoCommand {
 public:
  explicit TestCommand(const wchar_t* name) : m_name(name) {}
  UUID CommandUUID() override { return ON_nil_uuid; }
  const wchar_t* EnglishCommandName() override { return m_name; }
  const wchar_t* LocalCommandName() override { return L"Lokal"; }
  result RunCommand(const CRhinoCommandContext&) override { return success; }

 private:
  const wchar_t* m_name;
};

class TestPlugIn : public CRhinoPlugIn {
 public:
  GUID PlugInID() const override { return ON_nil_uuid; }
  const wchar_t* PlugInName() const override { return L"Test"; }
  const wchar_t* PlugInVersion() const override { return L"1"; }
};

TEST(Registries, ObjectsRegisterForTheirLifetime) {
  const int plug_ins = RhinoHost::PlugIns().Count();
  const int commands = RhinoHost::Commands().Count();
  {
    TestPlugIn plug_in;
    TestCommand first(L"FirstCommand"), second(L"SecondCommand");
    ASSERT_EQ(RhinoHost::PlugIns().Count(), plug_ins + 1);
    EXPECT_EQ(RhinoHost::PlugIns()[plug_ins], &plug_in);
    EXPECT_EQ(plug_in.OnLoadPlugIn(), 1);
    EXPECT_EQ(RhinoHost::FindCommand(L"secondcommand"), &second);
    EXPECT_EQ(RhinoHost::FindCommand(L"LOKAL"), &first);  // the first with that local name
    EXPECT_EQ(RhinoHost::FindCommand(L"Missing"), nullptr);
  }
  EXPECT_EQ(RhinoHost::PlugIns().Count(), plug_ins);
  EXPECT_EQ(RhinoHost::Commands().Count(), commands);
  EXPECT_EQ(RhinoHost::FindCommand(L"FirstCommand"), nullptr);
}

TEST(MaterialTable, AddedRowsTakeTheirIndexAndTheDefaultMaterialHasNone) {
  CRhinoDoc doc;
  ON_Material m;
  m.SetMaterialName(L"Glass");
  m.SetMaterialIndex(42);
  EXPECT_EQ(doc.m_material_table.AddMaterial(m), 0);
  EXPECT_EQ(doc.m_material_table.AddMaterial(m), 1);
  EXPECT_EQ(doc.m_material_table[1].MaterialIndex(), 1);
  EXPECT_STREQ(doc.m_material_table[1].MaterialName(), L"Glass");
  const CRhinoMaterial& fallback = CRhinoMaterial::DefaultMaterial();
  EXPECT_EQ(fallback.MaterialIndex(), -1);
  EXPECT_STREQ(fallback.MaterialName(), L"");
  EXPECT_EQ(fallback.m_diffuse, ON_Material().m_diffuse);
}

class LayerPaths : public ::testing::Test {
 protected:
  // Adds a layer under `parent` (-1: top level) and returns its index.
  int Add(const wchar_t* name, int parent) {
    ON_Layer layer;
    layer.SetLayerName(name);
    if (parent >= 0) layer.m_parent_layer_id = doc.m_layer_table[parent].m_layer_id;
    return doc.m_layer_table.AddLayer(layer);
  }
  ON_wString Path(int index) {
    ON_wString path(L"stale");
    EXPECT_TRUE(doc.m_layer_table.GetLayerPathName(index, path));
    return path;
  }
  CRhinoDoc doc;
};

TEST_F(LayerPaths, JoinParentNamesOuterFirst) {
  int house = Add(L"House", -1);
  int floor = Add(L"Floor", house);
  int tiles = Add(L"Tiles", floor);
  EXPECT_STREQ(Path(tiles), L"House::Floor::Tiles");
  EXPECT_STREQ(Path(house), L"House");
  EXPECT_NE(doc.m_layer_table[house].m_layer_id, doc.m_layer_table[floor].m_layer_id);
  ON_wString path;
  EXPECT_FALSE(doc.m_layer_table.GetLayerPathName(3, path));
  EXPECT_FALSE(doc.m_layer_table.GetLayerPathName(-1, path));
}

TEST_F(LayerPaths, ALayerIsFoundByIdAndAnIdGivenTwiceFindsTheFirst) {
  const int first = Add(L"First", -1);
  ON_Layer twin;
  twin.m_layer_id = doc.m_layer_table[first].m_layer_id;
  const int second = doc.m_layer_table.AddLayer(twin);
  const int other = Add(L"Other", second);
  EXPECT_EQ(doc.m_layer_table.FindLayerFromId(twin.m_layer_id), first);
  EXPECT_EQ(doc.m_layer_table.FindLayerFromId(doc.m_layer_table[other].m_layer_id), other);
  ON_UUID unknown;
  ON_CreateUuid(unknown);
  EXPECT_EQ(doc.m_layer_table.FindLayerFromId(unknown), -1);
  EXPECT_EQ(doc.m_layer_table.FindLayerFromId(ON_nil_uuid), -1);
}

TEST_F(LayerPaths, StopAtAMissingParentOrACycle) {
  ON_Layer orphan;
  orphan.SetLayerName(L"Orphan");
  orphan.m_parent_layer_id = ON_UuidFromString("11111111-2222-3333-4444-555555555555");
  EXPECT_STREQ(Path(doc.m_layer_table.AddLayer(orphan)), L"Orphan");

  // A and B name each other as parent.
  ON_Layer a, b;
  a.SetLayerName(L"A");
  b.SetLayerName(L"B");
  a.m_layer_id = ON_UuidFromString("AAAAAAAA-0000-0000-0000-000000000000");
  b.m_layer_id = ON_UuidFromString("BBBBBBBB-0000-0000-0000-000000000000");
  a.m_parent_layer_id = b.m_layer_id;
  b.m_parent_layer_id = a.m_layer_id;
  int ia = doc.m_layer_table.AddLayer(a);
  doc.m_layer_table.AddLayer(b);
  EXPECT_STREQ(Path(ia), L"B::A");
}

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    RhinoHost::SetCommandLineSink([this](const std::string& text) { printed += text; });
  }
  void TearDown() override { RhinoHost::SetCommandLineSink(nullptr); }
  std::string printed;
};

TEST_F(CommandLine, NarrowAndWideFormsReachTheSinkAsUtf8) {
  RhinoApp().Print("** %s **\n", "caf\xC3\xA9");
  RhinoApp().Print(L"%ls has %d layers\n", L"\x0414\x043E\x043C", 3);  // Дом
  const wchar_t pair[] = {0xD83D, 0xDE00, 0};
  RhinoApp().Print(L"[%ls]", pair);
  RhinoApp().Print("<%ls|", L"\x00E9");  // wide argument in narrow text
  RhinoApp().Print(L"%s>", "\xC3\xA9");  // UTF-8 argument in wide text
  EXPECT_EQ(printed,
            "** caf\xC3\xA9 **\n"
            "\xD0\x94\xD0\xBE\xD0\xBC has 3 layers\n"
            "[\xF0\x9F\x98\x80]"
            "<\xC3\xA9|\xC3\xA9>");
}

TEST_F(CommandLine, LongOutputIsNotCut) {
  const std::wstring wide(100000, L'w');
  const std::string narrow(100000, 'n');
  RhinoApp().Print(L"%ls!", wide.c_str());
  RhinoApp().Print("%s!", narrow.c_str());
  EXPECT_EQ(printed, std::string(100000, 'w') + "!" + narrow + "!");
}

}  // namespace
