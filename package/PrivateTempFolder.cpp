#include "package/PrivateTempFolder.hpp"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>

#include "package/TemporaryFile.hpp"

namespace kpf::package {

PrivateTempFolder::PrivateTempFolder(TTemporaryFile* service) : service_(service) {
  if (service_ != nullptr) {
    path_ = service_->NewFolder();
    return;
  }
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp == '/' ? tmp : "/tmp") + "/" +
                        TTemporaryFile::kFolderPrefix + "XXXXXX";
  if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

PrivateTempFolder::~PrivateTempFolder() {
  if (path_.empty()) return;
  if (service_ != nullptr) {
    service_->RemoveFolder(path_);
  } else {
    RemoveFolderTree(path_);
  }
}

bool RemoveFolderTree(const std::string& path) {
  // remove_all removes links themselves and never descends through them.
  std::error_code error;
  std::filesystem::remove_all(path, error);
  return !error;
}

}  // namespace kpf::package
