#pragma once
// The folders a player knows, the path macros "{mydocument}", "{temp}" and "{currdir}", and the
// search for a file named by a script.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kpf::script {

struct PlayerFolders {
  std::string CurrentFolder;     // "-KPFPATH" or the executable's folder; may be empty
  std::string ExecutableFolder;  // folder of the running player
  std::string DocumentsFolder;   // the user's documents folder, no trailing separator
  std::string TempFolder;        // the temporary folder, no trailing separator

  // Documents and temp folders from the environment (see below); the other two stay empty.
  static PlayerFolders FromEnvironment();
};

// The user's documents folder, no trailing "/": $XDG_DOCUMENTS_DIR, else the user-dirs file's
// XDG_DOCUMENTS_DIR (what xdg-user-dir DOCUMENTS reports), else $HOME/Documents. A value that is
// not absolute or names the home folder itself counts as unset: the home folder is never the
// documents folder (scripts may write there).
std::string DefaultDocumentsFolder();
// The same rule for the home folder `home` whose configuration lies in `configHome` (the
// environment's XDG_DOCUMENTS_DIR is not consulted).
std::string DocumentsFolderFor(const std::string& home, const std::string& configHome);
// $TMPDIR, else "/tmp"; no trailing "/".
std::string DefaultTempFolder();

// The folder without one trailing "/" or "\" (a lone "/" stays).
std::string WithoutTrailingSeparator(std::string_view folder);

// Replaces every "{mydocument}", "{temp}" and "{currdir}" (any case) in one pass: a folder that
// itself holds a macro name is inserted as it is. "{currdir}" is the current folder, or the
// executable's folder when there is no current folder.
std::string ExpandPathMacros(const PlayerFolders& folders, std::string_view text);

// Projects made on another system separate folders with "\"; they become "/" here.
std::string WithForwardSlashes(std::string_view name);

// The first candidate that is an existing file: the expanded name; the current folder + "/" +
// expanded name; the executable's folder + "/" + the name; the documents folder + "/" + the name;
// the temp folder + "/" + the name. Every "\" in the name is turned into "/" first. Empty when
// the file exists nowhere (folders do not count as files).
std::string ResolveFileName(const PlayerFolders& folders, std::string_view name);
// The same, with `check` deciding which candidate counts as an existing file: it gives the path
// to use (the candidate as found on the disk) or nullopt. A candidate it refuses is passed over
// like a missing file.
using FileCheck = std::function<std::optional<std::string>(const std::string& candidate)>;
std::string ResolveFileName(const PlayerFolders& folders, std::string_view name, const FileCheck& check);

}  // namespace kpf::script
