#include "engine/SoundOutput.hpp"

namespace kpf::engine {

SoundOutput::~SoundOutput() = default;

}  // namespace kpf::engine
