// Whose server is behind PulseAudio's socket: PipeWire's own (pipewire-pulse,
// or the pulse module of the pipewire daemon) or PulseAudio. A desktop with
// PipeWire runs pipewire-pulse and asks SDL for no driver; SDL 2.26 then takes
// its `pulseaudio` driver, and the player plays on PipeWire's own protocol
// instead (PwStrumien.h).
#pragma once

#include <string>

namespace zm::pulse {

// The socket libpulse would connect to: PULSE_SERVER ("unix:<path>" or a
// path), else PULSE_RUNTIME_PATH/native, else XDG_RUNTIME_DIR/pulse/native;
// empty for a remote server or a list of servers.
std::string Gniazdo();

// Whether PipeWire's own socket is where libpipewire looks for it
// (PIPEWIRE_REMOTE, PIPEWIRE_RUNTIME_DIR, XDG_RUNTIME_DIR).
bool JestPipeWire();

// Whether the server listening at `gniazdo` is PipeWire's: the process at the
// other end of a connection, or, where systemd holds the socket for the
// server it starts (socket activation), the server's process that shares
// systemd's listening socket. False when it cannot be told: no server yet, a
// peer in another PID namespace, another user's processes.
bool ToPipeWire(const std::string& gniazdo);

} // namespace zm::pulse
