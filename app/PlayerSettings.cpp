#include "app/PlayerSettings.hpp"

namespace kpf::app {

bool ReadFullScreenHide(const package::SettingsKey& settings) {
  return settings.ReadSettingInt(kFullScreenHideSetting, 1) != 0;
}

}  // namespace kpf::app
