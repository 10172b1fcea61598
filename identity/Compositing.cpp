#include "Compositing.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <string>

namespace zm {

namespace {

bool MenedzerKompozycjiX11()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* polaczenie = x11 ? x11->connection() : nullptr;
    if (!polaczenie) return false;
    // The screen the display names (":0.1" is screen 1).
    int ekran = 0;
    char* host = nullptr;
    int numer = 0;
    if (xcb_parse_display(nullptr, &host, &numer, &ekran)) std::free(host);
    const std::string nazwa = "_NET_WM_CM_S" + std::to_string(ekran);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        polaczenie, xcb_intern_atom(polaczenie, 1, static_cast<std::uint16_t>(nazwa.size()), nazwa.c_str()), nullptr);
    if (!atom) return false;
    const xcb_atom_t wybor = atom->atom;
    std::free(atom);
    if (wybor == XCB_ATOM_NONE) return false; // nobody ever named it: no manager
    xcb_get_selection_owner_reply_t* wlasciciel =
        xcb_get_selection_owner_reply(polaczenie, xcb_get_selection_owner(polaczenie, wybor), nullptr);
    if (!wlasciciel) return false;
    const bool jest = wlasciciel->owner != XCB_WINDOW_NONE;
    std::free(wlasciciel);
    return jest;
}

} // namespace

bool PrzezroczysteNaroza()
{
    const QString platforma = QGuiApplication::platformName();
    if (platforma.startsWith(QLatin1String("wayland"))) return true;
    return platforma == QLatin1String("xcb") && MenedzerKompozycjiX11();
}

} // namespace zm
