#include "dialogs/TMyContentFiles.hpp"

namespace kpf::dialogs {

void TMyHTMLFile::Load(PayloadReader& reader) {
  Kind = reader.Byte();
  if (Kind != kContentAddress) {
    Lines = reader.Strings();
    Data = reader.Block();
    FileName = reader.Text();
  } else {
    URL = reader.Text();
  }
}

void TMyHTMLFile::Save(PayloadWriter& writer) const {
  writer.Byte(Kind);
  if (Kind != kContentAddress) {
    writer.Strings(Lines);
    writer.Block(Data);
    writer.Text(FileName);
  } else {
    writer.Text(URL);
  }
}

void TMyFlashFile::Load(PayloadReader& reader) {
  Kind = reader.Byte();
  if (Kind != kContentAddress) {
    Data = reader.Block();
    FileName = reader.Text();
  } else {
    URL = reader.Text();
  }
}

void TMyFlashFile::Save(PayloadWriter& writer) const {
  writer.Byte(Kind);
  if (Kind != kContentAddress) {
    writer.Block(Data);
    writer.Text(FileName);
  } else {
    writer.Text(URL);
  }
}

}  // namespace kpf::dialogs
