#include "SampleArt.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace kpf::samples {

namespace {

struct Layer {
  std::function<bool(double, double)> inside;
  uint32_t rgb;
};

bool InEllipse(double x, double y, double cx, double cy, double rx, double ry) {
  if (rx <= 0 || ry <= 0) return false;
  const double dx = (x - cx) / rx;
  const double dy = (y - cy) / ry;
  return dx * dx + dy * dy <= 1.0;
}

// Distance from (x, y) to the segment a-b is at most `radius`.
bool InCapsule(double x, double y, double ax, double ay, double bx, double by, double radius) {
  const double vx = bx - ax, vy = by - ay;
  const double length2 = vx * vx + vy * vy;
  double t = length2 > 0 ? ((x - ax) * vx + (y - ay) * vy) / length2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  const double dx = x - (ax + t * vx), dy = y - (ay + t * vy);
  return dx * dx + dy * dy <= radius * radius;
}

// A five-pointed star as a polar test.
bool InStar(double x, double y, double cx, double cy, double radius) {
  const double dx = x - cx, dy = y - cy;
  const double angle = std::atan2(dy, dx);
  const double wave = 0.55 + 0.45 * std::cos(5 * angle);
  return std::sqrt(dx * dx + dy * dy) <= radius * wave;
}

// The scene back to front; the first layer in reverse order that contains a point colours it.
std::vector<Layer> Scene(const PipPose& pose) {
  const double s = pose.scale;
  const double rx = 25 * (1 + pose.squash) * s;
  const double ry = 22 * (1 - pose.squash) * s;
  const double ground = 66 - pose.lift;
  const double cx = 36;
  const double cy = ground - ry - 3 * s;
  std::vector<Layer> layers;
  // Feet behind the body.
  for (int side : {-1, 1}) {
    const double footX = cx + side * 11 * s + (side < 0 ? pose.step : -pose.step) * 4 * s;
    const double footLift = (side < 0 ? std::max(0.0, pose.step) : std::max(0.0, -pose.step)) * 3;
    layers.push_back({[=](double x, double y) { return InEllipse(x, y, footX, ground - 2 * s - footLift, 7 * s, 4 * s); },
                      0x7A3B12});
  }
  // Antenna: a stalk with a glowing ball.
  const double baseX = cx, baseY = cy - ry + 2;
  const double tipX = baseX + std::sin(pose.antennaSwing) * 13 * s;
  const double tipY = baseY - std::cos(pose.antennaSwing) * 13 * s;
  layers.push_back({[=](double x, double y) { return InCapsule(x, y, baseX, baseY, tipX, tipY, 1.6 * s); }, 0x7A3B12});
  layers.push_back({[=](double x, double y) { return InEllipse(x, y, tipX, tipY, 4 * s, 4 * s); }, 0xFFE14D});
  // Body with a darker rim and a lighter belly.
  layers.push_back({[=](double x, double y) { return InEllipse(x, y, cx, cy, rx, ry); }, 0xC8641E});
  layers.push_back({[=](double x, double y) { return InEllipse(x, y, cx, cy, rx - 2.2 * s, ry - 2.2 * s); }, 0xF59A3A});
  layers.push_back({[=](double x, double y) { return InEllipse(x, y, cx, cy + ry * 0.35, rx * 0.55, ry * 0.45); },
                    0xFFD39A});
  // Eyes.
  for (int side : {-1, 1}) {
    const double ex = cx + side * 9 * s, ey = cy - ry * 0.25;
    if (pose.dizzy) {
      layers.push_back({[=](double x, double y) {
                          return InCapsule(x, y, ex - 4 * s, ey - 4 * s, ex + 4 * s, ey + 4 * s, 1.3 * s) ||
                                 InCapsule(x, y, ex - 4 * s, ey + 4 * s, ex + 4 * s, ey - 4 * s, 1.3 * s);
                        },
                        0x2B1A10});
      continue;
    }
    const double open = std::max(0.12, pose.eyesOpen);
    layers.push_back({[=](double x, double y) { return InEllipse(x, y, ex, ey, 6 * s, 7 * s * open); }, 0xFFFFFF});
    if (pose.eyesOpen > 0.3) {
      const double px = ex + pose.look * 2.5 * s;
      layers.push_back({[=](double x, double y) { return InEllipse(x, y, px, ey + 1, 3 * s, 3.5 * s * open); }, 0x2B1A10});
      layers.push_back({[=](double x, double y) { return InEllipse(x, y, px + 1 * s, ey - 1, 1 * s, 1 * s); }, 0xFFFFFF});
    }
  }
  // Mouth.
  const double my = cy + ry * 0.2;
  if (pose.mouthOpen) {
    layers.push_back({[=](double x, double y) { return InEllipse(x, y, cx, my + 2, 4 * s, 4 * s); }, 0x7A1F12});
  } else {
    layers.push_back({[=](double x, double y) {
                        return InEllipse(x, y, cx, my, 6 * s, 3.5 * s) && !InEllipse(x, y, cx, my - 1.6 * s, 6 * s, 3.2 * s);
                      },
                      0x7A1F12});
  }
  // Stars circling the head.
  if (pose.dizzy) {
    for (int n = 0; n < 3; ++n) {
      const double angle = pose.starPhase + n * 2 * std::numbers::pi / 3;
      const double sx = cx + std::cos(angle) * 24, sy = cy - ry - 2 + std::sin(angle) * 6;
      layers.push_back({[=](double x, double y) { return InStar(x, y, sx, sy, 6); }, 0xFFE14D});
    }
  }
  return layers;
}

const Layer* Hit(const std::vector<Layer>& layers, double x, double y) {
  for (auto it = layers.rbegin(); it != layers.rend(); ++it) {
    if (it->inside(x, y)) return &*it;
  }
  return nullptr;
}

}  // namespace

std::vector<uint32_t> DrawPip(const PipPose& pose, PipEdges edges, int size) {
  const std::vector<Layer> layers = Scene(pose);
  std::vector<uint32_t> pixels(static_cast<size_t>(size) * size);
  // The scene is laid out on a kPipSize square; other sizes sample it scaled.
  const double unit = static_cast<double>(kPipSize) / size;
  constexpr int kSamples = 4;  // 4 × 4 samples per pixel give the soft edges
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      uint32_t& out = pixels[static_cast<size_t>(y) * size + x];
      if (edges == PipEdges::ColourKey) {
        const Layer* layer = Hit(layers, (x + 0.5) * unit, (y + 0.5) * unit);
        out = 0xFF000000u | (layer != nullptr ? layer->rgb : kPipKeyColour);
        continue;
      }
      uint32_t r = 0, g = 0, b = 0, covered = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const Layer* layer = Hit(layers, (x + (sx + 0.5) / kSamples) * unit, (y + (sy + 0.5) / kSamples) * unit);
          if (layer == nullptr) continue;
          ++covered;
          r += (layer->rgb >> 16) & 0xFF;
          g += (layer->rgb >> 8) & 0xFF;
          b += layer->rgb & 0xFF;
        }
      }
      if (covered == 0) {
        out = 0;
        continue;
      }
      const uint32_t alpha = covered * 255 / (kSamples * kSamples);
      out = (alpha << 24) | ((r / covered) << 16) | ((g / covered) << 8) | (b / covered);
    }
  }
  return pixels;
}

}  // namespace kpf::samples
