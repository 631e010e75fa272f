#include "tools/kpftool/PackImages.hpp"

#include <stdexcept>

#include "project/TVrBitmap.hpp"
#include "render/PngFile.hpp"
#include "tools/kpftool/JsonFields.hpp"
#include "tools/kpftool/SourceFiles.hpp"

namespace kpf::tools {

namespace {

// PNG pixels (0xAARRGGBB, top row first) as the stored B,G,R,A bytes.
std::vector<uint8_t> StoredPixels(const render::PngImage& png) {
  std::vector<uint8_t> bytes;
  bytes.reserve(png.pixels.size() * 4);
  for (uint32_t argb : png.pixels) {
    bytes.push_back(static_cast<uint8_t>(argb));
    bytes.push_back(static_cast<uint8_t>(argb >> 8));
    bytes.push_back(static_cast<uint8_t>(argb >> 16));
    bytes.push_back(static_cast<uint8_t>(argb >> 24));
  }
  return bytes;
}

}  // namespace

int32_t PackImages::AddFile(const std::string& reference, const std::string& context) {
  auto known = byFile_.find(reference);
  if (known != byFile_.end()) return known->second;
  std::vector<uint8_t> file;
  render::PngImage png;
  try {
    file = ReadReferencedFile(folder_, reference);
    png = render::ReadPngFromMemory(file);
  } catch (const std::exception& error) {
    throw std::runtime_error(context + ": " + reference + ": " + error.what());
  }
  project::ImageSource image;
  image.Width = png.width;
  image.Height = png.height;
  image.Form = project::TVrBitmap::kFormPacked;
  image.Pixels = StoredPixels(png);
  images_.push_back(std::move(image));
  auto index = static_cast<int32_t>(images_.size() - 1);
  byFile_.emplace(reference, index);
  return index;
}

void PackImages::ReadList(const Json& items, const std::string& context) {
  for (size_t i = 0; i < items.size(); ++i) {
    std::string where = Indexed(context, i);
    if (items[i].is_string()) {
      AddFile(items[i].get<std::string>(), where);
      continue;
    }
    JsonFields fields(items[i], where);
    if (fields.Int("copyKind", 0, 0, 2) != 0) continue;
    if (fields.Has("file")) {
      // Every listed entry is its own image, even when two entries name one file.
      size_t before = images_.size();
      int32_t index = AddFile(fields.Reference("file"), where);
      if (images_.size() == before) images_.push_back(images_[static_cast<size_t>(index)]);
      continue;
    }
    project::ImageSource image;
    image.Form = static_cast<uint8_t>(fields.Int("form", 0, 0, 255));
    image.Width = static_cast<int32_t>(fields.Int("width", 0, 0, project::TVrBitmap::kMaxSide));
    image.Height = static_cast<int32_t>(fields.Int("height", 0, 0, project::TVrBitmap::kMaxSide));
    // An empty picture (a side of 0) has pixel data of nothing, which needs no file.
    const bool withPixels = image.Form == project::TVrBitmap::kFormPacked || image.Form == project::TVrBitmap::kFormPalette;
    if (withPixels && image.Width != 0 && image.Height != 0)
      fields.Fail("file", "an image with pixels needs a PNG file");
    images_.push_back(std::move(image));
  }
}

int32_t PackImages::Resolve(const Json& image, const std::string& context) {
  if (image.is_string()) return AddFile(image.get<std::string>(), context);
  auto index = JsonInt(image, context, 0, INT32_MAX);
  if (index >= static_cast<int64_t>(images_.size()))
    throw std::runtime_error(context + ": image index " + std::to_string(index) +
                             " is beyond the " + std::to_string(images_.size()) + " images");
  return static_cast<int32_t>(index);
}

}  // namespace kpf::tools
