#pragma once
// GDK enlarges every window of an X display by one whole factor (GDK_SCALE, or the desktop's
// own setting) and gives positions in X pixels divided by it. The character windows, the menu
// position and the pointer warp take X pixels, so they convert at this one place.
namespace kpf::platform::gtk {

// The display's window scale, at least 1.
int GdkWindowScale();

// X pixels to GDK's coordinates (rounding towards minus infinity), and a size rounded up.
int ToGdk(int pixels, int scale);
int ToGdkSize(int pixels, int scale);

}  // namespace kpf::platform::gtk
