#pragma once
// Computes the values of the system variables when they are read and performs their effects when
// they are written, from the player state, the desktop, the random source and the network state.
#include <functional>
#include <string>

#include "platform/Platform.hpp"
#include "project/TTaviVariable.hpp"
#include "project/VariantValue.hpp"
#include "script/PlayerState.hpp"
#include "script/RandomRange.hpp"

namespace kpf::script {

// Network answers. Empty functions read as "not connected" and "no proxy".
struct NetworkQueries {
  std::function<bool()> IsConnected;
  std::function<std::string()> ProxyServer;
};

// The desktop's answers (desktop::IsConnected, desktop::GetProxyServer).
NetworkQueries DesktopNetworkQueries();

class SystemValues final : public project::SystemVariableHost {
 public:
  // `platform` must outlive this object. The proxy host and port are taken from
  // `network.ProxyServer` here, once.
  SystemValues(platform::Platform& platform, std::string documentsFolder,
               RandomRange random = ProcessRandomRange,
               NetworkQueries network = DesktopNetworkQueries());

  PlayerState State;
  SystemValueEffects Effects;

  // Sets the proxy host and port from the system's proxy setting again.
  void InitialiseProxy();

  project::VariantValue ReadSystemValue(int sysIndex,
                                        const project::TTaviVariable& variable) override;
  void SystemValueWritten(int sysIndex, const project::TTaviVariable& variable) override;

 private:
  project::VariantValue ReadClockValue(int sysIndex);
  project::VariantValue ReadDesktopValue(int sysIndex);
  project::VariantValue ReadActiveWindowValue(int sysIndex);
  project::VariantValue ReadTaskbarValue(int sysIndex);
  void Move(int32_t left, int32_t top);

  platform::Platform& platform_;
  std::string documentsFolder_;
  RandomRange random_;
  NetworkQueries network_;
};

}  // namespace kpf::script
