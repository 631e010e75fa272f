#include "dialogs/TMyBevel.hpp"

namespace kpf::dialogs {

namespace {

constexpr int kShapeCount = 7;
constexpr int kStyleCount = 2;

}  // namespace

void TMyBevel::Load(PayloadReader& reader) {
  std::span<const uint8_t> extension;
  ReadCommon(reader, extension);
  Style = EnumFromByte(reader.Byte(), kStyleCount, TBevelStyle::bsRaised);
  Shape = EnumFromByte(reader.Byte(), kShapeCount, TBevelShape::bsBox);
}

void TMyBevel::Save(PayloadWriter& writer) const {
  WriteCommon(writer);
  writer.Byte(static_cast<uint8_t>(Style));
  writer.Byte(static_cast<uint8_t>(Shape));
}

void TMyBevel::CreateControl(platform::DialogWindow& window) {
  platform::DialogControlStyle style;
  style.bevelShape = static_cast<int>(Shape);
  style.bevelRaised = Style == TBevelStyle::bsRaised;
  MakeControl(window, platform::DialogControlKind::Bevel, style);
}

}  // namespace kpf::dialogs
