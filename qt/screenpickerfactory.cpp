#include "qt/screenpickerfactory.h"

#include "qt/overlaypicker.h"

ScreenColourPicker *createScreenPicker(QObject *parent)
{
    // clang-format off
    // MERGE: the desktop's picker on Wayland, and on X11 where its portal offers PickColor:
    // if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) || (!qEnvironmentVariableIsSet("QT_NO_XDG_DESKTOP_PORTAL") && PortalPicker::available()))
    //     return new PortalPicker(parent);
    // clang-format on
    return new OverlayPicker({}, parent);
}
