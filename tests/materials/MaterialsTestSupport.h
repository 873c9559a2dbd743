// Shared by the material tests: the process-wide export state kept as a test found it, and host
// materials and objects built in code.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "plugin/ExportOptions.h"
#include "plugin/stdafx.h"

namespace materials_test {

/// Restores the single-layer option and the export target parts after each test.
class ExportStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_singleLayer = singleLayerOutput;
    m_baseName = exportBaseName;
    m_folder = exportFolder;
  }
  void TearDown() override {
    singleLayerOutput = m_singleLayer;
    exportBaseName = m_baseName;
    exportFolder = m_folder;
  }

 private:
  int m_singleLayer = 0;
  CString m_baseName;
  CString m_folder;
};

/// Points the system's temporary folder ($TMPDIR, which GetTempPathW reports) at `folder` while
/// it lives, so that the test's own folders are not taken for temporary ones.
class SystemTemporaryFolder {
 public:
  explicit SystemTemporaryFolder(const std::filesystem::path& folder) {
    if (const char* previous = std::getenv("TMPDIR")) m_previous = previous;
    std::filesystem::create_directories(folder);
    ::setenv("TMPDIR", folder.c_str(), 1);
  }
  ~SystemTemporaryFolder() {
    if (m_previous.has_value())
      ::setenv("TMPDIR", m_previous->c_str(), 1);
    else
      ::unsetenv("TMPDIR");
  }
  SystemTemporaryFolder(const SystemTemporaryFolder&) = delete;
  SystemTemporaryFolder& operator=(const SystemTemporaryFolder&) = delete;

 private:
  std::optional<std::string> m_previous;
};

/// A material named `name` with the given diffuse colour and transparency.
inline ON_Material material(const wchar_t* name, ON_Color diffuse = ON_Color(128, 128, 128),
                            double transparency = 0.0) {
  ON_Material result;
  result.SetMaterialName(name);
  result.m_diffuse = diffuse;
  result.SetTransparency(transparency);
  return result;
}

/// Appends an image texture of `type` stored as `file` (relative to the document's folder when
/// `relative`).
inline void addTexture(ON_Material& material, const wchar_t* file, bool relative = false,
                       ON_Texture::TYPE type = ON_Texture::bitmap_texture) {
  ON_Texture& texture = material.m_textures.AppendNew();
  texture.m_filename = file;
  texture.m_bFilenameRelative = relative;
  texture.m_type = type;
}

/// Attributes whose material comes from the object itself: document material `index`.
inline CRhinoObjectAttributes ownMaterial(int index) {
  CRhinoObjectAttributes attributes;
  attributes.SetMaterialSource(ON_3dmObjectAttributes::material_from_object);
  attributes.m_material_index = index;
  return attributes;
}

}  // namespace materials_test
