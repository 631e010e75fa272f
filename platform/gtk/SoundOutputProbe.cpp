#include "platform/gtk/SoundOutputProbe.hpp"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kpf::platform::gtk {

namespace {

bool Exists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

bool HasPlaybackDevice(const std::string& deviceDir) {
  std::error_code error;
  std::filesystem::directory_iterator it(deviceDir, error);
  if (error) return false;
  for (const auto& entry : it) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 4 && name.starts_with("pcmC") && name.back() == 'p') return true;
  }
  return false;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

SoundEnvironment CurrentSoundEnvironment() {
  SoundEnvironment environment;
  environment.pulseServer = Environment("PULSE_SERVER");
  environment.runtimeDir = Environment("XDG_RUNTIME_DIR");
  return environment;
}

bool HasSoundOutput(const SoundEnvironment& environment) {
  if (!environment.pulseServer.empty()) return true;
  if (!environment.runtimeDir.empty()) {
    const std::filesystem::path runtime(environment.runtimeDir);
    if (Exists(runtime / "pulse" / "native") || Exists(runtime / "pipewire-0")) return true;
  }
  return HasPlaybackDevice(environment.deviceDir);
}

}  // namespace kpf::platform::gtk
