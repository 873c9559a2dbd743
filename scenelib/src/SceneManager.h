// The scene manager behind newOrvMgr: owns one scene model, the element implementations handed
// out for it, and the caller's feedback; checks references and writes the file on save.
#pragma once

#include <string>

#include "ElementContext.h"
#include "Elements.h"
#include "Lists.h"
#include "orv/ORV6.h"
#include "orv/SceneModel.h"

namespace QzOrv::scene {

class SceneManager final : public IOrvMgr {
 public:
  /// `feedback` may be null; when given it is not owned and must outlive the manager.
  explicit SceneManager(IOrvFeedback* feedback) : feedback_(feedback) {}
  SceneManager(const SceneManager&) = delete;
  SceneManager& operator=(const SceneManager&) = delete;

  unsigned long release() override;
  bool setCreator(const char* application, const char* version) override;
  bool save(IOrvWriteStream* stream, int flags) override;
  IOrvList<IOrvCamera>* cameras() override { return &cameras_; }
  IOrvList<IOrvLight>* lights() override { return &lights_; }
  IOrvList<IOrvView>* views() override { return &views_; }
  IOrvList<IOrvHeliodon>* heliodons() override { return &heliodons_; }
  IOrvList<IOrvObjectInstance>* objectInstances() override { return &objectInstances_; }
  IOrvList<IOrvLayer>* layers() override { return &layers_; }
  IOrvList<IOrvObjectDefinition>* objectDefinitions() override { return &objectDefinitions_; }

 private:
  void report(OrvMessageKind kind, const std::string& text);

  IOrvFeedback* feedback_;
  Scene scene_;
  ElementContext context_{scene_};
  ElementList<IOrvCamera, CameraElement> cameras_{scene_.cameras, context_};
  ElementList<IOrvLight, LightElement> lights_{scene_.lights, context_};
  ElementList<IOrvView, ViewElement> views_{scene_.views, context_};
  ElementList<IOrvHeliodon, HeliodonElement> heliodons_{scene_.heliodons, context_};
  ElementList<IOrvObjectInstance, ObjectInstanceElement> objectInstances_{scene_.objectInstances,
                                                                          context_};
  ElementList<IOrvLayer, LayerElement> layers_{scene_.layers, context_};
  ElementList<IOrvObjectDefinition, ObjectDefinitionElement> objectDefinitions_{
      scene_.objectDefinitions, context_};
};

}  // namespace QzOrv::scene
