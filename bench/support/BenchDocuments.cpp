// clang-format off
#include "plugin/stdafx.h"
// clang-format on

#include "BenchDocuments.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace bench {
namespace {

// A side × side grid of quads at (x0, y0), vertices shared between neighbouring quads.
ON_Mesh* gridMesh(int side, double x0, double y0) {
  auto* mesh = new ON_Mesh;
  const int points = side + 1;
  mesh->m_dV.Reserve(points * points);
  mesh->m_V.Reserve(points * points);
  for (int i = 0; i < points; ++i) {
    for (int j = 0; j < points; ++j) {
      const double x = x0 + i, y = y0 + j;
      const ON_3dPoint p(x, y, 3 * std::sin(x / 7) * std::cos(y / 5));
      mesh->m_dV.Append(p);
      mesh->m_V.Append(
          ON_3fPoint(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)));
    }
  }
  mesh->m_F.Reserve(side * side);
  for (int i = 0; i < side; ++i) {
    for (int j = 0; j < side; ++j) {
      const int a = i * points + j;
      mesh->m_F.Append(ON_MeshFace{{a, a + points, a + points + 1, a + 1}});
    }
  }
  return mesh;
}

}  // namespace

std::unique_ptr<CRhinoDoc> makeDocument(const DocumentShape& shape) {
  auto doc = std::make_unique<CRhinoDoc>();
  ON_UnitSystem units;
  units.m_unit_system = ON::centimeters;
  doc->Properties().SetModelUnits(units);
  for (int m = 0; m < shape.materials; ++m) {
    ON_Material material;
    material.SetMaterialName((L"Material " + std::to_wstring(m)).c_str());
    material.m_diffuse = ON_Color(m % 256, (m / 256) % 256, 100);
    doc->m_material_table.AddMaterial(material);
  }
  for (int l = 0; l < shape.layers; ++l) {
    ON_Layer layer;
    layer.SetLayerName((L"Layer " + std::to_wstring(l)).c_str());
    doc->m_layer_table.AddLayer(layer);
  }
  const double quadsPerObject = static_cast<double>(shape.triangles) / 2 / shape.objects;
  const int side = std::max(1, static_cast<int>(std::lround(std::sqrt(quadsPerObject))));
  const int perRow = static_cast<int>(std::ceil(std::sqrt(shape.objects)));
  for (int o = 0; o < shape.objects; ++o) {
    auto* object = new CRhinoMeshObject(
        gridMesh(side, (o % perRow) * (side + 2.0), (o / perRow) * (side + 2.0)));
    CRhinoObjectAttributes attributes;
    attributes.m_name = (L"Object " + std::to_wstring(o)).c_str();
    attributes.m_layer_index = shape.layers > 0 ? o % shape.layers : 0;
    attributes.SetMaterialSource(ON_3dmObjectAttributes::material_from_object);
    attributes.m_material_index = shape.materials > 0 ? o % shape.materials : -1;
    object->SetAttributes(attributes);
    doc->AddObject(object);
  }
  return doc;
}

long triangleCount(const CRhinoDoc& doc) {
  long triangles = 0;
  for (int i = 0; i < doc.m_object_table.ObjectCount(); ++i) {
    ON_SimpleArray<const ON_Mesh*> meshes;
    doc.m_object_table.Object(i)->GetMeshes(ON::render_mesh, meshes);
    for (int m = 0; m < meshes.Count(); ++m) {
      for (int f = 0; f < meshes[m]->FaceCount(); ++f)
        triangles += meshes[m]->m_F[f].IsQuad() ? 2 : 1;
    }
  }
  return triangles;
}

}  // namespace bench
