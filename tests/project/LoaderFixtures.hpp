#pragma once
// Hand-assembled pieces of project streams, written field by field from the stored layout.
#include <functional>
#include <string>

#include "ByteBuilder.hpp"
#include "project/ProjectLoader.hpp"

namespace kpf::test {

struct LoadResult {
  std::unique_ptr<project::ProjectModel> model = std::make_unique<project::ProjectModel>();
  std::string error;  // empty when the load succeeded
  std::vector<std::string> propertyErrors;
};

inline LoadResult LoadStream(const ByteBuilder& stream) {
  LoadResult result;
  project::LoadOptions options;
  options.OnPropertyError = [&](const std::string& m) { result.propertyErrors.push_back(m); };
  try {
    project::LoadProjectStream(Deflate(stream.bytes()), *result.model, options);
  } catch (const std::exception& error) {
    result.error = error.what();
  }
  return result;
}

// A 2x2 palette image: red on the diagonal from the top left, white elsewhere.
inline ByteBuilder PaletteImage() {
  ByteBuilder b;
  b.i32(2).i32(2).u8(1);
  b.sized(ByteBuilder().raw({0, 1, 1, 0}).bytes());
  b.sized(ByteBuilder().raw({0, 0, 255, 255, 255, 255, 255, 255}).bytes());
  return b;
}

// The frame-image section with `count` palette images.
inline ByteBuilder ImageSection(int count) {
  ByteBuilder body;
  body.compact(count);
  for (int i = 0; i < count; ++i) body.raw(PaletteImage().bytes());
  return body;
}

// The sound section with one wave named "s" holding `data`.
inline ByteBuilder OneSound(std::initializer_list<uint8_t> data) {
  return ByteBuilder().i32(1).u16(101).nul("s").sized(ByteBuilder().raw(data).bytes());
}
inline std::vector<uint8_t> BytesOf(std::span<const uint8_t> data) { return {data.begin(), data.end()}; }

// An action: name, type, flags, parameter block.
inline ByteBuilder& Action(ByteBuilder& b, const std::string& name, int32_t type, int32_t flags,
                           const ByteBuilder& params = {}) {
  return b.nul(name).i32(type).i32(flags).sized(params.bytes());
}

// A script with actions of the given types (flags 1); type 20 calls script `callee`.
inline ByteBuilder& Script(ByteBuilder& b, int32_t id, std::vector<int32_t> types,
                           int32_t callee = -1) {
  b.i32(id).nul("S" + std::to_string(id)).nul("").i32(1).i32(0).i32(0);
  b.i32(static_cast<int32_t>(types.size()));
  for (int32_t type : types) {
    ByteBuilder params;
    if (type == 20) params.i32(0).i32(callee);
    Action(b, "A", type, 1, params);
  }
  return b;
}

struct FrameSpec {
  int32_t image = 0;
  int32_t scriptId = -1;
  bool transparent = false;
  uint32_t color = 0;  // TColor
  std::vector<uint8_t> region = {};
  std::vector<std::pair<int32_t, uint8_t>> sounds = {};
  uint16_t duration = 5;
};

inline ByteBuilder& ImageFrame(ByteBuilder& b, const FrameSpec& f) {
  b.u16(51).u16(1).u16(2).u16(f.duration).i32(f.image).u8(f.transparent ? 1 : 0);
  b.u8(f.color & 0xFF).u8((f.color >> 8) & 0xFF).u8((f.color >> 16) & 0xFF);
  b.u16(f.duration).sized(f.region);
  b.compact(static_cast<int32_t>(f.sounds.size()));
  for (auto [index, mode] : f.sounds) b.i32(index).u8(mode);
  return b.i32(f.scriptId);
}

// An animation: header, event-script slots, frames.
inline ByteBuilder& Animation(ByteBuilder& b, int32_t id, const std::string& name,
                              const std::vector<FrameSpec>& frames,
                              std::vector<int32_t> slots = std::vector<int32_t>(15, -1)) {
  b.i32(id).shortString(name).u16(100).u16(80).u16(0).u16(1).u8(255);
  b.shortString("0").shortString("0").u8(0).u8(0);
  b.i32(static_cast<int32_t>(slots.size()));
  for (int32_t s : slots) b.i32(s);
  b.i32(static_cast<int32_t>(frames.size()));
  for (const auto& f : frames) ImageFrame(b, f);
  return b;
}

// The animation section: `count` animations written by `fill`, then no trailing data.
inline ByteBuilder AnimationSection(int count, const std::function<void(ByteBuilder&)>& fill) {
  ByteBuilder body;
  body.compact(count);
  fill(body);
  return body.i32(0);
}

inline ByteBuilder OneAnimation(const std::vector<FrameSpec>& frames,
                                std::vector<int32_t> slots = std::vector<int32_t>(15, -1)) {
  return AnimationSection(1, [&](ByteBuilder& b) { Animation(b, 1, "A", frames, std::move(slots)); });
}

// The script section: next id, then scripts with actions of the given types (see Script).
inline ByteBuilder ScriptSection(int32_t next, const std::vector<std::vector<int32_t>>& scripts,
                                 const std::vector<int32_t>& callees = {}) {
  ByteBuilder b;
  b.i32(next).i32(static_cast<int32_t>(scripts.size()));
  for (size_t i = 0; i < scripts.size(); ++i)
    Script(b, static_cast<int32_t>(i + 1), scripts[i], i < callees.size() ? callees[i] : -1);
  return b;
}

}  // namespace kpf::test
