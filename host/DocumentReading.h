// The readers of the document file's sections, each turning a part of the JSON into host tables and
// objects; shared between the section files and the top level that calls them in file order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DocumentNode.h"

namespace document {

/// An integer index (Number::isInteger) as a signed value; one beyond `count` reads as `count`,
/// so that indices too large for a signed integer are as missing as negative ones.
inline std::int64_t IndexValue(const Number& index, int count) {
  if (index.form == Number::Form::natural)
    return index.natural > std::uint64_t(count) ? count : std::int64_t(index.natural);
  return index.negative;
}

// ---- tables (DocumentTables.cpp)

ON_UnitSystem ReadUnits(const Node& units);

/// The path the document was saved under; a relative one is taken from the document file's folder.
std::string SavedPath(const Node& path, const std::string& fileName);

/// A colour [red, green, blue] or [red, green, blue, alpha], channels 0 to 255.
ON_Color ReadColour(const Node& colour);

/// Adds the materials to the document's material table, in file order.
NameTable ReadMaterials(const Node& materials, CRhinoDoc& doc);

/// Adds the layers to the document's layer table; the result names them "layer" for what refers
/// to them after the table.
NameTable ReadLayers(const Node& layers, CRhinoDoc& doc, const NameTable& materials);

// ---- geometry (DocumentGeometry.cpp); every result is owned by the caller

ON_3dPoint ReadPoint(const Node& point);
ON_3dVector ReadVector(const Node& vector);

/// A 4x4 matrix, or scale, then rotation, then translation.
ON_Xform ReadTransform(const Node& transform);

std::unique_ptr<ON_Mesh> ReadMesh(const Node& mesh);

/// One surface, or several (a polysurface) as an array, each an untrimmed face.
std::unique_ptr<ON_Brep> ReadSurface(const Node& surface);

/// A plane or NURBS surface alone; its "render_mesh" key, allowed, is the caller's to read.
std::unique_ptr<ON_Surface> ReadSurfaceGeometry(const Node& surface);

/// The knots of one direction: order + count - 2 values, or order + count with the two outermost
/// (which no evaluation uses) dropped; non-decreasing, with a non-empty domain. Returns the
/// order + count - 2 that count.
std::vector<double> ReadKnotVector(const Node& knots, int order, int count);

std::unique_ptr<ON_PolylineCurve> ReadCurve(const Node& curve);

/// A light; `objectName` is its name unless the light gives its own.
std::unique_ptr<ON_Light> ReadLight(const Node& light, const ON_wString& objectName);

// ---- texture mappings (DocumentMappings.cpp)

/// Adds the texture mappings to the document's texture-mapping table, in file order (each gets a
/// new id).
NameTable ReadTextureMappings(const Node& mappings, CRhinoDoc& doc);

/// Gives `attributes` one mapping reference holding the channels listed, each naming a mapping of
/// the document's table by name or index; an empty list gives no mapping reference.
void ReadMappingChannels(const Node& channels, const NameTable& mappings, const CRhinoDoc& doc,
                         ON_3dmObjectAttributes& attributes);

// ---- breps (DocumentBreps.cpp)

/// A brep: its surfaces, its edges as 3-D NURBS curves, and faces trimmed by loops of trims that
/// refer to the edges. Loops are checked to close.
std::unique_ptr<ON_Brep> ReadBrep(const Node& brep);

// ---- SubD objects (DocumentSubD.cpp)

/// A SubD's control net: points, faces of three or more different points, creases along edges of
/// the faces, corners at points.
std::unique_ptr<ON_SubD> ReadSubD(const Node& subd);

// ---- objects and blocks (DocumentObjects.cpp)

/// What objects refer to: materials, layers, texture mappings and blocks, by name or index.
struct References {
  NameTable materials{"material"};
  NameTable layers{"layer"};
  NameTable blocks{"block"};
  NameTable textureMappings{"texture mapping"};
  /// Per block, what one placement of it places (DocumentBudget), the blocks it places expanded.
  std::vector<Placed> blockPlaced;
};

/// How deep blocks may nest: a block that places no other block has depth 1, one that places
/// blocks one more than the deepest of them.
inline constexpr int kMaxBlockNesting = 100;

/// Block definitions: all are made first, so that instances may place blocks defined later; then
/// their objects are read, and cycles and nesting deeper than kMaxBlockNesting refused. Adds the
/// blocks' names and what each places to `references`.
void ReadBlocks(const Node& blocks, References& references, CRhinoDoc& doc);

/// Adds the top-level objects to the document, in file order. Fails at the object that brings the
/// placed polygons or objects over the document's budget.
void ReadObjects(const Node& objects, const References& references, CRhinoDoc& doc);

// ---- views, earth anchor point and sun (DocumentViews.cpp)

/// Adds the views to the document, in file order; the one marked active becomes the
/// application's active view (it stays so as long as the document).
void ReadViews(const Node& views, CRhinoDoc& doc);

/// Places the document's earth anchor point.
void ReadEarthAnchor(const Node& anchor, CRhinoDoc& doc);

/// Sets the document sun that the render kit keeps.
void ReadSun(const Node& sun, CRhinoDoc& doc);

}  // namespace document
