#pragma once
// "Run On Startup" on a Linux desktop: an XDG autostart file
// ($XDG_CONFIG_HOME/autostart/<title>.desktop, else ~/.config/autostart) that starts the running
// executable at login. The file name is the project title made into one safe name component.
#include <string>
#include <string_view>

namespace kpf::engine {

class AutostartEntry {
 public:
  AutostartEntry(std::string title, std::string executablePath);

  // The file name without ".desktop": "kpfplayer-" and the title, every byte outside
  // [A-Za-z0-9_-] replaced by '_'.
  static std::string SanitisedName(std::string_view title);
  // The autostart folder from the environment; empty when neither XDG_CONFIG_HOME nor HOME is set.
  static std::string AutostartFolder();

  std::string FilePath() const;
  // True when the file exists and starts this executable (path compared without regard to case).
  bool IsEnabled() const;
  // Writes the file (creating the folder); false when it cannot be written.
  bool Enable() const;
  // Deletes this entry's file (only that one) when present; false only when it exists and cannot
  // be removed.
  bool Disable() const;

  // The desktop-entry text written for `executablePath`.
  static std::string DesktopEntryText(std::string_view title, std::string_view executablePath);

 private:
  std::string title_;
  std::string executable_;
};

}  // namespace kpf::engine
