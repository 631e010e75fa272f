#pragma once
// What the HTML and Flash objects carry: a stored file (its name, bytes and, for HTML, lines) or
// an address. The player shows neither; it keeps them for the property interface and writes
// them back unchanged.
#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/PayloadIo.hpp"

namespace kpf::dialogs {

constexpr uint8_t kContentStoredFile = 1;
constexpr uint8_t kContentAddress = 2;

struct TMyHTMLFile {
  std::string FileName;
  std::vector<std::string> Lines;
  std::vector<uint8_t> Data;
  std::string URL;
  uint8_t Kind = kContentStoredFile;

  void Load(PayloadReader& reader);
  void Save(PayloadWriter& writer) const;
};

struct TMyFlashFile {
  std::string FileName;
  std::vector<uint8_t> Data;
  std::string URL;
  uint8_t Kind = kContentStoredFile;

  void Load(PayloadReader& reader);
  void Save(PayloadWriter& writer) const;
};

}  // namespace kpf::dialogs
