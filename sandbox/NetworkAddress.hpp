#pragma once
// Which hosts an internet transfer of a character may connect to: public addresses only.
// Loopback, link-local, private, shared, multicast and reserved addresses are refused after the
// name has been resolved, so a character cannot reach the user's own machine or network.
#include <sys/socket.h>

namespace kpf::sandbox {

enum class AddressUse { Public, Loopback, Refused };

// How the socket address may be used (AF_INET and AF_INET6; anything else is refused).
AddressUse ClassifyAddress(const sockaddr* address);

// True when a transfer may connect: a public address, or a loopback one when `allowLoopback`
// (tests reaching their own server; never by default).
bool MayConnectTo(const sockaddr* address, bool allowLoopback);

}  // namespace kpf::sandbox
