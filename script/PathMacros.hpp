#pragma once
// The folders a player knows, the path macros "{mydocument}", "{temp}" and "{currdir}", and the
// search for a file named by a script.
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

// $XDG_DOCUMENTS_DIR, else $HOME/Documents when that folder exists, else $HOME; no trailing "/".
std::string DefaultDocumentsFolder();
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

}  // namespace kpf::script
