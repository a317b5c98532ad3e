#include "gui/X11LockIndicators.h"

#include <QGuiApplication>

#if WT_HAVE_XCB && QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#endif

std::optional<LockIndicators> ReadX11LockIndicators() {
#if WT_HAVE_XCB && QT_CONFIG(xcb)
    const auto* x11 = qGuiApp != nullptr
                          ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                          : nullptr;
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) {
        return std::nullopt;
    }
    xcb_get_keyboard_control_reply_t* reply =
        xcb_get_keyboard_control_reply(connection, xcb_get_keyboard_control(connection), nullptr);
    if (reply == nullptr) {
        return std::nullopt;
    }
    // The core protocol's keyboard LEDs, numbered from 1 as the server sets them up:
    // Caps Lock, Num Lock, Scroll Lock.
    const uint32_t leds = reply->led_mask;
    std::free(reply);
    return LockIndicators{(leds & 1u) != 0, (leds & 2u) != 0, (leds & 4u) != 0};
#else
    return std::nullopt;
#endif
}
