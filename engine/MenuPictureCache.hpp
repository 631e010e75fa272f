#pragma once
// The decoded pictures of the project's menu entries. The menu is built again whenever it is
// shown or the tray polls it; each entry's BMP is decoded once and kept while the entry's image,
// transparency flag and colour stay as they were (a changed or removed entry drops its picture).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/PopupMenu.hpp"
#include "project/ProjectRecords.hpp"

namespace kpf::engine {

class MenuPictureCache {
 public:
  // The picture of entries[index] as MenuEntryPicture makes it; `index` must be in range.
  const platform::Picture& PictureOf(const std::vector<project::TTaviMenu>& entries, size_t index);

 private:
  struct Cached {
    std::vector<uint8_t> image;
    int32_t transparentFlag = 0;
    int32_t imageColor = 0;
    platform::Picture picture;
  };

  std::vector<std::optional<Cached>> cached_;
};

}  // namespace kpf::engine
