// Drawing on the current surface: pen, brush and font, lines, rectangles, pixels, text, flood
// fill and animation frames. On an empty slot each of them does nothing.
#include <optional>

#include "desktop/PictureTransparency.hpp"
#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionFamilies.hpp"

namespace kpf::engine::actions {

namespace {

render::Canvas* Picture(ActionCall& call) {
  DrawingSurface* surface = call.player.Surfaces().Current();
  return surface != nullptr ? &surface->Picture : nullptr;
}

int SetPen(ActionCall& call) {
  if (render::Canvas* picture = Picture(call)) picture->SetPen(call.N[0], call.N[1], call.N[2], call.N[3]);
  return kResultNext;
}

int SetBrush(ActionCall& call) {
  if (render::Canvas* picture = Picture(call)) picture->SetBrush(call.N[0], call.N[1]);
  return kResultNext;
}

int SetFont(ActionCall& call) {
  if (render::Canvas* picture = Picture(call)) picture->SetFont(call.T[0], call.N[1], call.N[2], call.N[3]);
  return kResultNext;
}

int DrawText(ActionCall& call) {
  if (render::Canvas* picture = Picture(call)) picture->TextOut(call.N[0], call.N[1], call.T[2]);
  return kResultNext;
}

int FillRectangle(ActionCall& call) {
  if (render::Canvas* picture = Picture(call)) picture->FillRect(call.N[0], call.N[1], call.N[2], call.N[3]);
  return kResultNext;
}

int SetPixel(ActionCall& call) {
  if (render::Canvas* picture = Picture(call)) picture->SetPixel(call.N[0], call.N[1], call.N[2]);
  return kResultNext;
}

// Four pen lines: to (x2, y1), (x2, y2), (x1, y2) and back to (x1, y1).
int DrawRectangle(ActionCall& call) {
  render::Canvas* picture = Picture(call);
  if (picture == nullptr) return kResultNext;
  const int32_t x1 = call.N[0], y1 = call.N[1], x2 = call.N[2], y2 = call.N[3];
  picture->MoveTo(x1, y1);
  picture->LineTo(x2, y1);
  picture->LineTo(x2, y2);
  picture->LineTo(x1, y2);
  picture->LineTo(x1, y1);
  return kResultNext;
}

int DrawLine(ActionCall& call) {
  render::Canvas* picture = Picture(call);
  if (picture == nullptr) return kResultNext;
  picture->MoveTo(call.N[0], call.N[1]);
  picture->LineTo(call.N[2], call.N[3]);
  return kResultNext;
}

int GetPixel(ActionCall& call) {
  if (render::Canvas* picture = Picture(call)) call.Set(2, picture->GetPixel(call.N[0], call.N[1]));
  return kResultNext;
}

// Every animation of that name, in list order, whose frame N3 is a picture frame.
int DrawAnimationFrame(ActionCall& call) {
  render::Canvas* picture = Picture(call);
  if (picture == nullptr || call.N[3] < 0) return kResultNext;
  const auto index = static_cast<size_t>(call.N[3]);
  for (const project::TTaviEvent& animation : call.player.Model.Animations) {
    if (!project::SameText(animation.Name, call.T[2]) || index >= animation.Frames.size()) continue;
    const project::TTaviFrame& frame = animation.Frames[index];
    if (frame.Kind != project::kImageFrame) continue;
    project::TVrBitmap* image = call.player.Model.FrameImage(frame, 0);
    if (image == nullptr) continue;
    image->ComputeHasAlpha();
    std::optional<uint32_t> key;
    if (frame.UseTransparentColor) key = desktop::TColorToRgb(static_cast<int32_t>(frame.TransparentColor));
    picture->DrawImage(call.N[0], call.N[1], {image->Width(), image->Height(), image->Pixels()}, image->HasAlpha(), key);
  }
  return kResultNext;
}

int DrawRoundRectangle(ActionCall& call) {
  if (render::Canvas* picture = Picture(call)) picture->RoundRect(call.N[0], call.N[1], call.N[2], call.N[3], 8, 4);
  return kResultNext;
}

// 66 TextWidth, 67 TextHeight.
int TextSize(ActionCall& call) {
  render::Canvas* picture = Picture(call);
  if (picture == nullptr) return kResultNext;
  const render::TextSize size = picture->TextExtent(call.T[0]);
  call.Set(1, call.item.ActionType == 66 ? size.width : size.height);
  return kResultNext;
}

int FloodFill(ActionCall& call) {
  render::Canvas* picture = Picture(call);
  if (picture == nullptr) return kResultNext;
  const render::CanvasBrush saved = picture->Brush();
  picture->SetBrushState({desktop::TColorToRgb(call.N[2]), saved.style});
  picture->FloodFill(call.N[0], call.N[1]);
  picture->SetBrushState(saved);
  return kResultNext;
}

constexpr ActionEntry kEntries[] = {
    {49, "IIIN", SetPen},       {50, "II", SetBrush},          {51, "RINI", SetFont},
    {52, "NNT", DrawText},      {53, "NNNN", FillRectangle},   {54, "NNN", SetPixel},
    {55, "NNNN", DrawRectangle}, {56, "NNNN", DrawLine},       {58, "NNI", GetPixel},
    {62, "NNTN", DrawAnimationFrame}, {63, "NNNN", DrawRoundRectangle}, {66, "TI", TextSize},
    {67, "TI", TextSize},       {70, "NNI", FloodFill},
};

}  // namespace

std::span<const ActionEntry> DrawingActions() { return kEntries; }

}  // namespace kpf::engine::actions
