#pragma once
// The process-wide temporary-file service. It makes unique names inside a private folder of
// its own, writes files there and keeps, in the settings key, the lists of files and folders
// still to delete, so that nothing is left behind even when a player is killed: every start
// first deletes what players that no longer run left behind.
//
// Each process keeps its lists under its own sub-key ("TemporaryFiles\<pid>-<start time>",
// values "DeleteList" and "DeleteFolder"), so two players running at once never delete each
// other's live files. Only names this service generates (inside folders "kpfplayer-XXXXXX"
// it made with mkdtemp) are ever deleted; any other listed path is dropped from the list.
#include <cstdint>
#include <functional>
#include <random>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "package/SettingsKey.hpp"

namespace kpf::package {

class TTemporaryFile {
 public:
  using ErrorReporter = std::function<void(const std::string& message)>;

  static constexpr const char* kListsKey = "TemporaryFiles";
  static constexpr const char* kListSeparator = ";%;";
  static constexpr const char* kFolderPrefix = "kpfplayer-";
  static constexpr int kMaxNameTries = 1000;

  // Takes over the lists of processes that no longer run and cleans up. `processTag` names
  // this process's lists (tests pass their own to act as several processes).
  TTemporaryFile(SettingsKey& settings, ErrorReporter reportError, std::string processTag = {});
  // Cleans up once more; drops this process's sub-key when nothing is left to delete.
  ~TTemporaryFile();
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;

  // A path in the private folder that names no existing file; "" when none can be found.
  std::string GetTempFileName(std::string_view extension);
  // Writes `buffer` to a new temporary file, registers it for deletion and returns its path;
  // "" (after "Error creating temporary file") on failure.
  std::string CreateTempFile(std::string_view extension, std::span<const uint8_t> buffer);
  // Deletes what can be deleted, keeps the rest listed, saves the lists.
  void CleanUp();
  // Writes Files to DeleteList and Folders to DeleteFolder, in one replacement of the settings
  // file and only when either differs from what is stored.
  void SaveLists();
  // Registers a temporary file created by someone else (Files.Add + SaveLists).
  void RegisterFile(const std::string& path);
  // A further private folder (a character's own), listed for deletion; "" when none can be made.
  std::string NewFolder();
  // Deletes such a folder with everything in it and drops it from the list.
  void RemoveFolder(const std::string& path);

  const std::vector<std::string>& Files() const { return files_; }
  const std::vector<std::string>& Folders() const { return folders_; }
  // Restarts the random part of generated names from a known seed (tests check the bounded
  // name search with it).
  void SeedNameGenerator(uint32_t seed) { random_.seed(seed); }
  // Sub-key of this process's lists, e.g. "TemporaryFiles\1234-5678".
  std::string ListsKey() const;

  // True for a folder name this service makes / a file inside such a folder (by name only).
  static bool IsServiceFolderName(std::string_view path);
  static bool IsServiceFileName(std::string_view path);

 private:
  void AdoptListsOfEndedProcesses();
  void AdoptList(const std::string& stored, std::vector<std::string>& list, bool folders);
  std::string BaseFolder() const;
  std::string PrivateFolder();
  std::string ListPath(const char* valueName) const;

  SettingsKey& settings_;
  ErrorReporter reportError_;
  std::string processTag_;
  std::vector<std::string> files_;
  std::vector<std::string> folders_;
  std::string privateFolder_;
  std::set<std::string> owned_;  // folders NewFolder made that are still in use
  const int nameCounter_ = 0;  // part of every generated name; always 0
  std::minstd_rand random_;
};

// Splits a stored list at the separator, dropping empty items.
std::vector<std::string> SplitDeleteList(const std::string& stored);
// The stored form: the separator before every entry; "" for an empty list.
std::string JoinDeleteList(const std::vector<std::string>& list);

}  // namespace kpf::package
