// A scene material that records every call made on it as text, in order, so that tests can check
// the values and the order the export sends ("setTextureSize(400, 300)").
#pragma once

#include <charconv>
#include <string>
#include <vector>

#include "orv/ORV6.h"

namespace materials_test {

/// Shortest text that reads back as the same double.
inline std::string number(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

class RecordingMaterial : public QzOrv::IOrvMaterial {
 public:
  std::vector<std::string> calls;

  /// The calls whose text starts with `prefix` ("setMapping"), in order.
  std::vector<std::string> callsTo(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& call : calls)
      if (call.rfind(prefix, 0) == 0) found.push_back(call);
    return found;
  }

  QzOrv::IOrvIdentity* identity() override { return &m_identity; }
  void setEnabled(bool enabled) override { record("setEnabled", flag(enabled)); }
  void setFactor(double factor) override { record("setFactor", number(factor)); }
  void setDiffuse(const QzOrv::OrvColor* color) override { record("setDiffuse", colour(color)); }
  void setSpecular(const QzOrv::OrvColor* color) override { record("setSpecular", colour(color)); }
  void setShininess(double shininess) override { record("setShininess", number(shininess)); }
  void setTransparency(const QzOrv::OrvColor* color) override {
    record("setTransparency", colour(color));
  }
  void setTextureFile(const char* url) override { record("setTextureFile", url); }
  void setMappingKind(int kind) override { record("setMappingKind", std::to_string(kind)); }
  void setMappingOrigin(const QzOrv::OrvPoint* point, const QzOrv::OrvPoint* xAxis,
                        const QzOrv::OrvPoint* yAxis) override {
    record("setMappingOrigin", frame(point, xAxis, yAxis));
  }
  void setMappingFrame(const QzOrv::OrvPoint* point, const QzOrv::OrvPoint* xAxis,
                       const QzOrv::OrvPoint* yAxis) override {
    record("setMappingFrame", frame(point, xAxis, yAxis));
  }
  void setTextureFlags(bool first, bool second) override {
    record("setTextureFlags", flag(first) + ", " + flag(second));
  }
  void setTextureSize(double height, double width) override {
    record("setTextureSize", number(height) + ", " + number(width));
  }
  void assign(const QzOrv::IOrvMaterial*) override { record("assign", ""); }
  void setAmbient(const QzOrv::OrvColor* color) override { record("setAmbient", colour(color)); }
  void setTextureEnabled(bool enabled) override { record("setTextureEnabled", flag(enabled)); }
  void setReflection(double reflection) override { record("setReflection", number(reflection)); }
  void setEmission(const QzOrv::OrvColor* color) override { record("setEmission", colour(color)); }

 private:
  class Identity : public QzOrv::IOrvIdentity {
   public:
    explicit Identity(RecordingMaterial& owner) : m_owner(owner) {}
    const QzOrv::OrvId* id() const override { return &m_id; }
    void setName(const char* name) override { m_owner.record("setName", name); }

   private:
    RecordingMaterial& m_owner;
    QzOrv::OrvId m_id{};
  };

  void record(const char* call, const std::string& arguments) {
    calls.push_back(std::string(call) + "(" + arguments + ")");
  }
  static std::string flag(bool value) { return value ? "true" : "false"; }
  static std::string colour(const QzOrv::OrvColor* c) {
    return "[" + std::to_string(c->a) + ", " + std::to_string(c->r) + ", " + std::to_string(c->g) +
           ", " + std::to_string(c->b) + "]";
  }
  static std::string point(const QzOrv::OrvPoint* p) {
    return "(" + number(p->x) + ", " + number(p->y) + ", " + number(p->z) + ")";
  }
  static std::string frame(const QzOrv::OrvPoint* p, const QzOrv::OrvPoint* x,
                           const QzOrv::OrvPoint* y) {
    return point(p) + ", " + point(x) + ", " + point(y);
  }

  Identity m_identity{*this};
};

}  // namespace materials_test
