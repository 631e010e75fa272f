#pragma once
// The About box's texts: caption and application name are the project title, the product label
// names the authoring tool and its version, the information text is the project's about text.
#include <string>

#include "platform/Platform.hpp"

namespace kpf::desktop {

// "Tavimo Design " followed by the version, or "Tavimo Design" without one.
std::string ProductLabel(const std::string& designVersion);
platform::AboutInfo MakeAboutInfo(const std::string& title, const std::string& aboutText,
                                  const std::string& designVersion);
// Shows the About box modally.
void ShowAbout(platform::Platform& platform, const std::string& title, const std::string& aboutText,
               const std::string& designVersion);

}  // namespace kpf::desktop
