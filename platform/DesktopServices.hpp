#pragma once
// Value types of the smaller desktop services: the About box and custom mouse cursors.
#include <string>

#include "platform/PopupMenu.hpp"

namespace kpf::platform {

// Texts of the About box. The caption and the application-name label show `title`.
struct AboutInfo {
  std::string title;
  std::string product;      // "Tavimo Design" with the design version
  std::string aboutText;    // empty: the built-in notice
  std::string productLink;  // address opened by a click on the product label; empty: no link
  bool operator==(const AboutInfo&) const = default;
};

// A mouse cursor: the picture (alpha 0 where transparent) and the hot spot inside it.
struct CursorImage {
  Picture picture;
  int hotSpotX = 0;
  int hotSpotY = 0;
  bool operator==(const CursorImage&) const = default;
};

}  // namespace kpf::platform
