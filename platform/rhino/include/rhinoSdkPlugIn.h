// Plug-in base classes the host loads: CRhinoPlugIn, CRhinoFileExportPlugIn, with the file types
// and write options of an export. A plug-in object registers itself with the host when it is
// constructed and unregisters when it is destroyed.
#pragma once

#include "rhinoSdkDoc.h"

class RHINO_SDK_CLASS CRhinoFileType {
 public:
  CRhinoFileType() = default;
  CRhinoFileType(ON_UUID plugin_id, const wchar_t* description, const wchar_t* extension);
  ON_UUID PlugInID() const { return m_plugin_id; }
  const wchar_t* Description() const { return m_description; }
  /// The extension without a dot, e.g. "orv".
  const wchar_t* Extension() const { return m_extension; }

 private:
  ON_UUID m_plugin_id = ON_nil_uuid;
  ON_wString m_description;
  ON_wString m_extension;
};

class RHINO_SDK_CLASS CRhinoFileWriteOptions {
 public:
  enum file_write_mode : unsigned int {
    SelectedMode = 0,      // write only the selected objects
    AsTemplateMode = 1,    // writing a template
    BitmapMode = 2,        // include preview bitmap
    RenderMeshesMode = 3,  // include render meshes
    HistoryMode = 4,       // include history
    UserDataMode = 5,      // include user data
  };
  bool Mode(file_write_mode mode) const;
  void SetMode(file_write_mode mode, bool on);

 private:
  unsigned int m_modes = 0;
};

class RHINO_SDK_CLASS CRhinoPlugIn {
 public:
  CRhinoPlugIn();
  CRhinoPlugIn(const CRhinoPlugIn&) = delete;
  CRhinoPlugIn& operator=(const CRhinoPlugIn&) = delete;
  virtual ~CRhinoPlugIn();

  virtual GUID PlugInID() const = 0;
  virtual const wchar_t* PlugInName() const = 0;
  virtual const wchar_t* PlugInVersion() const = 0;
  /// Called once after the library is loaded; 1 to stay loaded, 0 to be unloaded.
  virtual int OnLoadPlugIn();
  /// Called once before the library is unloaded.
  virtual void OnUnloadPlugIn();
};

class RHINO_SDK_CLASS CRhinoFileExportPlugIn : public CRhinoPlugIn {
 public:
  /// Appends the file types this plug-in writes.
  virtual void AddFileType(ON_ClassArray<CRhinoFileType>& file_types,
                           const CRhinoFileWriteOptions& options) = 0;
  /// Writes `doc` to `filename`; returns 1 on success, 0 on failure. `index` is the position of
  /// the chosen file type among the ones this plug-in added.
  virtual int WriteFile(const wchar_t* filename, int index, CRhinoDoc& doc,
                        const CRhinoFileWriteOptions& options) = 0;
};
