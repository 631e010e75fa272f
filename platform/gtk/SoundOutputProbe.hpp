#pragma once
// Whether the machine can play sound at all: a sound server the user session runs (PulseAudio or
// PipeWire) or an ALSA playback device. The check is cheap and opens nothing; a device that is
// present but busy still counts.
#include <string>

namespace kpf::platform::gtk {

struct SoundEnvironment {
  std::string deviceDir = "/dev/snd";  // ALSA playback devices are named pcmC<card>D<device>p
  std::string pulseServer;             // $PULSE_SERVER
  std::string runtimeDir;              // $XDG_RUNTIME_DIR, holding pulse/native or pipewire-0
};

// The environment of this process.
SoundEnvironment CurrentSoundEnvironment();
bool HasSoundOutput(const SoundEnvironment& environment);

}  // namespace kpf::platform::gtk
