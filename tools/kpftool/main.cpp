// kpftool: inspect, extract, build and play character packages from the command line.
#include <cstdio>
#include <cstring>
#include <exception>

#include "tools/kpftool/Command.hpp"

namespace {

using kpf::tools::Command;

const Command kCommands[] = {
    {"package", "package FILE [--pretty]    print the package header, records and trailer as JSON",
     kpf::tools::RunPackage},
    {"extract-resources", "extract-resources FILE DIR    write the package's resource files to DIR",
     kpf::tools::RunExtractResources},
    {"info", "info FILE [--no-pixels] [--pretty]    load the project and print its model as JSON",
     kpf::tools::RunInfo},
    {"eval", "eval [--vars FILE] [--seed S] EXPR|-    evaluate expressions as the player does",
     kpf::tools::RunEval},
    {"run", "run FILE [--seconds N] [--seed S] [--screen WxH] [--click X,Y@T] [--dblclick X,Y@T] "
            "[--drag X1,Y1:X2,Y2@T] [--key CODE@T] [--menu CAPTION@T] [--answer CODE@T] [--surfaces DIR] "
            "[--dialog-text NAME=TEXT@T] [--dialog-click NAME@T] [--dialog-close NAME@T] [--offline] "
            "[--allow-loopback] [--home DIR] [--trace]    play headless",
     kpf::tools::RunRun},
    {"extract", "extract FILE DIR    write the project as an editable source folder",
     kpf::tools::RunExtract},
    {"pack", "pack DIR -o OUT [--package] [--player PATH]    build a project file or package "
             "from a source folder",
     kpf::tools::RunPack},
    {"check", "check FILE [--json]    report what in a character will not work (exit 1 on an error)",
     kpf::tools::RunCheck},
    {"convert", "convert FILE -o OUT [--package] [--player PATH]    a package to a project file with a "
                "sidecar header and resource folder, or a project file to a package",
     kpf::tools::RunConvert},
};

int Usage() {
  std::fputs("usage: kpftool COMMAND ...\n", stderr);
  for (const auto& command : kCommands) std::fprintf(stderr, "  kpftool %s\n", command.usage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  kpf::tools::Arguments args(argv + 2, argv + argc);
  for (const auto& command : kCommands) {
    if (std::strcmp(argv[1], command.name) != 0) continue;
    try {
      return command.run(args);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "kpftool %s: %s\n", command.name, error.what());
      return 1;
    }
  }
  return Usage();
}
