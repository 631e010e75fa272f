#include "dialogs/PayloadIo.hpp"

#include "project/StreamPrimitives.hpp"

namespace kpf::dialogs {

uint8_t PayloadReader::Byte() { return project::ReadByte(stream_); }

int32_t PayloadReader::Int32() { return project::ReadInt32(stream_); }

std::string PayloadReader::Text() { return project::ReadNulString(stream_); }

std::vector<std::string> PayloadReader::Strings() { return project::ReadStrings(stream_); }

std::vector<uint8_t> PayloadReader::Block() {
  project::MemoryStream target;
  project::ReadSizedStream(stream_, target);
  return target.Release();
}

std::span<const uint8_t> PayloadReader::Take(size_t count) {
  if (count > Remaining()) throw project::EStreamError();
  const auto view = stream_.Data().subspan(Position(), count);
  stream_.SetPosition(static_cast<int64_t>(Position() + count));
  return view;
}

void PayloadWriter::Byte(uint8_t value) { project::WriteByte(stream_, value); }

void PayloadWriter::Int32(int32_t value) { project::WriteInt32(stream_, value); }

void PayloadWriter::Text(std::string_view text) { project::WriteNulString(stream_, text); }

void PayloadWriter::Strings(const std::vector<std::string>& list) { project::WriteStrings(stream_, list); }

void PayloadWriter::Block(std::span<const uint8_t> bytes) { project::WriteSizedBlock(stream_, bytes); }

void PayloadWriter::Bytes(std::span<const uint8_t> bytes) {
  if (!bytes.empty()) stream_.Write(bytes.data(), bytes.size());
}

}  // namespace kpf::dialogs
