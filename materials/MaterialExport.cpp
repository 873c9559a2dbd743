// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "materials/MaterialExport.h"

#include <cassert>
#include <cstdint>

#include "export/Utf8Converter.h"
#include "materials/MaterialSource.h"
#include "materials/TextureFiles.h"
#include "materials/TextureMapping.h"

namespace {

// An enclosing block instance's material, when it has one, overrides the object's own source.
int materialIndexFor(SceneWriter& writer, const ON_3dmObjectAttributes& attributes) {
  const int* inherited = writer.materialStack.Last();
  if (inherited != nullptr && *inherited >= 0) return *inherited;
  return materialIndexUnderBlocks(writer, attributes);
}

void sendName(QzOrv::IOrvMaterial& material, const wchar_t* name) {
  material.identity()->setName(toUtf8(name));
}

// The first bitmap texture: sends its projection code, file and switches, then its placement
// when the meshes' box is known; no file when its image is left out. A material without a name that
// refers to its image through the document's folder is named after the document.
void exportImageTexture(SceneWriter& writer, const ON_Material& host, QzOrv::IOrvMaterial& material,
                        const ON_BoundingBox* box, const CRhinoObject* object) {
  const int index = host.FindTexture(nullptr, ON_Texture::bitmap_texture, -1);
  if (index < 0) return;
  const ON_Texture& texture = host.m_textures[index];
  material.setMappingKind(0);
  const wchar_t* documentPath = writer.doc->GetPathName();
  CString path(texture.m_filename.Array());
  if (texture.m_bFilenameRelative) {
    path = joinToDocumentFolder(documentPath, texture.m_filename);
    const CString documentName = fileBaseName(documentPath);
    if (host.MaterialName()[0] == L'\0' && !documentName.IsEmpty())
      sendName(material, documentName);
  }
  const CString file = ResolveTextureFile(path, CString(documentPath), writer.textureCopies);
  if (file.IsEmpty() && !path.IsEmpty()) return;  // left out, with a warning
  material.setTextureFile(toUtf8(TextureFileUrl(file)));
  material.setTextureFlags(true, true);
  material.setTextureEnabled(true);
  if (box != nullptr) placeImageTexture(material, *box, object, writer.unitTransform);
}

}  // namespace

std::uint8_t colourByte(double value) {
  if (!(value > 0.0)) return 0;  // NaN too
  if (value >= 255.0) return 255;
  return static_cast<std::uint8_t>(value);  // truncated toward zero
}

QzOrv::OrvColor scaledColour(const ON_Color& colour, double factor) {
  return {colourByte(colour.Alpha() * factor), colourByte(colour.Red() * factor),
          colourByte(colour.Green() * factor), colourByte(colour.Blue() * factor)};
}

QzOrv::OrvColor transparencyRecord(double transparency) {
  const std::uint8_t clear = colourByte(transparency * 255.0);
  return {0, clear, clear, clear};
}

HostMaterialChoice chooseHostMaterial(SceneWriter& writer,
                                      const ON_3dmObjectAttributes& attributes) {
  const int index = materialIndexFor(writer, attributes);
  if (index >= 0 && index < writer.documentMaterials.Count() &&
      writer.documentMaterials[index] != nullptr)
    return {writer.documentMaterials[index], false};
  return {&CRhinoMaterial::DefaultMaterial(), true};
}

void SceneWriter::FillSceneMaterial(const ON_3dmObjectAttributes& attributes,
                                    QzOrv::IOrvMaterial* material, const ON_BoundingBox* box,
                                    const CRhinoObject* object) {
  assert(material != nullptr);
  material->setFactor(0.9);
  const HostMaterialChoice chosen = chooseHostMaterial(*this, attributes);
  const ON_Material& host = *chosen.material;
  const double transparency = host.Transparency();
  const double opacity = 1.0 - transparency;

  const wchar_t* name = host.MaterialName();
  if (name[0] == L'\0') name = chosen.isDefault ? L"Default material" : L"Unnamed material";
  sendName(*material, name);
  material->setEnabled(true);

  const QzOrv::OrvColor diffuse = scaledColour(host.m_diffuse, opacity);
  const QzOrv::OrvColor specular = scaledColour(host.m_specular, opacity);
  const QzOrv::OrvColor emission = scaledColour(host.m_emission, opacity);
  const QzOrv::OrvColor ambient = scaledColour(host.m_ambient, opacity);
  material->setDiffuse(&diffuse);
  material->setSpecular(&specular);
  material->setEmission(&emission);
  material->setAmbient(&ambient);
  // The packed colour, red in the lowest byte, as a number (white is 16777215).
  material->setReflection(static_cast<double>(static_cast<unsigned int>(host.m_reflection)));
  const QzOrv::OrvColor clear = transparencyRecord(transparency);
  material->setTransparency(&clear);
  material->setShininess(80.0);  // the host's shine does not carry over

  exportImageTexture(*this, host, *material, box, object);
  projectMappingChannels(*material, attributes, doc);
}
