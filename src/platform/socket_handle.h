#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// The few descriptor operations whose platform calls differ: everything else
// of the socket API is the same BSD interface everywhere.
namespace vant::native_socket {

using Handle = int;
inline constexpr Handle invalidHandle = -1;

// False (with the reason in lastError()) when the flag cannot be set.
bool setNonBlocking(Handle socket);
bool setNotInheritable(Handle socket);
void closeHandle(Handle socket);

// The local port the socket is bound to, in host order; 0 when unknown.
std::uint16_t localPort(Handle socket);

// Flags for every send: a peer that went away is an error, never a signal.
int sendFlags();

}  // namespace vant::native_socket
