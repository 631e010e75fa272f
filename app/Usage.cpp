#include "app/Usage.hpp"

#ifndef KPF_VERSION
#define KPF_VERSION "unknown"
#endif

namespace kpf::app {

std::string UsageText() {
  return "usage: kpfplayer [SWITCH...] [FILE...]\n"
         "Plays desktop characters. Each FILE is a character package (a program with a package\n"
         "appended, whatever its name, such as a downloaded character .exe) or a project file (a\n"
         "name containing .kpf or .tmp); several files play several characters at once. Without a\n"
         "FILE it plays the package appended to this program, or else the bundled sample.\n"
         "\n"
         "  -h, --help       print this help and exit\n"
         "  --version        print the version and exit\n"
         "  --scale N        draw characters N times as large (1-4); by default GDK_SCALE, else 2\n"
         "                   when Xft.dpi is 168 or more, else 1\n"
         "  --monitor N      monitor N (from 0, as xrandr --listmonitors counts) is the screen;\n"
         "                   by default the primary monitor\n"
         "  --no-fullscreen-hide\n"
         "                   keep characters on screen over full-screen programs\n"
         "  -DLLfolder       folder of the media plug-ins (\"_$_\" stands for a space)\n"
         "  -KPFPATHfolder   CURRENT_FOLDER of a project file (\"_$_\" stands for a space)\n"
         "  -VSdtext         set project variable number d (0-9) to text after loading\n"
         "  -VEc             run as a secondary viewer titled ZIMR_PADOKc\n"
         "  -VHtitle         the title of the parent viewer\n"
         "  -SCRPREVIEW      behave as a running screen saver\n"
         "\n"
         "Switch names ignore case, except -SCRPREVIEW. Other arguments starting with a single\n"
         "dash are ignored.\n";
}

std::string VersionText() { return std::string("kpfplayer ") + KPF_VERSION + "\n"; }

}  // namespace kpf::app
