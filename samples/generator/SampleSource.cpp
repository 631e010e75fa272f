#include "SampleSource.hpp"

#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include "dialogs/DialogDefinition.hpp"
#include "dialogs/TMyButtons.hpp"
#include "dialogs/TMyEdit.hpp"
#include "dialogs/TMyForm.hpp"
#include "dialogs/TMyLabel.hpp"
#include "project/ActionItems.hpp"
#include "project/TTaviVariable.hpp"
#include "render/PngFile.hpp"

namespace kpf::samples {

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

std::vector<uint32_t> ArgbOf(const project::ImageSource& image) {
  std::vector<uint32_t> argb;
  for (size_t i = 0; i + 3 < image.Pixels.size(); i += 4) {
    argb.push_back(static_cast<uint32_t>(image.Pixels[i]) | (static_cast<uint32_t>(image.Pixels[i + 1]) << 8) |
                   (static_cast<uint32_t>(image.Pixels[i + 2]) << 16) | (static_cast<uint32_t>(image.Pixels[i + 3]) << 24));
  }
  return argb;
}

std::string ScriptName(const project::ProjectSource& source, int32_t id) {
  for (const auto& script : source.Scripts) {
    if (script.Id == id) return Quote(script.Name);
  }
  return "null";
}

std::vector<project::TTaviVariable> VariablesOf(const project::ProjectSource& source) {
  std::vector<project::TTaviVariable> variables;
  for (const auto& stored : source.Variables) {
    project::TTaviVariable variable;
    variable.ID = stored.ID;
    variable.Name = stored.Name;
    variables.push_back(std::move(variable));
  }
  return variables;
}

void WriteScripts(std::ostream& out, const project::ProjectSource& source) {
  const std::vector<project::TTaviVariable> variables = VariablesOf(source);
  out << "    \"scripts\": [\n";
  for (size_t s = 0; s < source.Scripts.size(); ++s) {
    const project::TTaviScript& script = source.Scripts[s];
    out << "      { \"id\": " << script.Id << ", \"name\": " << Quote(script.Name) << ", \"trigger\": " << script.Trigger
        << ", \"actions\": [\n";
    for (size_t a = 0; a < script.Actions.size(); ++a) {
      project::TKPFExeAction action = script.Actions[a];
      project::UnpackParams(action, variables);
      out << "        { \"name\": " << Quote(action.Name) << ", \"type\": " << action.ActionType << ", \"params\": [";
      for (size_t p = 0; p < action.ParamCount(); ++p) {
        if (p > 0) out << ", ";
        if (action.ParamKind[p] == 1) {
          out << Quote(action.ParamText[p]);
        } else if (project::ParamFormOfKind(action.ParamKind[p]) == project::ParamValueForm::VariablePosition) {
          out << "{ \"kind\": " << action.ParamKind[p] << ", \"variable\": "
              << Quote(variables.at(static_cast<size_t>(action.ParamInt[p])).Name) << " }";
        } else {
          out << "{ \"kind\": " << action.ParamKind[p] << ", \"int\": " << action.ParamInt[p] << " }";
        }
      }
      out << "] }" << (a + 1 < script.Actions.size() ? "," : "") << "\n";
    }
    out << "      ] }" << (s + 1 < source.Scripts.size() ? "," : "") << "\n";
  }
  out << "    ],\n";
}

void WriteMenuEntries(std::ostream& out, const project::ProjectSource& source) {
  out << "    \"menuEntries\": [";
  for (size_t i = 0; i < source.Menus.size(); ++i) {
    const project::MenuSource& entry = source.Menus[i];
    out << (i > 0 ? ", " : "") << "{ \"caption\": " << Quote(entry.Caption) << ", \"script\": "
        << ScriptName(source, entry.ScriptId) << " }";
  }
  out << "],\n";
}

void WriteAnimations(std::ostream& out, const project::ProjectSource& source, const std::map<int32_t, std::string>& files) {
  out << "    \"animations\": [\n";
  for (size_t i = 0; i < source.Animations.size(); ++i) {
    const project::AnimationSource& animation = source.Animations[i];
    out << "      { \"id\": " << animation.Id << ", \"name\": " << Quote(animation.Name) << ", \"eventIndex\": " << animation.EventIndex
        << ", \"repeatCount\": " << animation.RepeatCount << ", \"width\": " << animation.Width
        << ", \"height\": " << animation.Height << ",\n        \"posX\": " << Quote(animation.PosX)
        << ", \"posY\": " << Quote(animation.PosY);
    if (animation.MoveMode != 0) {
      out << ", \"moveMode\": " << int{animation.MoveMode} << ", \"params\": [";
      for (size_t p = 0; p < animation.Params.size(); ++p) out << (p > 0 ? ", " : "") << animation.Params[p];
      out << "]";
    }
    out << ",\n        \"eventScripts\": [";
    for (size_t slot = 0; slot < animation.EventScripts.size(); ++slot) {
      out << (slot > 0 ? ", " : "") << ScriptName(source, animation.EventScripts[slot]);
    }
    out << "],\n        \"frames\": [\n";
    for (size_t f = 0; f < animation.Frames.size(); ++f) {
      const project::FrameSource& frame = animation.Frames[f];
      out << "          { \"image\": " << Quote(files.at(frame.BitmapIndex)) << ", \"duration\": " << frame.Duration;
      if (frame.UseTransparentColor) {
        out << ", \"useTransparentColor\": true, \"transparentColor\": " << frame.TransparentColor;
      }
      if (!frame.Sounds.empty()) {
        out << ", \"sounds\": [";
        for (size_t s = 0; s < frame.Sounds.size(); ++s) {
          const auto& [index, mode] = frame.Sounds[s];
          out << (s > 0 ? ", " : "") << "{ \"sound\": " << Quote(source.Sounds.at(static_cast<size_t>(index)).Name)
              << ", \"playMode\": " << int{mode} << " }";
        }
        out << "]";
      }
      out << " }" << (f + 1 < animation.Frames.size() ? "," : "") << "\n";
    }
    out << "        ] }" << (i + 1 < source.Animations.size() ? "," : "") << "\n";
  }
  out << "    ],\n";
}

// The members of the objects the sample's dialog uses, as `kpftool pack` reads them.
std::string ObjectJson(const dialogs::TMyObject& object) {
  std::ostringstream out;
  out << "    { \"type\": " << object.TypeCode() << ", \"name\": " << Quote(object.Name) << ", \"left\": " << object.Left
      << ", \"top\": " << object.Top << ", \"width\": " << object.Width << ", \"height\": " << object.Height
      << ", \"includeOnSubmit\": " << (object.IncludeOnSubmit ? "true" : "false");
  if (object.Scripts[dialogs::kOnClick] != -1) out << ", \"scripts\": { \"OnClick\": " << object.Scripts[dialogs::kOnClick] << " }";
  switch (object.Type()) {
    case dialogs::ObjectType::Form: {
      const auto& form = static_cast<const dialogs::TMyForm&>(object);
      out << ",\n      \"caption\": " << Quote(form.Caption) << ", \"borderStyle\": " << int{static_cast<uint8_t>(form.BorderStyle)}
          << ", \"position\": " << int{static_cast<uint8_t>(form.Position)} << ", \"borderIcons\": " << int{form.BorderIcons}
          << " }";
      return out.str();
    }
    case dialogs::ObjectType::Label:
    case dialogs::ObjectType::Button: out << ", \"caption\": " << Quote(object.Caption); break;
    case dialogs::ObjectType::Edit: out << ", \"text\": " << Quote(object.Caption); break;
    default: throw std::runtime_error("the sample's dialog has an object of type " + std::to_string(object.TypeCode()));
  }
  out << ",\n      \"font\": { \"name\": " << Quote(object.Font.Name) << ", \"height\": " << object.Font.Height << " } }";
  return out.str();
}

void WriteDialogs(std::ostream& out, const project::ProjectSource& source, const fs::path& folder) {
  out << "    \"nextDialogId\": " << source.NextDialogId << ",\n    \"dialogs\": [";
  for (size_t i = 0; i < source.Dialogs.size(); ++i) {
    const project::TTaviDialog& dialog = source.Dialogs[i];
    const std::string file = "dialogs/" + std::to_string(10000 + i).substr(1) + ".json";
    std::ofstream definition(folder / file, std::ios::trunc);
    definition << "{ \"objects\": [\n";
    const dialogs::DialogDefinition read = dialogs::ReadDefinition(dialog.Definition);
    for (size_t o = 0; o < read.Objects.size(); ++o) {
      definition << ObjectJson(*read.Objects[o]) << (o + 1 < read.Objects.size() ? "," : "") << "\n";
    }
    definition << "] }\n";
    if (!definition) throw std::runtime_error("cannot write " + (folder / file).string());
    out << (i > 0 ? ", " : "") << "{ \"id\": " << dialog.ID << ", \"name\": " << Quote(dialog.Name)
        << ", \"definition\": " << Quote(file) << " }";
  }
  out << "],\n";
}

void WriteVariables(std::ostream& out, const project::ProjectSource& source) {
  out << "    \"variables\": [";
  for (size_t i = 0; i < source.Variables.size(); ++i) {
    const project::VariableSource& variable = source.Variables[i];
    out << (i > 0 ? ", " : "") << "{ \"id\": " << variable.ID << ", \"name\": " << Quote(variable.Name) << ", \"value\": ";
    if ((variable.Flags & 1) != 0) out << Quote(variable.TextValue); else out << variable.IntValue;
    out << " }";
  }
  out << "],\n";
}

}  // namespace

void WriteSourceFolder(const project::ProjectSource& source, const fs::path& folder) {
  fs::create_directories(folder / "images");
  fs::create_directories(folder / "sounds");
  fs::create_directories(folder / "dialogs");
  // Each image gets the name of the first frame that shows it.
  std::map<int32_t, std::string> files;
  for (const auto& animation : source.Animations) {
    for (size_t f = 0; f < animation.Frames.size(); ++f) {
      const int32_t index = animation.Frames[f].BitmapIndex;
      if (files.count(index) != 0) continue;
      const std::string file = "images/" + animation.Name + "-" + std::to_string(f) + ".png";
      const project::ImageSource& image = source.Images.at(static_cast<size_t>(index));
      render::WritePng((folder / file).string(), image.Width, image.Height, ArgbOf(image));
      files[index] = file;
    }
  }
  for (const auto& sound : source.Sounds) {
    std::ofstream(folder / "sounds" / sound.Name, std::ios::binary)
        .write(reinterpret_cast<const char*>(sound.Data.data()), static_cast<std::streamsize>(sound.Data.size()));
  }
  std::ostringstream out;
  out << "{\n  \"header\": { \"title\": \"Pip\", \"aboutText\": \"Pip, the sample character of kpfplayer.\" },\n  \"project\": {\n";
  out << "    \"optionFlags\": [";
  for (size_t i = 0; i < source.OptionFlags.size(); ++i) out << (i > 0 ? ", " : "") << int{source.OptionFlags[i]};
  out << "],\n    \"sounds\": [";
  for (size_t i = 0; i < source.Sounds.size(); ++i) {
    out << (i > 0 ? ", " : "") << "{ \"file\": " << Quote("sounds/" + source.Sounds[i].Name)
        << ", \"name\": " << Quote(source.Sounds[i].Name) << ", \"kind\": " << source.Sounds[i].Kind << " }";
  }
  out << "],\n";
  WriteScripts(out, source);
  WriteAnimations(out, source, files);
  WriteMenuEntries(out, source);
  WriteVariables(out, source);
  WriteDialogs(out, source, folder);
  out << "    \"nextScriptId\": " << source.NextScriptId << "\n  }\n}\n";
  std::ofstream json(folder / "project.json", std::ios::trunc);
  json << out.str();
  if (!json) throw std::runtime_error("cannot write " + (folder / "project.json").string());
}

}  // namespace kpf::samples
