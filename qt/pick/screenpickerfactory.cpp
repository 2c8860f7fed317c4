#include "qt/pick/screenpickerfactory.h"

#include "qt/pick/fallbackpicker.h"
#include "qt/pick/portalpicker.h"
#include "qt/pick/x11picker.h"

#include <QGuiApplication>

ScreenColourPicker *createScreenPicker(QObject *parent)
{
    // A Wayland client may not read the screen, so only the desktop can pick there.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return new PortalPicker(parent);
    // On X11 the desktop's own picker is the one its users know, where it offers one; Qt's own
    // switch for its portals turns that off.
    if (!qEnvironmentVariableIsSet("QT_NO_XDG_DESKTOP_PORTAL"))
        return new FallbackPicker(new PortalPicker, new X11Picker, parent);
    return new X11Picker({}, parent);
}
