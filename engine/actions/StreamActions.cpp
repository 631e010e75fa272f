// Memory streams: bytes scripts build and read by a handle held in a variable, little-endian
// numbers, texts ending in a NUL byte, and files of them (".KPFDAT"). A handle that names no live
// stream makes the action do nothing; a read past the end, a negative seek and a write or load
// beyond the stream cap abandon the action.
#include <algorithm>
#include <cstring>

#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionFamilies.hpp"
#include "engine/actions/StreamFiles.hpp"
#include "project/Errors.hpp"
#include "sandbox/NameRules.hpp"

namespace kpf::engine::actions {

namespace {

using project::KpfError;

// Hn: the stream whose handle variable n holds; null when it names none.
MemoryStream* StreamOf(ActionCall& call, size_t n) {
  return call.player.Streams().Find(call.Variable(n).AsInteger());
}

void TraceStream(ActionCall& call, int64_t handle, const MemoryStream* stream) {
  call.player.Trace(call.player.Line("stream").Int("handle", handle).Int(
      "size", stream != nullptr ? static_cast<int64_t>(stream->bytes.size()) : -1));
}

const uint8_t* ReadBytes(MemoryStream& stream, size_t count) {
  if (stream.position > stream.bytes.size() || stream.bytes.size() - stream.position < count) {
    throw KpfError("Stream read error");
  }
  const uint8_t* at = stream.bytes.data() + stream.position;
  stream.position += count;
  return at;
}

// Writes at the position; a gap before it is zero-filled; the stream stays within its cap.
void WriteBytes(ActionCall& call, MemoryStream& stream, const void* data, size_t count) {
  const size_t end = stream.position + count;
  if (stream.position > kMaxMemoryStreamBytes || end > kMaxMemoryStreamBytes) throw KpfError("stream too large");
  if (end > stream.bytes.size()) {
    call.player.EnsureRoomFor(end - stream.bytes.size());
    stream.bytes.resize(end, 0);
  }
  if (count > 0) std::memcpy(stream.bytes.data() + stream.position, data, count);
  stream.position = end;
}

// Gives `stream` new contents, read from the start; the player's byte budget must hold the growth.
void ReplaceContents(ActionCall& call, MemoryStream& stream, std::vector<uint8_t> bytes) {
  if (bytes.size() > stream.bytes.size()) call.player.EnsureRoomFor(bytes.size() - stream.bytes.size());
  stream.bytes = std::move(bytes);
  stream.position = 0;
}

int FreeStream(ActionCall& call) {
  const int64_t handle = call.Variable(0).AsInteger();
  if (call.player.Streams().Free(handle)) TraceStream(call, handle, nullptr);
  if (handle != 0) call.Set(0, 0);
  return kResultNext;
}

int SeekStream(ActionCall& call) {
  MemoryStream* stream = StreamOf(call, 0);
  if (stream == nullptr) return kResultNext;
  if (call.N[1] < 0 || static_cast<size_t>(call.N[1]) > kMaxMemoryStreamBytes) throw KpfError("bad seek");
  stream->position = static_cast<size_t>(call.N[1]);
  return kResultNext;
}

int SizeOrPosition(ActionCall& call) {
  MemoryStream* stream = StreamOf(call, 1);
  if (stream == nullptr) return kResultNext;
  const size_t value = call.item.ActionType == 164 ? stream->bytes.size() : stream->position;
  call.Set(0, static_cast<int32_t>(value));
  return kResultNext;
}

int LoadStream(ActionCall& call) {
  MemoryStream* stream = StreamOf(call, 0);
  if (stream == nullptr) return kResultNext;
  const std::string name = WithStreamFileExtension(call.T[1]);
  std::optional<std::vector<uint8_t>> bytes = call.player.Files().Read(name, kMaxMemoryStreamBytes);
  call.player.TraceFile(190, bytes ? call.player.Files().Readable(name) : std::nullopt);
  if (!bytes) return kResultNext;
  ReplaceContents(call, *stream, std::move(*bytes));
  TraceStream(call, call.Variable(0).AsInteger(), stream);
  return kResultNext;
}

int SaveStream(ActionCall& call) {
  MemoryStream* stream = StreamOf(call, 0);
  if (stream == nullptr) return kResultNext;
  const std::string name = WithStreamFileExtension(call.T[1]);
  const bool written = call.player.Files().Write(name, stream->bytes);
  call.player.TraceFile(191, written ? call.player.Files().Locate(name, true) : std::nullopt);
  return kResultNext;
}

int ReadNumber(ActionCall& call) {
  MemoryStream* stream = StreamOf(call, 1);
  if (stream == nullptr) return kResultNext;
  const int type = call.item.ActionType;
  const size_t width = type == 192 ? 1 : type == 193 ? 2 : 4;
  const uint8_t* at = ReadBytes(*stream, width);
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= uint32_t{at[i]} << (8 * i);
  call.Set(0, static_cast<int32_t>(value));
  return kResultNext;
}

int ReadText(ActionCall& call) {
  MemoryStream* stream = StreamOf(call, 1);
  if (stream == nullptr) return kResultNext;
  if (stream->position > stream->bytes.size()) throw KpfError("Stream read error");
  const auto begin = stream->bytes.begin() + static_cast<std::ptrdiff_t>(stream->position);
  const auto nul = std::find(begin, stream->bytes.end(), uint8_t{0});
  std::string text(begin, nul);
  // The text and its NUL are read; a text cut by the end of the stream stops there.
  const size_t consumed = text.size() + (nul != stream->bytes.end() ? 1 : 0);
  call.Set(0, std::move(text));
  stream->position += consumed;
  return kResultNext;
}

int WriteNumber(ActionCall& call) {
  MemoryStream* stream = StreamOf(call, 0);
  if (stream == nullptr) return kResultNext;
  const int type = call.item.ActionType;
  const size_t width = type == 196 ? 1 : type == 197 ? 2 : 4;
  const auto value = static_cast<uint32_t>(call.N[1]);
  uint8_t bytes[4];
  for (size_t i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
  WriteBytes(call, *stream, bytes, width);
  return kResultNext;
}

int WriteText(ActionCall& call) {
  MemoryStream* stream = StreamOf(call, 0);
  if (stream == nullptr) return kResultNext;
  std::string text = call.T[1];
  text.push_back('\0');
  WriteBytes(call, *stream, text.data(), text.size());
  return kResultNext;
}

int SeekStreamEnd(ActionCall& call) {
  if (MemoryStream* stream = StreamOf(call, 0)) stream->position = stream->bytes.size();
  return kResultNext;
}

int NewStream(ActionCall& call) {
  const int32_t handle = call.player.Streams().Create();
  TraceStream(call, handle, call.player.Streams().Find(handle));
  call.Set(0, handle);
  return kResultNext;
}

int CopyStream(ActionCall& call) {
  MemoryStream* source = StreamOf(call, 0);
  MemoryStream* target = StreamOf(call, 1);
  if (source == nullptr || target == nullptr) return kResultNext;
  // One stream as source and target keeps its bytes (emptying it first would lose them).
  if (source != target) {
    ReplaceContents(call, *target, source->bytes);
  } else {
    target->position = 0;
  }
  TraceStream(call, call.Variable(1).AsInteger(), target);
  return kResultNext;
}

int ClearStream(ActionCall& call) {
  MemoryStream* stream = StreamOf(call, 0);
  if (stream == nullptr) return kResultNext;
  stream->bytes.clear();
  stream->bytes.shrink_to_fit();
  stream->position = 0;
  TraceStream(call, call.Variable(0).AsInteger(), stream);
  return kResultNext;
}

constexpr ActionEntry kEntries[] = {
    {161, "I", FreeStream},    {163, "IN", SeekStream},      {164, "II", SizeOrPosition}, {165, "II", SizeOrPosition},
    {190, "IT", LoadStream},   {191, "IT", SaveStream},      {192, "II", ReadNumber},     {193, "II", ReadNumber},
    {194, "II", ReadNumber},   {195, "II", ReadText},        {196, "IN", WriteNumber},    {197, "IN", WriteNumber},
    {198, "IN", WriteNumber},  {199, "IT", WriteText},       {200, "I", SeekStreamEnd},   {201, "I", NewStream},
    {211, "II", CopyStream},   {212, "I", ClearStream},
};

}  // namespace

std::span<const ActionEntry> StreamActions() { return kEntries; }

}  // namespace kpf::engine::actions
