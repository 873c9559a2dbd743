// The scene library's public interface: the scene manager, the lists and elements it hands out,
// and the two callbacks (feedback, byte sink) that a caller implements.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define ORV_API __declspec(dllexport)
#else
#define ORV_API __attribute__((visibility("default")))
#endif

// How to use it
// -------------
// Create one manager per scene with newOrvMgr, fill the scene through the lists the manager hands
// out, call save with a byte sink, and release the manager. Everything the manager hands out
// (lists, elements, value storage) belongs to the library and stays valid until release; callers
// never delete any of it. Only the manager itself is released, once.
//
// Value forms
// - Strings are UTF-8, zero-terminated; the library copies them during the call. A null string
//   counts as the empty string.
// - Points and vectors are OrvPoint (three doubles); colours are OrvColor (four bytes alpha, red,
//   green, blue); ids are OrvId (16 bytes). They are passed by address; the library copies them.
//   A null address is ignored: the value keeps what it had (absent if it was never set). A frame
//   (setMappingOrigin, setMappingFrame) is recorded only when all three addresses are given.
// - Every setter records that it was called: a value never sent stays absent in the saved scene
//   and is distinguishable from any default.
//
// Lists
// - Lists are reached through getters (lights(), materials(), vertices(), ...). A getter returns
//   the same list every time. IOrvList<T>::insert(-1) appends; an index from 0 to count() inserts
//   before that position. For element lists insert returns the new element, which keeps its
//   address until release however the list grows. For value lists (vertices, vertexIndices,
//   visibleLayers) it returns the zero-filled storage of the new value, which the caller fills at
//   once: that address, like one from at(), is valid only until the next insert into the same
//   list. Invalid indices give null and change nothing.
//
// Identity
// - Every element with an identity (layer, object definition, object instance, material, light,
//   heliodon, view, camera) gets a 16-byte id when it is created: unique within the scene and
//   deterministic, so the same sequence of calls gives the same ids and the same file bytes.
//   Ids are laid out like version-4 GUIDs and are never nil. Names are absent until setName.
//
// Saving
// - save first checks the scene's references and reports each broken one as a warning (the
//   save goes on): an instance without a definition or whose definition id names no object
//   definition; an instance layer id that is neither nil nor a layer; a polygon with fewer than 3
//   or more than 4 vertex indices, a vertex index outside its definition's vertices, or a set
//   material index outside its definition's materials; a view or camera heliodon name that names
//   no heliodon; a visible layer id that names no layer. Each message names the list, the
//   element's index and name, and the bad value, e.g.
//   objectInstances[3] "Chair": layer id 0a1b...-... names no layer
// - The file is then written in pieces of at most 64 KiB; the whole file is never held in
//   memory. The format is described in docs/scene-format.md.

namespace QzOrv {

/// Scene file version a manager is created for. Only ORV_VERSION_6 (50) is supported.
enum EVersionORV : int { ORV_VERSION_6 = 50 };

/// A point or vector, in scene units (centimetres).
struct OrvPoint {
  double x, y, z;
};

/// A colour: alpha, red, green, blue bytes in this order.
struct OrvColor {
  std::uint8_t a, r, g, b;
};

/// A 16-byte element id. All zero is the nil id ("none").
struct OrvId {
  std::uint8_t bytes[16];
};

/// Message kinds passed to IOrvFeedback::message.
enum OrvMessageKind : int { ORV_MESSAGE_INFO = 0, ORV_MESSAGE_WARNING = 1, ORV_MESSAGE_ERROR = 2 };

/// Callback implemented by the caller: the library reports messages through it and asks it
/// between the pieces of a save whether to go on. Not owned by the library; it must outlive the
/// manager it was given to.
class IOrvFeedback {
 public:
  /// A message from the library. `text` is UTF-8, valid only during the call. Default: ignored.
  virtual void message(int kind, const char* text) {
    (void)kind;
    (void)text;
  }
  /// Asked between the pieces of a save; false stops the save, which then returns false.
  /// Default: true.
  virtual bool query() { return true; }

 protected:
  ~IOrvFeedback() = default;
};

/// Byte sink implemented by the caller; save writes the scene file through it, in order, in pieces
/// of at most 64 KiB (65536 bytes). Never deleted through this interface.
class IOrvWriteStream {
 public:
  /// Takes `count` bytes at `bytes`; the pointer is valid only during the call.
  virtual void write(const void* bytes, std::uint64_t count) = 0;

 protected:
  ~IOrvWriteStream() = default;
};

/// An ordered list of elements (T is an element interface) or of values (T is OrvPoint, int or
/// OrvId). Owned by the library.
template <class T>
class IOrvList {
 public:
  /// Number of entries.
  virtual int count() const = 0;
  /// Entry at a 0-based index, or null when the index is out of range.
  virtual T* at(int index) = 0;
  /// Inserts a new entry before `index`, or appends for -1; returns it (for values: its storage,
  /// zero-filled), or null when the index is out of range.
  virtual T* insert(int index) = 0;

 protected:
  ~IOrvList() = default;
};

/// Name and id of an element.
class IOrvIdentity {
 public:
  /// The element's 16-byte id; never null, valid as long as the manager.
  virtual const OrvId* id() const = 0;
  /// Sets the element's name (UTF-8, copied).
  virtual void setName(const char* name) = 0;

 protected:
  ~IOrvIdentity() = default;
};

/// A scene layer. Instances refer to layers by id.
class IOrvLayer {
 public:
  virtual IOrvIdentity* identity() = 0;

 protected:
  ~IOrvLayer() = default;
};

/// A scene material: a slot of an object definition, or a material of a definition link.
class IOrvMaterial {
 public:
  virtual IOrvIdentity* identity() = 0;
  virtual void setEnabled(bool enabled) = 0;
  /// Overall strength factor, 0 to 1.
  virtual void setFactor(double factor) = 0;
  virtual void setDiffuse(const OrvColor* color) = 0;
  virtual void setSpecular(const OrvColor* color) = 0;
  virtual void setShininess(double shininess) = 0;
  /// Transparency as a colour (red, green and blue 0 opaque to 255 clear).
  virtual void setTransparency(const OrvColor* color) = 0;
  /// Image file as a file URL (UTF-8).
  virtual void setTextureFile(const char* url) = 0;
  /// Projection code: -1 none, 0 planar/box, 3 spherical, 5 cylindrical.
  virtual void setMappingKind(int kind) = 0;
  /// Projection origin frame: a point and two axis vectors.
  virtual void setMappingOrigin(const OrvPoint* point, const OrvPoint* xAxis,
                                const OrvPoint* yAxis) = 0;
  /// Projection frame: a point and two axis vectors.
  virtual void setMappingFrame(const OrvPoint* point, const OrvPoint* xAxis,
                               const OrvPoint* yAxis) = 0;
  virtual void setTextureFlags(bool first, bool second) = 0;
  /// Texture height and width, in scene units.
  virtual void setTextureSize(double height, double width) = 0;
  /// Makes this material a copy of `source`: every value recorded on it, its name included, and
  /// absence where it has none; only this material's id stays. Later changes of `source` do not
  /// reach the copy. Null, this material itself, or a material not made by this library leaves
  /// this material unchanged.
  virtual void assign(const IOrvMaterial* source) = 0;
  virtual void setAmbient(const OrvColor* color) = 0;
  virtual void setTextureEnabled(bool enabled) = 0;
  virtual void setReflection(double reflection) = 0;
  virtual void setEmission(const OrvColor* color) = 0;

 protected:
  ~IOrvMaterial() = default;
};

/// A polygon of an object definition: three or four vertex indices and a material slot.
class IOrvPolygon {
 public:
  virtual void setFlag(bool flag) = 0;
  /// Index into the definition's materials().
  virtual void setMaterialIndex(int index) = 0;
  /// 0-based indices into the definition's vertices(), in order.
  virtual IOrvList<int>* vertexIndices() = 0;

 protected:
  ~IOrvPolygon() = default;
};

/// Geometry in scene space: points in centimetres, polygons indexing them, material slots.
class IOrvObjectDefinition {
 public:
  virtual IOrvIdentity* identity() = 0;
  virtual IOrvList<IOrvMaterial>* materials() = 0;
  virtual IOrvList<OrvPoint>* vertices() = 0;
  virtual IOrvList<IOrvPolygon>* polygons() = 0;

 protected:
  ~IOrvObjectDefinition() = default;
};

/// The link from an instance to its definition, with one material per definition slot.
class IOrvDefinitionLink {
 public:
  /// Id of the object definition placed by the instance.
  virtual void setDefinition(const OrvId* definitionId) = 0;
  virtual IOrvList<IOrvMaterial>* materials() = 0;

 protected:
  ~IOrvDefinitionLink() = default;
};

/// Places an object definition in the scene, on a layer.
class IOrvObjectInstance {
 public:
  virtual IOrvIdentity* identity() = 0;
  /// Kind text, for example "ModelObject".
  virtual void setKind(const char* kind) = 0;
  virtual IOrvDefinitionLink* definitionLink() = 0;
  /// Id of a scene layer; the nil id means no layer.
  virtual void setLayer(const OrvId* layerId) = 0;

 protected:
  ~IOrvObjectInstance() = default;
};

/// A light. Positions in centimetres, angles in radians.
class IOrvLight {
 public:
  virtual IOrvIdentity* identity() = 0;
  /// 0 point, 1 spot, 2 directional.
  virtual void setType(int type) = 0;
  virtual void setColor(const OrvColor* color) = 0;
  virtual void setPosition(const OrvPoint* position) = 0;
  virtual void setTarget(const OrvPoint* target) = 0;
  virtual void setSpotAngle(double radians) = 0;
  /// 0 no shadows, 2 shadows.
  virtual void setShadowMode(int mode) = 0;
  virtual void setShadowIntensity(double intensity) = 0;
  virtual void setIntensity(double intensity) = 0;

 protected:
  ~IOrvLight() = default;
};

/// Geographic place of a heliodon: angles in whole minutes of arc, time zone in whole hours.
class IOrvPlace {
 public:
  virtual void setLongitude(int minutes) = 0;
  virtual void setLatitude(int minutes) = 0;
  virtual void setTimeZone(int hours) = 0;
  virtual void setDaylightSaving(bool on) = 0;

 protected:
  ~IOrvPlace() = default;
};

/// Local date and time of a heliodon.
class IOrvDateTime {
 public:
  virtual void setMonth(int month) = 0;
  virtual void setDay(int day) = 0;
  virtual void setHour(int hour) = 0;
  virtual void setMinute(int minute) = 0;
  virtual void setYear(int year) = 0;

 protected:
  ~IOrvDateTime() = default;
};

/// The sun of the scene; views and cameras refer to it by name.
class IOrvHeliodon {
 public:
  virtual IOrvIdentity* identity() = 0;
  virtual void setEnabled(bool enabled) = 0;
  virtual IOrvDateTime* dateTime() = 0;
  virtual IOrvPlace* place() = 0;
  /// Degrees.
  virtual void setNorthAngle(double degrees) = 0;
  virtual void setSkyShadowIntensity(double intensity) = 0;
  virtual void setMode(int mode) = 0;
  virtual void setSubMode(int subMode) = 0;

 protected:
  ~IOrvHeliodon() = default;
};

/// Render stage of a view or camera.
class IOrvRenderStage {
 public:
  virtual void setMode(int mode) = 0;

 protected:
  ~IOrvRenderStage() = default;
};

/// Render set-up of a view or camera.
class IOrvRenderSetup {
 public:
  virtual IOrvRenderStage* stage() = 0;

 protected:
  ~IOrvRenderSetup() = default;
};

/// Settings shared by views and cameras: mode, heliodon name and the visible layers.
class IOrvViewSettings {
 public:
  virtual void setMode(int mode) = 0;
  /// Name of the heliodon (UTF-8).
  virtual void setHeliodon(const char* name) = 0;
  /// Ids of the scene layers shown.
  virtual IOrvList<OrvId>* visibleLayers() = 0;

 protected:
  ~IOrvViewSettings() = default;
};

/// A parallel view. Eye and target in centimetres.
class IOrvView {
 public:
  virtual IOrvIdentity* identity() = 0;
  virtual IOrvViewSettings* settings() = 0;
  virtual IOrvRenderSetup* renderSetup() = 0;
  /// 0 side (along X or Y), 1 top (along Z), 2 other.
  virtual void setViewKind(int kind) = 0;
  /// 2 inactive, 3 active.
  virtual void setState(int state) = 0;
  virtual void markUsed() = 0;
  /// Diagonal of the viewed field, in centimetres.
  virtual void setFieldSize(double size) = 0;
  virtual void setEye(const OrvPoint* eye) = 0;
  virtual void setTarget(const OrvPoint* target) = 0;

 protected:
  ~IOrvView() = default;
};

/// A perspective camera. Eye and target in centimetres, focal length in millimetres.
class IOrvCamera {
 public:
  virtual IOrvIdentity* identity() = 0;
  virtual IOrvViewSettings* settings() = 0;
  virtual IOrvRenderSetup* renderSetup() = 0;
  virtual void setEye(const OrvPoint* eye) = 0;
  virtual void setTarget(const OrvPoint* target) = 0;
  /// Makes this camera the scene's current one; the camera current before stops being it.
  virtual void makeCurrent() = 0;
  virtual void setEnabled(bool enabled) = 0;
  virtual void setRoll(double degrees) = 0;
  virtual void setFocal(double millimetres) = 0;

 protected:
  ~IOrvCamera() = default;
};

/// One scene: every list of the scene, its creator, and the save.
class IOrvMgr {
 public:
  /// Destroys the manager and everything it handed out. Returns the remaining reference count
  /// (always 0). The manager must not be used afterwards.
  virtual unsigned long release() = 0;
  /// Records the application that writes the scene (UTF-8 name and version). Returns true.
  virtual bool setCreator(const char* application, const char* version) = 0;
  /// Checks the scene's references (reporting each problem through the feedback as a warning,
  /// see "Saving" above) and writes the scene file through `stream`. Calls the feedback's
  /// query() before every piece after the first and stops, returning false, when it answers
  /// false. Returns true when the whole file was written. `flags` must be 0: other flags or a
  /// null stream give false with an error message and write nothing. Running out of memory gives
  /// false with an error message; exceptions thrown by `stream` or the feedback pass through.
  /// The scene is unchanged by a save and may be saved again.
  virtual bool save(IOrvWriteStream* stream, int flags) = 0;
  virtual IOrvList<IOrvCamera>* cameras() = 0;
  virtual IOrvList<IOrvLight>* lights() = 0;
  virtual IOrvList<IOrvView>* views() = 0;
  virtual IOrvList<IOrvHeliodon>* heliodons() = 0;
  virtual IOrvList<IOrvObjectInstance>* objectInstances() = 0;
  virtual IOrvList<IOrvLayer>* layers() = 0;
  virtual IOrvList<IOrvObjectDefinition>* objectDefinitions() = 0;

 protected:
  ~IOrvMgr() = default;
};

/// Creates a scene manager. On success stores it in *manager and returns true; on failure (null
/// `manager`, unsupported version) stores null when it can and returns false. `feedback` may be
/// null; when given it is not owned and must outlive the manager.
extern "C++" ORV_API bool newOrvMgr(IOrvMgr** manager, EVersionORV version, IOrvFeedback* feedback);

}  // namespace QzOrv
