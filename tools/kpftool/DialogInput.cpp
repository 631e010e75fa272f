#include "tools/kpftool/DialogInput.hpp"

#include <stdexcept>

#include "platform/headless/HeadlessDialogWindow.hpp"

namespace kpf::tools {

namespace {

using platform::headless::HeadlessDialogControl;
using platform::headless::HeadlessDialogWindow;

HeadlessDialogWindow* WindowOf(dialogs::TTaviForm* form) {
  if (form == nullptr || !form->Window) return nullptr;
  return dynamic_cast<HeadlessDialogWindow*>(&form->Window->Window());
}

// The dialog that holds the object (a dialog object stands for its dialog).
dialogs::TTaviForm* FormHolding(engine::PlayerDialogs& dialogs, const dialogs::TMyObject* object) {
  for (const auto& form : dialogs.Forms()) {
    if (!form->Window) continue;
    for (const auto& candidate : form->Window->Objects) {
      if (candidate.get() == object) return form.get();
    }
  }
  return nullptr;
}

}  // namespace

DialogInput ParseDialogInput(DialogInputKind kind, const std::string& what) {
  DialogInput input;
  input.kind = kind;
  input.name = what;
  if (kind == DialogInputKind::Text) {
    const size_t equals = what.find('=');
    if (equals == std::string::npos) throw std::invalid_argument("bad dialog text (NAME=TEXT): " + what);
    input.name = what.substr(0, equals);
    input.text = what.substr(equals + 1);
  }
  if (input.name.empty()) throw std::invalid_argument("dialog input without a name: " + what);
  return input;
}

void ApplyDialogInput(engine::TCustomKPFPlayer& player, const DialogInput& input,
                      const std::function<void(const std::string& name)>& missing) {
  engine::PlayerDialogs& dialogs = player.Dialogs();
  if (input.kind == DialogInputKind::Close) {
    dialogs::TTaviForm* form = dialogs.ByName(input.name);
    if (form == nullptr) form = FormHolding(dialogs, dialogs.FindObject(input.name));
    HeadlessDialogWindow* window = WindowOf(form);
    if (window == nullptr || !window->Visible()) return missing(input.name);
    return window->UserClose();
  }
  dialogs::TMyObject* object = dialogs.FindObject(input.name);
  if (object == nullptr) return missing(input.name);
  if (object->Type() == dialogs::ObjectType::Form) {
    HeadlessDialogWindow* window = WindowOf(FormHolding(dialogs, object));
    if (window == nullptr || !window->Visible() || input.kind != DialogInputKind::Click) return missing(input.name);
    window->UserPressBackground(platform::MouseButton::Left, 0, 0);
    return window->UserReleaseBackground();
  }
  auto* control = dynamic_cast<HeadlessDialogControl*>(object->Control.get());
  if (control == nullptr) return missing(input.name);
  if (input.kind == DialogInputKind::Text) return control->UserType(input.text);
  if (control->Kind() == platform::DialogControlKind::PictureButton) return control->UserPressPicture();
  control->UserClick();
}

}  // namespace kpf::tools
