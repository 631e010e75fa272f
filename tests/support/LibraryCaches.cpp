// GTK, fontconfig, Pango and friends keep process-lifetime caches (the font configuration, the
// font map of the thread) that the leak checker would report at exit. Linked into the test
// programs that draw text or use the desktop libraries.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libgtk-3\nleak:libgdk-3\nleak:libglib-2.0\nleak:libgobject-2.0\nleak:libgio-2.0\n"
         "leak:libfontconfig\nleak:libpango\nleak:libcairo\nleak:libX11\nleak:libatk\nleak:libatk-bridge\n"
         "leak:libdbus\nleak:libharfbuzz\nleak:libpixman\nleak:libgdk_pixbuf\nleak:libepoxy\n";
}
