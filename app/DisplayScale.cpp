#include "app/DisplayScale.hpp"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string>

namespace kpf::app {

namespace {

constexpr int kMaxScale = 4;

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// A whole number of at least 1, as GDK reads GDK_SCALE; none otherwise.
std::optional<int> WholeScale(const char* text) {
  if (text == nullptr) return std::nullopt;
  const std::string_view value = Trimmed(text);
  int scale = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), scale);
  if (error != std::errc{} || end != value.data() + value.size() || scale < 1) return std::nullopt;
  return std::min(scale, kMaxScale);
}

}  // namespace

std::optional<double> XftDpi(std::string_view xResources) {
  std::optional<double> dpi;
  while (!xResources.empty()) {
    const size_t end = xResources.find('\n');
    const std::string_view line = xResources.substr(0, end);
    xResources = end == std::string_view::npos ? std::string_view{} : xResources.substr(end + 1);
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || Trimmed(line.substr(0, colon)) != "Xft.dpi") continue;
    // std::from_chars for double would do, but not every standard library has it yet.
    const std::string value(Trimmed(line.substr(colon + 1)));
    char* parsed = nullptr;
    const double number = std::strtod(value.c_str(), &parsed);
    // The last entry wins, as in the resource database.
    if (!value.empty() && parsed == value.c_str() + value.size() && number > 0) dpi = number;
  }
  return dpi;
}

int ChooseDisplayScale(std::optional<int> option, const char* gdkScale, std::string_view xResources) {
  if (option) return std::clamp(*option, 1, kMaxScale);
  if (const std::optional<int> gdk = WholeScale(gdkScale)) return *gdk;
  const std::optional<double> dpi = XftDpi(xResources);
  return dpi && *dpi >= kHighDpi ? 2 : 1;
}

}  // namespace kpf::app
