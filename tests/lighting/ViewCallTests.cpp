// What a saved scene cannot show: which lists and sub-objects are asked for. A recording scene
// manager stands in for the library: it hands out views only, whose settings count the requests
// for their visible-layer list and which have no render set-up.
// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <deque>
#include <new>
#include <string>

#include "LightingTestSupport.h"
#include "export/SceneIds.h"

namespace lighting_test {
namespace {

using namespace QzOrv;

/// A list of `Stored` entries handed out as T that only appends; entries keep their address.
template <class T, class Stored = T>
class AppendList final : public IOrvList<T> {
 public:
  int count() const override { return static_cast<int>(entries.size()); }
  T* at(int index) override { return index >= 0 && index < count() ? &entries[index] : nullptr; }
  T* insert(int index) override { return index == -1 ? &entries.emplace_back() : nullptr; }
  std::deque<Stored> entries;
};

class RecordedIdentity final : public IOrvIdentity {
 public:
  const OrvId* id() const override { return &m_id; }
  void setName(const char* text) override { name = text; }
  std::string name;

 private:
  OrvId m_id{};
};

class RecordingSettings final : public IOrvViewSettings {
 public:
  void setMode(int) override {}
  void setHeliodon(const char* name) override { heliodon = name; }
  IOrvList<OrvId>* visibleLayers() override {
    ++layerRequests;
    return &layers;
  }
  std::string heliodon = "(never set)";
  int layerRequests = 0;
  AppendList<OrvId> layers;
};

class RecordingView final : public IOrvView {
 public:
  IOrvIdentity* identity() override { return &recordedIdentity; }
  IOrvViewSettings* settings() override { return &recordedSettings; }
  IOrvRenderSetup* renderSetup() override { return nullptr; }
  void setViewKind(int) override {}
  void setState(int value) override { state = value; }
  void markUsed() override {}
  void setFieldSize(double) override {}
  void setEye(const OrvPoint*) override {}
  void setTarget(const OrvPoint*) override {}
  RecordedIdentity recordedIdentity;
  RecordingSettings recordedSettings;
  int state = 0;
};

/// Hands out views; every other list is missing. With `outOfMemory` set, asking for the lights,
/// heliodons or views fails as an exhausted library would. Never owned: release does nothing.
class RecordingManager final : public IOrvMgr {
 public:
  unsigned long release() override { return 0; }
  bool setCreator(const char*, const char*) override { return true; }
  bool save(IOrvWriteStream*, int) override { return false; }
  IOrvList<IOrvCamera>* cameras() override { return nullptr; }
  IOrvList<IOrvLight>* lights() override { return exhausted<IOrvLight>(nullptr); }
  IOrvList<IOrvView>* views() override { return exhausted(&recordedViews); }
  IOrvList<IOrvHeliodon>* heliodons() override { return exhausted<IOrvHeliodon>(nullptr); }
  IOrvList<IOrvObjectInstance>* objectInstances() override { return nullptr; }
  IOrvList<IOrvLayer>* layers() override { return nullptr; }
  IOrvList<IOrvObjectDefinition>* objectDefinitions() override { return nullptr; }
  AppendList<IOrvView, RecordingView> recordedViews;
  bool outOfMemory = false;

 private:
  template <class T>
  IOrvList<T>* exhausted(IOrvList<T>* list) {
    if (outOfMemory) throw std::bad_alloc();
    return list;
  }
};

class Recorded : public LightingTest {
 protected:
  /// A writer whose scene is the recording manager (the library's own is released).
  void useRecordingManager(SceneWriter& writer) { writer.manager.reset(&recording); }
  /// Adds a registry entry as the layer lookups would, without a scene library.
  static void recordLayer(SceneWriter& writer, int index, const char* id, bool visible) {
    LayerRegistry& registry = writer.layerRegistry;
    registry.layerIndices.Append(index);
    registry.layerIds.Append(ON_UuidFromString(id));
    registry.visible.Append(visible);
    registry.renderMaterials.Append(-1);
  }

  RecordingManager recording;
};

TEST_F(Recorded, TheVisibleLayerListIsAskedForOnlyWhenThereIsAVisibleLayer) {
  addView(doc, L"Top", Camera{});
  SceneWriter writer(doc);
  useRecordingManager(writer);
  writer.heliodonName = L"Paris";
  recordLayer(writer, 0, "11111111-1111-4111-8111-111111111111", false);
  writer.exportViews();
  recordLayer(writer, 1, "22222222-2222-4222-8222-222222222222", true);
  writer.exportViews();

  ASSERT_EQ(recording.recordedViews.count(), 2);
  const RecordingSettings& hiddenOnly = recording.recordedViews.entries[0].recordedSettings;
  EXPECT_EQ(hiddenOnly.heliodon, "Paris");
  EXPECT_EQ(hiddenOnly.layerRequests, 0);
  const RecordingSettings& oneShown = recording.recordedViews.entries[1].recordedSettings;
  EXPECT_EQ(oneShown.layerRequests, 1);
  ASSERT_EQ(oneShown.layers.count(), 1);
  EXPECT_EQ(oneShown.layers.entries[0],
            toOrvId(ON_UuidFromString("22222222-2222-4222-8222-222222222222")));
}

TEST_F(Recorded, AViewportWhoseListIsMissingIsSkippedAndTheNextStillGoes) {
  addView(doc, L"Perspective", Camera{ON::perspective_view});  // no camera list
  addView(doc, L"Top", Camera{});
  SceneWriter writer(doc);
  useRecordingManager(writer);
  writer.exportViews();
  ASSERT_EQ(recording.recordedViews.count(), 1);
  const RecordingView& top = recording.recordedViews.entries[0];
  EXPECT_EQ(top.recordedIdentity.name, "Top");
  EXPECT_EQ(top.state, 2);
  // Without a render set-up only the stage is skipped: the heliodon is still named.
  EXPECT_EQ(top.recordedSettings.heliodon, "");
}

TEST_F(Recorded, WithoutTheirListsNoLightOrHeliodonIsMadeAndTheHeliodonNameStays) {
  const CRhinoObject* lamp = doc.AddObject(new CRhinoLight(new ON_Light));
  SceneWriter writer(doc);
  useRecordingManager(writer);
  writer.heliodonName = L"Before";
  EXPECT_FALSE(writer.exportLight(CRhinoLight::Cast(lamp)));
  ON_EarthAnchorPoint anchor;
  anchor.m_name = L"After";
  EXPECT_FALSE(writer.exportHeliodon(anchor, CRhRdkDocSun(doc)));
  EXPECT_EQ(writer.heliodonName, CString(L"Before"));
}

TEST_F(Recorded, RunningOutOfMemoryEndsTheExportInsteadOfSkippingTheElement) {
  const CRhinoObject* lamp = doc.AddObject(new CRhinoLight(new ON_Light));
  addView(doc, L"Top", Camera{});
  SceneWriter writer(doc);
  useRecordingManager(writer);
  recording.outOfMemory = true;
  EXPECT_THROW(writer.exportLight(CRhinoLight::Cast(lamp)), std::bad_alloc);
  EXPECT_THROW(writer.exportSun(), std::bad_alloc);
  EXPECT_THROW(writer.exportViews(), std::bad_alloc);
}

}  // namespace
}  // namespace lighting_test
