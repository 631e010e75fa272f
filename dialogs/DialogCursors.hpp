#pragma once
// The stored cursor ids of dialog objects: 0 is the default cursor, negative ids the stock
// cursors of the windowing layer, positive ids the project's own cursors (id n is cursor n - 1).
// Unknown ids show the default cursor.
#include <cstdint>
#include <functional>

#include "platform/DialogWindow.hpp"

namespace kpf::dialogs {

// `registered(index)` gives the platform number of project cursor `index`, 0 for none.
platform::DialogCursor CursorFor(int16_t id, const std::function<int(int)>& registered);

}  // namespace kpf::dialogs
