#pragma once
// Reader of the persistent property stream: objects stored as their published properties, each
// a name form (int32 -1 + NUL name, or an index into NameTable) and a value whose encoding
// follows the property's type; collections as a count and their items. The project stream keeps
// the custom cursors in this form.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "project/ByteReader.hpp"
#include "project/ProjectRecords.hpp"

namespace kpf::project {

enum class PropertyType { Integer, Char, Set, Int64, Float, Text, Object, Collection };

struct PropertyInfo {
  std::string Name;
  PropertyType Type;
};

struct PersistentPicture {
  std::vector<uint8_t> Bytes;  // Windows BMP file
};
struct PersistentEmpty {};
// Integer and Int64 values arrive as int64_t, Char/Set/Text as text, objects as the last three.
using PersistentValue = std::variant<int64_t, double, std::string, PersistentEmpty,
                                     std::vector<std::string>, PersistentPicture>;

class TVrPersistentCollection;

// An object whose published properties the reader fills.
class TVrPersistentTarget {
 public:
  virtual ~TVrPersistentTarget() = default;
  // Published properties in declaration order.
  virtual std::vector<PropertyInfo> Properties() const = 0;
  // Sets the property called `name` (compared without regard to case); false when the object has
  // no such property.
  virtual bool SetProperty(std::string_view name, const PersistentValue& value) = 0;
  // The collection held by a collection-typed property, or null.
  virtual TVrPersistentCollection* Collection(std::string_view) { return nullptr; }
};

class TVrPersistentCollection {
 public:
  virtual ~TVrPersistentCollection() = default;
  virtual void AddItems(size_t count) = 0;
  virtual size_t Count() const = 0;
  virtual TVrPersistentTarget& Item(size_t index) = 0;
};

// A reference by name waiting for OnResolveReference.
struct TVrPersistentQueue {
  TVrPersistentTarget* Target;
  std::string PropertyName;
  std::string ReferencedName;
};

class TVrPersistentStream {
 public:
  // Largest collection accepted; larger counts are hostile.
  static constexpr int32_t kMaxCollectionItems = 65535;

  std::vector<std::string> NameTable;      // lower-case names; index n of a name form
  std::vector<std::string> ExcludedNames;  // properties not read
  std::vector<std::string> PropertyList;   // when not empty: only these, in this order
  std::vector<TVrPersistentQueue> PendingReferences;
  // Returns true when it resolved `referencedName` and set the property on the target.
  std::function<bool(TVrPersistentTarget&, std::string_view property,
                     std::string_view referencedName)>
      OnResolveReference;
  // Receives "Properties read error" CR name CR message; called at most once per reader.
  std::function<void(const std::string&)> OnError;

  explicit TVrPersistentStream(ByteReader& stream) : stream_(stream) {}

  // Count, that many new items, then each item as a stored object. A name index below -1 ends
  // the collection early (EStreamError); items added stay.
  void ReadCollection(TVrPersistentCollection& collection);
  // One stored object, then the pending references are retried.
  void ReadObject(TVrPersistentTarget& object);

 private:
  std::vector<PropertyInfo> Sequence(const TVrPersistentTarget& object) const;
  void ReadProperty(TVrPersistentTarget& object, const PropertyInfo& property);
  // Name form: the name, or empty when the index lies beyond NameTable.
  std::string ReadName();
  PersistentValue ReadScalar(PropertyType type);
  void ReadObjectProperty(TVrPersistentTarget& object, const PropertyInfo& property);
  void ResolvePending();
  void Report(const std::string& property, const std::string& message);

  ByteReader& stream_;
  bool reported_ = false;
};

// The reader prepared for the cursor collection of the project stream.
void ReadCursorCollection(ByteReader& body, std::vector<TVrCursorItem>& cursors,
                          const std::function<void(const std::string&)>& onError);

}  // namespace kpf::project
