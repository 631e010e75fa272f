// kpftool extract: writes a project or package as a source folder that `kpftool pack` turns back
// into the same project (format in PACK_FORMAT.md).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

#include "package/PackageFormat.hpp"
#include "project/ActionItems.hpp"
#include "project/ProjectLoader.hpp"
#include "project/Stream.hpp"
#include "project/SystemVariables.hpp"
#include "render/PngFile.hpp"
#include "tools/kpftool/Command.hpp"
#include "tools/kpftool/DialogSource.hpp"
#include "tools/kpftool/ExtractJson.hpp"
#include "tools/kpftool/ParamCodec.hpp"
#include "tools/kpftool/RecordFiles.hpp"
#include "tools/kpftool/SourceFiles.hpp"
#include "tools/kpftool/Windows1252.hpp"

namespace kpf::tools {

namespace {

namespace fs = std::filesystem;
using project::ProjectModel;

// Images as stored, in index order, with their alpha; entries without pixels (no pixel data,
// or an empty picture) get no file.
std::vector<std::string> WriteImages(const fs::path& dir, ProjectModel& model, size_t loaded) {
  std::vector<std::string> names;
  for (size_t i = 0; i < loaded; ++i) {
    auto& image = model.Bitmaps[i];
    const bool withPixels = image.Form() == project::TVrBitmap::kFormPacked ||
                            image.Form() == project::TVrBitmap::kFormPalette;
    if (!withPixels || image.Width() == 0 || image.Height() == 0) {
      names.emplace_back();
      continue;
    }
    std::span<const uint32_t> pixels;
    try {
      pixels = image.Pixels();
    } catch (const std::exception& error) {
      std::fprintf(stderr, "kpftool extract: image %zu: %s (written transparent)\n", i,
                   error.what());
      pixels = image.Pixels();
    }
    image.ComputeHasAlpha();
    fs::create_directories(dir / "images");
    std::string name = Numbered(i, ".png");
    render::WritePng((dir / "images" / name).string(), image.Width(), image.Height(), pixels);
    names.push_back("images/" + name);
  }
  return names;
}

std::vector<std::string> WriteSounds(const fs::path& dir, const ProjectModel& model) {
  std::vector<std::string> names;
  UniqueNames unique;
  for (size_t i = 0; i < model.Sounds.size(); ++i) {
    const auto& sound = model.Sounds[i];
    std::string name = unique.Take(SafeFileName(sound.Name, Numbered(i, ".snd")));
    names.push_back(Put(dir, "sounds", name, sound.Data));
  }
  return names;
}

ExtractedNames WriteBlobs(const fs::path& dir, ProjectModel& model, size_t loadedImages) {
  ExtractedNames names;
  names.Images = WriteImages(dir, model, loadedImages);
  names.Sounds = WriteSounds(dir, model);
  for (size_t i = 0; i < model.Dialogs.size(); ++i) names.Dialogs.push_back(WriteDialogSource(dir, i, model.Dialogs[i]));
  for (size_t i = 0; i < model.MenuEntries.size(); ++i) {
    const auto& image = model.MenuEntries[i].Image;
    names.MenuImages.push_back(image.empty() ? "" : Put(dir, "menus", Numbered(i, ".bmp"), image));
  }
  for (size_t i = 0; i < model.Cursors.size(); ++i) {
    const auto& bitmap = model.Cursors[i].Bitmap;
    names.Cursors.push_back(bitmap.empty() ? "" : Put(dir, "cursors", Numbered(i, ".bmp"), bitmap));
  }
  return names;
}

std::string ParamListing(const project::TKPFExeAction& action) {
  bool complete = true;
  std::string text;
  for (const auto& entry : DecodeParamBlock(action.ParamData, complete)) {
    text += " | kind " + std::to_string(entry.Kind);
    switch (project::ParamFormOfKind(entry.Kind)) {
      case project::ParamValueForm::None: break;
      case project::ParamValueForm::Text: text += " text \"" + Windows1252ToUtf8(entry.Text) + "\""; break;
      case project::ParamValueForm::VariablePosition:
      case project::ParamValueForm::VariableId: text += " variable id " + std::to_string(entry.Value); break;
      default: text += " int " + std::to_string(entry.Value);
    }
  }
  if (!complete) text += " | (cut short)";
  return text;
}

void ListActions(std::string& out, const std::vector<project::TKPFExeAction>& actions) {
  for (size_t i = 0; i < actions.size(); ++i) {
    const auto& action = actions[i];
    out += "  " + std::to_string(i) + ": type " + std::to_string(action.ActionType) + " \"" +
           Windows1252ToUtf8(action.Name) + "\" flags " + std::to_string(action.Flags) +
           ParamListing(action) + "\n";
  }
}

std::string ScriptListing(const ProjectModel& model) {
  std::string out;
  for (const auto& script : model.Scripts) {
    out += "script " + std::to_string(script.Id) + " \"" + Windows1252ToUtf8(script.Name) +
           "\" trigger " + std::to_string(script.Trigger) + "\n";
    ListActions(out, script.Actions);
  }
  for (size_t i = 0; i < model.MenuEntries.size(); ++i) {
    out += "menu " + std::to_string(i) + " \"" + Windows1252ToUtf8(model.MenuEntries[i].Caption) +
           "\"\n";
    ListActions(out, model.MenuEntries[i].Actions);
  }
  return out;
}

size_t LoadedImageCount(const ProjectModel& model) {
  size_t count = 0;
  while (count < model.Bitmaps.size() && model.Bitmaps[count].CopyKind == 0) ++count;
  return count;
}

void WriteText(const fs::path& path, const std::string& text) {
  WriteFileBytes(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

}  // namespace

int RunExtract(const Arguments& args) {
  if (args.size() != 2) {
    std::fputs("usage: kpftool extract FILE DIR\n", stderr);
    return 2;
  }
  std::vector<uint8_t> file = project::ReadWholeFile(args[0]);
  std::optional<package::PackageLayout> layout = package::ParsePackage(file);
  if (layout && !layout->Error.empty())
    throw std::runtime_error("damaged package: " + layout->Error);
  ProjectModel model;
  project::LoadProjectStream(layout ? layout->ProjectBlock : std::span<const uint8_t>(file), model);

  fs::path dir(args[1]);
  fs::create_directories(dir);
  ExtractSource source;
  source.Package = layout ? &*layout : nullptr;
  source.Model = &model;
  source.LoadedImages = LoadedImageCount(model);
  source.MenuScripts = CountMenuScripts(model);
  source.StoredVariables = model.Variables.size() >= project::kSystemVariableCount
                               ? model.Variables.size() - project::kSystemVariableCount
                               : model.Variables.size();
  ExtractedNames names = WriteBlobs(dir, model, source.LoadedImages);
  if (layout) names.Records = WriteRecordFiles(dir, *layout, "resources", "records");
  WriteText(dir / "scripts.txt", ScriptListing(model));
  WriteText(dir / "project.json", SourceJson(source, names));
  return 0;
}

}  // namespace kpf::tools
