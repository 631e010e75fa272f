// Memory streams through their actions: little-endian numbers, NUL-ended texts, handles that
// name nothing, seeks and writes outside the stream, and files with the stream extension rule.
#include "FileFixture.hpp"

namespace kpf::test {
namespace {

using project::TKPFExeAction;

constexpr int32_t H = 1, V = 2, W = 3, N = 4, T = 5;

class StreamActionsTest : public FileFixture {
 protected:
  std::unique_ptr<Harness<>> Streams(std::vector<std::vector<TKPFExeAction>> scripts) {
    return Make(std::move(scripts), {"H", "V", "W", "N"}, {"T"});
  }
};

TEST_F(StreamActionsTest, NumbersAndTextsAreLittleEndianAndReadsPastTheEndAreAbandoned) {
  auto h = Streams({{Act(201, {P::Var(H)}), Act(196, {P::Var(H), P::Text("300")}),
                     Act(197, {P::Var(H), P::Text("4660")}), Act(198, {P::Var(H), P::Text("0-2")}),
                     Act(199, {P::Var(H), P::Text("hi")}), Act(164, {P::Var(N), P::Var(H)}),
                     Act(163, {P::Var(H), P::Text("0")}), Act(192, {P::Var(V), P::Var(H)}),
                     Act(193, {P::Var(W), P::Var(H)})},
                    {Act(194, {P::Var(V), P::Var(H)}), Act(195, {P::Var(T), P::Var(H)}),
                     Act(165, {P::Var(N), P::Var(H)}), Act(192, {P::Var(V), P::Var(H)})}});
  h->Fire(1);
  EXPECT_EQ(h->Int("N"), 10);
  EXPECT_EQ(h->Int("V"), 44) << "300 written as one byte is its low 8 bits";
  EXPECT_EQ(h->Int("W"), 0x1234);
  const engine::MemoryStream* stream = h->player->Streams().Find(h->Int("H"));
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->bytes, (std::vector<uint8_t>{44, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 'h', 'i', 0}));
  h->Fire(2);
  EXPECT_EQ(h->Int("V"), -2) << "the read past the end left the variable as it was";
  EXPECT_EQ(h->Text("T"), "hi");
  EXPECT_EQ(h->Int("N"), 10);
}

TEST_F(StreamActionsTest, SeeksAndWritesStayInsideTheStreamAndGapsAreZero) {
  auto h = Streams({{Act(201, {P::Var(H)}), Act(163, {P::Var(H), P::Text("0-5")}), Act(165, {P::Var(N), P::Var(H)}),
                     Act(163, {P::Var(H), P::Text("3")}), Act(196, {P::Var(H), P::Text("7")}),
                     Act(163, {P::Var(H), P::Text("999999999")}), Act(196, {P::Var(H), P::Text("1")}),
                     Act(200, {P::Var(H)}), Act(165, {P::Var(V), P::Var(H)})}});
  h->Fire(1);
  EXPECT_EQ(h->Int("N"), 0) << "a negative seek is abandoned";
  EXPECT_EQ(h->Int("V"), 5) << "a seek beyond the cap is abandoned: the next byte follows the 7";
  EXPECT_EQ(h->player->Streams().Find(h->Int("H"))->bytes, (std::vector<uint8_t>{0, 0, 0, 7, 1}));
}

TEST_F(StreamActionsTest, HandlesNameOnlyLiveStreamsAndFreeingTwiceDoesNothing) {
  auto h = Streams({{Act(201, {P::Var(H)}), Act(22, {P::Var(W), P::Text("<%H%>")}), Act(199, {P::Var(H), P::Text("x")}),
                     Act(161, {P::Var(H)}), Act(161, {P::Var(H)}), Act(164, {P::Var(N), P::Var(W)}),
                     Act(199, {P::Var(W), P::Text("y")}), Act(22, {P::Var(V), P::Text("123456")}),
                     Act(199, {P::Var(V), P::Text("z")})}});
  h->player->Model.VariableByName("N")->SetValue(-7);
  h->Fire(1);
  EXPECT_EQ(h->Int("H"), 0);
  EXPECT_EQ(h->Int("N"), -7) << "a released handle names no stream";
  EXPECT_EQ(h->player->Streams().size(), 0u);
  EXPECT_EQ(h->Count("stream handle="), 2u) << "made and released once";
}

TEST_F(StreamActionsTest, CopyingAStreamOntoItselfKeepsItsBytes) {
  auto h = Streams({{Act(201, {P::Var(H)}), Act(201, {P::Var(V)}), Act(199, {P::Var(H), P::Text("abc")}),
                     Act(211, {P::Var(H), P::Var(H)}), Act(165, {P::Var(N), P::Var(H)}),
                     Act(211, {P::Var(H), P::Var(V)}), Act(212, {P::Var(H)}), Act(164, {P::Var(W), P::Var(H)})}});
  h->Fire(1);
  EXPECT_EQ(h->Int("N"), 0);
  EXPECT_EQ(h->player->Streams().Find(h->Int("V"))->bytes.size(), 4u);
  EXPECT_EQ(h->Int("W"), 0) << "cleared";
}

TEST_F(StreamActionsTest, StreamFilesTakeTheKpfdatExtensionUnlessTheyHaveItOrXml) {
  auto h = Streams({{Act(201, {P::Var(H)}), Act(199, {P::Var(H), P::Text("data")}),
                     Act(191, {P::Var(H), P::Text("plain")}), Act(191, {P::Var(H), P::Text("same.xml")}),
                     Act(191, {P::Var(H), P::Text("upper.KpfDat")}), Act(191, {P::Var(H), P::Text("note.txt")}),
                     Act(191, {P::Var(H), P::Text(Path("temp") + "\\mine")}), Act(191, {P::Var(H), P::Text("../outside/x")}),
                     Act(201, {P::Var(V)}), Act(190, {P::Var(V), P::Text("PLAIN")}), Act(164, {P::Var(N), P::Var(V)})}});
  h->Fire(1);
  for (const char* name : {"char/plain.KPFDAT", "char/same.xml", "char/upper.KpfDat", "char/note.txt.KPFDAT",
                           "temp/mine.KPFDAT"}) {
    EXPECT_EQ(Content(name), std::string("data") + '\0') << name;
  }
  EXPECT_FALSE(Exists("outside/x.KPFDAT"));
  EXPECT_TRUE(h->Traced("file action=191 name=\"refused\""));
  EXPECT_EQ(h->Int("N"), 5) << "loaded back through another case";
}

// A player keeps at most 1024 streams: the next NewStream stores 0, and a released one makes room.
TEST_F(StreamActionsTest, NewStreamBeyondTheBoundStoresZero) {
  auto h = Streams({{Act(201, {P::Var(H)})}, {Act(161, {P::Var(W)})}});
  for (size_t i = 0; i < engine::kMaxMemoryStreams; ++i) h->Fire(1);
  EXPECT_GT(h->Int("H"), 0);
  h->player->Model.VariableByName("W")->SetValue(h->Int("H"));
  h->Fire(1);
  EXPECT_EQ(h->Int("H"), 0);
  EXPECT_EQ(h->player->Streams().size(), engine::kMaxMemoryStreams);
  h->Fire(2);
  h->Fire(1);
  EXPECT_GT(h->Int("H"), 0);
}

// A stream holds at most 64 MiB: a write that would pass it, or a file larger than that, is
// abandoned and leaves the stream as it was.
TEST_F(StreamActionsTest, WritesAndLoadsBeyondTheStreamCapAreAbandoned) {
  auto h = Streams({{Act(201, {P::Var(H)})},
                    {Act(200, {P::Var(H)}), Act(197, {P::Var(H), P::Text("1")}), Act(196, {P::Var(H), P::Text("2")}),
                     Act(196, {P::Var(H), P::Text("3")})},
                    {Act(190, {P::Var(H), P::Text("big")})}});
  h->Fire(1);
  engine::MemoryStream* stream = h->player->Streams().Find(h->Int("H"));
  ASSERT_NE(stream, nullptr);
  stream->bytes.assign(engine::kMaxMemoryStreamBytes - 1, 'a');
  h->Fire(2);
  ASSERT_EQ(stream->bytes.size(), engine::kMaxMemoryStreamBytes) << "only the one byte fitted";
  EXPECT_EQ(stream->bytes.back(), 2);
  stream->bytes.assign(3, 'b');
  Put("char/big.KPFDAT", "");
  fs::resize_file(root_ / "char/big.KPFDAT", engine::kMaxMemoryStreamBytes + 1);  // sparse: costs no disk
  h->Fire(3);
  EXPECT_EQ(stream->bytes, std::vector<uint8_t>(3, 'b'));
}

TEST_F(StreamActionsTest, ATextLongerThanAVariableHoldsIsAbandoned) {
  auto h = Streams({{Act(201, {P::Var(H)})}, {Act(195, {P::Var(T), P::Var(H)})}});
  h->Fire(1);
  engine::MemoryStream* stream = h->player->Streams().Find(h->Int("H"));
  ASSERT_NE(stream, nullptr);
  stream->bytes.assign(engine::kMaxScriptTextBytes + 1, 'a');
  h->player->Model.VariableByName("T")->SetValue("before");
  h->Fire(2);
  EXPECT_EQ(h->Text("T"), "before");
}

}  // namespace
}  // namespace kpf::test
