// Engine CPU time on the headless platform: one frame step (frame script setting two variables
// and an IF) of a project with 50 animations x 20 frames at 10 ms, and one variable-set action.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "engine/TFormKPFPlayer.hpp"
#include "platform/headless/HeadlessPlatform.hpp"
#include "project/ProjectWriter.hpp"

namespace {

using namespace kpf;

void PutInt(std::vector<uint8_t>& out, int32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF));
}

project::TKPFExeAction Action(int32_t type, int32_t variableId, const std::string& text) {
  project::TKPFExeAction action;
  action.ActionType = type;
  action.Flags = 1;
  if (variableId >= 0) {
    PutInt(action.ParamData, 13);
    PutInt(action.ParamData, variableId);
  }
  if (!text.empty() || type == 27) {
    PutInt(action.ParamData, 1);
    action.ParamData.insert(action.ParamData.end(), text.begin(), text.end());
    action.ParamData.push_back(0);
  }
  return action;
}

project::ProjectSource BenchProject() {
  project::ProjectSource source;
  project::ImageSource image;
  image.Width = 2;
  image.Height = 2;
  image.Pixels.assign(16, 255);
  source.Images.push_back(image);
  for (int v = 1; v <= 2; ++v) {
    project::VariableSource variable;
    variable.ID = v;
    variable.Name = v == 1 ? "A" : "B";
    source.Variables.push_back(variable);
  }
  project::TTaviScript frameScript;
  frameScript.Id = 1;
  frameScript.Name = "frame";
  frameScript.Actions = {Action(22, 1, "7"), Action(22, 2, "9"), Action(27, -1, "1 = 1"), Action(29, -1, "")};
  project::TTaviScript sets;
  sets.Id = 2;
  sets.Name = "sets";
  for (int i = 0; i < 100; ++i) sets.Actions.push_back(Action(22, 1, "5"));
  source.Scripts = {frameScript, sets};
  source.NextScriptId = 3;
  for (int a = 0; a < 50; ++a) {
    project::AnimationSource animation;
    animation.Id = a + 1;
    animation.Name = "anim" + std::to_string(a);
    animation.Width = 64;
    animation.Height = 64;
    animation.RepeatCount = 1;
    animation.PosX = "100";
    animation.PosY = "100";
    for (int f = 0; f < 20; ++f) {
      project::FrameSource frame;
      frame.Duration = 1;
      frame.ScriptId = 1;
      animation.Frames.push_back(frame);
    }
    source.Animations.push_back(animation);
  }
  source.OptionFlags = {0, 1, 1};
  return source;
}

struct Bench {
  Bench() {
    player = std::make_unique<engine::TFormKPFPlayer>(platform, engine::PlayerOptions{});
    const auto bytes = project::BuildProjectFile(BenchProject());
    player->LoadProject(bytes);
    player->Start();
  }
  platform::headless::HeadlessPlatform platform;
  std::unique_ptr<engine::TFormKPFPlayer> player;
};

void BM_FrameStep(benchmark::State& state) {
  Bench bench;
  for (auto _ : state) bench.platform.AdvanceBy(10);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FrameStep);

void BM_SetNumberAction(benchmark::State& state) {
  Bench bench;
  for (auto _ : state) bench.player->FireScript(2, engine::TriggerContext{});
  state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_SetNumberAction);

}  // namespace

BENCHMARK_MAIN();
