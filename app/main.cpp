// kpfplayer: plays the character files named on the command line (packages of any name and a
// project file), or else the character of the package appended to this executable, or (with
// neither) the sample character installed next to it.
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/DispatchSoundOutput.hpp"
#include "app/DisplayScale.hpp"
#include "app/PlayerSettings.hpp"
#include "app/ScreenSaverSession.hpp"
#include "app/TfmPlayer.hpp"
#include "app/Usage.hpp"
#include "package/SettingsKey.hpp"
#include "package/TemporaryFile.hpp"
#include "platform/gtk/GtkPlatform.hpp"
#include "platform/scaled/ScaledPlatform.hpp"
#ifdef KPF_HAVE_SDL
#include "platform/sdl/SdlAudioDevice.hpp"
#endif

namespace {

namespace fs = std::filesystem;

using namespace kpf;

std::string OwnExecutable(const char* argv0) {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::absolute(argv0).string() : self.string();
}

// The bundled sample: next to the binary (build tree) or in the installed data folder.
std::string SampleProject(const std::string& executable) {
  const fs::path folder = fs::path(executable).parent_path();
  for (const fs::path& candidate : {folder / "sample.kpf", folder / ".." / "share" / "kpfplayer" / "sample.kpf"}) {
    std::error_code error;
    if (fs::is_regular_file(candidate, error)) return candidate.lexically_normal().string();
  }
  return {};
}

void ReportToConsole(const std::string& message) { std::fprintf(stderr, "kpfplayer: %s\n", message.c_str()); }

// "--help", "--version" and unknown "--" switches are answered before any display is opened.
std::optional<int> AnswerProgramSwitch(const app::CommandLine& commandLine) {
  switch (commandLine.request) {
    case app::ProgramRequest::Play:
      return std::nullopt;
    case app::ProgramRequest::Help:
      std::fputs(app::UsageText().c_str(), stdout);
      return 0;
    case app::ProgramRequest::Version:
      std::fputs(app::VersionText().c_str(), stdout);
      return 0;
    case app::ProgramRequest::UnknownOption:
      ReportToConsole("unknown switch: " + commandLine.unknownOption);
      std::fputs(app::UsageText().c_str(), stderr);
      return 2;
    case app::ProgramRequest::InvalidValue:
      ReportToConsole(commandLine.invalidValue);
      return 2;
  }
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string executable = OwnExecutable(argv[0]);
  // The screen-saver roles (a name ending in ".scr", a daemon's "-root"/"-window-id"); what is
  // left of the command line is the player's.
  app::ScreenSaverSession saver(argv[0], executable, std::vector<std::string>(argv + 1, argv + argc));
  const std::vector<std::string> arguments = saver.PlayerArguments();
  const app::CommandLine commandLine = app::ParseCommandLine(arguments);
  if (const std::optional<int> answered = AnswerProgramSwitch(commandLine)) return *answered;
  if (!saver.TakeSingleInstance(app::MessageChannel::DefaultFolder())) return 0;

  std::unique_ptr<platform::gtk::GtkPlatform> platform;
  try {
    // Timers are sources of the loop itself (GtkTimer): a tick wakes only the loop thread, so an
    // idle character costs one wake-up per housekeeping tick and no timer thread.
    platform = std::make_unique<platform::gtk::GtkPlatform>();
  } catch (const std::exception& failure) {
    ReportToConsole(std::string("cannot open the X display: ") + failure.what());
    return 1;
  }
  std::unique_ptr<app::HostedPlatform> hosted;  // the desktop inside a screen-saver daemon's window
  if (const std::optional<int> ended = saver.RunWithoutForm(*platform, hosted)) return *ended;

  package::SettingsKey settings(package::SettingsKey::DefaultFolder(), ReportToConsole);
  // Made first and destroyed last: it cleans up at start and once more at the end.
  package::TTemporaryFile temporaryFiles(settings, ReportToConsole);
#ifdef KPF_HAVE_SDL
  platform::sdl::SdlAudioDevice audio;
#endif

  app::TfmPlayer::Settings formSettings;
  formSettings.executablePath = executable;
  formSettings.temporaryFiles = &temporaryFiles;
  formSettings.arguments = arguments;
  formSettings.fallbackProject = SampleProject(executable);
  formSettings.randomSeed = std::random_device{}();
  formSettings.messageFolder = app::MessageChannel::DefaultFolder();
  formSettings.reportStartFailure = ReportToConsole;
  formSettings.screenSaverMode = saver.PlayerMode();
  formSettings.fullScreenHide = app::ReadFullScreenHide(settings);
#ifdef KPF_HAVE_SDL
  formSettings.soundOutput = [&](engine::TFormKPFPlayer&) -> std::unique_ptr<engine::SoundOutput> {
    media::SoundDispatchSettings dispatchSettings;
    dispatchSettings.executableFolder = fs::path(executable).parent_path().string();
    dispatchSettings.arguments = arguments;
    dispatchSettings.enginePluginFolder = commandLine.pluginFolder.value_or("");
    return std::make_unique<app::DispatchSoundOutput>(
        std::make_unique<media::SoundDispatch>(*platform, audio, temporaryFiles, dispatchSettings));
  };
#endif

  // SIGTERM and SIGINT end the program like the "Close" entry would: files are cleaned up.
  platform->QuitOnTerminationSignals();

  // The engine works in character pixels; the scaling layer draws them `scale` times as large.
  platform->ChooseScreenMonitor(commandLine.monitor);
  platform::Platform& desktop = hosted ? *hosted : static_cast<platform::Platform&>(*platform);
  const int scale = app::ChooseDisplayScale(commandLine.scale, std::getenv("GDK_SCALE"), platform->XResources());
  std::optional<platform::scaled::ScaledPlatform> scaled;
  if (scale != 1 || platform->ToolkitScale() != 1) scaled.emplace(desktop, scale, platform->ToolkitScale());

  int exitCode = 1;
  {
    app::TfmPlayer form(scaled ? *scaled : desktop, std::move(formSettings));
    // Activation: with no running player the program ends at once. Files that could not be
    // played have been reported one by one.
    if (form.CheckPlayersRunning()) {
      exitCode = platform->Loop().Run();
    } else if (saver.PlayerMode() == engine::ScreenSaverMode::Configure) {
      exitCode = 0;  // the settings were shown, and nothing else was to run
    } else if (commandLine.files.empty()) {
      ReportToConsole("nothing to play: this program carries no package and no sample.kpf lies next to it");
    }
  }
  return exitCode;
}
