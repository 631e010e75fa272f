// Project dialogs: showing, hiding and closing them, the browser commands of HTML objects, and
// pictures from memory streams. An id or name that matches no dialog does nothing.
#include "dialogs/PropertyCodes.hpp"
#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionFamilies.hpp"

namespace kpf::engine::actions {

namespace {

int ShowDialog(ActionCall& call) {
  call.player.Dialogs().Show(call.N[0], call.N[1]);
  return kResultNext;
}

int HideDialog(ActionCall& call) {
  call.player.Dialogs().Hide(call.N[0]);
  return kResultNext;
}

int HideAllDialogs(ActionCall& call) {
  call.player.Dialogs().HideAll();
  return kResultNext;
}

int CloseDialog(ActionCall& call) {
  call.player.Dialogs().CloseDialog(call.N[0]);
  return kResultNext;
}

int NavigateBrowser(ActionCall& call) {
  call.player.Dialogs().SetProperty(call.T[0], dialogs::kPropBrowserLocation, call.T[1]);
  return kResultNext;
}

int GetBrowserLocation(ActionCall& call) {
  call.Set(0, call.player.Dialogs().GetProperty(call.T[1], dialogs::kPropBrowserLocation));
  return kResultNext;
}

int ClearBrowserLocation(ActionCall& call) {
  call.player.Dialogs().SetProperty(call.T[0], dialogs::kPropClearLocation, "");
  return kResultNext;
}

// 219, 220: the picture object loads the stream whose handle the variable holds.
int PictureFromStream(ActionCall& call) {
  const int code = call.item.ActionType == 219 ? dialogs::kPropPicture : dialogs::kPropRawPicture;
  const MemoryStream* stream = call.player.Streams().Find(call.Variable(1).AsInteger());
  if (stream != nullptr) call.player.Dialogs().SetPicture(call.T[0], code, stream->bytes);
  return kResultNext;
}

// 226 to 230: property codes 22 to 26, which change nothing of an existing object.
int ControlCommand(ActionCall& call) {
  call.player.Dialogs().SetProperty(call.T[0], call.item.ActionType - 204, "");
  return kResultNext;
}

constexpr ActionEntry kEntries[] = {
    {16, "II", ShowDialog},          {17, "I", HideDialog},         {18, "", HideAllDialogs},
    {48, "I", CloseDialog},          {151, "TT", NavigateBrowser},  {157, "IT", GetBrowserLocation},
    {168, "R", ClearBrowserLocation}, {219, "TI", PictureFromStream}, {220, "TI", PictureFromStream},
    {226, "R", ControlCommand},      {227, "R", ControlCommand},    {228, "R", ControlCommand},
    {229, "R", ControlCommand},      {230, "R", ControlCommand},
};

}  // namespace

std::span<const ActionEntry> DialogActions() { return kEntries; }

}  // namespace kpf::engine::actions
