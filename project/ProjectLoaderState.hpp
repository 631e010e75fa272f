#pragma once
// Working state of one project load, shared by the section readers and the finishing steps.
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "desktop/TVrMemoryFileWriter.hpp"
#include "project/ByteReader.hpp"
#include "project/ProjectLoader.hpp"
#include "project/Shape.hpp"

namespace kpf::project {

class ProjectLoaderState {
 public:
  // The stream read belongs to the load: bytes copied into the frame-data block are dropped from
  // it at once.
  ProjectLoaderState(ProjectModel& model, const LoadOptions& options) : model_(model), options_(options) {}

  // Sections until tag 255.
  void ReadSections(ByteReader& stream);
  // Steps after the sections; each runs even when an earlier one failed, and the first failure
  // is rethrown at the end.
  void Finish();

 private:
  void ReadSection(uint16_t tag, ByteReader& body);
  void ReadScripts(ByteReader& body);
  void ReadFrameImages(ByteReader& body);
  void ReadAnimations(ByteReader& body);
  void ReadAnimation(ByteReader& body, TTaviEvent& animation);
  void ReadFrame(ByteReader& body, TTaviFrame& frame);
  void ReadSounds(ByteReader& body);
  void ReadOptionFlags(ByteReader& body);
  void ReadMenuEntries(ByteReader& body);
  void ReadMenuKeys(ByteReader& body);
  void ReadMenuFlags(ByteReader& body);
  void ReadPlayLists(ByteReader& body);
  void ReadDialogs(ByteReader& body);
  void ReadMenuCaptions(ByteReader& body);
  void ReadVariables(ByteReader& body);
  void ReadCursors(ByteReader& body);
  // Copies image or sound bytes into the frame-data block.
  void AppendFrameBytes(std::span<const uint8_t> bytes);

  // Image variants: whether a script (following type-20 calls) mirrors / flips.
  std::pair<bool, bool> ScriptTransforms(int32_t scriptId);
  // Fills transforms_ for every script at once (see ProjectSections.cpp).
  void ComputeScriptTransforms();
  // Index of the copy of `source` for variant 1 or 2, made on first need.
  int32_t VariantImage(int32_t source, int variant);

  void ResolveSoundReferences();
  void MapFrameData();
  void ParseImages();
  void BuildShapes();
  void BuildAnimationShapes(TTaviEvent& animation);
  // The outline of image `index` for a transparent colour (only its first run with
  // `firstPointOnly`), built once per load: frames that share a picture would otherwise each
  // decode and scan it again.
  const ShapeData& ImageShape(int32_t index, uint32_t transparent, bool firstPointOnly);
  void GiveSoundsTheirData();
  void UnpackAllParams();

  void Attempt(void (ProjectLoaderState::*step)());

  ProjectModel& model_;
  const LoadOptions& options_;
  desktop::TVrMemoryFileWriter frameWriter_;
  bool imagesSeen_ = false;
  size_t loadedImages_ = 0;
  size_t imageBytesOffset_ = 0;
  size_t imageBytesLength_ = 0;
  std::vector<size_t> soundOffsets_;  // per sound: its bytes in the frame data
  // Mirror / flip of the first script with each id; valid while transformsReady_ (the script
  // list changes only in the script and menu sections, which reset it).
  std::unordered_map<int32_t, std::pair<bool, bool>> transforms_;
  bool transformsReady_ = false;
  std::map<std::tuple<int32_t, uint32_t, bool>, ShapeData> shapes_;
  bool errorReported_ = false;
  std::exception_ptr failure_;
};

}  // namespace kpf::project
