#pragma once
// Working state of one project load, shared by the section readers and the finishing steps.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "desktop/TVrMemoryFileWriter.hpp"
#include "project/ByteReader.hpp"
#include "project/InflatingReader.hpp"
#include "project/ProjectLoader.hpp"
#include "project/Shape.hpp"
#include "project/StreamedSection.hpp"

namespace kpf::project {

class ProjectLoaderState {
 public:
  ProjectLoaderState(ProjectModel& model, const LoadOptions& options) : model_(model), options_(options) {}

  // Sections until tag 255, read while the stream inflates. Inflation errors are not kept: they
  // pass to the caller.
  void ReadSections(InflatingReader& stream);
  // Steps after the sections; each runs even when an earlier one failed, and the first failure
  // is rethrown at the end.
  void Finish();

 private:
  void ReadSection(uint16_t tag, ByteReader& body);
  // A section with bulky bytes, read from the stream itself.
  void ReadStreamedSection(uint16_t tag, InflatingReader& stream, size_t length);
  void ReadScripts(ByteReader& body);
  void ReadFrameImages(StreamedSection& body);
  void ReadAnimations(ByteReader& body);
  void ReadAnimation(ByteReader& body, TTaviEvent& animation);
  void ReadFrame(ByteReader& body, TTaviFrame& frame);
  void ReadSounds(StreamedSection& body);
  void ReadOptionFlags(ByteReader& body);
  void ReadMenuEntries(ByteReader& body);
  void ReadMenuKeys(ByteReader& body);
  void ReadMenuFlags(ByteReader& body);
  void ReadPlayLists(ByteReader& body);
  void ReadDialogs(ByteReader& body);
  void ReadMenuCaptions(ByteReader& body);
  void ReadVariables(ByteReader& body);
  void ReadCursors(ByteReader& body);
  // Copies the next `count` image or sound bytes of `body` into the frame-data block; returns
  // their offset there.
  size_t CopyFrameBytes(StreamedSection& body, size_t count);

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
  void GiveSoundsTheirData();
  void UnpackAllParams();

  void Attempt(void (ProjectLoaderState::*step)());

  // Problems the load survives, told to options_.Problems.
  void NoteLeftover(size_t bytes);
  void NoteRepeatedSection(uint16_t tag);
  static std::string FramePlace(const TTaviEvent& animation, size_t index);

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
  bool errorReported_ = false;
  std::string section_;  // where the section being read is, for problems
  std::set<uint16_t> sectionsSeen_;
  std::exception_ptr failure_;
};

}  // namespace kpf::project
