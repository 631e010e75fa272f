#pragma once
// The action families, one unit each; StandardActions() puts them into one table.
#include <span>

#include "engine/actions/ActionTable.hpp"

namespace kpf::engine::actions {

// If/While/For/Next/Break/Stop, Wait, CallScript, Exit.
std::span<const ActionEntry> FlowActions();
// SetText/SetNumber, conversions, random numbers, stored values, ClearVariable.
std::span<const ActionEntry> VariableActions();
// Mid/Left/Right/Find/Compare/Replace/Upper/Lower and TextLength.
std::span<const ActionEntry> TextActions();
// Script arrays of numbers and texts.
std::span<const ActionEntry> ArrayActions();
// User timers.
std::span<const ActionEntry> TimerActions();
// Animations, play lists, the speech hint, sounds, visibility, the popup menu.
std::span<const ActionEntry> CharacterActions();
// Further characters and copies of the player.
std::span<const ActionEntry> InstanceActions();
// The character window, the pointer, the application's windows and the message box.
std::span<const ActionEntry> WindowActions();
// The notification-area icon: balloons, pictures and the icon animation.
std::span<const ActionEntry> TrayActions();

}  // namespace kpf::engine::actions
