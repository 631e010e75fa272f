#include "SampleProject.hpp"

#include <cmath>
#include <numbers>
#include <string>
#include <string_view>

#include "SampleArt.hpp"
#include "dialogs/DialogDefinition.hpp"
#include "dialogs/TMyButtons.hpp"
#include "dialogs/TMyEdit.hpp"
#include "dialogs/TMyForm.hpp"
#include "dialogs/TMyLabel.hpp"

namespace kpf::samples {

namespace {

using project::AnimationSource;
using project::FrameSource;
using project::ImageSource;

// Script ids of the sample.
enum : int32_t {
  kTurnRight = 1, kTurnLeft, kOnClick, kOnDoubleClick, kLanded, kSayHello, kAskName, kNameGiven, kNotTelling,
  kScriptCount
};
// The "What is your name?" dialog and the variable its answer goes to.
constexpr int32_t kAskNameDialog = 1;
constexpr int32_t kNameVariable = 1;
// Animation slots: click, double click, bottom below the work area, right edge, left edge.
constexpr size_t kSlotClick = 3, kSlotDoubleClick = 14, kSlotBelowWorkArea = 6, kSlotRightEdge = 8, kSlotLeftEdge = 10;

const std::string kGroundY = "<%TASKBAR_TOP%>-" + std::to_string(kPipSize);
const std::string kHereX = "<%CURRENT_LEFT%>";
const std::string kHereY = "<%CURRENT_TOP%>";
// Speech hints point at the middle of Pip's head and stay for 2 s (20 ticks of 100 ms).
const std::string kHintX = std::to_string(kPipSize / 2);
constexpr const char* kHintY = "4";
constexpr const char* kHintTicks = "20";
// Parameter kinds of packed action parameters.
constexpr uint32_t kTextParam = 1, kByteParam = 7, kIntParam = 0, kVariableParam = 13;

void PutU16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

void PutTag(std::vector<uint8_t>& out, std::string_view tag) {
  for (char c : tag) out.push_back(static_cast<uint8_t>(c));
}

class Builder {
 public:
  Builder() {
    source_.OptionFlags = {0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};  // draggable, keeps running
    source_.Sounds.push_back({101, "chirp.wav", ChirpWave()});
  }

  int32_t Image(const PipPose& pose, PipEdges edges) {
    ImageSource image;
    image.Width = kPipSize;
    image.Height = kPipSize;
    image.Form = 0;
    for (uint32_t argb : DrawPip(pose, edges)) {
      image.Pixels.insert(image.Pixels.end(), {static_cast<uint8_t>(argb), static_cast<uint8_t>(argb >> 8),
                                               static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 24)});
    }
    source_.Images.push_back(std::move(image));
    return static_cast<int32_t>(source_.Images.size() - 1);
  }

  AnimationSource& Animation(const std::string& name, uint16_t kind, uint16_t repeat, std::string x, std::string y) {
    AnimationSource animation;
    animation.Id = static_cast<int32_t>(source_.Animations.size() + 1);
    animation.Name = name;
    animation.Width = kPipSize;
    animation.Height = kPipSize;
    animation.EventIndex = kind;
    animation.RepeatCount = repeat;
    animation.PosX = std::move(x);
    animation.PosY = std::move(y);
    animation.EventScripts[kSlotClick] = kOnClick;
    animation.EventScripts[kSlotDoubleClick] = kOnDoubleClick;
    source_.Animations.push_back(std::move(animation));
    return source_.Animations.back();
  }

  void Frames(AnimationSource& animation, const std::vector<PipPose>& poses, PipEdges edges, uint16_t duration) {
    for (const PipPose& pose : poses) {
      FrameSource frame;
      frame.BitmapIndex = Image(pose, edges);
      frame.Duration = duration;
      if (edges == PipEdges::ColourKey) {
        frame.UseTransparentColor = true;
        frame.TransparentColor = kPipKeyColour;
      }
      animation.Frames.push_back(std::move(frame));
    }
  }

  void Script(int32_t id, const std::string& name, const std::string& animation) {
    Script(id, name, std::vector{PlayNamed(animation)});
  }

  void Script(int32_t id, const std::string& name, std::vector<project::TKPFExeAction> actions) {
    project::TTaviScript script;
    script.Id = id;
    script.Name = name;
    script.Actions = std::move(actions);
    source_.Scripts.push_back(std::move(script));
  }

  // A popup-menu entry above the player's commands that runs the script.
  void MenuEntry(const std::string& caption, int32_t scriptId) {
    project::MenuSource entry;
    entry.Caption = caption;
    entry.ScriptId = scriptId;
    source_.Menus.push_back(std::move(entry));
  }

  // PlayAnimationNamed with one text parameter.
  static project::TKPFExeAction PlayNamed(const std::string& animation) {
    project::TKPFExeAction action = Action("PlayAnimationNamed", 1);
    PutText(action, animation);
    return action;
  }

  // ShowHint: the text above Pip's head for 2 s.
  static project::TKPFExeAction ShowHint(const std::string& text) {
    project::TKPFExeAction action = Action("ShowHint", 2);
    for (const std::string& param : {text, kHintX, std::string(kHintY), std::string(kHintTicks)}) PutText(action, param);
    return action;
  }

  // PlaySoundNamed: the sound once (stored mode byte 0 is play mode 1).
  static project::TKPFExeAction PlaySound(const std::string& sound) {
    project::TKPFExeAction action = Action("PlaySoundNamed", 19);
    PutText(action, sound);
    PutU32(action.ParamData, kByteParam);
    action.ParamData.push_back(0);
    return action;
  }

  // ShowDialog, HideDialog's neighbour CloseDialog: the dialog by its id.
  static project::TKPFExeAction DialogAction(const std::string& name, int32_t type, int32_t dialog, int32_t mode) {
    project::TKPFExeAction action = Action(name, type);
    PutInt(action, dialog);
    if (type == 16) PutInt(action, mode);
    return action;
  }

  // GetControlProperty of a dialog object (target 0) into a variable.
  static project::TKPFExeAction GetControlValue(const std::string& object, int32_t property, int32_t variable) {
    project::TKPFExeAction action = Action("GetControlProperty", 32);
    PutInt(action, 0);
    PutText(action, object);
    PutInt(action, property);
    PutU32(action.ParamData, kVariableParam);
    PutU32(action.ParamData, static_cast<uint32_t>(variable));
    return action;
  }

  void Dialog(int32_t id, const std::string& name, const dialogs::ObjectList& objects) {
    source_.Dialogs.push_back({id, name, dialogs::WriteDefinition(objects)});
    source_.NextDialogId = id + 1;
  }

  void TextVariable(int32_t id, const std::string& name) {
    project::VariableSource variable;
    variable.ID = id;
    variable.Name = name;
    variable.Flags = 1;
    source_.Variables.push_back(std::move(variable));
    source_.NextVariableId = id + 1;
  }

  project::ProjectSource Take() {
    source_.NextScriptId = kScriptCount;
    return std::move(source_);
  }

 private:
  static project::TKPFExeAction Action(const std::string& name, int32_t type) {
    project::TKPFExeAction action;
    action.Name = name;
    action.ActionType = type;
    action.Flags = 1;
    return action;
  }

  static void PutInt(project::TKPFExeAction& action, int32_t value) {
    PutU32(action.ParamData, kIntParam);
    PutU32(action.ParamData, static_cast<uint32_t>(value));
  }

  // A text parameter: its kind, the text, NUL.
  static void PutText(project::TKPFExeAction& action, const std::string& text) {
    PutU32(action.ParamData, kTextParam);
    action.ParamData.insert(action.ParamData.end(), text.begin(), text.end());
    action.ParamData.push_back(0);
  }

  project::ProjectSource source_;
};

template <typename Object>
std::shared_ptr<Object> Placed(const std::string& name, int32_t left, int32_t top, int32_t width, int32_t height) {
  auto object = std::make_shared<Object>();
  object->Name = name;
  object->Left = left;
  object->Top = top;
  object->Width = width;
  object->Height = height;
  return object;
}

// A small dialog: "What is your name?", an edit field and two buttons.
dialogs::ObjectList AskNameObjects() {
  auto form = Placed<dialogs::TMyForm>("AskName", 0, 0, 240, 104);
  form->Caption = "Pip asks";
  form->BorderStyle = dialogs::TFormBorder::fbsDialog;
  form->Position = dialogs::TFormPosition::fpoScreenCenter;
  form->BorderIcons = dialogs::kBiSystemMenu;
  auto question = Placed<dialogs::TMyLabel>("Question", 12, 12, 216, 16);
  question->Caption = "What is your name?";
  auto name = Placed<dialogs::TMyEdit>("Name", 12, 34, 216, 24);
  auto ok = Placed<dialogs::TMyButton>("Ok", 72, 68, 75, 25);
  ok->Caption = "OK";
  ok->Scripts[dialogs::kOnClick] = kNameGiven;
  auto cancel = Placed<dialogs::TMyButton>("Cancel", 153, 68, 75, 25);
  cancel->Caption = "Not now";
  cancel->Scripts[dialogs::kOnClick] = kNotTelling;
  for (const auto& object : dialogs::ObjectList{question, name, ok, cancel}) {
    object->Font.Name = "Tahoma";
    object->Font.Height = -12;
    object->IncludeOnSubmit = false;
  }
  return {form, question, name, ok, cancel};
}

std::vector<PipPose> Hello() {
  std::vector<PipPose> poses;
  for (int i = 0; i < 8; ++i) {
    PipPose pose;
    pose.squash = 0.12 * std::cos(i * std::numbers::pi / 2);
    pose.antennaSwing = 0.5 * std::sin(i * std::numbers::pi / 2);
    pose.mouthOpen = i % 4 == 1;
    poses.push_back(pose);
  }
  return poses;
}

std::vector<PipPose> Idle() {
  std::vector<PipPose> poses;
  for (int i = 0; i < 8; ++i) {
    PipPose pose;
    pose.squash = 0.04 * std::sin(i * std::numbers::pi / 4);
    pose.antennaSwing = 0.15 * std::sin(i * std::numbers::pi / 4);
    pose.eyesOpen = i == 5 ? 0 : (i == 4 || i == 6 ? 0.5 : 1);
    poses.push_back(pose);
  }
  return poses;
}

std::vector<PipPose> Walk(double look) {
  std::vector<PipPose> poses;
  for (int i = 0; i < 4; ++i) {
    PipPose pose;
    pose.look = look;
    pose.step = std::sin(i * std::numbers::pi / 2);
    pose.lift = i % 2 == 1 ? 2 : 0;
    pose.antennaSwing = -look * 0.3 + 0.1 * std::sin(i * std::numbers::pi / 2);
    poses.push_back(pose);
  }
  return poses;
}

std::vector<PipPose> Jump() {
  const double lifts[] = {0, 10, 18, 22, 18, 10, 0, 0};
  const double squashes[] = {0.2, -0.15, -0.1, 0, -0.1, -0.15, 0.25, 0.05};
  std::vector<PipPose> poses;
  for (int i = 0; i < 8; ++i) {
    PipPose pose;
    pose.lift = lifts[i];
    pose.squash = squashes[i];
    pose.mouthOpen = i > 0 && i < 6;
    pose.antennaSwing = 0.2 * std::sin(i);
    poses.push_back(pose);
  }
  return poses;
}

std::vector<PipPose> Dizzy() {
  std::vector<PipPose> poses;
  for (int i = 0; i < 6; ++i) {
    PipPose pose;
    pose.dizzy = true;
    pose.starPhase = i * std::numbers::pi / 3;
    pose.antennaSwing = 0.4 * std::sin(i * std::numbers::pi / 3);
    poses.push_back(pose);
  }
  return poses;
}

std::vector<PipPose> Bye() {
  std::vector<PipPose> poses;
  for (int i = 0; i < 8; ++i) {
    PipPose pose;
    pose.scale = 1.0 - i * 0.12;
    pose.eyesOpen = i < 4 ? 1 : 0;
    pose.antennaSwing = 0.6 * std::sin(i * std::numbers::pi / 2);
    poses.push_back(pose);
  }
  return poses;
}

std::vector<PipPose> Dangle() {
  std::vector<PipPose> poses;
  for (int i = 0; i < 2; ++i) {
    PipPose pose;
    pose.squash = -0.2;
    pose.lift = 8;
    pose.mouthOpen = true;
    pose.step = i == 0 ? 0.8 : -0.8;
    pose.antennaSwing = i == 0 ? 0.3 : -0.3;
    poses.push_back(pose);
  }
  return poses;
}

std::vector<PipPose> Land() {
  std::vector<PipPose> poses;
  for (double squash : {0.3, 0.15, -0.05, 0.0}) {
    PipPose pose;
    pose.squash = squash;
    poses.push_back(pose);
  }
  return poses;
}

}  // namespace

std::vector<uint8_t> ChirpWave() {
  constexpr uint32_t kRate = 22050;
  constexpr uint32_t kSamples = kRate / 4;
  std::vector<uint8_t> wave;
  PutTag(wave, "RIFF");
  PutU32(wave, 36 + kSamples * 2);
  PutTag(wave, "WAVE");
  PutTag(wave, "fmt ");
  PutU32(wave, 16);
  PutU16(wave, 1);          // PCM
  PutU16(wave, 1);          // mono
  PutU32(wave, kRate);
  PutU32(wave, kRate * 2);  // bytes per second
  PutU16(wave, 2);          // block align
  PutU16(wave, 16);         // bits per sample
  PutTag(wave, "data");
  PutU32(wave, kSamples * 2);
  double phase = 0;
  for (uint32_t n = 0; n < kSamples; ++n) {
    const double t = static_cast<double>(n) / kSamples;
    const double frequency = 600 + 900 * t;
    phase += 2 * std::numbers::pi * frequency / kRate;
    const double envelope = std::sin(std::numbers::pi * t);
    const auto sample = static_cast<int16_t>(std::lround(9000 * envelope * std::sin(phase)));
    PutU16(wave, static_cast<uint16_t>(sample));
  }
  return wave;
}

project::ProjectSource SampleProject() {
  Builder builder;
  builder.Frames(builder.Animation("hello", 1, 2, "(<%SCREEN_WIDTH%>-" + std::to_string(kPipSize) + ")/2", kGroundY),
                 Hello(), PipEdges::Soft, 12);
  builder.Frames(builder.Animation("idle", 0, 3, kHereX, kGroundY), Idle(), PipEdges::Soft, 15);

  AnimationSource& left = builder.Animation("walk_left", 0, 10, kHereX, kGroundY);
  left.MoveMode = 1;
  left.Params = {5, 0};
  left.EventScripts[kSlotLeftEdge] = kTurnRight;
  builder.Frames(left, Walk(-1), PipEdges::ColourKey, 9);

  AnimationSource& right = builder.Animation("walk_right", 0, 10, kHereX, kGroundY);
  right.MoveMode = 2;
  right.Params = {5, 0};
  right.EventScripts[kSlotRightEdge] = kTurnLeft;
  builder.Frames(right, Walk(1), PipEdges::ColourKey, 9);

  AnimationSource& jump = builder.Animation("jump", 3, 1, kHereX, kHereY);
  builder.Frames(jump, Jump(), PipEdges::Soft, 7);
  jump.Frames[0].Sounds = {{0, 1}};

  builder.Frames(builder.Animation("dizzy", 3, 3, kHereX, kHereY), Dizzy(), PipEdges::ColourKey, 8);
  builder.Frames(builder.Animation("bye", 2, 1, kHereX, kHereY), Bye(), PipEdges::Soft, 9);
  builder.Frames(builder.Animation("dangle", 4, 0, kHereX, kHereY), Dangle(), PipEdges::Soft, 20);

  // Dropped: falls until its bottom passes the work area, then lands on the ground.
  AnimationSource& fall = builder.Animation("fall", 5, 0, kHereX, kHereY);
  fall.MoveMode = 3;
  fall.Params = {14, 0};
  fall.EventScripts[kSlotBelowWorkArea] = kLanded;
  builder.Frames(fall, Dangle(), PipEdges::Soft, 4);
  builder.Frames(builder.Animation("land", 3, 1, kHereX, kGroundY), Land(), PipEdges::Soft, 8);

  builder.Script(kTurnRight, "turn right", "walk_right");
  builder.Script(kTurnLeft, "turn left", "walk_left");
  builder.Script(kOnClick, "clicked", {Builder::ShowHint("Hi! I'm Pip."), Builder::PlayNamed("jump")});
  builder.Script(kOnDoubleClick, "double clicked", "dizzy");
  builder.Script(kLanded, "landed", "land");
  builder.Script(kSayHello, "say hello", {Builder::ShowHint("Hello there!"), Builder::PlaySound("chirp.wav")});
  builder.MenuEntry("Say hello", kSayHello);

  builder.TextVariable(kNameVariable, "NAME");
  builder.Dialog(kAskNameDialog, "AskName", AskNameObjects());
  builder.Script(kAskName, "ask the name", {Builder::DialogAction("ShowDialog", 16, kAskNameDialog, 0)});
  builder.Script(kNameGiven, "name given",
                 {Builder::GetControlValue("AskName.Name", 8, kNameVariable),
                  Builder::DialogAction("CloseDialog", 48, kAskNameDialog, 0),
                  Builder::ShowHint("Nice to meet you, <%NAME%>!"), Builder::PlayNamed("jump")});
  builder.Script(kNotTelling, "not telling",
                 {Builder::DialogAction("CloseDialog", 48, kAskNameDialog, 0), Builder::ShowHint("Maybe later.")});
  builder.MenuEntry("What is your name?", kAskName);
  return builder.Take();
}

}  // namespace kpf::samples
