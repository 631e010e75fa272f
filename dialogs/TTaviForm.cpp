#include "dialogs/TTaviForm.hpp"

namespace kpf::dialogs {

TTaviForm::TTaviForm(DialogServices& services, const project::TTaviDialog& stored)
    : ID(stored.ID), Name(stored.Name), Definition(stored.Definition), services_(services) {}

TTaviForm::~TTaviForm() {
  if (Window) Window->Detach();
}

void TTaviForm::Build() {
  ReleaseWindow();
  Window = std::make_shared<TfmCustomForm>(services_);
  Window->OnClosing = [this](TfmCustomForm&) {
    if (OnWindowClosing) OnWindowClosing(*this);
  };
  Window->OnClosed = [this](TfmCustomForm& window) { WindowClosed(window); };
  Window->LoadDefinition(Definition);
}

TfmCustomForm& TTaviForm::WindowForShow() {
  if (!Window || Window->Closing()) Build();
  return *Window;
}

void TTaviForm::ReleaseWindow() {
  if (!Window) return;
  std::shared_ptr<TfmCustomForm> released = std::move(Window);
  Window.reset();
  released->Detach();
  // The last holder frees it: this task, or an event or modal run of the window still on the
  // stack below us.
  services_.Desktop().Loop().Post([released] {});
}

// A close script may already have shown the dialog again in a new window; that one stays.
void TTaviForm::WindowClosed(TfmCustomForm& window) {
  if (Window.get() != &window) return;
  Showing = false;
  ReleaseWindow();
}

}  // namespace kpf::dialogs
