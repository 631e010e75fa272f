// Internet transfers: the script waits (as Wait does) while a worker fetches the address, then
// the action takes its success or failure branch. The result goes only into a stream that is
// still live once the transfer has ended.
#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionFamilies.hpp"
#include "project/Errors.hpp"

namespace kpf::engine::actions {

namespace {

void Fire(ActionCall& call, int32_t scriptId) {
  const TriggerContext context = call.player.Context();
  call.player.FireScript(scriptId, context);
}

void TraceStream(ActionCall& call, int64_t handle, const MemoryStream& stream) {
  call.player.Trace(call.player.Line("stream").Int("handle", handle).Int("size", static_cast<int64_t>(stream.bytes.size())));
}

// Gives the stream variable `n` names the transfer's body (or empties it on failure); false when
// the variable names no live stream any more.
bool HandOver(ActionCall& call, size_t n, TransferOutcome& outcome) {
  const int64_t handle = call.Variable(n).AsInteger();
  MemoryStream* stream = call.player.Streams().Find(handle);
  if (stream == nullptr) return false;
  stream->bytes.clear();
  stream->position = 0;
  if (outcome.ok) {
    call.player.EnsureRoomFor(outcome.body.size());
    stream->bytes = std::move(outcome.body);
  }
  TraceStream(call, handle, *stream);
  return true;
}

// Delphi's ExtractFileExt: from the last "." after the last "\" or ":".
std::string AddressExtension(const std::string& address) {
  const size_t at = address.find_last_of(".\\:");
  if (at == std::string::npos || address[at] != '.') return {};
  std::string extension = address.substr(at);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

int CheckAddress(ActionCall& call) {
  if (!call.player.Transfer(call.T[0], kMaxTransferBytes).ok) Fire(call, call.RawInt(2));
  return kResultNext;
}

// A bare name goes into the documents folder; a name with a macro is expanded; one that names
// its folder stays as it is.
std::string DownloadTarget(ActionCall& call, const std::string& target) {
  if (target.find('{') != std::string::npos) return call.player.Evaluation().ExpandPathMacros(target);
  const bool namesFolder = target.find(':') != std::string::npos || target.starts_with('/');
  if (namesFolder) return target;
  return call.player.Evaluation().Folders.DocumentsFolder + "/" + target;
}

int DownloadToFile(ActionCall& call) {
  const TransferOutcome outcome = call.player.Transfer(call.T[0], kMaxTransferBytes);
  if (!outcome.ok) {
    Fire(call, call.RawInt(2));
    return kResultNext;
  }
  const std::string target = DownloadTarget(call, call.T[3]);
  const bool written = call.player.Files().Write(target, outcome.body);
  call.player.TraceFile(103, written ? call.player.Files().Locate(target, true) : std::nullopt);
  // A file that cannot be written abandons the action before its success script.
  if (!written) return kResultNext;
  Fire(call, call.RawInt(1));
  return kResultNext;
}

int TransferStream(ActionCall& call) {
  if (MemoryStream* stream = call.player.Streams().Find(call.Variable(3).AsInteger())) stream->bytes.clear();
  TransferOutcome outcome = call.player.Transfer(call.T[0], kMaxTransferBytes);
  HandOver(call, 3, outcome);
  return kResultNext;
}

int DownloadToStream(ActionCall& call) {
  TransferOutcome outcome = call.player.Transfer(call.T[0], kMaxTransferBytes);
  const bool live = HandOver(call, 3, outcome);
  Fire(call, call.RawInt(outcome.ok && live ? 1 : 2));
  return kResultNext;
}

int DownloadPicture(ActionCall& call) {
  TransferOutcome outcome = call.player.Transfer(call.T[0], kMaxTransferBytes);
  if (!outcome.ok) {
    Fire(call, call.RawInt(2));
    return kResultNext;
  }
  MemoryStream stream{std::move(outcome.body), 0};
  const int property = AddressExtension(call.T[0]) == ".gif" ? 21 : 20;
  call.player.SetObjectPictureFromStream(call.T[3], property, stream);
  Fire(call, call.RawInt(1));
  return kResultNext;
}

int DownloadCharacter(ActionCall& call) {
  const TransferOutcome outcome = call.player.Transfer(call.T[0], kMaxCharacterTransferBytes);
  if (!outcome.ok) {
    Fire(call, call.RawInt(2));
    return kResultNext;
  }
  if (const std::optional<int32_t> handle = call.player.LoadCharacterFromBytes(outcome.body)) call.Set(3, *handle);
  Fire(call, call.RawInt(1));
  return kResultNext;
}

int LoadCharacterFromStream(ActionCall& call) {
  const MemoryStream* stream = call.player.Streams().Find(call.Variable(0).AsInteger());
  if (stream == nullptr) return kResultNext;
  // A copy: the new character's start scripts may change or free the stream.
  const std::vector<uint8_t> bytes = stream->bytes;
  if (const std::optional<int32_t> handle = call.player.LoadCharacterFromBytes(bytes)) call.Set(1, *handle);
  return kResultNext;
}

constexpr ActionEntry kEntries[] = {
    {34, "TII", CheckAddress},       {103, "TIIT", DownloadToFile},   {166, "TIII", TransferStream},
    {218, "TIII", DownloadToStream}, {221, "TIIT", DownloadPicture},  {224, "TIII", DownloadCharacter},
    {225, "II", LoadCharacterFromStream},
};

}  // namespace

std::span<const ActionEntry> NetActions() { return kEntries; }

}  // namespace kpf::engine::actions
