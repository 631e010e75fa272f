#pragma once
// JSON of the parts of a project model that `kpftool info` and extract's project.json show
// alike. Each Begin... function opens an object and writes the members both show, in their
// order; the caller adds its own members and closes the object.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "project/ProjectModel.hpp"
#include "tools/kpftool/Json.hpp"

namespace kpf::tools {

// Stored (Windows-1252) text as a JSON string's UTF-8.
std::string JsonText(const std::string& ansi);

void BeginScriptJson(JsonWriter& json, const project::TTaviScript& script);
void BeginActionJson(JsonWriter& json, const project::TKPFExeAction& action);
void BeginImageJson(JsonWriter& json, const project::TVrBitmap& image, size_t index);
void BeginSoundJson(JsonWriter& json, const project::TTaviSound& sound);
void BeginMenuEntryJson(JsonWriter& json, const project::TTaviMenu& entry);
void BeginDialogJson(JsonWriter& json, const project::TTaviDialog& dialog);
// Ends with the variable's "value".
void BeginVariableJson(JsonWriter& json, const project::TTaviVariable& variable);

// "animations". `stored` adds what rebuilding the project needs: the event index, move
// parameters and cursor of each animation and each frame's stored image index, region and
// document.
void WriteAnimationsJson(JsonWriter& json, const std::vector<project::TTaviEvent>& animations, bool stored);
// "playLists".
void WritePlayListsJson(JsonWriter& json, const std::vector<project::TPlayList>& lists);
// "optionFlags" and "menuCaptions".
void WriteOptionsJson(JsonWriter& json, const project::ProjectModel& model);

// The package header object under "header"; with `storedTitle` also that title as stored.
void WriteHeaderJson(JsonWriter& json, const std::string& designVersion, const std::string& aboutText,
                     const std::string& title, int32_t headerFlags, const std::string* storedTitle = nullptr);
// One entry of "resources".
void WriteResourceJson(JsonWriter& json, uint32_t tag, const std::string& name, size_t size);

}  // namespace kpf::tools
