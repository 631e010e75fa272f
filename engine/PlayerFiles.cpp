// What a character reaches outside itself: files (through the file-access rules), documents,
// programs and web addresses (through the document launcher), copies of the player, internet
// transfers, and characters loaded from memory.
#include <sys/stat.h>

#include <algorithm>
#include <chrono>

#include "desktop/HttpTransfer.hpp"
#include "engine/TCustomKPFPlayer.hpp"
#include "package/PackageWriter.hpp"
#include "project/Errors.hpp"
#include "project/Stream.hpp"
#include "sandbox/WebAddress.hpp"

namespace kpf::engine {

namespace {

// Mode of the package file, execute bits included; the copy keeps it (setuid and the like never).
unsigned PackageMode(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return 0644;
  return info.st_mode & 0777;
}

}  // namespace

size_t TCustomKPFPlayer::HeldBytes() const {
  size_t bytes = arrays_.Bytes() + streams_.Bytes();
  for (const project::TTaviVariable& variable : Model.Variables) bytes += variable.Value.TextBytes();
  return bytes;
}

void TCustomKPFPlayer::EnsureRoomFor(size_t extraBytes) const {
  if (extraBytes > kMaxPlayerBytes || HeldBytes() > kMaxPlayerBytes - extraBytes) {
    throw project::KpfError("the character holds too much memory");
  }
}

void TCustomKPFPlayer::TraceFile(int code, const std::optional<std::string>& path) {
  Trace(Line("file").Int("action", code).Text("name", path.value_or("refused")));
}

OpenOutcome TCustomKPFPlayer::OpenWebAddress(const std::string& address) {
  const OpenOutcome outcome = launcher_.OpenWebAddress(address);
  Trace(Line("open").Text("target", address).Text("state", OutcomeName(outcome)));
  return outcome;
}

OpenOutcome TCustomKPFPlayer::OpenDocument(const std::string& text, const std::string& arguments) {
  if (IsWebAddressText(text)) return OpenWebAddress(text);
  const std::string path = evaluation_.ResolveFileName(text);
  if (path.empty()) {
    Trace(Line("open").Text("target", text).Text("state", "refused"));
    return OpenOutcome::Refused;
  }
  const OpenOutcome outcome = launcher_.OpenFile(Title, path, arguments, [&] {
    Trace(Line("open").Text("target", path).Text("args", arguments).Text("state", "asked"));
  });
  Trace(Line("open").Text("target", path).Text("args", arguments).Text("state", OutcomeName(outcome)));
  return outcome;
}

void TCustomKPFPlayer::OpenDocumentFrame(const std::string& document) {
  if (closing_ || closed_) return;
  OpenDocument(document, "");
}

bool TCustomKPFPlayer::SavePlayerCopy(const std::string& name) {
  if (options_.preview || options_.packagePath.empty()) return false;
  try {
    const std::vector<uint8_t> package = project::ReadWholeFile(options_.packagePath);
    const std::vector<uint8_t> copy = package::BuildPackageCopy(package, ChangedStoredValues());
    const bool written = files_.WritePlayerCopy(name, copy, PackageMode(options_.packagePath));
    TraceFile(155, written ? files_.Locate(name, true) : std::nullopt);
    return written;
  } catch (const std::exception&) {
    // No package, a damaged one, or one that cannot be read: nothing is written.
    TraceFile(155, std::nullopt);
    return false;
  }
}

TransferOutcome TCustomKPFPlayer::Transfer(const std::string& url, size_t maxBodyBytes) {
  const auto fail = [&](std::string reason) {
    Trace(Line("net").Text("address", url).Text("failure", reason));
    return TransferOutcome{false, {}, std::move(reason)};
  };
  if (options_.offline || saved_.OfflineByUser()) return fail("offline");
  if (!sandbox::IsAllowedTransferAddress(url)) return fail("refused address");
  std::shared_ptr<desktop::HttpTransfer> transfer = desktop::HttpTransfer::Start(
      {.url = url, .maxBodyBytes = maxBodyBytes, .allowLoopback = options_.allowLoopbackTransfers});
  if (!transfer) return fail("too many transfers");
  // Waits as the Wait action does: the loop runs (the character animates, timers and menus
  // work), and the player's stop flag ends the wait as a failure.
  constexpr uint32_t kSliceMs = 10;
  while (!transfer->Done()) {
    if (RunMustEnd()) {
      transfer->Cancel();
      return fail("stopped");
    }
    platform_.Loop().ProcessEventsFor(kSliceMs);
    transfer->WaitFor(std::chrono::milliseconds(2));
  }
  desktop::TransferResult result = transfer->TakeResult();
  if (RunMustEnd()) return fail("stopped");
  if (!result.ok) return fail(result.failure);
  Trace(Line("net").Text("address", url).Int("bytes", static_cast<int64_t>(result.body.size())));
  return {true, std::move(result.body), {}};
}

std::optional<int32_t> TCustomKPFPlayer::LoadCharacterFromBytes(std::span<const uint8_t> bytes) {
  if (!mainForm_.createPlayerFromBytes) return std::nullopt;
  const int32_t handle = mainForm_.createPlayerFromBytes(OwnHandle(), bytes);
  // Unlike characters loaded from files, these take no number from the child-instance counter.
  Trace(Line("character").Int("bytes", static_cast<int64_t>(bytes.size())).Int("handle", handle));
  return handle;
}

}  // namespace kpf::engine
