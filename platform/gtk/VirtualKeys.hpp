#pragma once
// The key codes the player's key triggers compare against are the Windows virtual-key numbers.
// X reports keysyms; this maps the keys scripts use (letters, digits, arrows, editing and function
// keys, modifiers) and gives 0 for the rest.
#include <cstdint>

namespace kpf::platform::gtk {

// `keysym` should be the key's unshifted symbol, so that Shift+1 still gives the code of "1".
int VirtualKeyFromKeysym(uint32_t keysym);

}  // namespace kpf::platform::gtk
