#pragma once
// A player on the headless platform, loaded from a project description, with its trace kept.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestProject.hpp"
#include "engine/TFormKPFPlayer.hpp"
#include "platform/headless/HeadlessPlatform.hpp"

namespace kpf::test {

template <typename Player = engine::TFormKPFPlayer>
struct Harness {
  // `prepare` sets up the desktop before the player is made.
  explicit Harness(const project::ProjectSource& source, engine::PlayerOptions options = {},
                   const std::function<void(platform::headless::HeadlessPlatform&)>& prepare = {}) {
    if (prepare) prepare(platform);
    player = std::make_unique<Player>(platform, options);
    player->SetTraceSink([this](const std::string& line) {
      trace.push_back(line);
      if (onTrace) onTrace(line);
    });
    const std::vector<uint8_t> bytes = project::BuildProjectFile(source);
    player->LoadProject(bytes);
  }

  int32_t Int(const std::string& name) { return player->Model.VariableByName(name)->AsInteger(); }
  std::string Text(const std::string& name) { return player->Model.VariableByName(name)->AsString(); }
  void Fire(int32_t scriptId) { player->FireScript(scriptId, engine::TriggerContext{}); }
  bool Traced(const std::string& part) const { return Count(part) > 0; }
  size_t Count(const std::string& part) const {
    return static_cast<size_t>(std::count_if(trace.begin(), trace.end(),
                                             [&](const std::string& l) { return l.find(part) != std::string::npos; }));
  }

  platform::headless::HeadlessPlatform platform;
  std::unique_ptr<Player> player;
  std::vector<std::string> trace;
  std::function<void(const std::string&)> onTrace;
  bool started = false;
};

// A harness whose player has been started (the start is expected to succeed).
inline std::unique_ptr<Harness<>> Started(const project::ProjectSource& source, engine::PlayerOptions options = {}) {
  auto h = std::make_unique<Harness<>>(source, options);
  EXPECT_TRUE(h->player->Start());
  return h;
}

}  // namespace kpf::test
