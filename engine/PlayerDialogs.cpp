#include "engine/PlayerDialogs.hpp"

#include "dialogs/DialogCursors.hpp"
#include "engine/TCustomKPFPlayer.hpp"
#include "project/TTaviVariable.hpp"
#include "sandbox/FileAccess.hpp"

namespace kpf::engine {

namespace {

dialogs::ShowMode ModeOf(int mode) {
  if (mode == 1) return dialogs::ShowMode::Modal;
  if (mode == 2) return dialogs::ShowMode::Front;
  return dialogs::ShowMode::Show;
}

}  // namespace

PlayerDialogs::PlayerDialogs(TCustomKPFPlayer& player) : player_(player) {}

PlayerDialogs::~PlayerDialogs() {
  *alive_ = false;
  forms_.clear();
}

void PlayerDialogs::SetWindowQueries(std::function<std::optional<platform::Rect>()> ownerWindow,
                                     std::function<int(int)> cursorNumber) {
  ownerWindow_ = std::move(ownerWindow);
  cursorNumber_ = std::move(cursorNumber);
}

void PlayerDialogs::Load(const std::vector<project::TTaviDialog>& stored) {
  Clear();
  for (const auto& dialog : stored) {
    auto form = std::make_unique<dialogs::TTaviForm>(*this, dialog);
    form->OnWindowClosing = [this](dialogs::TTaviForm& closing) { WindowClosing(closing); };
    form->Build();
    form->Window->SetStayOnTop(stayOnTop_);
    forms_.push_back(std::move(form));
  }
}

void PlayerDialogs::Clear() { forms_.clear(); }

dialogs::TTaviForm* PlayerDialogs::ById(int32_t id) const {
  dialogs::TTaviForm* found = nullptr;
  for (const auto& form : forms_) {
    if (form->ID == id) found = form.get();
  }
  return found;
}

dialogs::TTaviForm* PlayerDialogs::ByName(std::string_view name) const {
  dialogs::TTaviForm* found = nullptr;
  for (const auto& form : forms_) {
    if (project::SameText(form->Name, name)) found = form.get();
  }
  return found;
}

// ---- actions -----------------------------------------------------------------------------------

bool PlayerDialogs::Show(int32_t id, int mode) {
  dialogs::TTaviForm* form = ById(id);
  if (form == nullptr) return false;
  std::shared_ptr<dialogs::TfmCustomForm> window = form->WindowForShow().shared_from_this();
  window->SetStayOnTop(stayOnTop_);
  form->Showing = true;
  player_.Trace(player_.Line("dialog-show").Int("id", id).Text("name", form->Name).Int("mode", mode));
  window->ShowDialog(ModeOf(mode));
  return true;
}

bool PlayerDialogs::Hide(int32_t id) {
  dialogs::TTaviForm* form = ById(id);
  if (form == nullptr) return false;
  if (form->Window) form->Window->Hide();
  form->Showing = false;
  player_.Trace(player_.Line("dialog-hide").Int("id", id).Text("name", form->Name));
  return true;
}

void PlayerDialogs::HideAll() {
  for (const auto& form : forms_) {
    if (!form->Showing) continue;
    if (form->Window) form->Window->Hide();
    form->Showing = false;
    player_.Trace(player_.Line("dialog-hide").Int("id", form->ID).Text("name", form->Name));
  }
}

bool PlayerDialogs::CloseDialog(int32_t id) {
  dialogs::TTaviForm* form = ById(id);
  if (form == nullptr) return false;
  form->Showing = false;
  const bool hadWindow = form->Window != nullptr;
  form->ReleaseWindow();
  if (hadWindow) player_.Trace(player_.Line("dialog-close").Int("id", id).Text("name", form->Name));
  return true;
}

bool PlayerDialogs::ShowModalByName(std::string_view name) {
  const dialogs::TTaviForm* form = ByName(name);
  return form != nullptr && Show(form->ID, 1);
}

void PlayerDialogs::WindowClosing(dialogs::TTaviForm& form) {
  player_.Trace(player_.Line("dialog-close").Int("id", form.ID).Text("name", form.Name));
}

// ---- property interface ------------------------------------------------------------------------

dialogs::TfmCustomForm* PlayerDialogs::WindowWithObject(std::string_view name, dialogs::TMyObject** object) const {
  dialogs::TfmCustomForm* found = nullptr;
  for (const auto& form : forms_) {
    if (!form->Window) continue;
    if (dialogs::TMyObject* candidate = form->Window->FindObject(name)) {
      found = form->Window.get();
      *object = candidate;
    }
  }
  return found;
}

dialogs::TMyObject* PlayerDialogs::FindObject(std::string_view name) const {
  dialogs::TMyObject* object = nullptr;
  WindowWithObject(name, &object);
  return object;
}

std::string PlayerDialogs::GetProperty(std::string_view name, int code) const {
  dialogs::TMyObject* object = nullptr;
  dialogs::TfmCustomForm* window = WindowWithObject(name, &object);
  return window ? window->GetProperty(*object, code) : std::string();
}

bool PlayerDialogs::SetProperty(std::string_view name, int code, const std::string& value) const {
  dialogs::TMyObject* object = nullptr;
  dialogs::TfmCustomForm* window = WindowWithObject(name, &object);
  return window != nullptr && window->SetProperty(*object, code, value);
}

bool PlayerDialogs::SetPicture(std::string_view name, int code, std::span<const uint8_t> bytes) const {
  dialogs::TMyObject* object = nullptr;
  dialogs::TfmCustomForm* window = WindowWithObject(name, &object);
  return window != nullptr && window->SetObjectPicture(name, code, bytes);
}

// ---- the player's dialogs as a whole -----------------------------------------------------------

int PlayerDialogs::VisibleCount() const {
  int count = 0;
  for (const auto& form : forms_) count += form->Window && form->Window->Visible() ? 1 : 0;
  return count;
}

bool PlayerDialogs::FullScreenShown() const {
  for (const auto& form : forms_) {
    const dialogs::TMyForm* object = form->DialogObject();
    if (form->Window && form->Window->Visible() && object != nullptr && object->FullScreen) return true;
  }
  return false;
}

void PlayerDialogs::MoveWindows(
    const std::function<std::optional<platform::Point>(const platform::Rect&)>& placed) {
  for (const auto& form : forms_) {
    if (!form->Window || !form->Window->Visible()) continue;
    platform::DialogWindow& window = form->Window->Window();
    if (const std::optional<platform::Point> to = placed(window.Bounds())) window.MoveTo(to->x, to->y);
  }
}

int PlayerDialogs::RequestCloseVisible() {
  int count = 0;
  for (const auto& form : forms_) {
    if (!form->Window || !form->Window->Visible()) continue;
    ++count;
    std::weak_ptr<dialogs::TfmCustomForm> window = form->Window;
    player_.Platform().Loop().Post([window] {
      if (auto live = window.lock()) live->Close();
    });
  }
  return count;
}

void PlayerDialogs::CloseAll() {
  for (const auto& form : forms_) {
    if (form->Window && form->Window->Visible()) {
      std::shared_ptr<dialogs::TfmCustomForm> window = form->Window;
      window->Close();
    }
    form->Showing = false;
    form->ReleaseWindow();
  }
}

void PlayerDialogs::SetStayOnTop(bool stayOnTop) {
  stayOnTop_ = stayOnTop;
  for (const auto& form : forms_) {
    if (form->Window) form->Window->SetStayOnTop(stayOnTop);
  }
}

// ---- DialogServices ----------------------------------------------------------------------------

platform::Platform& PlayerDialogs::Desktop() { return player_.Platform(); }

void PlayerDialogs::RunScript(int32_t scriptIndex, const std::shared_ptr<dialogs::TMyObject>& sender,
                              const std::string& firstName, const std::string& secondName) {
  TriggerContext context;
  context.sender = TriggerContext::SenderKind::Dialog;
  context.dialogObject = sender;
  context.firstName = firstName;
  context.secondName = secondName;
  player_.FireEventScript(scriptIndex, context);
}

bool PlayerDialogs::MustEnd() { return player_.RunMustEnd(); }

void PlayerDialogs::ShowPopupMenu(platform::Point) { player_.PopupMenuAtPointer(); }

// The same road as the web-address actions: the address rules, the character's rate bound and
// the "open" trace line.
bool PlayerDialogs::OpenAddress(const std::string& address) {
  return player_.OpenWebAddress(address) == OpenOutcome::Opened;
}

std::optional<std::vector<uint8_t>> PlayerDialogs::ReadFile(const std::string& name) {
  return player_.Files().Read(name, sandbox::kMaxTextFileBytes);
}

std::optional<std::vector<uint8_t>> PlayerDialogs::StreamBytes(int64_t handle) {
  const MemoryStream* stream = player_.Streams().Find(handle);
  if (stream == nullptr) return std::nullopt;
  return stream->bytes;
}

platform::DialogCursor PlayerDialogs::Cursor(int16_t cursor) { return dialogs::CursorFor(cursor, cursorNumber_); }

std::optional<platform::Rect> PlayerDialogs::OwnerWindow() {
  return ownerWindow_ ? ownerWindow_() : std::nullopt;
}

void PlayerDialogs::ControlEvent(const std::string& dialog, const std::string& object, std::string_view event,
                                 const std::string& value) {
  player_.Trace(
      player_.Line("control").Text("dialog", dialog).Text("name", object).Text("event", event).Text("value", value));
}

}  // namespace kpf::engine
