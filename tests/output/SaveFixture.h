// The output tests' common ground: a temporary folder holding a target and its backup, a writer
// whose scene manager can be scripted to write more or to fail, and what a save printed.
#pragma once

// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>

#include "RhinoHostServices.h"
#include "TempFolder.h"
#include "output/OutputFile.h"

namespace output_test {

namespace fs = std::filesystem;

inline void writeFile(const fs::path& file, const std::string& contents) {
  std::ofstream(file, std::ios::binary) << contents;
}

// How a ScriptedManager's save ends.
enum class SaveEnd { AsTheLibrarySays, ReportsFailure, Throws };

// A real scene manager whose save first pushes `chunks` blocks of `chunkBytes` filler bytes
// through the stream (to make many writes or reach size limits) and can be made to fail after.
class ScriptedManager final : public QzOrv::IOrvMgr {
 public:
  ScriptedManager(QzOrv::IOrvMgr* inner, SaveEnd end, int chunks, std::size_t chunkBytes)
      : m_inner(inner), m_end(end), m_chunks(chunks), m_filler(chunkBytes, 'x') {}

  bool save(QzOrv::IOrvWriteStream* stream, int flags) override {
    for (int i = 0; i < m_chunks; ++i) stream->write(m_filler.data(), m_filler.size());
    const bool saved = m_inner->save(stream, flags);
    if (m_end == SaveEnd::Throws) throw std::runtime_error("the library gave up");
    return m_end == SaveEnd::ReportsFailure ? false : saved;
  }
  unsigned long release() override {
    m_inner->release();
    delete this;
    return 0;
  }
  bool setCreator(const char* application, const char* version) override {
    return m_inner->setCreator(application, version);
  }
  QzOrv::IOrvList<QzOrv::IOrvCamera>* cameras() override { return m_inner->cameras(); }
  QzOrv::IOrvList<QzOrv::IOrvLight>* lights() override { return m_inner->lights(); }
  QzOrv::IOrvList<QzOrv::IOrvView>* views() override { return m_inner->views(); }
  QzOrv::IOrvList<QzOrv::IOrvHeliodon>* heliodons() override { return m_inner->heliodons(); }
  QzOrv::IOrvList<QzOrv::IOrvObjectInstance>* objectInstances() override {
    return m_inner->objectInstances();
  }
  QzOrv::IOrvList<QzOrv::IOrvLayer>* layers() override { return m_inner->layers(); }
  QzOrv::IOrvList<QzOrv::IOrvObjectDefinition>* objectDefinitions() override {
    return m_inner->objectDefinitions();
  }

 private:
  QzOrv::IOrvMgr* m_inner;
  SaveEnd m_end;
  int m_chunks;
  std::string m_filler;
};

class SaveTest : public testing::Test {
 protected:
  SaveTest() {
    RhinoHost::SetCommandLineSink([this](const std::string& text) { commandLine += text; });
  }
  ~SaveTest() override { RhinoHost::SetCommandLineSink({}); }

  void script(SaveEnd end, int chunks = 0, std::size_t chunkBytes = 0) {
    writer.manager.reset(new ScriptedManager(writer.manager.detach(), end, chunks, chunkBytes));
  }
  // The wide form of a path, converted as the plug-in converts (the file system takes UTF-8).
  static ON_wString wide(const fs::path& file) { return ON_wString(file.c_str()); }
  bool save(const fs::path& file) { return saveToFile(writer, wide(file)); }

  /// Saves to `file` and returns what the save printed on the command line, taken out of
  /// `commandLine`.
  std::string saveReportingTo(const fs::path& file, bool& saved) {
    const std::size_t before = commandLine.size();
    saved = save(file);
    const std::string printed = commandLine.substr(before);
    commandLine.resize(before);
    return printed;
  }

  /// The names in the test folder.
  std::set<std::string> entries() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.path))
      names.insert(entry.path().filename().string());
    return names;
  }

  /// The bytes a faultless save of the writer's scene gives.
  std::string newBytes() {
    TempFolder elsewhere{"orv-output-reference"};
    EXPECT_TRUE(save(elsewhere.path / "a.orv"));
    return contentsOf(elsewhere.path / "a.orv");
  }

  TempFolder folder{"orv-output"};
  fs::path target = folder.path / "a.orv";
  fs::path backup = folder.path / "a.orv.bak";
  CRhinoDoc doc;
  SceneWriter writer{doc};
  std::string commandLine;
};

}  // namespace output_test
