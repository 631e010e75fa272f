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
// Drawing surfaces: making, showing and selecting them, and the tray icon from one.
std::span<const ActionEntry> SurfaceActions();
// Pen, brush, font and the figures, text and pixels drawn on the current surface.
std::span<const ActionEntry> DrawingActions();
// Text files, arrays from files, the file test, player copies and saved variables.
std::span<const ActionEntry> FileActions();
// Memory streams and their files.
std::span<const ActionEntry> StreamActions();
// Web addresses, documents and programs.
std::span<const ActionEntry> OpenActions();
// Internet transfers and characters loaded from memory.
std::span<const ActionEntry> NetActions();
// The character window, the pointer, the application's windows and the message box.
std::span<const ActionEntry> WindowActions();
// The notification-area icon: balloons, pictures and the icon animation.
std::span<const ActionEntry> TrayActions();
// Project dialogs: show, hide, close, browser commands, pictures from streams.
std::span<const ActionEntry> DialogActions();
// Control properties of dialog objects, menu entries, sound files and the trigger sender.
std::span<const ActionEntry> ControlActions();

}  // namespace kpf::engine::actions
