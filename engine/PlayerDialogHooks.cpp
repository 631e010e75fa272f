// The player's entry points into its project dialogs.
#include "engine/TCustomKPFPlayer.hpp"

namespace kpf::engine {

void TCustomKPFPlayer::FireEventScript(int32_t scriptId, const TriggerContext& context) {
  BusyScope busy(*this);
  FireScript(scriptId, context);
}

int TCustomKPFPlayer::VisibleDialogCount() const { return dialogs_.VisibleCount(); }

bool TCustomKPFPlayer::ShowDialogModalByName(std::string_view name) {
  BusyScope busy(*this);
  return dialogs_.ShowModalByName(name);
}

void TCustomKPFPlayer::SetObjectPictureFromStream(std::string_view objectName, int code, const MemoryStream& stream) {
  dialogs_.SetPicture(objectName, code, stream.bytes);
}

}  // namespace kpf::engine
