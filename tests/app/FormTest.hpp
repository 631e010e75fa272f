#pragma once
// A main form on the headless platform whose executable, resources and message folder lie in a
// scratch folder, and helpers to read player variables and to run the loop until something holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "AppTestProjects.hpp"
#include "app/TfmPlayer.hpp"
#include "platform/headless/HeadlessPlatform.hpp"

namespace kpf::app::testing {

inline int32_t IntValue(engine::TFormKPFPlayer& player, const char* name) {
  const project::TTaviVariable* variable = player.Model.VariableByName(name);
  return variable != nullptr ? variable->GetValue().ToInteger() : -999;
}

inline std::string TextValue(engine::TFormKPFPlayer& player, const char* name) {
  const project::TTaviVariable* variable = player.Model.VariableByName(name);
  return variable != nullptr ? variable->GetValue().ToText() : "<none>";
}

// Runs the loop until `done` holds; socket helper threads post each message as they read it.
template <typename Condition>
bool PumpUntil(platform::headless::HeadlessPlatform& platform, Condition done) {
  for (int round = 0; round < 200000 && !done(); ++round) {
    platform.VirtualLoop().RunPending();
    std::this_thread::yield();
  }
  return done();
}

class FormTest : public ::testing::Test {
 protected:
  FormTest() { std::filesystem::create_directories(scratch_ / "bin"); }

  std::filesystem::path WriteProject(const project::ProjectSource& source, const std::string& name) {
    const std::filesystem::path path = scratch_ / name;
    WriteBytes(path, project::BuildProjectFile(source));
    return path;
  }

  TfmPlayer::Settings FormSettings(std::vector<std::string> arguments) {
    TfmPlayer::Settings settings;
    settings.executablePath = (scratch_ / "bin" / "kpfplayer").string();
    settings.arguments = std::move(arguments);
    settings.resourceFolder = (scratch_ / "resources").string() + "/";
    settings.terminate = [this] { ++terminations_; };
    settings.messageFolder = messageFolder_;
    return settings;
  }

  std::unique_ptr<TfmPlayer> MakeForm(std::vector<std::string> arguments) {
    return std::make_unique<TfmPlayer>(platform_, FormSettings(std::move(arguments)));
  }

  ScratchFolder scratch_;
  platform::headless::HeadlessPlatform platform_;
  std::string messageFolder_;  // "" = no messages between processes
  int terminations_ = 0;
};

}  // namespace kpf::app::testing
