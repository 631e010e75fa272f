#include "package/ExtractedFileList.hpp"

#include <unistd.h>

namespace kpf::package {

ExtractedFileList& ExtractedFileList::operator=(ExtractedFileList&& other) noexcept {
  if (this != &other) {
    DeleteAll();
    paths_ = std::move(other.paths_);
    other.paths_.clear();
  }
  return *this;
}

void ExtractedFileList::DeleteAll() {
  for (const auto& path : paths_) ::unlink(path.c_str());
  paths_.clear();
}

}  // namespace kpf::package
