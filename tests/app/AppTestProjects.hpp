#pragma once
// Small projects for the app tests, written through the project writer, a scratch folder that
// stands in for the temporary folder and the settings store, and a raw message-socket sender.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "project/ProjectWriter.hpp"

namespace kpf::app::testing {

// Little-endian: also how a 0xAARRGGBB pixel is stored (B, G, R, A).
inline void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// `size` × `size` pixels of `argb`; with an `inner` size only the centred `inner` × `inner`
// square has it, on magenta (the colour key).
inline project::ImageSource Square(int size, uint32_t argb, int inner = -1) {
  project::ImageSource image{.Width = size, .Height = size};
  const int from = inner < 0 ? 0 : (size - inner) / 2, to = inner < 0 ? size : from + inner;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) PutU32(image.Pixels, x >= from && x < to && y >= from && y < to ? argb : 0xFFFF00FF);
  }
  return image;
}

// One animation of two 10 ms frames showing image `image` endlessly (repeat 0) at (x, y).
inline project::AnimationSource Showing(int32_t id, const std::string& name, uint16_t kind, int32_t image, int size,
                                        const std::string& x = "10", const std::string& y = "20") {
  project::AnimationSource animation;
  animation.Id = id;
  animation.Name = name;
  animation.Width = animation.Height = static_cast<uint16_t>(size);
  animation.EventIndex = kind;
  animation.RepeatCount = 0;
  animation.PosX = x;
  animation.PosY = y;
  animation.Frames = {{.BitmapIndex = image, .Duration = 10}, {.BitmapIndex = image, .Duration = 10}};
  return animation;
}

// The frames of these animations show magenta (the colour key of Square) as transparent.
inline void KeyOutMagenta(std::initializer_list<project::AnimationSource*> animations) {
  for (project::AnimationSource* animation : animations) {
    for (project::FrameSource& frame : animation->Frames) {
      frame.UseTransparentColor = true;
      frame.TransparentColor = 0xFF00FF;
    }
  }
}

// An action with packed parameters: texts (kind 1) and variable references (kind 13).
inline project::TKPFExeAction Action(int32_t type, const std::vector<std::pair<int32_t, std::string>>& params) {
  project::TKPFExeAction action;
  action.ActionType = type;
  action.Flags = 1;
  for (const auto& [kind, value] : params) {
    PutU32(action.ParamData, static_cast<uint32_t>(kind));
    if (kind == 1) {
      action.ParamData.insert(action.ParamData.end(), value.c_str(), value.c_str() + value.size() + 1);
    } else {
      PutU32(action.ParamData, static_cast<uint32_t>(std::stoi(value)));
    }
  }
  return action;
}

inline project::TTaviScript ScriptOf(int32_t id, int32_t trigger, std::vector<project::TKPFExeAction> actions) {
  return {.Id = id, .Name = "script" + std::to_string(id), .Description = {}, .Trigger = trigger,
          .Actions = std::move(actions)};
}

inline project::VariableSource Variable(int32_t id, const std::string& name, bool text, int32_t value = 0) {
  return {.ID = id, .Name = name, .Flags = static_cast<uint8_t>(text ? 1 : 0), .IntValue = value};
}

// A project of one endless animation of a solid square, draggable and kept running.
inline project::ProjectSource SimpleProject() {
  project::ProjectSource source;
  source.OptionFlags = {0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  source.Images.push_back(Square(8, 0xFF3060C0));
  source.Animations.push_back(Showing(1, "idle", 0, 0, 8));
  return source;
}

// The start of a Windows program image: the "MZ" header whose last field points at the "PE"
// signature, then a little code-like filler. Characters are delivered as such a file with their
// package appended.
inline std::vector<uint8_t> WindowsProgramImage() {
  std::vector<uint8_t> image(64, 0);
  image[0] = 'M';
  image[1] = 'Z';
  image[0x3C] = 64;  // e_lfanew
  for (const uint8_t byte : std::initializer_list<uint8_t>{'P', 'E', 0, 0, 0x4C, 0x01}) image.push_back(byte);
  image.resize(512, 0x90);
  return image;
}

// A character as downloaded: a Windows program image with the project's package appended.
inline std::vector<uint8_t> CharacterExecutable(const project::ProjectSource& source, const project::PackageHeader& header,
                                                const std::vector<project::PackageRecord>& records = {}) {
  const std::vector<uint8_t> block = project::CompressProject(project::WriteProjectStream(source));
  return project::BuildPackage(WindowsProgramImage(), block, header, records);
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The lines of a text, without their line breaks.
inline std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// In one read: the player program is tens of megabytes.
inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  std::vector<uint8_t> bytes(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0)));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return bytes;
}

// Connects to the message socket at `socketPath` and sends `bytes` as one packet; true when all
// of them went out.
inline bool SendPacket(const std::string& socketPath, const std::vector<uint8_t>& bytes) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath.size() >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
  const int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
  const bool sent = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
                    send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
  close(fd);
  return sent;
}

// A fresh folder, removed with everything in it at the end of the test.
class ScratchFolder {
 public:
  ScratchFolder() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("kpf-app-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace kpf::app::testing
