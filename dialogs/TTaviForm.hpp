#pragma once
// One project dialog: its id, name and stored definition, the window built from it and the
// Showing flag of the actions. A released window is rebuilt from the definition when the dialog
// is shown again; a window is released from the event loop, so nothing that still runs on it
// (its close script, a control event, a modal show) loses it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/DialogServices.hpp"
#include "dialogs/TfmCustomForm.hpp"
#include "project/ProjectRecords.hpp"

namespace kpf::dialogs {

class TTaviForm {
 public:
  TTaviForm(DialogServices& services, const project::TTaviDialog& stored);
  ~TTaviForm();
  TTaviForm(const TTaviForm&) = delete;
  TTaviForm& operator=(const TTaviForm&) = delete;

  int32_t ID = 0;
  std::string Name;
  std::vector<uint8_t> Definition;
  // The window, or null once released.
  std::shared_ptr<TfmCustomForm> Window;
  bool Showing = false;
  // Told when the dialog's window starts closing.
  std::function<void(TTaviForm&)> OnWindowClosing;

  // A new hidden window from the definition; an older one is released.
  void Build();
  // The window to show: rebuilt when it was released or is closing.
  TfmCustomForm& WindowForShow();
  // Hides the window and frees it once whatever uses it has returned.
  void ReleaseWindow();
  TMyForm* DialogObject() const { return Window ? Window->DialogObject : nullptr; }

 private:
  void WindowClosed(TfmCustomForm& window);

  DialogServices& services_;
};

}  // namespace kpf::dialogs
