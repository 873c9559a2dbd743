// Finding the objects with saved meshes, meshing them again, and the table of the results.
#include "ModelComparison.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "ModelFile.h"
#include "rhinoSdk.h"

namespace {

/// UTF-8 of a name the host keeps as wide text (not null).
std::string Narrow(const wchar_t* text) {
  return ON_String(text).Array();
}

std::string Label(const CRhinoObject& object, const std::string& index) {
  const std::string name = Narrow(object.Attributes().m_name.Array());
  return name.empty() ? index : "\"" + name + "\" (" + index + ")";
}

/// A brep's row, when any of its faces carries a saved mesh.
bool CompareBrep(const ON_Brep& brep, ComparisonRow& row) {
  TriangleSet& host = row.host;
  TriangleSet& ours = row.ours;
  std::vector<bool> saved(static_cast<std::size_t>(brep.FaceCount()), false);
  for (int f = 0; f < brep.FaceCount(); ++f)
    if (const ON_Mesh* mesh = brep.Face(f)->Mesh(ON::render_mesh)) {
      host.AddMesh(*mesh, f);
      saved[static_cast<std::size_t>(f)] = true;
      ++row.faces;
    }
  if (row.faces == 0) return false;
  // The mesher never reads the saved meshes, so it meshes the faces as if they had none.
  ON_SimpleArray<ON_Mesh*> made;
  ON_ClassArray<ON_String> failures;
  brep.CreateMesh(ON_MeshParameters::QualityRenderMesh, made, &failures);
  for (int f = 0; f < made.Count(); ++f) {
    std::unique_ptr<ON_Mesh> mesh(made[f]);
    if (mesh && saved[static_cast<std::size_t>(f)]) ours.AddMesh(*mesh, f);
  }
  for (int f = 0; f < failures.Count(); ++f)
    if (!failures[f].IsEmpty() && f < brep.FaceCount() && saved[static_cast<std::size_t>(f)])
      row.failures.push_back("face " + std::to_string(f) + ": " + failures[f].Array());
  row.measures = CompareMeshes(ours, host);
  return true;
}

void CompareObject(const CRhinoObject& object, ComparisonRow row,
                   std::vector<ComparisonRow>& rows) {
  if (const auto* brep = dynamic_cast<const CRhinoBrepObject*>(&object))
    if (CompareBrep(*brep->Brep(), row)) rows.push_back(std::move(row));
}

std::string Fixed(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", digits, value);
  return text;
}

std::string Point(const ON_3dPoint& p) {
  return "(" + Fixed(p.x, 3) + ", " + Fixed(p.y, 3) + ", " + Fixed(p.z, 3) + ")";
}

std::string Closed(std::size_t openEdges) {
  return openEdges == 0 ? "yes" : "no (" + std::to_string(openEdges) + " open edges)";
}

}  // namespace

std::vector<ComparisonRow> CompareModel(const std::string& model) {
  CRhinoDoc doc;
  const TemporaryFolder folder = LoadModelFile(model, doc);
  std::vector<ComparisonRow> rows;
  ComparisonRow row;
  row.file = std::filesystem::path(model).filename().string();
  for (int i = 0; i < doc.m_object_table.ObjectCount(); ++i) {
    const CRhinoObject& object = *doc.m_object_table.Object(i);
    row.object = Label(object, "#" + std::to_string(i));
    CompareObject(object, row, rows);
  }
  const CRhinoInstanceDefinitionTable& blocks = doc.m_instance_definition_table;
  for (int b = 0; b < blocks.InstanceDefinitionCount(); ++b) {
    const std::string block =
        blocks[b]->Name() ? "\"" + Narrow(blocks[b]->Name()) + "\"" : std::to_string(b);
    ON_SimpleArray<const CRhinoObject*> objects;
    blocks[b]->GetObjects(objects);
    for (int i = 0; i < objects.Count(); ++i) {
      row.object = Label(*objects[i], "block " + block + " #" + std::to_string(i));
      CompareObject(*objects[i], row, rows);
    }
  }
  return rows;
}

std::string MarkdownTable(const std::vector<ComparisonRow>& rows) {
  std::string table =
      "| file | object | faces | host triangles | our triangles | area ratio | max distance % | "
      "p99 % | flipped | host closed | ours closed |\n"
      "|---|---|---:|---:|---:|---:|---:|---:|---:|---|---|\n";
  for (const ComparisonRow& row : rows) {
    const MeshMeasures& m = row.measures;
    table += "| " + row.file + " | " + row.object + " | " + std::to_string(row.faces) + " | " +
             std::to_string(m.hostTriangles) + " | " + std::to_string(m.ourTriangles) + " | " +
             Fixed(m.AreaRatio(), 4) + " | " + Fixed(m.MaxPercent(), 3) + " | " +
             Fixed(m.P99Percent(), 3) + " | " + std::to_string(m.flipped) + " | " +
             Closed(m.hostOpenEdges) + " | " + Closed(m.ourOpenEdges) + " |\n";
  }
  return table;
}

std::string FaceLines(const ComparisonRow& row) {
  const MeshMeasures& m = row.measures;
  std::string lines;
  for (std::size_t f = 0; f < m.faceMaxDistance.size(); ++f) {
    if (m.faceHostTriangles[f] == 0 && m.faceOurTriangles[f] == 0) continue;
    lines += "  - face " + std::to_string(f) + ": host " + std::to_string(m.faceHostTriangles[f]) +
             " triangles, ours " + std::to_string(m.faceOurTriangles[f]) + ", max distance " +
             Fixed(m.diagonal > 0 ? 100.0 * m.faceMaxDistance[f] / m.diagonal : 0.0, 3) + "% at " +
             Point(m.faceWorstPoint[f]) +
             (m.faceWorstOnHost[f] ? " on the host's mesh\n" : " on ours\n");
  }
  for (const auto& [face, centre] : m.flippedAt)
    lines += "  - flipped: a triangle of face " + std::to_string(face) + " around " +
             Point(centre) + "\n";
  for (const std::string& failure : row.failures) lines += "  - not meshed: " + failure + "\n";
  return lines;
}
