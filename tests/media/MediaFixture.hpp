#pragma once
// A headless desktop with a recording sound device and a temporary-file service inside a
// scratch folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/SettingsKey.hpp"
#include "package/TemporaryFile.hpp"
#include "platform/headless/HeadlessAudio.hpp"
#include "platform/headless/HeadlessPlatform.hpp"
#include "tests/media/MediaTestSupport.hpp"

namespace kpf::media::testing {

class MediaFixture : public ::testing::Test {
 protected:
  MediaFixture() { settings.WriteSetting("TemporaryFolder", scratch.Tmp()); }

  // Lines of the sound device that contain `part`.
  std::vector<std::string> LinesWith(const std::string& part) const {
    std::vector<std::string> found;
    for (const auto& line : audio.Lines())
      if (line.find(part) != std::string::npos) found.push_back(line);
    return found;
  }

  Scratch scratch;
  std::vector<std::string> messages;
  platform::headless::HeadlessPlatform platform;
  platform::headless::HeadlessAudio audio{[this] { return platform.NowMs(); }};
  package::SettingsKey settings{scratch.Settings(), [this](const std::string& text) { messages.push_back(text); }};
  package::TTemporaryFile temporaryFiles{settings, [this](const std::string& text) { messages.push_back(text); }};
};

}  // namespace kpf::media::testing
