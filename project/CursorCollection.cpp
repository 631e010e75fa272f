// The custom cursors of a project as a persistent collection: HotSpotX, HotSpotY,
// TransparentColor and Bitmap, in that order.
#include <string_view>

#include "project/PersistentStream.hpp"
#include "project/TTaviVariable.hpp"

namespace kpf::project {

namespace {

class CursorTarget : public TVrPersistentTarget {
 public:
  explicit CursorTarget(TVrCursorItem& item) : item_(item) {}

  std::vector<PropertyInfo> Properties() const override {
    return {{"hotspotx", PropertyType::Integer},
            {"hotspoty", PropertyType::Integer},
            {"transparentcolor", PropertyType::Integer},
            {"bitmap", PropertyType::Object}};
  }

  bool SetProperty(std::string_view name, const PersistentValue& value) override {
    if (SameText(name, "bitmap")) return SetBitmap(value);
    const auto* number = std::get_if<int64_t>(&value);
    if (!number) return false;
    int32_t v = static_cast<int32_t>(*number);
    if (SameText(name, "hotspotx")) item_.HotSpotX = v;
    else if (SameText(name, "hotspoty")) item_.HotSpotY = v;
    else if (SameText(name, "transparentcolor")) item_.TransparentColor = v;
    else return false;
    return true;
  }

 private:
  bool SetBitmap(const PersistentValue& value) {
    if (std::holds_alternative<PersistentEmpty>(value)) {
      item_.Bitmap.clear();
      return true;
    }
    if (const auto* picture = std::get_if<PersistentPicture>(&value)) {
      item_.Bitmap = picture->Bytes;
      return true;
    }
    return false;
  }

  TVrCursorItem& item_;
};

class CursorCollection : public TVrPersistentCollection {
 public:
  explicit CursorCollection(std::vector<TVrCursorItem>& items) : items_(items) {}

  void AddItems(size_t count) override {
    items_.resize(items_.size() + count);
    targets_.clear();
    for (auto& item : items_) targets_.emplace_back(item);
  }
  size_t Count() const override { return items_.size(); }
  TVrPersistentTarget& Item(size_t index) override { return targets_.at(index); }

 private:
  std::vector<TVrCursorItem>& items_;
  std::vector<CursorTarget> targets_;
};

}  // namespace

void ReadCursorCollection(ByteReader& body, std::vector<TVrCursorItem>& cursors,
                          const std::function<void(const std::string&)>& onError) {
  TVrPersistentStream reader(body);
  reader.NameTable = {"hotspotx", "hotspoty", "transparentcolor"};
  reader.OnError = onError;
  CursorCollection collection(cursors);
  reader.ReadCollection(collection);
}

}  // namespace kpf::project
