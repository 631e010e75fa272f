#include "desktop/TfmTaviViewerAbout.hpp"

namespace kpf::desktop {

std::string ProductLabel(const std::string& designVersion) {
  return designVersion.empty() ? std::string("Tavimo Design") : "Tavimo Design " + designVersion;
}

platform::AboutInfo MakeAboutInfo(const std::string& title, const std::string& aboutText,
                                  const std::string& designVersion) {
  platform::AboutInfo info;
  info.title = title;
  info.product = ProductLabel(designVersion);
  info.aboutText = aboutText;
  return info;
}

void ShowAbout(platform::Platform& platform, const std::string& title, const std::string& aboutText,
               const std::string& designVersion) {
  platform.ShowAbout(MakeAboutInfo(title, aboutText, designVersion));
}

}  // namespace kpf::desktop
