#pragma once
// The private temporary folder of one character: made with mkdtemp (mode 0700) inside the
// temporary folder, it receives the package's resource files and is what "{temp}" names; it goes
// with everything in it when the character goes. With the temporary-file service it is listed
// for deletion, so the folder of a killed process is removed by a later start.
#include <string>

namespace kpf::package {

class TTemporaryFile;

class PrivateTempFolder {
 public:
  // Made by the service when one is given, else directly in $TMPDIR (or /tmp).
  explicit PrivateTempFolder(TTemporaryFile* service = nullptr);
  ~PrivateTempFolder();
  PrivateTempFolder(const PrivateTempFolder&) = delete;
  PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

  // The folder without a trailing "/"; "" when none could be made.
  const std::string& Path() const { return path_; }

 private:
  TTemporaryFile* service_;
  std::string path_;
};

// Deletes a folder and everything below it without following links; false when something stays.
bool RemoveFolderTree(const std::string& path);

}  // namespace kpf::package
