#include "dialogs/TfmCustomForm.hpp"

#include <algorithm>

#include "dialogs/BalloonShape.hpp"
#include "dialogs/WindowPlacement.hpp"
#include "project/SystemColors.hpp"
#include "project/TTaviVariable.hpp"

namespace kpf::dialogs {

namespace {

// How long one pass of a modal run lets the loop work before it looks at the window again.
constexpr uint32_t kModalSliceMs = 20;

platform::DialogBorder BorderOf(TFormBorder border) {
  switch (border) {
    case TFormBorder::fbsDialog: return platform::DialogBorder::Dialog;
    case TFormBorder::fbsSingle: return platform::DialogBorder::Single;
    case TFormBorder::fbsNone: return platform::DialogBorder::None;
    case TFormBorder::fbsSizeable: return platform::DialogBorder::Sizeable;
    case TFormBorder::fbsToolWindow: return platform::DialogBorder::ToolWindow;
    case TFormBorder::fbsSizeToolWin: return platform::DialogBorder::SizeableToolWindow;
    case TFormBorder::fbsHint: break;
  }
  return platform::DialogBorder::None;
}

uint32_t Rgb(TColor color) { return project::ColorToArgb(color) & 0xFFFFFF; }

}  // namespace

TfmCustomForm::TfmCustomForm(DialogServices& services)
    : services_(services), window_(services.Desktop().CreateDialogWindow()) {
  window_->SetEvents(this);
  window_->SetClientSize(clientWidth_, clientHeight_);
  window_->SetColor(Rgb(kFaceColor));
}

TfmCustomForm::~TfmCustomForm() {
  // Controls go before their window; objects still held elsewhere no longer reach it.
  for (const auto& object : Objects) {
    object->Host = nullptr;
    object->FreeControl();
  }
  window_->SetEvents(nullptr);
}

// ---- building --------------------------------------------------------------------------------

void TfmCustomForm::LoadDefinition(std::span<const uint8_t> definition) {
  for (const auto& object : Objects) object->Host = nullptr;
  Objects.clear();
  DialogObject = nullptr;
  DialogDefinition read = ReadDefinition(definition);
  loadError_ = std::move(read.Error);
  Objects = std::move(read.Objects);
  for (const auto& object : Objects) {
    object->Host = this;
    if (object->Type() == ObjectType::Form) ApplyDialogObject(static_cast<TMyForm&>(*object));
  }
  if (DialogObject == nullptr) return;
  ApplyBorder();
  const TMyFormBackground& background = DialogObject->Background;
  if (!background.Data.empty()) {
    BackgroundPicture.Data = background.Data;
    BackgroundPicture.Kind = background.Kind;
    BackgroundPicture.TransparentColor = background.TransparentColor;
    BackgroundPicture.Decode();
    const bool keepBalloon = balloon_ && BackgroundPicture.Bitmap.empty();
    window_->SetBackground(keepBalloon ? balloonPicture_ : BackgroundPicture.Bitmap);
  }
  if (DialogObject->Borderless) {
    borderless_ = true;
    window_->SetBorder(platform::DialogBorder::None);
  }
  Place();
}

void TfmCustomForm::ApplyDialogObject(TMyForm& form) {
  DialogObject = &form;
  FormName = project::UpperName(form.Name);
  CloseScript = form.Scripts[kOnClose];
  ShowScript = form.Scripts[kOnShow];
  ClickScript = form.Scripts[kOnClick];
  clientWidth_ = form.Width;
  clientHeight_ = form.Height;
  ApplyClientSize();
  window_->MoveTo(form.Left, form.Top);
  window_->SetCaption(form.Caption);
  window_->SetColor(Rgb(form.Color));
  ActionURL = form.ActionURL;
  Dragable = form.Dragable;
  PopupMenu = form.Showpopup;
  alwaysOnTop_ = form.AlwaysOnTop;
  window_->SetTopmost(alwaysOnTop_ || characterOnTop_);
  const uint8_t icons = form.BorderIcons;
  window_->SetBorderIcons({(icons & kBiSystemMenu) != 0, (icons & kBiMinimize) != 0, (icons & kBiMaximize) != 0});
  if (form.FullScreen) window_->SetFullScreen(true);
}

void TfmCustomForm::ApplyBorder() {
  balloon_ = DialogObject->BorderStyle == TFormBorder::fbsHint;
  if (!balloon_) {
    window_->SetBorder(DialogObject->FullScreen ? platform::DialogBorder::None : BorderOf(DialogObject->BorderStyle));
    return;
  }
  window_->SetBorder(platform::DialogBorder::None);
  ApplyClientSize();
}

void TfmCustomForm::ApplyClientSize() {
  const int height = clientHeight_ + (balloon_ ? kBalloonTail : 0);
  window_->SetClientSize(std::max(1, clientWidth_), std::clamp(height, 1, kMaxExtent));
  if (!balloon_) return;
  balloonPicture_ = BalloonPicture(clientWidth_, clientHeight_);
  if (BackgroundPicture.Bitmap.empty()) window_->SetBackground(balloonPicture_);
  if (Visible()) ApplyShape();
}

bool TfmCustomForm::HasOwnBorder() const {
  return !(borderless_ || balloon_ || (DialogObject && (DialogObject->BorderStyle == TFormBorder::fbsNone ||
                                                        DialogObject->FullScreen)));
}

void TfmCustomForm::Place() {
  if (DialogObject == nullptr) return;
  const platform::FrameExtents frame = HasOwnBorder() ? window_->Frame() : platform::FrameExtents{};
  const int height = clientHeight_ + (balloon_ ? kBalloonTail : 0);
  DesktopGeometry desktop{services_.Desktop().ScreenRect(), services_.Desktop().WorkArea(), services_.OwnerWindow()};
  const auto at = PlaceDialog(DialogObject->Position, {DialogObject->Left, DialogObject->Top},
                              clientWidth_ + frame.left + frame.right, height + frame.top + frame.bottom, desktop);
  if (at) {
    window_->MoveTo(ClampCoordinate(at->x), ClampCoordinate(at->y));
  } else {
    window_->PlaceByDesktop();
  }
}

// The stored background decides the shape when there is one (with its transparent colour);
// a balloon without one takes the balloon's outline. A borderless window without a picture stays
// rectangular rather than vanishing.
void TfmCustomForm::ApplyShape() {
  if (!borderless_ && !balloon_) return;
  if (!BackgroundPicture.Bitmap.empty()) {
    const platform::Region region =
        BitmapToRegion(BackgroundPicture.Bitmap, Rgb(static_cast<TColor>(BackgroundPicture.TransparentColor)));
    window_->SetShape(&region);
  } else if (balloon_ && !balloonPicture_.empty()) {
    const platform::Region region = BitmapToRegion(balloonPicture_, balloonPicture_.pixels[0] & 0xFFFFFF);
    window_->SetShape(&region);
  } else {
    window_->SetShape(nullptr);
  }
}

void TfmCustomForm::CreateControls() {
  for (const auto& object : Objects) {
    if (object->Type() != ObjectType::Form) object->CreateControl(*window_);
  }
  ControlsCreated = true;
}

// ---- showing and closing ---------------------------------------------------------------------

void TfmCustomForm::ShowDialog(ShowMode mode) {
  const auto hold = HoldWindow();
  if (detached_ || (mode == ShowMode::Modal && modal_)) return;
  ApplyShape();
  if (!ControlsCreated) CreateControls();
  if (!placed_) {
    Place();
    placed_ = true;
  }
  const bool wasVisible = window_->Visible();
  closing_ = false;
  window_->Show(mode == ShowMode::Front);
  if (mode == ShowMode::Front) window_->BringToFront();
  if (!wasVisible) FireScript(ShowScript, FormName);
  if (mode == ShowMode::Modal) RunModal();
}

void TfmCustomForm::RunModal() {
  modal_ = true;
  window_->SetModal(true);
  platform::EventLoop& loop = services_.Desktop().Loop();
  while (!detached_ && window_->Visible() && !services_.MustEnd()) loop.ProcessEventsFor(kModalSliceMs);
  modal_ = false;
  window_->SetModal(false);
}

void TfmCustomForm::Hide() {
  dragging_ = false;
  window_->Hide();
}

bool TfmCustomForm::Visible() const { return window_->Visible(); }

void TfmCustomForm::Close() {
  const auto hold = HoldWindow();
  if (closing_ || detached_) return;
  closing_ = true;
  Hide();
  if (OnClosing) OnClosing(*this);
  FireScript(CloseScript, FormName);
  if (OnClosed && !detached_) OnClosed(*this);
}

void TfmCustomForm::Detach() {
  if (detached_) return;
  detached_ = true;
  Hide();
  OnClosing = nullptr;
  OnClosed = nullptr;
  window_->SetEvents(nullptr);
  for (const auto& object : Objects) object->Host = nullptr;
}

void TfmCustomForm::SetStayOnTop(bool characterOnTop) {
  characterOnTop_ = characterOnTop;
  window_->SetTopmost(characterOnTop_ || alwaysOnTop_);
  // A restacked shaped window gets its region again.
  if (Visible()) ApplyShape();
}

// ---- events ------------------------------------------------------------------------------------

void TfmCustomForm::FireScript(int32_t scriptIndex, const std::string& text) {
  if (detached_) return;
  std::shared_ptr<TMyObject> sender = DialogObject ? Shared(*DialogObject) : nullptr;
  services_.RunScript(scriptIndex, sender, text, FormName);
}

void TfmCustomForm::RunObjectScript(TMyObject& sender, int32_t scriptIndex) {
  if (detached_) return;
  services_.RunScript(scriptIndex, Shared(sender), sender.Name, FormName);
}

void TfmCustomForm::NoteControlEvent(TMyObject& sender, std::string_view event) {
  if (!detached_) services_.ControlEvent(FormName, sender.Name, event, sender.GetValue());
}

std::shared_ptr<TMyObject> TfmCustomForm::Shared(const TMyObject& object) const {
  for (const auto& candidate : Objects) {
    if (candidate.get() == &object) return candidate;
  }
  return nullptr;
}

void TfmCustomForm::BackgroundMouseDown(platform::MouseButton button, int x, int y) {
  const auto hold = HoldWindow();
  if (detached_) return;
  if (button == platform::MouseButton::Right) {
    if (PopupMenu) services_.ShowPopupMenu(services_.Desktop().Pointer());
    return;
  }
  if (button != platform::MouseButton::Left) return;
  if (Dragable) {
    const platform::FrameExtents frame = HasOwnBorder() ? window_->Frame() : platform::FrameExtents{};
    DragX = x + frame.left;
    DragY = y + frame.top;
    dragging_ = true;
  }
  FireScript(ClickScript, FormName);
}

void TfmCustomForm::BackgroundMouseMove(bool leftHeld, int screenX, int screenY) {
  if (detached_ || !Dragable) return;
  if (!leftHeld) {
    dragging_ = false;
    return;
  }
  if (!dragging_) return;
  window_->MoveTo(ClampCoordinate(int64_t{screenX} - DragX), ClampCoordinate(int64_t{screenY} - DragY));
}

void TfmCustomForm::BackgroundClicked() {
  const auto hold = HoldWindow();
  if (!detached_ && BackgroundClickScript != -1) FireScript(BackgroundClickScript, "");
}

// ---- submit, reset, lookup ---------------------------------------------------------------------

std::string TfmCustomForm::SubmitQuery() const {
  std::string query;
  for (const auto& object : Objects) {
    if (object->Type() == ObjectType::Form || !object->IncludeOnSubmit) continue;
    if (!query.empty()) query.push_back('&');
    query += object->Name + "=" + object->GetValue();
  }
  return query;
}

void TfmCustomForm::Submit() {
  if (detached_ || project::UpperName(ActionURL) == "SMTP") return;
  services_.OpenAddress(ActionURL + "?" + SubmitQuery());
}

void TfmCustomForm::Reset() {
  for (const auto& object : Objects) {
    if (object->Type() != ObjectType::Form) object->ResetValue();
  }
}

TMyObject* TfmCustomForm::FindObject(std::string_view name) {
  const std::string wanted = project::UpperName(name);
  TMyObject* found = nullptr;
  for (const auto& object : Objects) {
    const std::string own = project::UpperName(object->Name);
    if (wanted == own || wanted == FormName + "." + own) found = object.get();
  }
  return found;
}

}  // namespace kpf::dialogs
