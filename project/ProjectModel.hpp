#pragma once
// The in-memory project: every list the loader fills and the engine, the action executor, the
// dialogs and the media player read.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <string_view>
#include <vector>

#include "desktop/TVrMemoryFile.hpp"
#include "project/ProjectRecords.hpp"
#include "project/Shape.hpp"
#include "project/TTaviVariable.hpp"
#include "project/TVrBitmap.hpp"

namespace kpf::project {

class ProjectModel {
 public:
  std::vector<TTaviScript> Scripts;
  int32_t NextScriptId = 0;
  // Loaded images first, then mirrored and flipped copies. Frames refer to them by index.
  std::vector<TVrBitmap> Bitmaps;
  std::vector<TTaviEvent> Animations;
  std::vector<TTaviSound> Sounds;
  std::vector<TTaviMenu> MenuEntries;
  std::vector<TPlayList> PlayLists;
  std::vector<TTaviDialog> Dialogs;
  int32_t NextDialogId = 0;
  std::vector<TTaviVariable> Variables;  // project variables, then the 50 system variables
  int32_t NextVariableId = 0;
  std::vector<uint8_t> OptionFlags;
  std::vector<std::string> MenuCaptions;
  std::vector<TVrCursorItem> Cursors;
  // Holds every image and sound byte; images and sounds borrow from it.
  desktop::TVrMemoryFile FrameData;

  // Stored flag, or beyond the stored count: set for 1, 2 and 10.
  bool OptionFlag(int index) const;

  // Empties every list and releases the frame data.
  void Clear();

  // First script with the id (ids below 0 find nothing).
  const TTaviScript* ScriptById(int32_t id) const;
  TTaviScript* ScriptById(int32_t id);
  const TTaviVariable* VariableById(int32_t id) const;
  TTaviVariable* VariableById(int32_t id);
  int32_t VariablePosition(int32_t id) const;
  // Last variable with the name, without regard to case.
  TTaviVariable* VariableByName(std::string_view name);
  const TTaviVariable* VariableByName(std::string_view name) const;
  // Last animation with the name, without regard to case; -1 when none.
  int32_t AnimationIndexByName(std::string_view name) const;
  // Image of a frame variant, or null when the frame has no such variant.
  TVrBitmap* FrameImage(const TTaviFrame& frame, int variant);

  // Makes the outline of one frame variant (its run list, first opaque point and whether it
  // equals the nearest earlier frame's) if it is still pending; `frame` is one of the frames of
  // Animations. Outlines from a transparent colour are built once per picture and colour.
  // Throws what decoding a damaged picture throws (the variant then stays pending).
  void PrepareOutline(const TTaviFrame& frame, int variant);
  // Every pending outline of every animation; pictures not decoded yet are scanned on a
  // throw-away copy, so they do not all stay decoded.
  void PrepareAllOutlines();

 private:
  // `decodeInPlace`: the picture is about to be shown, so it keeps its decoded pixels.
  void PrepareOutline(TTaviEvent& animation, size_t frame, size_t variant, bool decodeInPlace);
  // The run list a frame variant shows before same-shape frames are dropped; null when it has
  // none. `first` receives the first opaque point the variant keeps.
  const std::vector<uint8_t>* RawOutline(TTaviFrame& frame, size_t variant, std::optional<platform::Point>* first,
                                         bool decodeInPlace);
  const ShapeData& PictureOutline(int32_t index, uint32_t transparent, bool firstPointOnly, bool decodeInPlace);

  std::map<std::tuple<int32_t, uint32_t, bool>, ShapeData> outlines_;
};

}  // namespace kpf::project
