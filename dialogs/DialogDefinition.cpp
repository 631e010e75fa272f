#include "dialogs/DialogDefinition.hpp"

#include "dialogs/TMyBevel.hpp"
#include "dialogs/TMyButtons.hpp"
#include "dialogs/TMyCheckBox.hpp"
#include "dialogs/TMyEdit.hpp"
#include "dialogs/TMyForm.hpp"
#include "dialogs/TMyImage.hpp"
#include "dialogs/TMyLabel.hpp"
#include "dialogs/TMyLists.hpp"
#include "dialogs/TMyMemo.hpp"
#include "dialogs/TMyWebObjects.hpp"
#include "project/ByteReader.hpp"

namespace kpf::dialogs {

namespace {

constexpr size_t kSizeBytes = 4;
constexpr size_t kTypeCodeBytes = 2;

std::string RecordError(size_t offset, const std::string& what) {
  return "dialog record at offset " + std::to_string(offset) + ": " + what;
}

}  // namespace

std::shared_ptr<TMyObject> CreateObject(uint16_t typeCode) {
  switch (static_cast<ObjectType>(typeCode)) {
    case ObjectType::Form: return std::make_shared<TMyForm>();
    case ObjectType::Label: return std::make_shared<TMyLabel>();
    case ObjectType::Image: return std::make_shared<TMyImage>();
    case ObjectType::Edit: return std::make_shared<TMyEdit>();
    case ObjectType::Button: return std::make_shared<TMyButton>();
    case ObjectType::ComboBox: return std::make_shared<TMyComboBox>();
    case ObjectType::RadioGroup: return std::make_shared<TMyRadioGroup>();
    case ObjectType::ListBox: return std::make_shared<TMyListBox>();
    case ObjectType::CheckBox: return std::make_shared<TMyCheckBox>();
    case ObjectType::Memo: return std::make_shared<TMyMemo>();
    case ObjectType::HTML: return std::make_shared<TMyHTML>();
    case ObjectType::Flash: return std::make_shared<TMyFlash>();
    case ObjectType::Bevel: return std::make_shared<TMyBevel>();
    case ObjectType::BitBtn: return std::make_shared<TMyBitBtn>();
  }
  return nullptr;
}

DialogDefinition ReadDefinition(std::span<const uint8_t> definition) {
  DialogDefinition result;
  project::ByteReader reader(definition);
  while (!reader.atEnd()) {
    const size_t offset = reader.position();
    if (reader.remaining() < kSizeBytes) {
      result.Error = RecordError(offset, "cut short");
      break;
    }
    const int32_t size = reader.readInt32();
    if (size < static_cast<int32_t>(kTypeCodeBytes) || static_cast<size_t>(size) > reader.remaining()) {
      result.Error = RecordError(offset, "size " + std::to_string(size) + " outside the definition");
      break;
    }
    const auto record = reader.take(static_cast<size_t>(size));
    const uint16_t code = static_cast<uint16_t>(record[0] | (record[1] << 8));
    if (code == kEndOfDefinition) break;
    std::shared_ptr<TMyObject> object = CreateObject(code);
    if (!object) continue;
    if (result.Objects.size() >= kMaxObjects) {
      result.Error = RecordError(offset, "more than " + std::to_string(kMaxObjects) + " objects");
      break;
    }
    try {
      PayloadReader payload(record.subspan(kTypeCodeBytes));
      object->Load(payload);
    } catch (const project::KpfError& error) {
      result.Error = RecordError(offset, std::string(object->ClassName()) + ": " + error.what());
      break;
    }
    result.Objects.push_back(std::move(object));
  }
  return result;
}

std::vector<uint8_t> WriteDefinition(const ObjectList& objects) {
  PayloadWriter out;
  const auto record = [&out](uint16_t code, std::span<const uint8_t> payload) {
    out.Int32(static_cast<int32_t>(kTypeCodeBytes + payload.size()));
    const uint8_t codeBytes[kTypeCodeBytes] = {static_cast<uint8_t>(code), static_cast<uint8_t>(code >> 8)};
    out.Bytes(codeBytes);
    out.Bytes(payload);
  };
  for (const auto& object : objects) {
    PayloadWriter payload;
    object->Save(payload);
    record(object->TypeCode(), payload.Data());
  }
  record(kEndOfDefinition, {});
  const auto data = out.Data();
  return {data.begin(), data.end()};
}

}  // namespace kpf::dialogs
