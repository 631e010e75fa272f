// Loading while the stream inflates: bulky bytes land in the frame data exactly as a whole-stream
// read would place them, however the stream's pieces fall, and damage anywhere in the stream
// loads nothing. Outlines made on first show equal the outlines of showing every frame in order.
#include <gtest/gtest.h>

#include <random>

#include "project/ProjectLoader.hpp"
#include "project/ProjectWriter.hpp"

using namespace kpf::project;

namespace {

std::vector<uint8_t> Noise(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes(size);
  for (auto& b : bytes) b = static_cast<uint8_t>(random() >> 24);
  return bytes;
}

// Packed pictures with noise (so they stay large when compressed), and sounds larger than the
// inflating window, so bulky bytes cross many of its pieces.
ProjectSource BulkySource() {
  ProjectSource source;
  for (unsigned i = 0; i < 3; ++i) {
    source.Images.push_back({.Width = 200, .Height = 150, .Form = 0, .Pixels = Noise(200 * 150 * 4, i)});
  }
  source.Images.push_back({.Width = 2, .Height = 1, .Form = 1, .Indices = {0, 1}, .Palette = {1, 2, 3, 255, 4, 5, 6, 128}});
  for (unsigned i = 0; i < 3; ++i) {
    source.Sounds.push_back({.Kind = 101, .Name = "s" + std::to_string(i), .Data = Noise(300000 + i * 77777, 10 + i)});
  }
  AnimationSource animation;
  animation.Name = "A";
  for (int i = 0; i < 4; ++i) animation.Frames.push_back({.BitmapIndex = i});
  source.Animations.push_back(animation);
  return source;
}

std::span<const uint8_t> Section(std::span<const uint8_t> stream, uint16_t wanted) {
  size_t at = std::string_view(kProjectMagic).size() + 1;
  while (at + 6 <= stream.size()) {
    const uint16_t tag = static_cast<uint16_t>(stream[at] | (stream[at + 1] << 8));
    const uint32_t length = stream[at + 2] | (stream[at + 3] << 8) | (stream[at + 4] << 16) | (uint32_t{stream[at + 5]} << 24);
    if (tag == wanted) return stream.subspan(at + 6, length);
    at += 6 + length;
  }
  return {};
}

}  // namespace

TEST(StreamedLoad, FrameDataHoldsTheImageBytesThenEachSoundAsStored) {
  const ProjectSource source = BulkySource();
  const std::vector<uint8_t> stream = WriteProjectStream(source);
  ProjectModel model;
  LoadProjectStream(CompressProject(stream), model);
  // The image section after its one-byte count, then the sounds' bytes one after another.
  std::vector<uint8_t> expected;
  const auto images = Section(stream, 651).subspan(1);
  expected.assign(images.begin(), images.end());
  for (const auto& sound : source.Sounds) expected.insert(expected.end(), sound.Data.begin(), sound.Data.end());
  const auto frameData = model.FrameData.Bytes();
  EXPECT_TRUE(std::equal(frameData.begin(), frameData.end(), expected.begin(), expected.end()));
  ASSERT_EQ(model.Sounds.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(model.Sounds[i].Name, source.Sounds[i].Name);
    EXPECT_TRUE(std::ranges::equal(model.Sounds[i].Data, source.Sounds[i].Data)) << i;
  }
  ASSERT_EQ(model.Bitmaps.size(), 4u);
  auto pixels = model.Bitmaps[1].Pixels();
  const auto& stored = source.Images[1].Pixels;
  EXPECT_EQ(pixels[123], static_cast<uint32_t>(stored[492] | (stored[493] << 8) | (stored[494] << 16) | (uint32_t{stored[495]} << 24)));
  EXPECT_EQ(model.Bitmaps[3].Pixels()[1], 0x80060504u);
}

TEST(StreamedLoad, DamageAnywhereInTheStreamLoadsNothingAndACutSoundSectionCountsNone) {
  const std::vector<uint8_t> stream = WriteProjectStream(BulkySource());
  std::vector<uint8_t> file = CompressProject(stream);
  // A damaged byte far into the stream (in the sounds), and a stream cut before its end.
  for (auto damage : {std::function<void(std::vector<uint8_t>&)>([](auto& f) { f[f.size() - 4] ^= 0x55; }),
                      std::function<void(std::vector<uint8_t>&)>([](auto& f) { f.resize(f.size() / 2); })}) {
    std::vector<uint8_t> damaged = file;
    damage(damaged);
    ProjectModel model;
    EXPECT_THROW(LoadProjectStream(damaged, model), EZDecompressionError);
    EXPECT_EQ(std::tuple(model.Bitmaps.empty(), model.Sounds.empty(), model.Variables.empty()), std::tuple(true, true, true));
  }
  // The inflated stream itself cut inside the sound section: the section is refused whole.
  std::vector<uint8_t> cut(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(stream.size() - 200000));
  ProjectModel model;
  EXPECT_THROW(LoadProjectStream(CompressProject(cut), model), EStreamError);
  EXPECT_EQ(std::tuple(model.Bitmaps.size(), model.Sounds.empty()), std::tuple(4u, true));
  // A limit below the stream's size refuses it.
  ProjectModel limited;
  LoadOptions options;
  options.MaxStreamBytes = stream.size() - 1;
  EXPECT_THROW(LoadProjectStream(file, limited, options), EZDecompressionError);
  EXPECT_TRUE(limited.Bitmaps.empty());
}

TEST(LazyOutlines, ShowingFramesInAnyOrderGivesTheOutlinesOfShowingThemInOrder) {
  // Two pictures on white: a dot, and a bar; frames repeat them so same-shape runs appear.
  ProjectSource source;
  std::vector<uint8_t> dot(4 * 4 * 4, 255), bar(4 * 4 * 4, 255);
  for (int i : {5}) std::fill_n(dot.begin() + i * 4, 3, 0);
  for (int i : {4, 5, 6}) std::fill_n(bar.begin() + i * 4, 3, 0);
  source.Images = {{.Width = 4, .Height = 4, .Form = 0, .Pixels = dot}, {.Width = 4, .Height = 4, .Form = 0, .Pixels = bar}};
  AnimationSource animation;
  animation.Name = "A";
  for (int image : {0, 0, 1, 1, 0, 1, 1}) {
    animation.Frames.push_back({.BitmapIndex = image, .UseTransparentColor = true, .TransparentColor = 0xFFFFFF});
  }
  animation.Frames[3].UseTransparentColor = false;  // an outline-less frame between equal ones
  source.Animations.push_back(animation);
  const std::vector<uint8_t> file = BuildProjectFile(source);
  ProjectModel inOrder, shuffled;
  LoadProjectStream(file, inOrder);
  LoadProjectStream(file, shuffled);
  inOrder.PrepareAllOutlines();
  const auto& frames = shuffled.Animations[0].Frames;
  for (size_t i : {6, 2, 4, 0, 5, 3, 1, 6}) shuffled.PrepareOutline(frames[i], 0);
  for (size_t i = 0; i < frames.size(); ++i) {
    const auto& a = inOrder.Animations[0].Frames[i].Variants[0];
    const auto& b = frames[i].Variants[0];
    EXPECT_EQ(std::tuple(a.Region, a.SameShape, a.FirstX, a.FirstY), std::tuple(b.Region, b.SameShape, b.FirstX, b.FirstY)) << i;
  }
  const auto& shown = inOrder.Animations[0].Frames;
  EXPECT_EQ(std::vector<bool>({shown[0].Variants[0].SameShape, shown[1].Variants[0].SameShape, shown[2].Variants[0].SameShape,
                               shown[4].Variants[0].SameShape, shown[5].Variants[0].SameShape, shown[6].Variants[0].SameShape}),
            std::vector<bool>({false, true, false, false, false, true}));
  EXPECT_TRUE(shown[3].Variants[0].Region.empty());
}
