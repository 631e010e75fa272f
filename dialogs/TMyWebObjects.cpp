#include "dialogs/TMyWebObjects.hpp"

namespace kpf::dialogs {

namespace {

constexpr size_t kHtmlExtension = 8;

}  // namespace

void TMyHTML::Load(PayloadReader& reader) {
  std::span<const uint8_t> extension;
  ReadCommon(reader, extension);
  if (extension.size() >= kHtmlExtension) {
    Scripts[kOnComplete] = Int32At(extension, 0);
    Scripts[kOnClick] = Int32At(extension, 4);
  }
  HTML.Load(reader);
}

void TMyHTML::Save(PayloadWriter& writer) const {
  uint8_t extension[kHtmlExtension];
  PutInt32(extension, Scripts[kOnComplete]);
  PutInt32(extension + 4, Scripts[kOnClick]);
  WriteCommon(writer, extension);
  HTML.Save(writer);
}

void TMyHTML::CreateControl(platform::DialogWindow& window) {
  MakeControl(window, platform::DialogControlKind::Panel);
  Busy = false;
  Complete = false;
}

void TMyFlash::Load(PayloadReader& reader) {
  std::span<const uint8_t> extension;
  ReadCommon(reader, extension);
  FlashFile.Load(reader);
  Scripts[kOnDownloadError] = ReadScript(reader);
  Scripts[kOnDownloadStart] = ReadScript(reader);
  Scripts[kOnDownloadData] = ReadScript(reader);
  Scripts[kOnDownloadEnd] = ReadScript(reader);
}

void TMyFlash::Save(PayloadWriter& writer) const {
  WriteCommon(writer);
  FlashFile.Save(writer);
  writer.Int32(Scripts[kOnDownloadError]);
  writer.Int32(Scripts[kOnDownloadStart]);
  writer.Int32(Scripts[kOnDownloadData]);
  writer.Int32(Scripts[kOnDownloadEnd]);
}

}  // namespace kpf::dialogs
