#include "project/PersistentStream.hpp"

#include <algorithm>

#include "project/TTaviVariable.hpp"

namespace kpf::project {

namespace {

// A name index below -1: the stream is not a property stream at all, so the whole collection
// stops instead of being read property by property into garbage.
class EInvalidNameForm : public EStreamError {
 public:
  EInvalidNameForm() : EStreamError("Invalid property name index") {}
};

constexpr int32_t kObjectEmpty = 0;
constexpr int32_t kObjectReference = 1;
constexpr int32_t kObjectContent = 2;
constexpr int32_t kContentStrings = 1;
constexpr int32_t kContentPicture = 2;

bool Contains(const std::vector<std::string>& list, std::string_view name) {
  return std::any_of(list.begin(), list.end(),
                     [&](const std::string& entry) { return SameText(entry, name); });
}

}  // namespace

std::vector<PropertyInfo> TVrPersistentStream::Sequence(const TVrPersistentTarget& object) const {
  std::vector<PropertyInfo> all = object.Properties();
  std::vector<PropertyInfo> sequence;
  if (PropertyList.empty()) {
    for (auto& property : all)
      if (!Contains(ExcludedNames, property.Name)) sequence.push_back(property);
    return sequence;
  }
  for (const auto& name : PropertyList) {
    auto it = std::find_if(all.begin(), all.end(),
                           [&](const PropertyInfo& p) { return SameText(p.Name, name); });
    if (it != all.end()) sequence.push_back(*it);
  }
  return sequence;
}

void TVrPersistentStream::ReadCollection(TVrPersistentCollection& collection) {
  int32_t count = stream_.readInt32();
  // Every stored item holds at least one 4-byte field.
  if (count < 0 || count > kMaxCollectionItems ||
      static_cast<size_t>(count) > stream_.remaining() / 4)
    throw EStreamError();
  size_t first = collection.Count();
  collection.AddItems(static_cast<size_t>(count));
  try {
    for (size_t i = 0; i < static_cast<size_t>(count); ++i) ReadObject(collection.Item(first + i));
  } catch (const EInvalidNameForm& error) {
    Report("", error.what());
  }
}

void TVrPersistentStream::ReadObject(TVrPersistentTarget& object) {
  for (const auto& property : Sequence(object)) {
    try {
      ReadProperty(object, property);
    } catch (const EInvalidNameForm&) {
      throw;
    } catch (const std::exception& error) {
      Report(property.Name, error.what());
    }
  }
  ResolvePending();
}

std::string TVrPersistentStream::ReadName() {
  int32_t index = stream_.readInt32();
  if (index == -1) return stream_.readNulString();
  if (index < -1) throw EInvalidNameForm();
  if (static_cast<size_t>(index) >= NameTable.size()) return {};
  return NameTable[static_cast<size_t>(index)];
}

PersistentValue TVrPersistentStream::ReadScalar(PropertyType type) {
  switch (type) {
    case PropertyType::Integer:
      return int64_t{stream_.readInt32()};
    case PropertyType::Char:
      return std::string(1, static_cast<char>(stream_.readByte()));
    case PropertyType::Set:
    case PropertyType::Text:
      return stream_.readNulString();
    case PropertyType::Int64:
      return static_cast<int64_t>(stream_.readU64());
    case PropertyType::Float:
      return stream_.readDouble();
    default:
      throw EStreamError("Unsupported property type");
  }
}

void TVrPersistentStream::ReadProperty(TVrPersistentTarget& object, const PropertyInfo& property) {
  if (property.Type == PropertyType::Object) return ReadObjectProperty(object, property);
  if (property.Type == PropertyType::Collection) {
    TVrPersistentCollection* collection = object.Collection(property.Name);
    if (!collection) throw EStreamError("Collection property without a collection");
    return ReadCollection(*collection);
  }
  std::string name = ReadName();
  PersistentValue value = ReadScalar(property.Type);
  // The name found in the stream picks the property; one that is missing is skipped.
  if (!name.empty()) object.SetProperty(name, value);
}

void TVrPersistentStream::ReadObjectProperty(TVrPersistentTarget& object,
                                             const PropertyInfo& property) {
  int32_t mode = stream_.readInt32();
  if (mode == kObjectEmpty) {
    object.SetProperty(property.Name, PersistentEmpty{});
  } else if (mode == kObjectReference) {
    std::string referenced = stream_.readNulString();
    if (!OnResolveReference || !OnResolveReference(object, property.Name, referenced))
      PendingReferences.push_back({&object, property.Name, referenced});
  } else if (mode == kObjectContent) {
    int32_t kind = stream_.readInt32();
    if (kind == kContentStrings) {
      size_t count = stream_.readCount(1);
      std::vector<std::string> strings;
      for (size_t i = 0; i < count; ++i) strings.push_back(stream_.readTerminatedString());
      object.SetProperty(property.Name, strings);
    } else if (kind == kContentPicture) {
      size_t length = stream_.readCount(1);
      auto bytes = stream_.take(length);
      object.SetProperty(property.Name, PersistentPicture{{bytes.begin(), bytes.end()}});
    } else {
      throw EStreamError("Invalid object content kind");
    }
  } else {
    throw EStreamError("Invalid object mode");
  }
}

void TVrPersistentStream::ResolvePending() {
  if (!OnResolveReference) return;
  std::erase_if(PendingReferences, [&](const TVrPersistentQueue& pending) {
    return OnResolveReference(*pending.Target, pending.PropertyName, pending.ReferencedName);
  });
}

void TVrPersistentStream::Report(const std::string& property, const std::string& message) {
  if (reported_ || !OnError) return;
  reported_ = true;
  OnError("Properties read error\r" + property + "\r" + message);
}

}  // namespace kpf::project
