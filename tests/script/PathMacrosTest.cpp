// Path macros and the search for files named by scripts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>
#include <unistd.h>

#include "script/PathMacros.hpp"

namespace kpf::script {
namespace {

namespace fs = std::filesystem;

TEST(ExpandPathMacrosTest, ReplacesEachMacroOnceInAnyCase) {
  // A folder holding a macro name is not expanded.
  PlayerFolders folders{.CurrentFolder = "/cur/", .ExecutableFolder = "/exe", .DocumentsFolder = "/docs/{temp}",
                        .TempFolder = "/tmp/x/"};
  const std::pair<const char*, const char*> cases[] = {
      {"{temp}\\a.txt", "/tmp/x\\a.txt"}, {"{TEMP}/a.txt", "/tmp/x/a.txt"}, {"{Temp}{temp}", "/tmp/x/tmp/x"},
      {"{currdir}/b", "/cur/b"}, {"{mydocument}/c", "/docs/{temp}/c"}, {"{mydocument", "{mydocument"},
      {"plain", "plain"}, {"", ""},
  };
  for (const auto& [input, expected] : cases) EXPECT_EQ(ExpandPathMacros(folders, input), expected) << input;
  folders.CurrentFolder.clear();
  EXPECT_EQ(ExpandPathMacros(folders, "{currdir}"), "/exe");
}

TEST(ExpandPathMacrosTest, DefaultFoldersComeFromTheEnvironment) {
  const auto saved = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
  };
  const std::optional<std::string> tmp = saved("TMPDIR"), docs = saved("XDG_DOCUMENTS_DIR");
  setenv("TMPDIR", "/var/scratch/", 1);
  setenv("XDG_DOCUMENTS_DIR", "/home/someone/Docs/", 1);
  const PlayerFolders folders = PlayerFolders::FromEnvironment();
  EXPECT_EQ(folders.TempFolder, "/var/scratch");
  EXPECT_EQ(folders.DocumentsFolder, "/home/someone/Docs");
  unsetenv("TMPDIR");
  EXPECT_EQ(DefaultTempFolder(), "/tmp");
  for (const auto& [name, value] : {std::pair{"TMPDIR", tmp}, {"XDG_DOCUMENTS_DIR", docs}})
    value ? setenv(name, value->c_str(), 1) : unsetenv(name);
}

TEST(ExpandPathMacrosTest, DocumentsComeFromTheUserDirsFileAndAreNeverTheHomeFolder) {
  const fs::path root = fs::temp_directory_path() / ("kpf_userdirs_" + std::to_string(::getpid()));
  fs::create_directories(root / "config");
  const std::string home = (root / "home").string();
  const auto write = [&](const std::string& text) { std::ofstream(root / "config" / "user-dirs.dirs") << text; };
  EXPECT_EQ(DocumentsFolderFor(home, (root / "config").string()), home + "/Documents") << "no file";
  write("# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(DocumentsFolderFor(home, (root / "config").string()), home + "/Dokumente");
  write("XDG_DOCUMENTS_DIR=\"/srv/papers/\"\n");
  EXPECT_EQ(DocumentsFolderFor(home, (root / "config").string()), "/srv/papers");
  // Desktops set the entry to the home folder to switch it off; relative values mean nothing.
  for (const char* value : {"$HOME", "$HOME/", "papers", "/"}) {
    write(std::string("XDG_DOCUMENTS_DIR=\"") + value + "\"\n");
    EXPECT_EQ(DocumentsFolderFor(home, (root / "config").string()), home + "/Documents") << value;
  }
  const char* docs = std::getenv("XDG_DOCUMENTS_DIR");
  const std::optional<std::string> saved = docs ? std::optional<std::string>(docs) : std::nullopt;
  const std::string realHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("XDG_DOCUMENTS_DIR", realHome.c_str(), 1);
  EXPECT_NE(DefaultDocumentsFolder(), realHome);
  saved ? setenv("XDG_DOCUMENTS_DIR", saved->c_str(), 1) : unsetenv("XDG_DOCUMENTS_DIR");
  fs::remove_all(root);
}

TEST(ResolveFileNameTest, ACandidateTheCheckRefusesIsPassedOverLikeAMissingFile) {
  const PlayerFolders folders{.CurrentFolder = "/cur", .ExecutableFolder = "/exe", .DocumentsFolder = "/docs",
                              .TempFolder = "/tmp/own"};
  std::vector<std::string> asked;
  const FileCheck check = [&](const std::string& candidate) -> std::optional<std::string> {
    asked.push_back(candidate);
    if (candidate == "/docs/A.txt") return std::nullopt;  // refused
    if (candidate == "/tmp/own/A.txt") return "/tmp/own/a.txt";
    return std::nullopt;
  };
  EXPECT_EQ(ResolveFileName(folders, "A.txt", check), "/tmp/own/a.txt");
  EXPECT_EQ(asked, (std::vector<std::string>{"A.txt", "/cur/A.txt", "/exe/A.txt", "/docs/A.txt", "/tmp/own/A.txt"}));
}

TEST(ResolveFileNameTest, TriesTheFoldersInOrderAfterExpandingMacros) {
  const fs::path root = fs::temp_directory_path() / ("kpf_resolve_" + std::to_string(::getpid()));
  for (const char* folder : {"cur/sub", "exe", "docs", "tmp"}) fs::create_directories(root / folder);
  const PlayerFolders folders{.CurrentFolder = (root / "cur").string() + "/",
                              .ExecutableFolder = (root / "exe").string(),
                              .DocumentsFolder = (root / "docs").string(),
                              .TempFolder = (root / "tmp").string()};
  const auto path = [&](const std::string& relative) { return root / relative; };
  for (const char* file : {"tmp/a.txt", "docs/a.txt", "exe/a.txt", "cur/a.txt"}) {
    std::ofstream(path(file)) << "x";
    EXPECT_EQ(fs::path(ResolveFileName(folders, "a.txt")), path(file)) << file;
  }
  std::ofstream(path("cur/sub/b.txt")) << "x";
  std::ofstream(path("tmp/c.txt")) << "x";
  for (auto [name, file] : {std::pair<std::string, std::string>{"sub\\b.txt", "cur/sub/b.txt"},
                            {"{currdir}\\sub\\b.txt", "cur/sub/b.txt"}, {"{TEMP}/c.txt", "tmp/c.txt"},
                            {path("tmp/c.txt").string(), "tmp/c.txt"}})
    EXPECT_EQ(fs::path(ResolveFileName(folders, name)), path(file)) << name;
  for (const char* name : {"missing.txt", "sub", ""})  // a folder is not a file
    EXPECT_EQ(ResolveFileName(folders, name), "") << name;
  EXPECT_EQ(ResolveFileName(PlayerFolders{}, "missing.txt"), "");
  fs::remove_all(root);
}

}  // namespace
}  // namespace kpf::script
