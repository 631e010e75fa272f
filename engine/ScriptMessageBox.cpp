#include "engine/ScriptMessageBox.hpp"

#include <array>

namespace kpf::engine {

namespace {

struct BoxKind {
  const char* caption;
  platform::MessageBoxIcon icon;
};

constexpr std::array<BoxKind, 4> kKinds = {{{"Warning", platform::MessageBoxIcon::Warning},
                                            {"Error", platform::MessageBoxIcon::Error},
                                            {"Information", platform::MessageBoxIcon::Information},
                                            {"Confirm", platform::MessageBoxIcon::Question}}};

struct BoxButton {
  const char* label;
  int result;
};

// By bit number.
constexpr std::array<BoxButton, 10> kButtons = {{{"&Yes", kBoxYes},
                                                 {"&No", kBoxNo},
                                                 {"OK", kBoxOk},
                                                 {"Cancel", kBoxCancel},
                                                 {"&Abort", kBoxAbort},
                                                 {"&Retry", kBoxRetry},
                                                 {"&Ignore", kBoxIgnore},
                                                 {"&All", kBoxAll},
                                                 {"N&o to All", kBoxNoToAll},
                                                 {"Yes to &All", kBoxYesToAll}}};

}  // namespace

platform::MessageDialogRequest ScriptMessageBox(const std::string& text, int32_t type, int32_t buttonBits,
                                                const std::string& applicationTitle) {
  platform::MessageDialogRequest request;
  request.text = text;
  if (type >= 0 && static_cast<size_t>(type) < kKinds.size()) {
    request.caption = kKinds[static_cast<size_t>(type)].caption;
    request.icon = kKinds[static_cast<size_t>(type)].icon;
  } else {
    // Type 4, and stored values the authoring tool never writes, show the custom box.
    request.caption = applicationTitle;
    request.icon = platform::MessageBoxIcon::None;
  }
  const auto bits = static_cast<uint32_t>(buttonBits);
  for (size_t bit = 0; bit < kButtons.size(); ++bit) {
    if ((bits & (1u << bit)) != 0) request.buttons.push_back({kButtons[bit].label, kButtons[bit].result});
  }
  request.dismissResult = kBoxCancel;
  return request;
}

}  // namespace kpf::engine
