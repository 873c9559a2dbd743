// Shared helpers of the scene library tests: an owning manager handle, an in-memory byte sink,
// a recording feedback, and a scene filled through every setter of the interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "orv/ORV6.h"
#include "orv/SceneModel.h"

namespace QzOrv::test {

struct ManagerRelease {
  void operator()(IOrvMgr* manager) const { manager->release(); }
};
using Manager = std::unique_ptr<IOrvMgr, ManagerRelease>;

/// A new manager for version 6 reporting to `feedback` (may be null); fails the test if none.
Manager newManager(IOrvFeedback* feedback = nullptr);

/// Keeps every byte written and the size of every piece.
class MemoryStream final : public IOrvWriteStream {
 public:
  void write(const void* bytes, std::uint64_t count) override;
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint64_t> pieces;
};

/// Records messages; answers query() with true until `stopAfterQueries` queries were answered.
class RecordingFeedback final : public IOrvFeedback {
 public:
  void message(int kind, const char* text) override;
  bool query() override;
  std::vector<std::string> warnings;
  std::vector<std::string> errors;
  int queries = 0;
  int stopAfterQueries = -1;
};

/// Saves the manager's scene and returns the file bytes; fails the test if the save fails.
std::vector<std::uint8_t> saveToBytes(IOrvMgr& manager);

/// Reads bytes written by saveToBytes back as a model.
scene::Scene readBack(const std::vector<std::uint8_t>& bytes);

/// Fills `manager` through every setter and list of the interface, each with a distinct value.
void fillEverySetter(IOrvMgr& manager);

/// The model fillEverySetter should produce, with the ids the manager gave its elements.
scene::Scene everySetterModel(IOrvMgr& manager);

}  // namespace QzOrv::test
