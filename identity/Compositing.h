// Whether the desktop composites the main window, so that its cut-off
// corners must be drawn transparent to show what lies behind: always on
// Wayland (which does not shape a window by its mask), and on X11 when a
// compositing manager runs (it owns the _NET_WM_CM_Sn selection of the
// screen; some paint a shaped window's cut-off corners black). An X server
// without one keeps the window shaped by its mask alone and opaque.
#pragma once

namespace zm {

bool PrzezroczysteNaroza();

} // namespace zm
