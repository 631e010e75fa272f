// The character itself: animations and play lists, the speech hint, sounds, visibility, the
// popup menu.
#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionFamilies.hpp"

namespace kpf::engine::actions {

namespace {

int PlayAnimationNamed(ActionCall& call) {
  call.player.PlayAnimationByName(call.T[0]);
  return kResultNext;
}

int ShowHint(ActionCall& call) {
  TCustomKPFPlayer& player = call.player;
  player.ShowSpeechHint(call.T[0], OffsetPosition(player.Left(), call.N[1]), OffsetPosition(player.Top(), call.N[2]),
                        call.N[3]);
  return kResultNext;
}

int PlayPlayListNamed(ActionCall& call) {
  call.player.ClearAnimationQueue();
  call.player.PlayPlayList(call.T[0]);
  return kResultNext;
}

int PlaySound(ActionCall& call) {
  call.player.PlaySoundNamed(call.T[0], call.N[1] + 1);
  return kResultNext;
}

int StopSounds(ActionCall& call) {
  call.player.StopSounds();
  return kResultNext;
}

int ShowCharacter(ActionCall& call) {
  if (!call.player.IsVisible()) call.player.ShowCharacter();
  return kResultNext;
}

int HideCharacter(ActionCall& call) {
  if (call.player.IsVisible()) call.player.HideCharacter();
  return kResultNext;
}

int Mute(ActionCall& call) {
  call.player.Mute();
  return kResultNext;
}

int Unmute(ActionCall& call) {
  call.player.Unmute();
  return kResultNext;
}

// 91, 92, 93: a random animation of kind 0, 1 or 2.
int PlayRandom(ActionCall& call) {
  call.player.PlayAnimation(call.item.ActionType - 91, 0, -1);
  return kResultNext;
}

int ClearQueue(ActionCall& call) {
  call.player.ClearAnimationQueue();
  return kResultNext;
}

int ShowPopupMenu(ActionCall& call) {
  call.player.PopupMenuAtPointer();
  return kResultNext;
}

constexpr ActionEntry kEntries[] = {
    {1, "T", PlayAnimationNamed}, {2, "TNNN", ShowHint},     {14, "R", PlayPlayListNamed}, {19, "RI", PlaySound},
    {45, "", StopSounds},         {72, "", ShowCharacter},   {73, "", HideCharacter},      {74, "", Mute},
    {75, "", Unmute},             {91, "", PlayRandom},      {92, "", PlayRandom},         {93, "", PlayRandom},
    {99, "", ClearQueue},         {213, "", ShowPopupMenu},
};

}  // namespace

std::span<const ActionEntry> CharacterActions() { return kEntries; }

}  // namespace kpf::engine::actions
