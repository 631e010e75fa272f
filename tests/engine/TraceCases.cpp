// Projects of the golden-trace cases, registered by case name (the folder under tests/trace/).
#include "TestProject.hpp"

namespace kpf::test {

using project::ProjectSource;

namespace {

// Start animation plays once (kind 1), then the endless ordinary one: 250 ms frames.
ProjectSource Playback() {
  ProjectSource source = WithVariables({});
  source.Animations = {Animation(1, "hello", 1, 1, 2, 25), Animation(2, "idle", 0, 0, 3, 25)};
  return source;
}

// Kind-0 choice among three with a fixed seed, after the start animation.
ProjectSource Choice() {
  ProjectSource source = WithVariables({});
  source.Animations = {Animation(1, "start", 1, 1, 1, 10), Animation(2, "a", 0, 1, 1, 10),
                       Animation(3, "b", 0, 1, 1, 10), Animation(4, "c", 0, 1, 1, 10)};
  return source;
}

// Move modes 1..7 played in list order through a play list.
ProjectSource MoveModes() {
  ProjectSource source = WithVariables({});
  for (int mode = 1; mode <= 7; ++mode) {
    auto animation = Animation(mode, "mode" + std::to_string(mode), 3, 1, 2, 10, "200", "200");
    animation.MoveMode = static_cast<uint8_t>(mode);
    animation.Params = {5, 3, 0};
    source.Animations.push_back(animation);
  }
  // Mode 5 towards the left edge: leaves the screen and plays the target animation (id 1).
  auto leaving = Animation(8, "leave", 3, 1, 3, 10, "-60", "100");
  leaving.MoveMode = 5;
  leaving.Params = {-10, 0, 1};
  source.Animations.push_back(leaving);
  source.PlayLists.push_back(
      {"modes", "", 0, 0, {"mode1", "mode2", "mode3", "mode4", "mode5", "mode6", "mode7", "leave"}});
  source.Scripts.push_back(Script(0, "start", {Act(14, {P::Text("modes")})}, 2));
  source.NextScriptId = 1;
  return source;
}

// Every animation slot and the global triggers that headless input can reach.
ProjectSource Triggers() {
  ProjectSource source = WithVariables({"SLOT"});
  auto animation = Animation(1, "main", 0, 2, 2, 10, "100", "100");
  auto dragging = Animation(2, "drag", 4, 0, 1, 10, "<%CURRENT_LEFT%>", "<%CURRENT_TOP%>");
  auto dropped = Animation(3, "drop", 5, 1, 1, 10, "<%CURRENT_LEFT%>", "<%CURRENT_TOP%>");
  for (int slot = 0; slot < 15; ++slot) {
    source.Scripts.push_back(Script(slot, "slot" + std::to_string(slot),
                                    {Act(22, {P::Var(1), P::Text(std::to_string(slot))})}));
    animation.EventScripts[static_cast<size_t>(slot)] = slot;
    dragging.EventScripts[static_cast<size_t>(slot)] = slot;
    dropped.EventScripts[static_cast<size_t>(slot)] = slot;
  }
  // Screen edges: the drop lands at the right/bottom edge and beyond.
  source.Animations = {animation, dragging, dropped};
  for (int kind : {2, 3, 4, 5, 6}) {
    source.Scripts.push_back(Script(100 + kind, "global" + std::to_string(kind),
                                    {Act(22, {P::Var(1), P::Text(std::to_string(1000 + kind))})}, kind));
  }
  source.NextScriptId = 200;
  return source;
}

// CallScript nesting and IF / ELSE / WHILE / FOR / BREAK / STOP.
ProjectSource ControlFlow() {
  ProjectSource source = WithVariables({"I", "J"}, {"LOG"});
  const auto log = [](const std::string& text) { return Act(21, {P::Var(3), P::Text("<%LOG%>" + text)}); };
  source.Scripts.push_back(Script(1, "inner", {log("in;"), Act(39), log("never;")}));
  source.Scripts.push_back(Script(0, "main", {
      Act(20, {P::Int(1)}),
      log("back;"),
      Act(27, {P::Text("1 = 2")}), log("wrong;"), Act(28), log("else;"), Act(29),
      Act(27, {P::Text("1 = 1")}), log("if;"), Act(27, {P::Text("1 = 2")}), log("x;"), Act(28), log("y;"), Act(29),
      Act(28), log("skipped;"), Act(29),
      Act(22, {P::Var(2), P::Text("0")}),
      Act(30, {P::Text("<%J%> < 3")}), Act(22, {P::Var(2), P::Text("<%J%>+1")}), Act(31),
      Act(144, {P::Var(1), P::Text("1"), P::Text("5"), P::Text("1")}),
      Act(27, {P::Text("<%I%> = 3")}), Act(40), Act(29),
      log("<%I%>;"),
      Act(145),
      Act(144, {P::Var(1), P::Text("3"), P::Text("1"), P::Text("-1")}), log("d<%I%>;"), Act(145),
      Act(144, {P::Var(1), P::Text("1"), P::Text("3"), P::Text("0")}), log("never;"), Act(145),
      Act(39),
      log("after stop;"),
  }, 2));
  source.Animations.push_back(Animation(1, "idle", 0, 0, 1, 100));
  source.NextScriptId = 2;
  return source;
}

// A user timer with a repeat count of 3.
ProjectSource Timers() {
  ProjectSource source = WithVariables({"T", "COUNT"});
  source.Scripts.push_back(Script(1, "tick", {Act(22, {P::Var(2), P::Text("<%COUNT%>+1")})}));
  source.Scripts.push_back(Script(0, "start", {Act(116, {P::Var(1), P::Int(1), P::Text("30"), P::Text("3")})}, 2));
  source.Animations.push_back(Animation(1, "idle", 0, 0, 1, 100));
  source.NextScriptId = 2;
  return source;
}

// A shuffled play list, a "<<RANDOM:" reference, a self-referring list and an empty one.
ProjectSource PlayLists() {
  ProjectSource source = WithVariables({});
  for (const char* name : {"a", "b", "c", "d"}) {
    source.Animations.push_back(Animation(static_cast<int32_t>(source.Animations.size() + 1), name, 3, 1, 1, 10));
  }
  source.Animations.push_back(Animation(9, "idle", 0, 1, 1, 10));
  source.PlayLists = {{"shuffled", "", 1, 0, {"a", "b", "c"}},
                      {"PICK", "", 0, 0, {"<<RANDOM:SELF>>", "d"}},
                      {"SELF", "", 0, 0, {"<<RANDOM:SELF>>"}},
                      {"empty", "", 0, 0, {}}};
  source.Scripts.push_back(Script(0, "start", {
      Act(14, {P::Text("empty")}),
      Act(14, {P::Text("shuffled")}),
      Act(1, {P::Text("<<RANDOM:PICK>>")}),
      Act(1, {P::Text("<<RANDOM:")}),
  }, 2));
  source.Animations[0].EventScripts[0] = -1;
  source.NextScriptId = 1;
  return source;
}

// "Close" from the menu plays the exit animation (kind 2); its end closes the player.
ProjectSource CloseMenu() {
  ProjectSource source = WithVariables({"CLOSED"});
  source.Animations = {Animation(1, "idle", 0, 0, 2, 10), Animation(2, "bye", 2, 1, 3, 10)};
  source.Scripts.push_back(Script(0, "closing", {Act(22, {P::Var(1), P::Text("1")})}, 1));
  source.NextScriptId = 1;
  return source;
}

ProjectSource DragWithAnimation() {
  ProjectSource source = WithVariables({});
  source.Animations = {Animation(1, "idle", 0, 0, 2, 10),
                       Animation(2, "dragged", 4, 0, 1, 10, "<%CURRENT_LEFT%>", "<%CURRENT_TOP%>"),
                       Animation(3, "dropped", 5, 1, 1, 10, "<%CURRENT_LEFT%>", "<%CURRENT_TOP%>")};
  return source;
}

ProjectSource DragPlain() {
  ProjectSource source = WithVariables({});
  source.Animations.push_back(Animation(1, "idle", 0, 0, 2, 10));
  return source;
}

// Frame sounds by play mode: 1 and 3 once per start of the animation, 2 on every pass; "Mute"
// silences them and ticking it off again brings them back.
ProjectSource Sounds() {
  ProjectSource source = WithVariables({});
  for (const char* name : {"beep.wav", "loop.wav"}) source.Sounds.push_back({.Name = name, .Data = {1, 2, 3, 4}});
  auto animation = Animation(1, "idle", 0, 0, 2, 10);
  animation.Frames[0].Sounds = {{0, 1}, {1, 2}};
  animation.Frames[1].Sounds = {{0, 3}, {5, 2}};  // index 5 names no sound: dropped at load
  source.Animations.push_back(animation);
  return source;
}

// The start script shows a speech hint (closed by its countdown) and plays sounds by name: a
// muted request plays nothing, StopSounds ends the one that played.
ProjectSource CharacterActions() {
  ProjectSource source = WithVariables({});
  for (const char* name : {"beep.wav", "Chirp.wav"}) source.Sounds.push_back({.Name = name, .Data = {1, 2}});
  source.Animations.push_back(Animation(1, "idle", 0, 0, 1, 100));
  source.Scripts.push_back(Script(0, "start", {
      Act(2, {P::Text("Hello"), P::Text("10"), P::Text("-5"), P::Text("3")}),
      Act(74), Act(19, {P::Text("beep.wav"), P::Int(0)}), Act(75),
      Act(19, {P::Text("CHIRP.WAV"), P::Int(1)}), Act(45),
  }, 2));
  source.NextScriptId = 1;
  return source;
}

// The character turns (its start slot mirrors it); a click asks a question that the run answers
// later, moves it, minimises and restores the application (triggers 7 and 8), glides the pointer,
// animates the tray icon and asks for a balloon, which nothing shows without a main form.
ProjectSource WindowActions() {
  ProjectSource source = WithVariables({"ANSWER", "STATE"});
  auto idle = Animation(1, "idle", 0, 0, 2, 25);
  idle.EventScripts[0] = 1;
  idle.EventScripts[3] = 2;
  source.Animations.push_back(idle);
  source.Scripts.push_back(Script(1, "turn", {Act(12)}));
  source.Scripts.push_back(Script(2, "click", {
      Act(158, {P::Var(1), P::Text("Go on?"), P::Int(3), P::Int(3)}),
      Act(3, {P::Text("<%ANSWER%>"), P::Text("0")}),
      Act(97), Act(4, {P::Text("1")}), Act(98), Act(4, {P::Text("1")}),
      Act(9, {P::Text("100"), P::Text("120"), P::Text("1")}),
      Act(178, {P::Text("idle")}),
      Act(169, {P::Text("Hi"), P::Text("there"), P::Text("7"), P::Text("300")}),
  }));
  source.Scripts.push_back(Script(3, "down", {Act(22, {P::Var(2), P::Text("7")})}, 7));
  source.Scripts.push_back(Script(4, "up", {Act(22, {P::Var(2), P::Text("8")})}, 8));
  source.NextScriptId = 5;
  return source;
}

}  // namespace

const std::map<std::string, std::function<ProjectSource()>>& TraceCases() {
  static const std::map<std::string, std::function<ProjectSource()>> cases = {
      {"playback", Playback},       {"choice", Choice},
      {"move_modes", MoveModes},    {"triggers", Triggers},
      {"control_flow", ControlFlow}, {"timers", Timers},
      {"playlists", PlayLists},     {"close_menu", CloseMenu},
      {"drag_animation", DragWithAnimation}, {"drag_plain", DragPlain},
      {"sounds", Sounds},           {"character_actions", CharacterActions},
      {"window_actions", WindowActions},
  };
  return cases;
}

}  // namespace kpf::test
