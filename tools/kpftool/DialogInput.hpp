#pragma once
// `kpftool run` input for project dialogs: typing into an edit, memo or combo box, clicking a
// control, button or dialog, and closing a dialog, as a user would on the headless desktop.
#include <functional>
#include <string>

#include "engine/TCustomKPFPlayer.hpp"

namespace kpf::tools {

enum class DialogInputKind { Text, Click, Close };

struct DialogInput {
  DialogInputKind kind = DialogInputKind::Click;
  std::string name;  // "DIALOG.OBJECT", an object name, or for closing a dialog's name
  std::string text;
};

// "NAME=TEXT" for text input, "NAME" otherwise; throws std::invalid_argument.
DialogInput ParseDialogInput(DialogInputKind kind, const std::string& what);

// Performs the input; `missing` gets the name when no shown dialog has it.
void ApplyDialogInput(engine::TCustomKPFPlayer& player, const DialogInput& input,
                      const std::function<void(const std::string& name)>& missing);

}  // namespace kpf::tools
